// Comparing the bytes of two files for the directory compare, with a
// "Comparing" window whose bar follows the part read, and Esc to stop.
#pragma once

#include "lib/westring.h"

enum class ContentsVerdict { kSame, kDifferent, kStopped };

// Reads both files to their end in 256 KiB blocks and compares them.
// Only regular files are read: each is opened without blocking (a FIFO or a
// device can never hang the comparison) and a file that is not regular
// counts as different from a regular one; two that are not regular are the
// same only when they are the same kind of file (and, for devices, the same
// device). A read that returns fewer bytes than asked is read on, never
// taken for the end. An open or read error is shown with the system's
// message and the file's name and gives kStopped, as Esc does.
[[nodiscard]] ContentsVerdict compare_file_contents(const Westring& left_path, const Westring& right_path);
