// Where a copied or moved item goes: into a directory, to a new name, or
// through a wildcard rename pattern such as "*.bak".
#pragma once

#include "lib/westring.h"

// The target for the item name (its last component counts) and the
// destination typed by the user. A destination ending in "/" or naming an
// existing directory (other than the item itself or one of the item's own
// name) receives the item under its name; a last component with "*" or "?"
// renames it by DosEditName; anything else is the new name itself.
void editname(const wchar_t* name, const wchar_t* destination, Westring& out);

// Applies the rename pattern to name: "*" copies name up to its next "." (or
// its end), "?" one character of name, "." skips name to past its next "."
// and writes ".", any other character is written as it is. At most 2048
// characters.
Westring DosEditName(const wchar_t* name, const wchar_t* pattern);
