// Plugs the directory tree into the file operations: a directory made,
// removed, moved or renamed changes the tree of its file system.
#pragma once

void InstallTreeHooks();
void RestoreTreeHooks();
