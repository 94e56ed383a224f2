// The command-history window (Alt-F8) and the directory-history window
// (Alt-\): lists of the commands run and the directories left, newest at
// the bottom with the cursor on it.
#pragma once

#include "lib/westring.h"

struct PANEL;

// What the command-history window did.
enum HistoryPanelResult {
    HISTORY_NOTHING = 0,
    HISTORY_COPIED = 1,  // a command went into the command line
    HISTORY_RAN = 2,     // a command was run
};

// The command-history window over panel panel_index: Enter runs the cursor
// command, Alt-Enter runs it in a terminal window of its own, Ctrl-Enter
// copies it into command_line (cursor at its end), Del removes it from the
// history and its file, F7, Shift-F7 and Alt-F7 search the commands for a
// text, F1 shows help. Nothing happens with an empty history.
HistoryPanelResult history_panel(int panel_index, Westring& command_line, int& cursor);

// The directory-history window: the chosen directory, or empty when the user
// left without one (or the history is empty).
Westring DirHistorySelect();
// Changes panel to the directory chosen in the directory-history window,
// leaving any archive it shows.
void DirHistoryBox(PANEL* panel);
