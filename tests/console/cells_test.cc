#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

#include "console/cells.h"

namespace {

// The characters of a cell run, for readable comparisons.
std::wstring chars(const ScreenCell* cells, int n) {
    std::wstring s;
    for (int i = 0; i < n; i++) s += cells[i].ch;
    return s;
}

std::wstring chars(const CellString& s) { return chars(s.cells(), s.length()); }
// Length and capacity, compared together.
std::pair<int, int> size_of(const CellString& s) { return {s.length(), s.capacity()}; }
using Size = std::pair<int, int>;

}  // namespace

// ---------------------------------------------------------------- palette and colour items

TEST(Palette, FollowsTheBitRuleWithGreyOverrides) {
    struct {
        int n;
        RGB16 rgb;
    } cases[] = {
        {0, {0, 0, 0}}, {1, {0, 0, 0x7FFF}}, {2, {0, 0x7FFF, 0}}, {3, {0, 0x7FFF, 0x7FFF}}, {4, {0x7FFF, 0, 0}},
        {5, {0x7FFF, 0, 0x7FFF}}, {6, {0x7FFF, 0x7FFF, 0}}, {7, {0xC000, 0xC000, 0xC000}},
        {8, {0x8000, 0x8000, 0x8000}}, {9, {0, 0, 0xFFFF}}, {10, {0, 0xFFFF, 0}}, {11, {0, 0xFFFF, 0xFFFF}},
        {12, {0xFFFF, 0, 0}}, {13, {0xFFFF, 0, 0xFFFF}}, {14, {0xFFFF, 0xFFFF, 0}}, {15, {0xFFFF, 0xFFFF, 0xFFFF}},
    };
    for (const auto& c : cases) {
        RGB16 got = palette_colour(c.n);
        EXPECT_EQ(std::tie(got.r, got.g, got.b), std::tie(c.rgb.r, c.rgb.g, c.rgb.b)) << c.n;
    }
}

TEST(ColourItems, NamesAndDefaultsInConfigurationOrder) {
    EXPECT_STREQ(colour_names[CLR_PANEL], "Panel");
    EXPECT_STREQ(colour_names[CLR_HIGHLIGHT_TAGGED], "Highlight-Tagged");
    EXPECT_STREQ(colour_names[CLR_COMMAND_LINE], "Command Line");
    EXPECT_STREQ(colour_names[CLR_MENU_QUICK_KEY], "Menu Quick Key");
    EXPECT_STREQ(colour_names[CLR_COLUMN_HEADING], "Column Heading");
    const unsigned char expected[COLOUR_ITEMS] = {0x1B, 0x30, 0x1E, 0x3E, 0x1A, 0x20, 0x07, 0x70, 0x4F, 0x30,
                                                  0x03, 0x3F, 0x30, 0x0F, 0x0E, 0x07, 0x1B, 0x30, 0x3E};
    for (int i = 0; i < COLOUR_ITEMS; i++) EXPECT_EQ(default_colours[i], expected[i]) << colour_names[i];
    const char* names[8] = {"bla", "blu", "gre", "cya", "red", "mag", "yel", "whi"};
    for (int i = 0; i < 8; i++) EXPECT_STREQ(colournames[i], names[i]);
    for (auto& c : colours) c = 0xAA;  // set_default_colours restores every item
    set_default_colours();
    for (int i = 0; i < COLOUR_ITEMS; i++) EXPECT_EQ(colours[i], default_colours[i]);
}

// ---------------------------------------------------------------- Str2Attr

TEST(Str2Attr, ColourWords) {
    struct {
        const char* text;
        unsigned char base, expected;
    } cases[] = {
        {"bright white on blue", 0x00, 0x1F}, {"bright white on blue", 0xCE, 0x1F},
        {"on red", 0x1B, 0x4B},  // keeps the foreground
        {"on", 0x1B, 0x0B}, {"Yellow", 0x1B, 0x16}, {"BRIGHT", 0x12, 0x18}, {"bright yellow on bright blue", 0x00, 0x9E},
        {"", 0x5A, 0x5A},
        {"red blue", 0x00, 0x05},  // ORed, not replaced
        {"on red blue", 0x07, 0x57},
        {"bright   white   on   blue", 0x00, 0x1F},  // several blanks
        {"brilliant cyan", 0x00, 0x0B},              // only three letters count
        {"purple", 0x1B, 0x10},  // unknown first word still clears the foreground
        {"on purple", 0x1B, 0x0B}, {"whi on bla", 0x4F, 0x07}, {"gre", 0x70, 0x72},
        {"one", 0x1B, 0x10},  // "one" is not "on"
        {"o", 0x1B, 0x10},
        {" red", 0x1B, 0x14},  // an empty first word clears, then red
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Str2Attr(c.text, c.base), c.expected) << '"' << c.text << "\" base " << int(c.base);
        EXPECT_EQ(Str2Attr(Westring(c.text), c.base), c.expected) << "wide: " << c.text;
    }
}

