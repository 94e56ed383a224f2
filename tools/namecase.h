// Changing the case of file names (Ctrl-C): the case modes applied to a
// name and its extension, and the renames that carry them out, never
// replacing another file and never following a link into a directory.
#pragma once

#include <cstdint>
#include <functional>

#include "lib/westring.h"

// The case modes of the name and of the extension: 'l' lower, 'u' upper,
// 'm' mixed (each word capitalised), 'n' left as it is.
Westring ChangeNameCase(const Westring& text, wchar_t mode);

// name split at its last '.' (the extension keeps the '.'), each part
// changed by its own mode, and joined again.
Westring ChangeFileNameCase(const Westring& name, wchar_t name_mode, wchar_t extension_mode);

// Renames from to to, refusing to replace anything at to: 0, EEXIST when
// another file has the name, or the system's error number. A new spelling
// of the same file (the same device and inode, as a file system that
// ignores case reports it) is renamed.
[[nodiscard]] int RenameWithoutReplacing(const Westring& from, const Westring& to);

struct CaseChangeOptions {
    wchar_t name_mode = L'l';
    wchar_t extension_mode = L'l';
    bool recurse = false;      // into the contents of directories (never through links)
    bool directories = true;   // rename directories
    bool files = true;         // rename everything else
    // Asked when a rename fails, with the error number (EEXIST for a clash)
    // and both paths: 'r' tries again, 27 stops the command, anything else
    // skips the entry. By default the file-system error prompt.
    std::function<int(int code, const Westring& from, const Westring& to)> on_error;
    // Polled between entries; true stops the command.
    std::function<bool()> stop_requested;
    // Told of each directory whose contents are about to be changed and of
    // the entries handled so far.
    std::function<void(const Westring& directory, int64_t entries)> progress;
};

// Changes the case of the entry name in directory and, when recursing, of
// everything below it (under its new name). 0, or -1 when the user stopped
// the command. A failure the user skipped is not a stop.
[[nodiscard]] int ChangeEntryCase(const Westring& directory, const Westring& name, const CaseChangeOptions& options);
