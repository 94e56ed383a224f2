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

// ---------------------------------------------------------------- double-width characters

namespace {

// The cells of a string as characters, a tail as '+' and a mark after its cell.
std::wstring layout(const CellString& s) {
    std::wstring out;
    for (int i = 0; i < s.length(); i++) {
        out += is_wide_tail(s[i]) ? L'+' : s[i].ch;
        if (s[i].mark) out += s[i].mark;
    }
    return out;
}

}  // namespace

TEST(WideCells, TextIsLaidOutInCells) {
    struct { const wchar_t* text; const wchar_t* cells; } cases[] = {
        {L"a\u65E5b", L"a\u65E5+b"},                   // a CJK character takes two cells
        {L"\U0001F600!", L"\U0001F600+!"},             // so does an emoji
        {L"cafe\u0301", L"caf\u00E9"},                 // a mark with a composed form is composed
        {L"q\u0301x", L"q\u0301x"},                    // one without stays the cell's mark
        {L"e\u0323\u0302", L"\u1EC7"},                 // two marks that compose in turn
        {L"\u65E5\u0301", L"\u65E5\u0301+"},           // a mark after a wide character joins it
        {L"\u0301a", L"a"},                            // a mark with nothing before it is not shown
        {L"\x110000z", L"\uFFFDz"},                    // no text can make a tail cell
    };
    for (const auto& c : cases) {
        CellString s(c.text, 0x07);
        EXPECT_EQ(layout(s), c.cells);
        CellString appended;
        for (const wchar_t* p = c.text; *p; p++) appended += *p;  // one character at a time
        EXPECT_EQ(layout(appended), c.cells);
    }
}

TEST(WideCells, CuttingNeverLeavesHalfACharacter) {
    const CellString s(L"a\u65E5\u672Cb", 0x1E);  // a 日 本 b: cells a 日 + 本 + b
    EXPECT_EQ(layout(s.left(2)), L"a ");
    EXPECT_EQ(layout(s.left(3)), L"a\u65E5+");
    EXPECT_EQ(layout(s.mid(2)), L" \u672C+b");
    EXPECT_EQ(layout(s.mid(2, 2)), L"  ");
    EXPECT_EQ(layout(s.pad(4)), L"a\u65E5+ ");
    EXPECT_EQ(s.left(2)[1].attr, 0x1E);  // the blank keeps the colour
    CellString t = s;
    t.SetLength(4);
    EXPECT_EQ(layout(t), L"a\u65E5+ ");
    t = s;
    t.Put(2, ScreenCell(L'x', 0x07));  // over a tail: its character goes
    EXPECT_EQ(layout(t), L"a x\u672C+b");
    t = s;
    t.Put(3, ScreenCell(L'x', 0x07));  // over a character: its tail goes
    EXPECT_EQ(layout(t), L"a\u65E5+x b");
    t = s;
    t.Overlay(2, CellString(L"\u00C4\u00D6", 0x07));
    EXPECT_EQ(layout(t), L"a \u00C4\u00D6 b");
}
