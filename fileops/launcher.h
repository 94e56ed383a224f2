// Desktop launcher files ("objects") for programs and documents, written to
// the Desktop directory of the user's home.
#pragma once

#include "lib/westring.h"

struct PANEL;

// Asks for a title (one entry) or whether to run in a terminal, and writes
// a launcher for the entry under the cursor or for each tagged entry (which
// is untagged afterwards).
void create_object(PANEL* panel);
// Writes $HOME/Desktop/<title>.desktop for file (a name in the panel's
// directory). A "/" in the title becomes "_" in the file name. 0, or the
// error number when the file could not be written (nothing is written then).
[[nodiscard]] int create_object2(PANEL* panel, const wchar_t* file, const wchar_t* title, bool terminal);
// The name up to its last ".", lower-cased, with its first character upper-cased.
void maketitle(const wchar_t* name, Westring& title);

// The "Terminal session" choice, kept from one use to the next.
extern bool launcher_terminal;
