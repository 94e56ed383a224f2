// The line the find-file list shows for one found file.
#pragma once

#include "lib/westring.h"
#include "tools/foundlist.h"

// The size (with digit groups; a directory shows its label), the date and
// time in the panels' formats, a mark for hidden files and the path
// shortened to path_cells cells. A file that could not be opened for the
// content search shows "Error opening" in place of size, date and time.
Westring make_found(const FoundFile& found, int path_cells);
