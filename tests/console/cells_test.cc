#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "console/cells.h"

namespace {

// The characters of a cell run, for readable comparisons.
std::wstring chars(const ScreenCell* cells, int n) {
    std::wstring s;
    for (int i = 0; i < n; i++) s += cells[i].ch;
    return s;
}

std::wstring chars(const CellString& s) { return chars(s.cells(), s.length()); }

}  // namespace

TEST(Palette, FollowsTheBitRuleWithGreyOverrides) {
    struct { int n; RGB16 rgb; } cases[] = {
        {3, {0, 0x7FFF, 0x7FFF}}, {7, {0xC000, 0xC000, 0xC000}}, {8, {0x8000, 0x8000, 0x8000}},
        {14, {0xFFFF, 0xFFFF, 0}},
    };
    for (const auto& c : cases) {
        RGB16 got = palette_colour(c.n);
        EXPECT_EQ(std::tie(got.r, got.g, got.b), std::tie(c.rgb.r, c.rgb.g, c.rgb.b)) << c.n;
    }
}

TEST(ColourItems, NamesInConfigurationOrder) {
    EXPECT_STREQ(colour_names[CLR_HIGHLIGHT_TAGGED], "Highlight-Tagged");
    EXPECT_STREQ(colour_names[CLR_COLUMN_HEADING], "Column Heading");
}

TEST(Str2Attr, ColourWordsAndOddInput) {
    struct { const char* text; unsigned char base, expected; } cases[] = {
        {"bright white on blue", 0xCE, 0x1F}, {"on red", 0x1B, 0x4B},  // keeps the foreground
        {"bright yellow on bright blue", 0x00, 0x9E}, {"", 0x5A, 0x5A},
        {"red blue", 0x00, 0x05},      // ORed, not replaced
        {"brilliant cyan", 0x00, 0x0B},  // only three letters count
        {"purple", 0x1B, 0x10},        // unknown first word still clears the foreground
        {"one", 0x1B, 0x10},           // "one" is not "on"
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Str2Attr(c.text, c.base), c.expected) << '"' << c.text << "\" base " << int(c.base);
        EXPECT_EQ(Str2Attr(Westring(c.text), c.base), c.expected) << "wide: " << c.text;
    }
    EXPECT_EQ(Str2Attr(static_cast<const char*>(nullptr), 0x3E), 0x3E);
    EXPECT_EQ(Str2Attr("\xff\xfe garbage", 0x3E), 0x30);  // invalid UTF-8 is only a word that matches nothing
}

TEST(CellArrays, CopiesConcatenationAndLimits) {
    ScreenCell a[16], b[16];
    strcpy(a, "a\xe9", 0x1E);  // byte values taken unsigned
    EXPECT_EQ(a[1], ScreenCell(0xE9, 0x1E));
    strcpy(b, a);
    strcat(b, L"\u263Ax", 0x70);
    EXPECT_EQ(chars(b, strlen(b)), L"a\xe9\u263Ax");
    EXPECT_EQ(b[3].attr, 0x70);
    strcpy(a, static_cast<const char*>(nullptr), 0x07);
    EXPECT_EQ(strlen(a), 0);
    EXPECT_EQ(strlen(static_cast<const ScreenCell*>(nullptr)), 0);
    struct {
        const char* text;
        int n;
        std::wstring cells;  // the first five cells after copying into "#####"
    } cases[] = {
        {"abc", 0, L"#####"},                   // writes nothing
        {"abcdef", 4, L"abcd#"},                // longer: n cells only, no terminator
        {"ab", 6, std::wstring(L"ab\0##", 5)},  // shorter: terminator, nothing after it
        {"ab", -1, L"#####"},
    };
    for (const auto& c : cases) {
        ScreenCell cells[8];
        for (auto& cell : cells) cell = ScreenCell(L'#', 0x99);
        strncpy(cells, c.text, 0x07, c.n);
        EXPECT_EQ(chars(cells, 5), c.cells) << c.text << " " << c.n;
        EXPECT_EQ(cells[5], ScreenCell(L'#', 0x99));
    }
}

TEST(CellString, GrowthAssignmentAndAppends) {
    CellString grown;
    for (int i = 0; i < 21; i++) grown += wchar_t(L'a' + i);  // past the inline storage
    EXPECT_EQ(chars(grown), L"abcdefghijklmnopqrstu");

    CellString b;
    b.set_default_attr(0x70);
    b = CellString(L"abc", 0x1E);  // cells keep theirs, the string its own default
    EXPECT_EQ(std::vector<int>({b.default_attr(), b[0].attr}), std::vector<int>({0x70, 0x1E}));
    b = "x\xe9";  // narrow assignment takes byte values
    EXPECT_EQ(b[1], ScreenCell(0xE9, 0x70));
    b = static_cast<const char*>(nullptr);
    EXPECT_EQ(b.length(), 0);
    b.SetLength(-4);
    EXPECT_EQ(b.length(), 0);
    CellString s(L"abcde", 0x07);
    s += s;  // appending itself
    EXPECT_EQ(chars(s), L"abcdeabcde");
    s.Append(s.cells() + 1, 3);  // a piece of itself, possibly reallocating
    EXPECT_EQ(chars(s), L"abcdeabcdebcd");

    ScreenCell zt[4] = {{L'x', 1}, {L'y', 2}, {0, 0}, {L'z', 3}};
    CellString t;
    t.Append(zt, -1);  // up to the terminating cell
    t.Append(static_cast<const ScreenCell*>(nullptr), 5);
    EXPECT_EQ(chars(t), L"xy");
    t.Append(L"pq", 0x1B, 99);  // past the end: all
    t.Append(L"rs", 0x1B, -1);
    EXPECT_EQ(chars(t), L"xypqrs");
}

TEST(CellString, SlicingAndPadding) {
    CellString s(L"abcdefg", 0x1B);  // 7 cells
    const std::vector<std::wstring> slices = {
        chars(s.mid(5, 10)), chars(s.mid(9, 1)), chars(s.mid(-3, 2)),
        chars(s.mid(3, 0x7FFFFFFF)),  // no overflow
        chars(s.left(-3)), chars(s.left(30)), chars(s.pad(3))};
    EXPECT_EQ(slices, (std::vector<std::wstring>{L"fg", L"", L"ab", L"defg", L"", L"abcdefg", L"abc"}));
    CellString padded = s.pad(9);
    EXPECT_EQ(chars(padded), L"abcdefg  ");
    EXPECT_EQ(padded[8], ScreenCell(L' ', 0x1B));  // the source's default attribute
    EXPECT_EQ(std::vector<int>({s.rchr(L'c'), s.rchr(L'x')}), std::vector<int>({2, -1}));
}
