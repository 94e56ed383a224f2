// The directory tree window (Alt-F10): the tree of a panel's file system
// beside the panels, walked with the cursor keys and searched by typing.
#pragma once

#include "lib/westring.h"

struct PANEL;

// Shows the window over the tree of panel's file system, width + 6 columns
// wide on the right of the screen, from row 2 to 4 rows above the bottom
// (height rows ending there, when height is given). The cursor starts on
// start, or the directory holding it, when the tree has it; else on the
// panel's directory. Width 70 draws the wide tree style. 0 with the chosen
// directory's full path in result, or -1 (Esc, or a scan stopped).
int tree_popup(PANEL* panel, Westring& result, int width, int height = 0, const Westring& start = Westring());
