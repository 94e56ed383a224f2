// The order of a panel's entries: ".." first, then directories, then hidden
// files, then the other files; inside each group by name, extension, time or
// size, ascending or reversed.
#pragma once

#include <cstdint>

#include "config/panelenums.h"
#include "panels/entry.h"

struct PANEL;

// Comparators: negative, 0 or positive. The group (sort_class) decides
// first and is never reversed; inside a group the order below is multiplied
// by direction (+1 or -1). Names compare in the file-name order, and names
// equal in it (differing only in case) by their exact characters.
int comp_name(const entry* a, const entry* b, int direction);
// The text after the last '.' (empty without one), then the whole name.
int comp_ext(const entry* a, const entry* b, int direction);
// The later time first, then the name.
int comp_time(const entry* a, const entry* b, int direction);
// The larger size first, then the name.
int comp_size(const entry* a, const entry* b, int direction);
// As comp_name.
int comp_none(const entry* a, const entry* b, int direction);
// Exact comparison of the names (case matters), for finding an entry again.
int comp_unique(const entry* a, const entry* b);

// Sorts the panel's list by its sort setting.
void sort_panel(PANEL* panel);
// Sorts count entries of the directory path by sort, in the comparators'
// order; by name, extension or size each name is folded only once, into a
// sort key (lib/sortkey.h). The unsorted orders (4 and 9) and fewer than two
// entries leave the order as it is.
void sort_panel(const wchar_t* path, sortby sort, entry** files, int count);

