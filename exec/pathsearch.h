// Finding programs along PATH, and telling programs from other files with
// execute permission.
#pragma once

#include <string>

// Looks for name in each directory of path (colon separated; an empty
// element is the current directory) and sets found to the first match that
// is a regular file we may execute. A name with a slash is taken as it is.
// path defaults to the session's PATH.
[[nodiscard]] bool PathSearch(const char* name, std::string& found, const char* path = nullptr);

// Whether path is a program to run: a regular file with an execute bit that
// begins with the ELF magic or "#!". Plain text files often carry execute
// bits on vfat and network mounts; those are opened, not run.
[[nodiscard]] bool IsRunnableProgram(const char* path);
