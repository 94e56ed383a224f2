// The panels as the main loop's key and mouse handlers see them: the
// current and the other side, cursor moves that stay inside the list, and
// directory changes that report an unusable directory.
#pragma once

#include "console/console.h"
#include "lib/westring.h"
#include "panels/panel.h"

class CMainLoop;

PANEL* current_panel();
PANEL* other_side_panel();
// Neither panel is shown: the command line has the whole screen.
bool panels_hidden();
// A visible file list (any style but the tree).
bool file_list(const PANEL* panel);
// The brief styles, whose Left and Right move by a column.
bool brief_style(const PANEL* panel);
// The index of the cursor entry in the panel's entries.
int cursor_index(const PANEL* panel);
// The panel a command that works on directories uses: the other one when the
// current shows a tree or information.
PANEL* directory_target();

// Moves the cursor by delta entries of a file list with entries.
void move_by(PANEL* panel, int delta);
// Moves the cursor to entry index, kept inside the list.
void move_to(PANEL* panel, int index);
// Changes a panel to dir, the cursor on cursor_name when given; an unusable
// directory is reported with its name.
void change_to(PANEL* panel, const Westring& dir, const wchar_t* cursor_name = nullptr);
// Reads a visible file panel again and repaints it.
void reread_and_paint(PANEL* panel);
// Shows or hides the hidden files in both panels.
void toggle_hidden();

// Takes the highlight off the cursor entry until the next pass.
void hide_cursor_entry(CMainLoop& loop);
// Runs the quick search with key (0 searches again, step +1 forwards, -1
// backwards); a key that ended it is dispatched next.
void quick_search(CMainLoop& loop, PANEL* panel, int key, _MEVENT& event, int step);
