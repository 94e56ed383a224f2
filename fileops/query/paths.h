// Path tests and the directories of the program search path.
#pragma once

#include "lib/stringstore.h"
#include "lib/westring.h"

// Appends the directories of the program search path in order: PATH from
// the environment, then append (the user's extra directories, colon
// separated); empty elements are left out.
void GetPaths(WestringStore& out, const Westring& append);

// The path is exactly "/".
bool IsRoot(const wchar_t* path);
inline bool IsRoot(const Westring& path) { return IsRoot(path.c_str()); }
// The path starts with "/".
bool IsAbsolute(const wchar_t* path);
inline bool IsAbsolute(const Westring& path) { return IsAbsolute(path.c_str()); }
// True when dir is empty, or path is dir itself or lies below it (compared
// exactly, whole names only: "/usrx" is not below "/usr").
bool IsBelow(const wchar_t* dir, const wchar_t* path);
inline bool IsBelow(const Westring& dir, const Westring& path) { return IsBelow(dir.c_str(), path.c_str()); }
// False only when listing the directory fails with an error other than
// "no such file or directory".
bool ValidDirectory(const Westring& path);
// Drops one trailing "/" or backslash in place; whether it did.
bool RemoveBackslash(wchar_t* path);
