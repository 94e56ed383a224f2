// Plugs the directory tree into the file operations (a directory made,
// removed, moved or renamed changes the tree of its file system) and into
// panel reading (the tree style), and gives the copy dialogs their F10
// tree picker.
#pragma once

void InstallTreeHooks();
void RestoreTreeHooks();
