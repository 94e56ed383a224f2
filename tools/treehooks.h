// Plugs the directory tree into the file operations (a directory made,
// removed, moved or renamed changes the tree of its file system) and into
// panel reading (the tree style).
#pragma once

void InstallTreeHooks();
void RestoreTreeHooks();