TEST(Str2Attr, NullAndOddInput) {
    EXPECT_EQ(Str2Attr(static_cast<const char*>(nullptr), 0x3E), 0x3E);
    EXPECT_EQ(Str2Attr("\xff\xfe garbage", 0x3E), 0x30);  // invalid UTF-8 is only a word that matches nothing
    std::string long_text;
    for (int i = 0; i < 20000; i++) long_text += "red ";
    EXPECT_EQ(Str2Attr(long_text.c_str(), 0x10), 0x14);
}

// ---------------------------------------------------------------- zero-terminated cell arrays

TEST(CellArrays, StrcpyAndStrcat) {
    ScreenCell cells[8];
    for (auto& c : cells) c = ScreenCell(L'#', 0x99);
    strcpy(cells, "a\xe9z", 0x1E);  // byte values taken unsigned
    EXPECT_EQ(std::vector<ScreenCell>(cells, cells + 5),
              (std::vector<ScreenCell>{{L'a', 0x1E}, {0xE9, 0x1E}, {L'z', 0x1E}, {0, cells[3].attr}, {L'#', 0x99}}));
    EXPECT_EQ(strlen(cells), 3);
    ScreenCell a[16], b[16];
    strcpy(a, L"\u263Ax", 0x07);
    EXPECT_EQ(a[0].ch, 0x263A);
    strcpy(b, a);
    EXPECT_EQ(strlen(b), 2);
    strcat(b, "yz", 0x70);
    EXPECT_EQ(chars(b, strlen(b)), L"\u263Axyz");
    EXPECT_EQ(b[3].attr, 0x70);
    strcat(b, L"!", 0x0F);
    strcat(b, a);
    EXPECT_EQ(chars(b, strlen(b)), L"\u263Axyz!\u263Ax");
    EXPECT_EQ(b[5].attr, 0x07);
    strcpy(a, static_cast<const char*>(nullptr), 0x07);
    EXPECT_EQ(strlen(a), 0);
    EXPECT_EQ(strlen(static_cast<const ScreenCell*>(nullptr)), 0);
}

