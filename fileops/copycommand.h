// The Copy (F5) and Move/Rename (F6) commands on a panel's tagged entries,
// or on the entry under its cursor.
#pragma once

#include "lib/westring.h"

struct PANEL;

// Bits of file_copy_move's flags.
enum {
    COPY_MOVE = 1,             // move instead of copy
    COPY_NO_OTHER_PANEL = 2,   // do not offer the other panel's directory
};

// Copies or moves from source; other is the other panel, whose directory is
// the default destination. A destination given skips the dialog. Both
// panels are read again afterwards.
void file_copy_move(PANEL* source, PANEL* other, char flags, const wchar_t* destination = nullptr);
// The same with the source picked by index from the array of two panels.
void file_copy_move(PANEL* panels, int index, char flags, const wchar_t* destination = nullptr);
