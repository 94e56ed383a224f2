// The operating-system steps of the file operations, each returning 0 or
// the system's error number. Paths may be longer than the system takes
// (lib/atpath.h), except for MakeDirectories.
#pragma once

#include "lib/westring.h"

// Renames src to dst; EEXIST when something (even a dangling symbolic link)
// already has the name dst.
[[nodiscard]] int DosMove(const wchar_t* src, const wchar_t* dst);
// Renames src to dst in one step that never replaces anything: EEXIST when
// dst exists, EINVAL also where the file system cannot promise that.
[[nodiscard]] int DosMoveNew(const wchar_t* src, const wchar_t* dst);
// Renames src to dst, putting it in the place of an existing dst (which
// the user agreed to replace). 0 or the error number.
[[nodiscard]] int DosMoveOver(const wchar_t* src, const wchar_t* dst);
// Removes a file. A file the user may not write is left alone and the
// failing write test's error (EACCES, EROFS) is returned; the caller asks
// about read-only files. A symbolic link is never read-only.
[[nodiscard]] int DosDelete(const wchar_t* path);
// Unlinks without the write test (after the user agreed to delete a
// read-only file).
[[nodiscard]] int DosUnlink(const wchar_t* path);
// Removes an empty directory.
[[nodiscard]] int DosRemoveDir(const wchar_t* path);
// 0 when the user may write path (a symbolic link's target); else the error
// number of the write test.
[[nodiscard]] int DosMayWrite(const wchar_t* path);
// One directory, mode 0777 less the umask; missing parents are not made.
[[nodiscard]] int MakeDirectory(const wchar_t* path);
// The directory and every missing directory above it. EEXIST when the
// directory itself already exists (as a directory or as something else).
[[nodiscard]] int MakeDirectories(const wchar_t* path);
