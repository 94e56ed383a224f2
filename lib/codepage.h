// Program-wide text settings and the names of code pages for the converter.
#pragma once

#include "lib/estring.h"
#include "lib/westring.h"

// Code page of narrow text that is not UTF-8 (the CodePage setting; 850).
extern int codepage;
// Code page assumed for text files (the TextCodePage setting; 0 = default).
extern int text_codepage;

// The code page narrow text is in: the setting, or 850 when it is 0.
int effective_codepage();
// The converter's name of a code page: 819 is "ISO-8859-1", 878 and 20866
// are "KOI8-R", anything else is "CP" and the number.
Estring CPName(int cp);
// The configured text code page, or 819 when none is set.
int DefaultTextCodePage();
// Narrow text in the program's code page from wide text, and back.
Estring MkEstring(const Westring& text);
Westring MkWestring(const Estring& text);