TEST(CellArrays, StrncpyLimits) {
    struct {
        const char* text;
        int n;
        std::wstring cells;  // the first five cells after copying into "#####"
    } cases[] = {
        {"abc", 0, L"#####"},          // writes nothing
        {"abc", 3, L"abc##"},          // exactly n: no terminator
        {"abcdef", 4, L"abcd#"},       // longer: n cells only
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
    ScreenCell cells[8];
    for (auto& cell : cells) cell = ScreenCell(L'#', 0x99);
    strncpy(cells, L"abcdef", 0x07, 4);  // the wide form too
    EXPECT_EQ(chars(cells, 5), L"abcd#");
}

// ---------------------------------------------------------------- CellString

TEST(CellString, ConstructionAndInlineStorage) {
    EXPECT_EQ(size_of(CellString()), Size(0, 20));
    EXPECT_EQ(size_of(CellString(50)), Size(0, 50));
    EXPECT_EQ(size_of(CellString(5)), Size(0, 20));

    CellString wide(L"h\u00e9llo", 0x1E);
    EXPECT_EQ(chars(wide), L"h\u00e9llo");
    EXPECT_EQ(std::vector<int>({wide[1].attr, wide.default_attr()}), std::vector<int>({0x1E, 0x1E}));

    CellString narrow("h\xc3\xa9llo", 0x30);  // decoded from UTF-8
    EXPECT_EQ(chars(narrow), L"h\u00e9llo");
    EXPECT_EQ(narrow[4].attr, 0x30);

    CellString none(static_cast<const char*>(nullptr), 0x07);
    EXPECT_EQ(none.length(), 0);
}

TEST(CellString, GrowthKeepsAndDiscardsAsSpecified) {
    CellString s;
    for (int i = 0; i < 20; i++) s += wchar_t(L'a' + i % 26);
    EXPECT_EQ(s.capacity(), 20);  // still inline
    s += L'!';                     // 21 cells: 21 + 10
    EXPECT_EQ(size_of(s), Size(21, 31));
    EXPECT_EQ(chars(s), L"abcdefghijklmnopqrst!");

    // Assignment takes exactly what it needs and never shrinks.
    CellString t;
    std::wstring fifty(50, L'x');
    t = fifty.c_str();
    EXPECT_EQ(t.capacity(), 50);
    t = L"ab";
    EXPECT_EQ(t.capacity(), 50);
    EXPECT_EQ(chars(t), L"ab");

    CellString u;
    u.SetLength(40);  // keep growth: 40 + 20
    EXPECT_EQ(size_of(u), Size(40, 60));
    u.SetLength(3);
    EXPECT_EQ(size_of(u), Size(3, 60));
    u.SetLength(-4);
    EXPECT_EQ(u.length(), 0);
}

TEST(CellString, CopiesAndAssignmentsKeepTheirOwnDefaultAttribute) {
    CellString a(L"abc", 0x1E);
    CellString b;
    b.set_default_attr(0x70);
    b = a;
    EXPECT_EQ(chars(b), L"abc");
    EXPECT_EQ(std::vector<int>({b.default_attr(), b[0].attr}), std::vector<int>({0x70, 0x1E}));

    b = "xyz";  // narrow assignment in the default attribute, byte values
    EXPECT_EQ(b[0], ScreenCell(L'x', 0x70));
    b = "\xe9";
    EXPECT_EQ(b[0].ch, 0xE9);
    b = static_cast<const char*>(nullptr);
    EXPECT_EQ(b.length(), 0);

    CellString big(L"", 0x07);
    for (int i = 0; i < 100; i++) big += L'q';
    CellString moved(std::move(big));
    EXPECT_EQ(moved.length(), 100);
    CellString target(L"zz", 0x07);
    target = std::move(moved);
    EXPECT_EQ(target.length(), 100);
    CellString copy(target);
    EXPECT_EQ(chars(copy), std::wstring(100, L'q'));
}

TEST(CellString, AppendsAndSelfAppend) {
    CellString s(L"ab", 0x07);
    s.set_default_attr(0x4F);
    s += Westring(L"cd");
    EXPECT_EQ(s[2].attr, 0x4F);
    s += ScreenCell(L'e', 0x10);
    EXPECT_EQ(s[4], ScreenCell(L'e', 0x10));
    s += s;  // appending itself
    EXPECT_EQ(chars(s), L"abcdeabcde");
    s.Append(s.cells() + 1, 3);  // a piece of itself, possibly reallocating
    EXPECT_EQ(chars(s), L"abcdeabcdebcd");

    ScreenCell zt[4] = {{L'x', 1}, {L'y', 2}, {0, 0}, {L'z', 3}};
    CellString t;
    t.Append(zt, -1);  // up to the terminating cell
    EXPECT_EQ(chars(t), L"xy");
    t.Append(zt, 0);
    t.Append(static_cast<const ScreenCell*>(nullptr), 5);
    EXPECT_EQ(t.length(), 2);

    CellString w;
    w.Append(L"hello", 0x1B, 3);
    EXPECT_EQ(chars(w), L"hel");
    w.Append(L"xy", 0x1B, 2);   // n equal to the length: all
    w.Append(L"pq", 0x1B, 99);  // past the end: all
    w.Append(L"rs", 0x1B, -1);
    EXPECT_EQ(chars(w), L"helxypqrs");

    CellString joined = CellString(L"12", 0x07) + CellString(L"34", 0x70);
    EXPECT_EQ(chars(joined), L"1234");
    EXPECT_EQ(joined[3].attr, 0x70);
}

TEST(CellString, SlicingAndPadding) {
    CellString s(L"abcdefg", 0x1B);  // 7 cells
    CellString five(L"abcde", 0x1B);
    const std::vector<std::wstring> slices = {
        chars(s.mid(5, 10)), chars(s.mid(9, 1)), chars(s.mid(2)), chars(s.mid(-3, 2)),
        chars(s.mid(3, 0x7FFFFFFF)),  // no overflow
        chars(s.left(-3)), chars(s.left(3)), chars(s.left(30)), chars(five.pad(3)), chars(five.pad(0))};
    EXPECT_EQ(slices,
              (std::vector<std::wstring>{L"fg", L"", L"cdefg", L"ab", L"defg", L"", L"abc", L"abcdefg", L"abc", L""}));
    CellString padded = five.pad(8);
    EXPECT_EQ(chars(padded), L"abcde   ");
    EXPECT_EQ(padded[7], ScreenCell(L' ', 0x1B));  // the source's default attribute

    CellString twice(L"a/b/c", 0x07);
    EXPECT_EQ(std::vector<int>({s.rchr(L'c'), twice.rchr(L'/'), twice.rchr(L'x')}), std::vector<int>({2, 3, -1}));
}

TEST(CellString, VeryLongStrings) {
    const int n = 1 << 20;  // past 1 MB of cells
    std::wstring text(n, L'z');
    CellString s(text.c_str(), 0x07);
    EXPECT_EQ(s.length(), n);
    s += L'!';
    EXPECT_EQ(s.length(), n + 1);
    EXPECT_EQ(chars(s.mid(n - 1)), L"z!");
}
