// What a key pressed while a command runs sends to its terminal: the byte
// sequences an xterm sends for the program's key codes.
#pragma once

#include <string>

// Appends the bytes for key code to out. Characters (codes below 0x10000)
// go as UTF-8, so that typed letters beyond ASCII arrive whole; Enter, Tab,
// Esc and the control characters are their own byte. Function, cursor and
// editing keys give their escape sequences; with application_cursor the
// cursor keys and Home and End use ESC O instead of ESC [. Returns false
// (out unchanged) for a key a terminal has no bytes for. Shift-Insert
// (the paste) is left to the caller, which has the clipboard.
bool TerminalKeyBytes(int code, bool application_cursor, std::string& out);
