// The stored paths (Alt-F5): ten numbered slots, the configuration's hot
// directories d0 to d9, that a panel goes to with one key.
#pragma once

#include "lib/westring.h"

struct PANEL;

// The list line of slot: "N - " and its directory collapsed to width - 6
// columns, or "Empty".
Westring sp_line(int slot, int width);

// The first environment variable the stored text refers to that has no
// value ("$NAME", or "HOME" for a leading "~/"); empty when every one has.
Westring unset_variable(const Westring& text);

// Tells the user when stored refers to a variable that has no value, since
// substituting nothing would lead somewhere else without a word. True when
// it told.
bool report_unset_variable(const Westring& stored);

// Goes panel to slot's directory, its variables substituted; an unset
// variable or a directory that cannot be entered is reported with the
// stored text. True when the panel changed.
bool go_to_stored_path(PANEL* panel, int slot);

// The stored-paths window over panel: 0 to 9 or Enter go to a slot and
// close, Ins stores the panel's directory in the selected slot, Del empties
// it, Esc closes. True when the panel changed to a stored directory.
bool storepop(PANEL* panel);
