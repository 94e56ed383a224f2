// Commands the shell is not needed for: a program named by its path,
// followed by words with nothing in them for the shell to expand. Running
// those directly saves starting a shell for each one (the per-file macro
// runs a command for every tagged file).
#pragma once

#include <string>
#include <vector>

// Splits command into its words as sh would, quotes and backslashes
// removed, when it is such a simple command: the first word holds a "/",
// and no word holds anything the shell would act on ($, `, globs, ~,
// redirections, separators, comments, assignments, line continuations).
// False (words unspecified) for anything else, which then goes to the shell.
[[nodiscard]] bool SplitSimpleCommand(const char* command, std::vector<std::string>& words);
