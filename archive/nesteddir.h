// The private temporary folders that hold members taken out of an archive:
// an archive inside an archive is opened from one.
#pragma once

#include "lib/westring.h"

// Makes a new folder of our own (mode 0700, mkdtemp) inside the program's
// temporary directory, or inside the folder inside when given, and sets dir
// to it. 0 or the error number.
[[nodiscard]] int MakeNestedDir(Westring& dir, const Westring& inside = Westring());
// Removes dir with everything in it, read-only files and folders included.
// A symbolic link inside is removed, never followed.
void RemoveNestedDir(const Westring& dir);
