// The information panel from the keyboard and the mouse: Ctrl-L switches it
// on and off, and a double click under its " Dir Info " rule edits the
// described directory's note.
#pragma once

#include "console/console.h"

class CMainLoop;

// Ctrl-L: the other panel shows information about the current panel's
// directory, or lists files again. With the information panel itself
// current, it is that panel that lists files again.
void toggle_info_panel(CMainLoop& loop, int key, _MEVENT& event);

// A left double click below the row of " Dir Info " in an information
// panel opens the described directory's "dirinfo" as F4 does there. True
// when the event was such a click (the mouse dispatcher then stops).
bool info_panel_double_click(CMainLoop& loop, _MEVENT& event);
