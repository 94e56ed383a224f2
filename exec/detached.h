// Starting a program that runs on its own, apart from the program's window:
// a viewer or an editor opened from a file's association.
#pragma once

// Starts command (UTF-8) under the shell in a session of its own with its
// input and output on /dev/null. The command is handed to init, so it never becomes
// our zombie, and the call returns without waiting for it. Returns 0 or an
// errno value (127 from the shell means it could not be run at all, which
// only the command itself sees).
[[nodiscard]] int StartDetached(const char* command, const char* environment);
