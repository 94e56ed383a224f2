// Completing the program or file name before the command-line cursor.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "lib/westring.h"

struct PANEL;

// The names that begin with a prefix in a directory (or, for programs, in
// the directories of the search path), and the completion they allow.
class CFileNameCompletion {
public:
    // Relative names are looked up in base_dir.
    explicit CFileNameCompletion(const Westring& base_dir);

    // Completes word (escapes already removed) as a file name or as a program
    // name. True when the word changed: result then holds the new word
    // (unquoted) and complete tells whether it is a whole name.
    bool CompleteFilename(const Westring& word, Westring& result, bool& complete);
    bool CompleteProgramName(const Westring& word, Westring& result, bool& complete);

    // Adds the entries of dir (except "." and "..") that begin with prefix,
    // case-sensitively; directories get a '/' after their name. With
    // programs_only only executable files count. False when dir cannot be read.
    bool CheckDirectory(const Westring& dir, const Westring& prefix, bool programs_only);
    // Adds name when it begins with prefix and is not there yet.
    void CheckName(const Westring& name, const Westring& prefix);
    // Lets the user choose one of several matches in a list, opened on the
    // match that is the prefix typed; true with the choice, false when given
    // up.
    bool PickMatch(const Westring& prefix, Westring& chosen);
    // The item of a list of matches that is the prefix itself (a directory
    // with its '/'), else the first.
    static int PrefixItem(const std::vector<Westring>& items, const Westring& prefix);

    const std::vector<Westring>& matches() const { return matches_; }
    // The longest beginning all matches share (case-sensitive).
    Westring CommonPrefix() const;

private:
    // Completion of prefix from the matches found: true with the new name part.
    bool Finish(const Westring& prefix, Westring& name, bool& complete);

    Westring base_dir_;
    std::vector<Westring> matches_;
    std::set<std::wstring> seen_;  // the matches, to add each name once
};

// Completes the word before pos in cmdline (Ctrl-Tab): the first word of the
// line as a program name, a later one as a file name relative to the panel's
// directory. The result is quoted for the shell; a complete name that is not
// a directory gets a blank after it. True when the line changed; pos is then
// at the end of the completed word.
[[nodiscard]] bool FileCompletion(Westring& cmdline, int& pos, const PANEL* panel);
