// Replacing the searched text in the files a search found. Each file is
// read and written in its own encoding (UTF-8, UTF-16, UTF-32 or a code
// page) through CTextFile, whose save writes a new file beside the target
// (beside a symbolic link's target, never over the link) with the old mode
// and owner and renames it into place only when every byte is written.
#pragma once

#include "lib/westring.h"

struct ReplaceOutcome {
    int error = 0;         // 0, or the error number of the open, read or save that failed
    int replaced = 0;      // occurrences replaced
    int links_broken = 0;  // other hard links of the file, which keep the old text
};

// Replaces every occurrence of text (inside one line; case and whole word
// as the search took them) in the file at path with replacement. A file
// without an occurrence is not written at all; a failure leaves the file
// as it was. A file in no Unicode form is read and written in code_page
// (0: the default text code page).
[[nodiscard]] ReplaceOutcome ReplaceInFile(const Westring& path, const Westring& text, const Westring& replacement,
                                           bool case_sensitive, bool whole_word, int code_page = 0);
