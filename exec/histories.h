// The program-wide histories kept in memory: the commands run from the
// command line and the directories the panels have left.
#pragma once

#include "lib/stringstore.h"
#include "lib/westring.h"

// Commands, oldest first, each present once.
extern WestringStore history;
// Directories the panels have left, oldest first, each present once.
extern WestringStore DirectoryHistory;

constexpr int kMaxDirectoryHistory = 100;

// Moves command to the newest end of the command history (removing an equal
// entry first).
void AddCommandHistory(const Westring& command);
// Moves dir to the newest end of the directory history (removing an equal
// entry first) and drops the oldest entries beyond the limit.
void AddDirectoryHistory(const Westring& dir);
