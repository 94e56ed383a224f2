// Measuring text in the character cells of the screen: most characters take
// one cell, East Asian wide characters and emoji two, combining marks none.
// The widths come from the program's own table, not from the C library, so
// that they do not change with the locale.
#pragma once

// Cells taken by c: 0 for combining marks and zero-width characters, 2 for
// wide and fullwidth characters, 1 for everything else (control characters
// and values outside Unicode included: they are drawn as a replacement glyph).
int CellWidth(wchar_t c);

// Cells taken by the first length characters of text, or by all of it up to
// its terminating zero when length is negative. A null text takes none.
int TextCells(const wchar_t* text, int length = -1);

// How many characters from the start of text fit into cells columns without
// splitting a wide character; combining marks after the last fitting character
// are counted with it. The cells those characters take go to *used.
int CharsThatFit(const wchar_t* text, int cells, int* used = nullptr);
