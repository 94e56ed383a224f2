#include "editor/editsearch.h"

#include "editor/editmodel.h"
#include "editor/wordchars.h"
#include "lib/casefold.h"

TextSearcher::TextSearcher(const std::wstring& pattern, SearchOptions options)
    : pattern_(pattern), options_(options), fold_(&CUnicodeCaseFold::Get()) {
    for (wchar_t& c : pattern_) c = Fold(c);
}

wchar_t TextSearcher::Fold(wchar_t c) const {
    return options_.match_case ? c : fold_->toupper(c);
}

bool TextSearcher::MatchAt(const wchar_t* s, int len, int pos) const {
    int n = length();
    if (n == 0 || pos < 0 || pos + n > len) return false;
    for (int i = 0; i < n; i++)
        if (Fold(s[pos + i]) != pattern_[static_cast<size_t>(i)]) return false;
    if (options_.whole_word) {
        if (pos > 0 && iswordchar(s[pos - 1])) return false;
        if (pos + n < len && iswordchar(s[pos + n])) return false;
    }
    return true;
}

int TextSearcher::FindForward(const wchar_t* s, int len, int pos) const {
    if (length() == 0) return -1;
    const wchar_t first = pattern_[0];
    // ASCII folds to ASCII: for it the first character is compared with its
    // two cases directly, and only other characters go through the fold.
    const wchar_t other_case = !options_.match_case && first >= L'A' && first <= L'Z' ? first + 32 : first;
    for (int p = pos < 0 ? 0 : pos; p + length() <= len; p++) {
        const wchar_t c = s[p];
        const bool candidate = c < 0x80 ? c == first || c == other_case : Fold(c) == first;
        if (candidate && MatchAt(s, len, p)) return p;
    }
    return -1;
}

int TextSearcher::FindBackward(const wchar_t* s, int len, int pos) const {
    if (length() == 0) return -1;
    int p = pos - 1;
    if (p > len - length()) p = len - length();
    for (; p >= 0; p--)
        if (MatchAt(s, len, p)) return p;
    return -1;
}

bool TextSearcher::Find(const EditBuffer& text, TextPos from, SearchMatch& match, bool (*stop)(void*),
                        void* context) const {
    from = text.Clamp(from);
    std::wstring scratch;
    int count = text.LineCount();
    for (int line = from.line; line >= 0 && line < count; line += options_.backward ? -1 : 1) {
        if (stop && line != from.line && (line & 0xFFF) == 0 && stop(context)) return false;
        const wchar_t* s = text.Line(line, scratch);
        int len = text.LineLength(line);
        int p;
        if (options_.backward)
            p = FindBackward(s, len, line == from.line ? from.pos : len + 1);
        else
            p = FindForward(s, len, line == from.line ? from.pos : 0);
        if (p >= 0) {
            match = {{line, p}, length()};
            return true;
        }
    }
    return false;
}

EditStatus ReplaceMatch(EditModel& model, const SearchMatch& match, const std::wstring& replacement) {
    model.ClearSelection();
    model.SetCursor(match.at);
    return model.Apply(match.at, {match.at.line, match.at.pos + match.length}, TextBlock(replacement));
}

ReplaceAllResult ReplaceAll(EditModel& model, const TextSearcher& searcher, const std::wstring& replacement,
                            TextPos from) {
    ReplaceAllResult result;
    const EditBuffer& text = model.text;
    from = text.Clamp(from);
    bool backward = searcher.options().backward;
    int first_line = backward ? 0 : from.line;
    int last_line = backward ? from.line : text.LineCount() - 1;
    int n = searcher.length();
    if (n == 0) return result;
    std::wstring scratch, rebuilt;
    model.BeginGroup();
    for (int line = first_line; line <= last_line; line++) {
        const wchar_t* s = text.Line(line, scratch);
        int len = text.LineLength(line);
        int start = !backward && line == from.line ? from.pos : 0;
        int limit = backward && line == from.line ? from.pos : len;  // matches end by here
        int p = searcher.FindForward(s, len, start);
        if (p < 0 || p + n > limit) continue;
        // The new text from the first match to the end of the last, built once.
        int span_start = p, span_end = p, count = 0;
        rebuilt.clear();
        while (p >= 0 && p + n <= limit) {
            rebuilt.append(s + span_end, static_cast<size_t>(p - span_end));
            rebuilt += replacement;
            span_end = p + n;
            count++;
            p = searcher.FindForward(s, len, span_end);
        }
        model.SetCursor({line, span_start});
        EditStatus status = model.Apply({line, span_start}, {line, span_end}, TextBlock(rebuilt));
        if (status == EditStatus::kOk)
            result.replaced += count;
        else
            result.refused_lines++;
    }
    model.EndGroup();
    return result;
}
