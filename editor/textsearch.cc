// Searching a text file. A case-sensitive forward search in UTF-8 or a code
// page looks for the bytes of the text with memmem over large blocks:
// strict UTF-8 never starts a character with a continuation byte, so a
// byte match of valid UTF-8 text is always a match of its characters. All
// other searches compare character by character.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "console/console.h"
#include "console/wordedit.h"
#include "editor/textfile.h"
#include "lib/nls.h"

namespace {

constexpr int kSearchBlock = 128 << 10;  // read and scanned while still in the cache
// Characters stepped over between looks at the break flag.
constexpr unsigned kCharsBetweenBreakChecks = 1u << 16;

// Whether the user asked to stop (the search may run in a worker).
bool BreakRequested() { return break_status == 2; }

}  // namespace

// True when a word character touches the text found between begin and end,
// so it is part of a longer word.
bool CTextFile::WordAround(int64_t begin, int64_t end) {
    const int64_t saved = pos;
    pos = begin;
    const int before = ReadPrevChar();
    pos = end;
    const int after = ReadChar();
    pos = saved;
    return (before >= 0 && iswordchar(static_cast<wchar_t>(before))) ||
           (after >= 0 && iswordchar(static_cast<wchar_t>(after)));
}

long long CTextFile::SearchBytes(const std::string& needle, int64_t start, bool whole_word) {
    const int64_t n = static_cast<int64_t>(needle.size());
    if (static_cast<int64_t>(search_buf_.size()) < kSearchBlock) search_buf_.resize(kSearchBlock);
    int64_t at = start;
    for (;;) {
        if (search_buf_at_ < 0 || at < search_buf_at_ || at + n > search_buf_at_ + search_buf_len_) {
            if (BreakRequested()) return -1;
            // Reads past the cache: a search goes through the file once.
            position = at;
            int got = 0;
            if (read(search_buf_.data(), kSearchBlock, &got) != 0) got = 0;
            search_buf_at_ = at;
            search_buf_len_ = got;
            if (got < kSearchBlock && at + got < size() && read_error == 0) {
                read_error = EIO;
                read_only = true;
            }
            if (got < n) return -2;
        }
        const char* begin = search_buf_.data() + (at - search_buf_at_);
        const size_t avail = static_cast<size_t>(search_buf_at_ + search_buf_len_ - at);
        const void* hit = memmem(begin, avail, needle.data(), needle.size());
        if (!hit) {
            if (search_buf_len_ < kSearchBlock) return -2;  // the block reached the end
            at = search_buf_at_ + search_buf_len_ - (n - 1);
            continue;
        }
        const int64_t found = search_buf_at_ + (static_cast<const char*>(hit) - search_buf_.data());
        if (!whole_word || !WordAround(found, found + n)) return found;
        at = found + 1;
    }
}

long long CTextFile::SearchChars(const Westring& text, int64_t start, bool match_case, bool whole_word,
                                 bool backward) {
    std::vector<wchar_t> want;
    for (const wchar_t* p = text.c_str(); *p; p++) want.push_back(match_case ? *p : nls_toupper(*p));
    if (backward) std::reverse(want.begin(), want.end());
    const size_t n = want.size();

    pos = start;
    unsigned steps = 0;
    for (;;) {
        if (++steps % kCharsBetweenBreakChecks == 0 && BreakRequested()) return -1;
        const int64_t candidate = pos;
        size_t matched = 0;
        bool ended = false;
        while (matched < n) {
            int c = backward ? ReadPrevChar() : ReadChar();
            if (c < 0) {
                ended = true;
                break;
            }
            if (!match_case) c = nls_toupper(static_cast<wchar_t>(c));
            if (c != want[matched]) break;
            matched++;
        }
        if (matched == n) {
            const int64_t begin = backward ? pos : candidate;
            const int64_t end = backward ? candidate : pos;
            if (!whole_word || !WordAround(begin, end)) return begin;
        }
        if (ended && matched == 0) return -2;
        // The first character did not match: pos is already one character
        // on. Otherwise go back and step one character from the candidate.
        if (matched == 0 && !ended) continue;
        pos = candidate;
        if ((backward ? ReadPrevChar() : ReadChar()) < 0) return -2;
    }
}

// Besides the results the header names, -1 when the user broke off
// (break_status 2), looked at once per block read or per 65536 characters.
long long CTextFile::Search(Westring text, long long start, bool match_case, bool whole_word, bool backward) {
    if (format == FF_UNKNOWN) DetermineFileFormat();
    if (format == FF_UNKNOWN) return -1;
    if (text.empty()) return -2;
    if (start < 0) start = backward ? size() : data_start;
    if (start < data_start) start = data_start;
    if (start > size()) start = size();  // a file that shrank since the position was taken

    const int64_t saved = pos;
    long long found = -2;
    bool by_bytes = false;
    if (match_case && !backward && (format == FF_UTF8 || format == FF_CODEPAGE)) {
        cp_table_.Build(code_page);
        std::string needle;
        by_bytes = true;
        for (const wchar_t* p = text.c_str(); *p && by_bytes; p++) {
            if (format == FF_CODEPAGE) {
                int byte = cp_table_.ToByte(*p);
                if (byte < 0) by_bytes = false;
                else needle += static_cast<char>(byte);
            } else if (IsTextRawByte(*p) || !CanEncode(FF_UTF8, cp_table_, *p)) {
                by_bytes = false;  // a lone byte may sit inside a character
            } else {
                AppendUTF8(needle, *p);
            }
        }
        if (by_bytes) found = SearchBytes(needle, start, whole_word);
    }
    if (!by_bytes) found = SearchChars(text, start, match_case, whole_word, backward);
    pos = saved;
    return found;
}
