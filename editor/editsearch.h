// Finding and replacing text in the editor's buffer, line by line, without
// any dialog: the key loop asks for the text and shows the result.
#pragma once

#include <string>
#include <vector>

#include "editor/editbuffer.h"

class CUnicodeCaseFold;
class EditModel;

struct SearchOptions {
    bool match_case = false;
    bool whole_word = false;
    bool backward = false;
};

struct SearchMatch {
    TextPos at;
    int length = 0;
};

class TextSearcher {
public:
    TextSearcher(const std::wstring& pattern, SearchOptions options);

    // Whether the pattern occurs at pos of s.
    bool MatchAt(const wchar_t* s, int len, int pos) const;
    // The first match at pos or later, or -1.
    int FindForward(const wchar_t* s, int len, int pos) const;
    // The last match starting before pos, or -1.
    int FindBackward(const wchar_t* s, int len, int pos) const;

    // From from: forward, the first match starting at from or later;
    // backward, the last one starting before it. stop (when given) is
    // asked between lines and ends the search when it returns true.
    bool Find(const EditBuffer& text, TextPos from, SearchMatch& match,
              bool (*stop)(void*) = nullptr, void* context = nullptr) const;

    int length() const { return static_cast<int>(pattern_.size()); }
    const SearchOptions& options() const { return options_; }

private:
    wchar_t Fold(wchar_t c) const;

    std::wstring pattern_;  // upper-cased unless the case matters
    SearchOptions options_;
    const CUnicodeCaseFold* fold_;
};

// Replaces the match at the cursor's selection-free position match with
// replacement as one undoable change; the cursor goes after it.
[[nodiscard]] EditStatus ReplaceMatch(EditModel& model, const SearchMatch& match, const std::wstring& replacement);

struct ReplaceAllResult {
    int replaced = 0;       // occurrences replaced
    int refused_lines = 0;  // lines left alone because they would grow too long
};

// Replaces every match from from to the end of the text (backward: from
// the start to from), each changed line rebuilt once as one undoable
// change, so the inserted text is never searched again. The changes undo
// as one while the undo stack holds them all.
ReplaceAllResult ReplaceAll(EditModel& model, const TextSearcher& searcher, const std::wstring& replacement,
                            TextPos from);
