// The history file: the commands run and the values typed into dialog
// fields, kept between runs. New lines are appended as they occur; the
// file is compacted at start-up when it holds more than the MaxHist and
// MaxFieldHist settings keep. It holds what the user typed, so it is made
// readable by the user alone, and every rewrite goes through a temporary
// file renamed over it: a rewrite that fails leaves the old file as it was.
#pragma once

#include <string>
#include <unordered_set>

#include "lib/westring.h"

// The file the history lives in (the shell names it at start-up); empty: no file.
void SetHistoryFile(const Westring& path);
const Westring& HistoryFile();

// The commands read so far while loading, to notice a repeat at once.
class CommandCollection {
public:
    // true when command was not there yet (it is now).
    bool Insert(const Westring& command) { return seen_.insert(std::wstring(command.c_str())).second; }

private:
    std::unordered_set<std::wstring> seen_;
};

// Adds a command, its leading blanks skipped, as the newest of the command
// history. loading: it comes from the file (collection holds the commands
// read before it); otherwise its line is appended to the file.
void add_hist(const Westring& command, bool loading, CommandCollection* collection);

// Loads the command and field histories from the file (at start-up, when
// they are still empty) and compacts the file when it holds more than the
// settings keep. A missing or unreadable file loads nothing.
void init_history();

// Appends one line (a line end is added) to the file, creating it with mode
// 0600 when missing; a file that cannot be opened or written is skipped
// without a word.
void WriteHistLine(const std::string& line);

// Removes every line that holds exactly command from the file, keeping the
// field lines. false when the file could not be rewritten (it is then as it
// was).
[[nodiscard]] bool RemoveFromHistory(const Westring& command);

// The hooks through which new commands and field values reach the file.
void InstallHistoryHooks();
void RemoveHistoryHooks();

// The whole file; false when it cannot be read or is larger than any
// history file the program writes (kMaxHistoryFileBytes).
constexpr size_t kMaxHistoryFileBytes = size_t{64} << 20;
[[nodiscard]] bool ReadHistoryFile(std::string& bytes);
// Replaces the file's content by bytes through a temporary file beside it
// (mode 0600) renamed over it. false when that failed; the file is then
// unchanged.
[[nodiscard]] bool ReplaceHistoryFile(const std::string& bytes);
