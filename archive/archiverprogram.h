// Finding the archiver program a command line names, and telling the user
// plainly when it is not installed.
#pragma once

#include <cstddef>

#include "lib/westring.h"

// Looks for the first word of command (up to the first blank) along PATH
// and then beside the program's own executable; when found, replaces it by
// the full path, quoted for the shell. False (command unchanged) when no
// such program exists.
[[nodiscard]] bool FindArchiver(Westring& command);

// "rar: program not found; set [Archiver:RAR] in dv.ini": the message for a
// command whose program FindArchiver did not find, for the archive format
// type (ArchiveType).
Westring ArchiverNotFoundMessage(const Westring& command, int type);

// How many bytes of arguments one archiver command line may hold: the
// system's limit less what the environment takes, with room to spare.
size_t ArchiverArgumentRoom();
