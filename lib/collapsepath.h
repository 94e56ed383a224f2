// Shortening a path for display in a given number of columns.
#pragma once

#include "lib/westring.h"

// A path longer than max keeps its first component with its separators, then
// "...", then as much of its end as fits; when even the first component does
// not fit, the path is cut to max characters ending in U+25BA.
void collapse_path(Westring& path, int max);
