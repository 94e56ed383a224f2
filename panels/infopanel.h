// The information panel: instead of a file list, a panel shows what there
// is to know about the directory of the other panel (the described one):
// physical memory, the file system's size and free space or an archive's
// totals, the space the listed files take, where the directory lies and
// the first lines of its note file "dirinfo" (see panels/dirinfo.h).
//
// Window rows inside the frame, L the label column: 0 the program's name,
// 4 a rule, 5 and 6 memory, 8 on the figures of the file system or the
// archive, then the directory and where it lies, a rule and the note.
#pragma once

#include "lib/westring.h"

struct PANEL;

// Switches the information display on or off in the panel opposite to
// side (0 left, 1 right). A hidden panel is shown for it and hidden again
// when it is switched off; a file panel shown before lists its files again.
// Should the panel of side itself show information, it lists files again
// first: two panels cannot describe each other.
void info_panel(PANEL* panels, int side);

// Draws the information panel that describes the left panel (left true) or
// the right one; nothing when that panel is no information panel on the
// screen.
void info_panel_update(bool left);

// Lets panel drawing and directory reading draw the information panel:
// installs paint_info_hook and panel_hooks.update_info. Start-up calls it;
// no panel is then remembered as hidden before it showed information.
void install_info_panel();
