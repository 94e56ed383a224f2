// Word characters for the text editor: cursor word moves, word deletion,
// the word under the cursor and whole-word search all stop at them. The
// editor shares one table with the dialog text fields (console/wordedit),
// so a word is the same thing in a field and in the text.
#pragma once

#include "console/wordedit.h"

// Letters and digits of every script, the underscore, U+00AF, U+00B5 and
// the Latin-1 and Latin Extended letters (a binary search over a sorted
// table of inclusive ranges generated from the character database).
bool iswordchar(wchar_t c);
// The byte form: '_', '0'-'9', 'A'-'Z', 'a'-'z' and 128-254.
bool iswordchar(char c);
