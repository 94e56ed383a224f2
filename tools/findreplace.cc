#include "tools/findreplace.h"

#include <cerrno>
#include <string>
#include <utility>
#include <vector>

#include "editor/textfile.h"
#include "editor/wordchars.h"
#include "lib/casefold.h"

namespace {

struct Line {
    std::wstring text;
    ELineEnd end;
};

class Matcher {
public:
    Matcher(const Westring& text, bool case_sensitive, bool whole_word)
        : text_(text.c_str()), case_sensitive_(case_sensitive), whole_word_(whole_word) {
        if (!case_sensitive_) Fold(text_);
    }

    // Replaces the occurrences in line; how many there were.
    int ReplaceIn(std::wstring& line, const std::wstring& replacement) const {
        if (text_.empty()) return 0;
        std::wstring folded = line;
        if (!case_sensitive_) Fold(folded);
        std::wstring out;
        int count = 0;
        size_t from = 0;
        for (size_t at = folded.find(text_); at != std::wstring::npos; at = folded.find(text_, at + 1)) {
            if (at < from) continue;
            if (whole_word_ && !WordAround(line, at, at + text_.size())) continue;
            out.append(line, from, at - from);
            out += replacement;
            from = at + text_.size();
            count++;
        }
        if (count == 0) return 0;
        out.append(line, from, std::wstring::npos);
        line = std::move(out);
        return count;
    }

private:
    static void Fold(std::wstring& s) {
        const CUnicodeCaseFold& fold = CUnicodeCaseFold::Get();
        for (wchar_t& c : s) c = fold.toupper(c);
    }
    // Whether the run begin..end stands alone: no word character touches it.
    static bool WordAround(const std::wstring& line, size_t begin, size_t end) {
        if (begin > 0 && iswordchar(line[begin - 1])) return false;
        return end >= line.size() || !iswordchar(line[end]);
    }

    std::wstring text_;
    bool case_sensitive_;
    bool whole_word_;
};

}  // namespace

ReplaceOutcome ReplaceInFile(const Westring& path, const Westring& text, const Westring& replacement,
                             bool case_sensitive, bool whole_word, int code_page) {
    ReplaceOutcome outcome;
    CTextFile file;
    file.keep_nul = true;
    outcome.error = file.Open(path.c_str());
    if (outcome.error != 0) return outcome;
    if (code_page > 0 && file.format == FF_CODEPAGE) file.code_page = code_page;
    file.SetReadAhead(false);

    const Matcher matcher(text, case_sensitive, whole_word);
    const std::wstring with(replacement.c_str());
    std::vector<Line> lines;
    int length = 0;
    while (const wchar_t* read = file.ReadTextLine(length)) {
        Line line{std::wstring(read, static_cast<size_t>(length)), file.last_line_end};
        outcome.replaced += matcher.ReplaceIn(line.text, with);
        lines.push_back(std::move(line));
    }
    if (file.read_error != 0) {
        outcome.error = file.read_error;
        outcome.replaced = 0;
        return outcome;
    }
    if (outcome.replaced == 0) return outcome;

    outcome.error = file.BeginSave();
    for (size_t i = 0; outcome.error == 0 && i < lines.size(); i++)
        outcome.error = file.WriteLine(lines[i].text.c_str(), static_cast<int>(lines[i].text.size()), lines[i].end);
    const int saved = file.EndSave();
    if (outcome.error == 0) outcome.error = saved;
    if (outcome.error != 0) {
        outcome.replaced = 0;
        return outcome;
    }
    outcome.links_broken = file.links_broken;
    return outcome;
}
