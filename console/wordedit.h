// Words in a line of text: the word-character test and the word moves and
// deletions shared by the dialog text fields and the text editor.
#pragma once

#include "lib/westring.h"

// Ctrl-Right moves to the end of the next word when set, to the start of the
// next word otherwise. The configuration sets it (BriefWordRight).
extern bool brief_word_right;

// Letters, digits, the underscore and the other characters words are made of.
bool iswordchar(wchar_t c);
// The byte form: '_', '0'-'9', 'A'-'Z', 'a'-'z' and 128-254.
bool iswordchar(char c);

// The offset of the next word in s: with to_end, past the non-word characters
// and then the word characters (the end of the word); otherwise one character,
// then the word characters, then the non-word characters (the start of the
// next word). Never past the end of s.
int WordRight(const wchar_t* s, bool to_end);
// The same, as brief_word_right chooses.
int WordRight(const wchar_t* s);

// Positions within text (clamped to 0..length): the start of the word before
// pos (back over non-word characters, then over word characters), and the
// start of the next word after pos.
int PrevWordStart(const Westring& text, int pos);
int NextWordStart(const Westring& text, int pos);

// Deletes from the start of the previous word up to pos; returns the new
// cursor position (where the deletion began).
int DeleteWordLeft(Westring& text, int pos);
// Deletes from pos up to the start of the next word; the cursor stays at pos.
void DeleteWordRight(Westring& text, int pos);
