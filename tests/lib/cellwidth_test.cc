// Cell widths of characters, checked against the C library's own data, and
// cutting text to a number of cells.
#include <gtest/gtest.h>

#include <clocale>
#include <cwchar>
#include <iostream>

#include "lib/cellwidth.h"
#include "tests/lib/locale_guard.h"

namespace {

// Spans where the C library's width data knowingly differs from ours.
struct KnownDifference {
    wchar_t first, last;
    const char* why;
};
const KnownDifference kKnownDifferences[] = {
    // Prepended concatenation marks (format characters) are drawn by the C
    // library as one cell; ours take none, like every format character.
    {0x0600, 0x0605, "Arabic number signs"}, {0x06DD, 0x06DD, "Arabic end of ayah"},
    {0x070F, 0x070F, "Syriac abbreviation mark"}, {0x0890, 0x0891, "Arabic pound/piastre marks"},
    {0x08E2, 0x08E2, "Arabic disputed end of ayah"}, {0x110BD, 0x110BD, "Kaithi number sign"},
    {0x110CD, 0x110CD, "Kaithi number sign above"},
    // The C library widens these though the width data does not (A and N).
    {0x3248, 0x324F, "circled numbers on black squares"}, {0x4DC0, 0x4DFF, "Yijing hexagram symbols"},
};

bool KnownToDiffer(wchar_t c) {
    for (const KnownDifference& d : kKnownDifferences)
        if (c >= d.first && c <= d.last) return true;
    return false;
}

TEST(CellWidthTest, AgreesWithTheCLibraryOutsideKnownDifferences) {
    CLocaleGuard utf8(LC_CTYPE, "C.UTF-8");
    if (!utf8.ok()) GTEST_SKIP() << "C.UTF-8 locale not installed";
    int compared = 0, differing = 0, unknown = 0;
    for (wchar_t c = 0x20; c <= 0x10FFFF; c++) {
        int theirs = wcwidth(c);
        if (theirs < 0) continue;  // unassigned or not printable for the C library
        compared++;
        if (CellWidth(c) == theirs) continue;
        differing++;
        if (!KnownToDiffer(c) && ++unknown <= 20)
            ADD_FAILURE() << std::hex << "U+" << static_cast<int>(c) << ": ours " << CellWidth(c) << ", C library "
                          << theirs;
    }
    EXPECT_EQ(unknown, 0);
    EXPECT_GT(compared, 250000);  // the sweep really covered the assigned characters
    std::cout << "compared " << compared << " code points, " << differing << " differ (all known)\n";
}

TEST(CellWidthTest, BlocksUsersMeet) {
    struct Span { wchar_t first, last; int cells; } spans[] = {
        {0x20, 0x7E, 1},        // ASCII
        {0x7F, 0x9F, 1},        // controls: drawn as a replacement glyph
        {0x0300, 0x036F, 0},    // combining accents
        {0x1160, 0x11FF, 0},    // Hangul medial vowels
        {0x200B, 0x200F, 0},    // zero-width space and direction marks
        {0x4E00, 0x9FFF, 2},    // CJK ideographs, unassigned ones too
        {0xAC00, 0xD7A3, 2},    // Hangul syllables
        {0xFF01, 0xFF60, 2},    // fullwidth forms
        {0x1F600, 0x1F64F, 2},  // emoticons
        {0x20000, 0x2FFFD, 2},  // plane 2
    };
    for (const Span& s : spans)
        for (wchar_t c = s.first; c <= s.last; c++) ASSERT_EQ(CellWidth(c), s.cells) << std::hex << static_cast<int>(c);
    EXPECT_EQ(CellWidth(0x00AD), 1);  // soft hyphen shows as a hyphen
    EXPECT_EQ(CellWidth(0x302A), 0);  // a mark inside the wide ideographic block
    EXPECT_EQ(CellWidth(0), 1);
    EXPECT_EQ(CellWidth(static_cast<wchar_t>(-1)), 1);
    EXPECT_EQ(CellWidth(0x110000), 1);
}

TEST(CellWidthTest, TextCellsSumsTheWidths) {
    EXPECT_EQ(TextCells(L"a\u4E2D\u0301b\U0001F600"), 6);
    EXPECT_EQ(TextCells(L"a\u4E2D\u0301b\U0001F600", 2), 3);
    EXPECT_EQ(TextCells(L""), 0);
    EXPECT_EQ(TextCells(nullptr), 0);
}

TEST(CellWidthTest, CharsThatFitNeverSplitsAWideCharacter) {
    const wchar_t* text = L"a\u4E2D\u6587b";  // 1 + 2 + 2 + 1 cells
    struct Case { int cells, chars, used; } cases[] = {
        {0, 0, 0}, {1, 1, 1}, {2, 1, 1}, {3, 2, 3}, {4, 2, 3}, {5, 3, 5}, {6, 4, 6}, {99, 4, 6}, {-1, 0, 0},
    };
    for (const Case& k : cases) {
        int used = -1;
        EXPECT_EQ(CharsThatFit(text, k.cells, &used), k.chars) << k.cells;
        EXPECT_EQ(used, k.used) << k.cells;
    }
    EXPECT_EQ(CharsThatFit(nullptr, 5), 0);
}

TEST(CellWidthTest, CharsThatFitKeepsCombiningMarksWithTheirCharacter) {
    // e + acute + grave, then x: the marks stay with the e at the cut.
    const wchar_t* text = L"e\u0301\u0300x";
    EXPECT_EQ(CharsThatFit(text, 1), 3);
    EXPECT_EQ(CharsThatFit(text, 2), 4);
    // A mark after a wide character that does not fit is left out with it.
    EXPECT_EQ(CharsThatFit(L"a\u4E2D\u0301", 2), 1);
    EXPECT_EQ(CharsThatFit(L"a\u4E2D\u0301", 3), 3);
}

}  // namespace
