// The keys of the directory tree: Ctrl-Q counts the directory sizes,
// Alt-F10 opens the tree window and goes to the directory chosen there.
#pragma once

class CMainLoop;
struct _MEVENT;

void calculate_dir_size(CMainLoop& loop, int key, _MEVENT& event);
void tree_window(CMainLoop& loop, int key, _MEVENT& event);
