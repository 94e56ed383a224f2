// Alt-F5: the stored paths; Shift-Ctrl-F5: symbolic links to the cursor
// file or the tagged files.
#pragma once

#include "console/console.h"

class CMainLoop;

void stored_paths(CMainLoop& loop, int key, _MEVENT& event);
void make_symbolic_links(CMainLoop& loop, int key, _MEVENT& event);
