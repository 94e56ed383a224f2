// Whether a found file contains the text the user searches for.
#pragma once

#include <cstdint>

#include "lib/westring.h"

// Searches the file at path for text in the file's own encoding (UTF-8,
// UTF-16, UTF-32 or the code page it is read in), so a UTF-16 file is found
// by the same text as a UTF-8 one. The byte offset of the first match; -2
// when there is none, -1 when the user broke off, -3 when the file cannot
// be opened. A file in no Unicode form is read in code_page (0: the
// default text code page).
int64_t check_containing(const Westring& path, const Westring& text, bool case_sensitive, bool whole_word,
                         int code_page = 0);
