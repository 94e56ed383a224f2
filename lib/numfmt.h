// Numbers for display: digit groups split by the thousands separator, and
// sizes fitted into a column with the suffixes K, M, G and T.
#pragma once

#include <cstdint>

#include "lib/westring.h"

// The character put between digit groups (default ",").
extern wchar_t thousand_separator;

// Takes thousand_separator from the current locale's thousands separator, or
// "," when the locale has none. Called at start-up, after setlocale.
void init_thousand_separator();

// The digits with thousand_separator before every group of three counted from
// the right; a leading sign stays in front of the first digit.
Westring addCommas(const wchar_t* digits);

// A size written to fit a column of width characters: with digit groups, and
// when it is too wide, divided by 1024 with the suffix K (or by 1048576, M).
Westring itoa_comma(uint32_t value, int width);
// The same for 64-bit sizes, with the suffixes K, M, G and T.
Westring itoa_comma(int64_t value, int width);
