// Copying a directory's regular files with two worker threads, into a
// directory the copy command has just made (so nothing there can be in the
// way). A worker never asks anything: it either copies a file completely,
// with its mode, times and owner, and renames it into place without ever
// replacing a name, or leaves nothing behind and gives the name back. The
// calling thread keeps the progress and the descriptions, and watches for
// Esc; whatever the workers gave back it copies the usual way, with every
// prompt.
#pragma once

#include <vector>

#include "lib/westring.h"

class DescBatch;
class copy_status;

// Copies what it can of the entries names of the directory src into the
// new directory dst; done[i] is set for each name copied (its description
// recorded). 0, or -1 when the user stopped the copy (the workers have
// ended by then, and no partial file has a final name). Directories,
// links, special files and files open for writing elsewhere are left to
// the caller, as is everything while a test's read, write or close seam is
// set.
[[nodiscard]] int CopyFilesInParallel(const wchar_t* src, const wchar_t* dst, const std::vector<Westring>& names,
                                      copy_status* status, DescBatch& descriptions, std::vector<bool>& done);
