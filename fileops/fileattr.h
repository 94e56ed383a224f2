// Small questions about one path: its attribute word, time, kind, and the
// file system it lies on.
#pragma once

#include "lib/timestamp.h"
#include "lib/westring.h"

// The attribute word of a path (FA_RDONLY, FA_DIREC, FA_LINK of
// panels/entry.h). A symbolic link has FA_LINK, and FA_DIREC when it points
// to a directory; it is never read-only. 0 or the error number.
[[nodiscard]] int GetFileAttr(const wchar_t* path, int& attr);
// The modification time of a path (symbolic links followed). 0 or the error number.
[[nodiscard]] int GetFileTime(const wchar_t* path, TimeStamp& time);
// Attributes other than the directory bit cannot be changed on this system:
// succeeds without doing anything.
[[nodiscard]] int SetFileAttr(const wchar_t* path, int attr);

// True for character devices, block devices, FIFOs and sockets.
bool IsDevice(const wchar_t* path);
// True when both paths lie on one device, or when either cannot be examined.
bool SameFS(const wchar_t* a, const wchar_t* b);
