// The steps of copying one regular file into a new file that the copy of
// one item and the parallel copy of a directory's files share: opening the
// source, making the new file beside its final name, and giving it the
// source's metadata once its bytes are in. Each may run on any thread.
#pragma once

#include <sys/stat.h>

#include <string>

// Whether the process may give files away (it runs as root).
bool MayChown();

// Opens the source of a regular file for reading without ever blocking
// (it may have been replaced by a FIFO since it was looked at), and gives
// its status. The descriptor or -1 with errno set.
int OpenSource(int dir, const char* leaf, struct stat& status);

// Makes the new file for the bytes of a file with mode beside the final
// name leaf in dir. out receives its descriptor, temp_leaf its temporary
// name. 0 or the error number.
[[nodiscard]] int CreateBeside(int dir, const char* leaf, mode_t mode, int& out, std::string& temp_leaf);

// The metadata of a complete new file, set on its descriptor: owner (for
// root), permission bits, times; synced first for a move. 0 or the error
// number.
[[nodiscard]] int FinishNewFile(int out, const struct stat& source, bool move);
