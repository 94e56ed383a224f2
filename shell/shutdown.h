// Ending the program: the configuration saved when asked, the screen left
// tidy, the directory file of -x written.
#pragma once

#include "lib/estring.h"
#include "lib/westring.h"

// Removes the program's temporary files at exit; set by the parts of the
// program that make them (null: there are none).
extern void (*remove_temporary_files)();

// The shutdown after the main loop. The exit status: 0, or 1 when the
// directory file of -x could not be written (reported on stderr).
[[nodiscard]] int ShutDown();

// The line the directory file holds for a POSIX shell to source:
//   cd -- '<dir>'
// with the directory's bytes in single quotes ("'" written as "'\''").
Estring DirFileLine(const Westring& dir);
// Writes that line to file. 0 or the error number.
[[nodiscard]] int WriteDirFile(const Westring& file, const Westring& dir);
