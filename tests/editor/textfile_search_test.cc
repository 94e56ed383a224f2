// Searching text files forwards and backwards, with and without case and
// whole words, checked against the positions of the characters read one by
// one.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "lib/nls.h"
#include "tests/editor/textfile_helpers.h"

namespace {

struct Located {
    int64_t at;
    wchar_t c;
};

std::vector<Located> AllChars(CTextFile& file) {
    std::vector<Located> chars;
    file.pos = file.data_start;
    for (;;) {
        int64_t at = file.pos;
        int c = file.ReadChar();
        if (c < 0) break;
        chars.push_back({at, static_cast<wchar_t>(c)});
    }
    return chars;
}

// Where the text starts, by comparing character by character.
std::vector<int64_t> Expected(const std::vector<Located>& chars, const std::wstring& text, bool match_case) {
    std::vector<int64_t> found;
    for (size_t i = 0; i + text.size() <= chars.size(); i++) {
        size_t k = 0;
        while (k < text.size() && (match_case ? chars[i + k].c == text[k]
                                              : nls_toupper(chars[i + k].c) == nls_toupper(text[k])))
            k++;
        if (k == text.size()) found.push_back(chars[i].at);
    }
    return found;
}

std::vector<int64_t> ForwardAll(CTextFile& file, const Westring& text, bool match_case) {
    std::vector<int64_t> found;
    for (long long at = file.Search(text, -1, match_case, false, false); at >= 0;
         at = file.Search(text, at + 1, match_case, false, false))
        found.push_back(at);
    return found;
}

TEST(TextFileSearch, FindsEveryOccurrenceInEveryFormat) {
    TextScratch scratch;
    std::mt19937 rng(11);
    const wchar_t* kAlphabet = L"abAB \u00E9\u00C9\n\U0001F600";
    for (int i = 0; i < 120; i++) {
        std::wstring text;
        for (int n = static_cast<int>(rng() % 400); n > 0; n--) text += kAlphabet[rng() % 9];
        EFileFormat format = static_cast<EFileFormat>(i % 6);
        CTextFile writer;
        writer.format = format;
        writer.code_page = 1252;
        (void)writer.Open(Wide(scratch.dir() + "/s").c_str());
        writer.format = format;
        if (format == FF_CODEPAGE) std::replace(text.begin(), text.end(), L'\U0001F600', L'b');
        ASSERT_EQ(0, writer.BeginSave());
        ASSERT_EQ(0, writer.WriteLine(text.data(), static_cast<int>(text.size()), LE_NONE));
        ASSERT_EQ(0, writer.EndSave());

        CTextFile file;
        file.format = format;
        file.code_page = 1252;
        ASSERT_EQ(0, file.Open(Wide(scratch.dir() + "/s").c_str()));
        std::vector<Located> chars = AllChars(file);
        for (const wchar_t* needle : {L"ab", L"a", L"\u00E9a", L"b\nB", L"\U0001F600a"}) {
            for (bool match_case : {true, false}) {
                std::vector<int64_t> want = Expected(chars, needle, match_case);
                EXPECT_EQ(want, ForwardAll(file, needle, match_case)) << "format " << format;
                // Backwards from the end: the last occurrence.
                long long last = file.Search(needle, -1, match_case, false, true);
                EXPECT_EQ(want.empty() ? -2 : want.back(), last) << "format " << format;
            }
        }
    }
}

TEST(TextFileSearch, WholeWordsSkipLongerWords) {
    TextScratch scratch;
    std::string path = scratch.Write("w", "cathedral scat cat_ cat, concat cat");
    CTextFile file;
    ASSERT_EQ(0, file.Open(Wide(path).c_str()));
    for (bool match_case : {true, false}) {
        EXPECT_EQ(20, file.Search(L"cat", 0, match_case, true, false));
        EXPECT_EQ(32, file.Search(L"cat", 21, match_case, true, false));
        EXPECT_EQ(-2, file.Search(L"cat", 33, match_case, true, false));
        EXPECT_EQ(32, file.Search(L"cat", -1, match_case, true, true));
        EXPECT_EQ(20, file.Search(L"cat", 31, match_case, true, true));
        // Backwards from past the end (the file shrank under a position).
        EXPECT_EQ(32, file.Search(L"cat", 1000, match_case, true, true));
    }
    EXPECT_EQ(0, file.Search(L"CATHEDRAL", 0, false, true, false));
    EXPECT_EQ(-2, file.Search(L"CATHEDRAL", 0, true, false, false));
    EXPECT_EQ(-2, file.Search(L"", 0, true, false, false));
}

// A match that straddles the blocks the byte search reads, and one at the
// very end.
TEST(TextFileSearch, MatchesAcrossBlocksAndAtTheEnd) {
    TextScratch scratch;
    std::string text(9 << 20, 'x');
    text.replace((4 << 20) - 3, 6, "needle");
    text.replace(text.size() - 6, 6, "needle");
    std::string path = scratch.Write("big", text);
    CTextFile file;
    ASSERT_EQ(0, file.Open(Wide(path).c_str()));
    EXPECT_EQ((4 << 20) - 3, file.Search(L"needle", 0, true, false, false));
    EXPECT_EQ(static_cast<long long>(text.size()) - 6, file.Search(L"needle", (4 << 20), true, false, false));
    EXPECT_EQ(-2, file.Search(L"needles", 0, true, false, false));
}

// A needle beginning with a continuation byte must not match inside a
// character.
TEST(TextFileSearch, LoneBytesOnlyMatchLoneBytes) {
    TextScratch scratch;
    std::string path = scratch.Write("u", "\xC3\xA9 \xA9");
    CTextFile file;
    file.format = FF_UTF8;
    ASSERT_EQ(0, file.Open(Wide(path).c_str()));
    ASSERT_EQ(FF_UTF8, file.format);
    const wchar_t lone[] = {TextRawByte(0xA9), 0};
    EXPECT_EQ(3, file.Search(lone, 0, true, false, false));
}

}  // namespace
