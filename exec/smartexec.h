// Starting an external command: on a pseudo-terminal shown in the window
// and waited for, or on its own (background commands and programs with
// windows of their own), or the internal viewer and editor for the
// pseudo-commands "$view" and "$edit".
#pragma once

#include "lib/westring.h"

// Runs command under the user's shell:
//  - a leading "#" is dropped and the command always runs on the terminal
//    and is waited for;
//  - otherwise a trailing "&" makes it a background command: when its
//    program is found along PATH it starts on its own, as does a program
//    that uses the X Window System;
//  - everything else runs on a terminal shown in the window.
// The exit status (0-255) of a command waited for; -1 when a signal ended
// it or it could not be started; 0 for commands started on their own and
// for the pseudo-commands.
int smartexec(const Westring& command);

// The index of the first c in text not escaped by a backslash, or -1.
int UnixChrQuote(const Westring& text, wchar_t c);
