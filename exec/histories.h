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

// Hears every command AddCommandHistory adds (the history file appends it);
// null until the program installs one.
extern void (*command_history_added)(const Westring& command);

// Moves command to the newest end of the command history (removing the
// entries with exactly its characters first: "ls" and "LS" are two commands)
// and tells command_history_added.
void AddCommandHistory(const Westring& command);
// The same without telling the hook: for commands read back from the
// history file, which holds them already.
void RestoreCommandHistory(const Westring& command);
// Moves dir to the newest end of the directory history (removing an equal
// entry first) and drops the oldest entries beyond the limit.
void AddDirectoryHistory(const Westring& dir);
