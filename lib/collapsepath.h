// Shortening a path for display in a given number of columns.
#pragma once

#include "lib/westring.h"

// Widths are in screen cells: wide characters take two, combining marks none,
// and neither is ever split. A path wider than max keeps its first component
// with its separators, then "...", then as much of its end as fits; when even
// the first component does not fit, the path is cut to at most max cells
// ending in U+25BA.
void collapse_path(Westring& path, int max);
