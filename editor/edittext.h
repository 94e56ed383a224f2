// Measures and moves within one line of text: display columns with tab
// stops, word boundaries and indentation. They work on a plain pointer and
// length so the editor can apply them to any line it holds.
#pragma once

#include <string>

// Display column of character index n of s: every character takes the
// cells the screen gives it (a wide one two, a combining mark none), a tab
// advances to the next multiple of tab_width.
int calc_col(const wchar_t* s, int len, int n, int tab_width);

// Character index at display column col + left. When that column falls
// inside a tab, col moves back to the tab's start column (relative to
// left) and the tab's index is returned. Past the end: the length.
int calc_pos(const wchar_t* s, int len, int& col, int left, int tab_width);

// Offset from pos of the next word. With brief off: skip one character
// (unless at the end), then word characters, then the others, landing on
// the start of the next word. With brief on: skip non-word characters,
// then word characters, landing on the end of the word.
int WordRight(const wchar_t* s, int len, int pos, bool brief);

// Start of the word before pos (skips non-word characters backwards, then
// word characters); 0 at most.
int WordLeft(const wchar_t* s, int pos);

// Characters of leading blanks and tabs.
int LeadingBlanks(const wchar_t* s, int len);

// True when the line holds nothing but blanks and tabs.
bool IsBlankLine(const wchar_t* s, int len);

// The line with its leading white space replaced by (its display width + n)
// blanks. Returns false (out untouched) for empty or blank lines and when
// the width would become negative.
bool IndentedText(const wchar_t* s, int len, int n, int tab_width, std::wstring& out);

// Bounds of the run of word characters at pos, stepping back one when pos
// stands just after a word. False when there is no word there.
bool WordAt(const wchar_t* s, int len, int pos, int& start, int& end);
