// The names in one directory, read in full before anything in it changes.
#pragma once

#include <vector>

#include "lib/westring.h"

// Appends the names in dir except "." and ".." (and the description file
// when skip_descriptions is set). 0 or the error number of the listing.
// dir may be of any length (lib/atpath.h).
[[nodiscard]] int ListNames(const wchar_t* dir, std::vector<Westring>& names, bool skip_descriptions);
