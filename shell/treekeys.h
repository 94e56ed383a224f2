// The keys of the directory tree: Ctrl-Q counts the directory sizes.
#pragma once

class CMainLoop;
struct _MEVENT;

void calculate_dir_size(CMainLoop& loop, int key, _MEVENT& event);
