// The program's message box: the one way to tell the user something and ask
// a one-key question.
#pragma once

#include "lib/westring.h"

// Button sets (flags & 15) and the colour bit.
enum {
    MB_OK = 0,           // OK
    MB_OKCANCEL = 1,     // OK, Cancel
    MB_SKIPALL = 2,      // OK, Cancel, Skip, All, None
    MB_RETRY = 3,        // Retry, Skip, Cancel
    MB_SKIPALLOLDER = 4, // OK, Cancel, Skip, All, None, All Older
    MB_MESSAGE = 16,     // the Messages colour instead of the Errors colour
};

// Shows message (split into lines at blanks) with title under it and the
// buttons of flags; returns the key of the pressed button: 'y' (OK, also
// Enter), 27 (Cancel, Esc), 's' (Skip), 'a' (All), 'e' (None), 'd' (All
// Older), 'r' (Retry).
int error(const Westring& message, const Westring& title, int flags);
