// Copying and moving one item (a file or a whole directory) with every
// prompt: overwriting, files open for writing, failures. The copy and move
// commands, and the tools that copy single files, call these.
#pragma once

#include "lib/westring.h"

class DescBatch;
class copy_status;

// Copies src to dst. index and count feed the "(%d of %d)" counter. The
// progress window (fwin) is made or widened as needed; the caller ends it
// with EndCopyProgress. 0 done, -1 abort the command, or a positive code
// for an item that failed or was skipped (already reported).
// destination_absent: dst lies in a directory this command just made, so
// nothing has its name (should something take it all the same, the copy
// fails with EEXIST and asks as usual).
[[nodiscard]] int copy_file(const wchar_t* src, const wchar_t* dst, int index, int count, copy_status* status,
              DescBatch& descriptions, bool destination_absent = false);
// Moves src to dst: by renaming when sameFileSystem says both lie on one
// file system (falling back to copying when the rename crosses devices),
// else by copying and deleting. An existing destination directory is
// merged entry by entry.
[[nodiscard]] int move_file(const wchar_t* src, const wchar_t* dst, int index, int count, copy_status* status,
              DescBatch& descriptions, bool sameFileSystem);

// Stops the status updates and removes the progress window.
void EndCopyProgress(copy_status* status);
