// The key texts of the user menu file: one character, or a function key
// written F1 to F12, with A (Alt), C (Ctrl) or S (Shift) before it, and the
// key codes they stand for.
#pragma once

#include "lib/westring.h"

// The key code of key_text (already upper-cased), or 0 when it is no key:
// empty, longer than four characters, a function key number outside 1 to 12
// or written with a leading zero, or a single character that is a control
// character or beyond the Basic Multilingual Plane (those codes would clash
// with the codes of the special keys).
int MenuKeyCode(const Westring& key_text);

// What a key typed in the menu is compared with: a character upper-cased as
// key texts are; special keys as they are.
int MenuTypedKey(int key);
