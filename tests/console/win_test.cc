// Popup windows: placement, frame, shadow, saving and restoring the screen,
// and writing text into them.
#include <memory>

#include "tests/console/ui_fixture.h"

namespace {

using Texts = std::vector<std::string>;
using Ints = std::vector<int>;

class WinTest : public UiFixture {
protected:
    // ui.Line of rows from .. from + count - 1.
    Texts Lines(int from, int count) {
        Texts out;
        for (int y = from; y < from + count; y++) out.push_back(ui.Line(y));
        return out;
    }
};

struct Placement {
    int left, top, right, bottom;
    int want_left, want_top, want_right, want_bottom;
    bool want_shadow;
};

TEST_F(WinTest, PlacementCentringAndShadowRules) {
    const Placement cases[] = {
        {-1, -2, 40, 10, 20, 7, 59, 16, true},    // centred both ways
        {-1, -1, 30, 5, 25, 20, 54, 24, false},   // at the bottom: no room for the shadow
        {-1, -3, 30, 6, 25, 6, 54, 11, true},     // a third of the way down: (25 - 6) / 3
        {10, 2, 78, 8, 10, 2, 78, 8, false},      // right + 2 would be past the last column
        {10, 2, 77, 8, 10, 2, 77, 8, true},       // right + 2 is the last column
        {0, 0, 79, 24, 0, 0, 79, 24, false},      // the whole screen
        {-1, -2, 200, 60, 0, 0, 79, 24, false},   // larger than the screen: cut to it
        {70, 20, 120, 40, 70, 20, 79, 24, false}, // running off the screen: cut to it
    };
    for (const Placement& c : cases) {
        Win w(c.left, c.top, c.right, c.bottom, kMessages, kMessages);
        SCOPED_TRACE(testing::Message() << c.left << "," << c.top << "," << c.right << "," << c.bottom);
        EXPECT_EQ(Ints({w.left(), w.top(), w.right(), w.bottom()}),
                  Ints({c.want_left, c.want_top, c.want_right, c.want_bottom}));
        EXPECT_EQ(w.shadowed(), c.want_shadow);
    }
}

TEST_F(WinTest, NoShadowWhenSwitchedOffUnframedOrRefused) {
    win_shadows = false;
    EXPECT_FALSE(Win(5, 5, 20, 10, kMessages, kMessages).shadowed());
    win_shadows = true;
    EXPECT_FALSE(Win(5, 5, 20, 10, kMessages, -1).shadowed());
    EXPECT_FALSE(Win(5, 5, 20, 10, kMessages, kMessages, true).shadowed());
    EXPECT_TRUE(Win(5, 5, 20, 10, kMessages, kMessages).shadowed());
}

TEST_F(WinTest, FrameIsADoubleLineAndMovesTheOriginInside) {
    Win w(10, 3, 19, 6, 0x1F, 0x1E);
    EXPECT_EQ(TextsAt(ui, 10, 3, 10, 4), (Texts{"╔════════╗", "║        ║", "║        ║", "╚════════╝"}));
    EXPECT_EQ(ui.Attr(10, 3), 0x1E);
    EXPECT_EQ(ui.Attr(11, 4), 0x1F);  // the inside in the window's attribute
    EXPECT_TRUE(w.framed());
    EXPECT_EQ(Ints({w.origin_x(), w.origin_y(), w.inner_width(), w.inner_height()}), Ints({11, 4, 8, 2}));
    w.puts_at(0, 0, "ab");
    EXPECT_EQ(ui.Text(11, 4, 2), "ab");
}

TEST_F(WinTest, ANegativeAttributeLeavesTheCellsAlone) {
    console->PutStringAt(0, 1, L"keep this text", 0x4E);
    {
        Win w(0, 0, 20, 3, -1, -1);
        EXPECT_EQ(w.attr(), 0);
        EXPECT_EQ(ui.Text(0, 1, 14), "keep this text");
        EXPECT_EQ(ui.Attr(0, 1), 0x4E);
    }
    EXPECT_EQ(ui.Text(0, 1, 14), "keep this text");
}

TEST_F(WinTest, ShadowDarkensTheStripsBelowAndRight) {
    console->Clear(0, 0, 80, 25, 0x1E);  // bright yellow on blue
    console->Clear(0, 10, 80, 1, 0x30);  // black on cyan on row 10
    {
        Win w(10, 5, 29, 9, kMessages, kMessages);
        ASSERT_TRUE(w.shadowed());
        // Below: black on cyan becomes dark grey on black from left + 2 to
        // right + 2; the first two columns stay lit.
        EXPECT_EQ(AttrsAt(ui, 10, {12, 31, 32, 11}), Ints({0x08, 0x08, 0x30, 0x30}));
        // Right: bright yellow on blue becomes yellow on black, not beside the top row.
        EXPECT_EQ(Ints({ui.Attr(30, 6), ui.Attr(31, 9), ui.Attr(30, 5), ui.Attr(32, 6)}), Ints({0x06, 0x06, 0x1E, 0x1E}));
    }
    EXPECT_EQ(ui.Attr(12, 10), 0x30);
    EXPECT_EQ(ui.Attr(30, 6), 0x1E);
}

TEST_F(WinTest, ModcoloursMapsEveryAttribute) {
    CellString row;
    for (int attr = 0; attr < 256; attr++) row += ScreenCell(L'x', static_cast<unsigned char>(attr));
    Win::modcolours(row);
    for (int attr = 0; attr < 256; attr++) {
        int fg = attr & 15;
        EXPECT_EQ(row[attr].attr, fg < 8 ? 8 : fg - 8) << attr;
        EXPECT_EQ(row[attr].ch, L'x');
    }
}

TEST_F(WinTest, OverlappingWindowsClosedInReverseOrderRestoreEveryCell) {
    ui.FillPattern();
    const std::vector<ScreenCell> before = ui.Snapshot();
    auto first = std::make_unique<Win>(5, 3, 40, 15, kMessages, kMessages);
    first->puts_at(1, 1, "first window");
    const std::vector<ScreenCell> with_first = ui.Snapshot();
    auto second = std::make_unique<Win>(-1, -2, 50, 12, 0x4F, 0x4E);
    second->PutCentre(0, "second window");
    EXPECT_NE(ui.Snapshot(), with_first);
    second.reset();
    EXPECT_EQ(ui.Snapshot(), with_first);
    first.reset();
    EXPECT_EQ(ui.Snapshot(), before);
}

TEST_F(WinTest, HideSwapsTheWindowWithWhatLiesUnder) {
    ui.FillPattern();
    const std::vector<ScreenCell> before = ui.Snapshot();
    Win w(10, 5, 40, 12, kMessages, kMessages);
    w.puts_at(2, 2, "visible");
    const std::vector<ScreenCell> shown = ui.Snapshot();
    w.hide(true);
    EXPECT_TRUE(w.hidden());
    EXPECT_EQ(ui.Snapshot(), before);
    w.hide(true);  // no change of state: nothing happens
    EXPECT_EQ(ui.Snapshot(), before);
    w.hide(false);
    EXPECT_EQ(ui.Snapshot(), shown);
    w.hide(false);
    EXPECT_EQ(ui.Snapshot(), shown);
}

TEST_F(WinTest, AWindowDestroyedWhileHiddenLeavesTheScreenAlone) {
    ui.FillPattern();
    const std::vector<ScreenCell> before = ui.Snapshot();
    {
        Win w(10, 5, 40, 12, kMessages, kMessages);
        w.hide(true);
        console->PutStringAt(0, 0, L"drawn meanwhile", 0x07);
    }
    const std::vector<ScreenCell> after = ui.Snapshot();
    EXPECT_EQ(ui.Text(0, 0, 15), "drawn meanwhile");
    EXPECT_TRUE(std::equal(before.begin() + 15, before.end(), after.begin() + 15));
}

TEST_F(WinTest, TextMovesTheWritePositionAndIsClippedToTheScreen) {
    Win w(60, 2, 79, 6, kMessages, -1);
    w.puts_at(2, 1, "abc");
    EXPECT_EQ(w.cursor_x(), 5);
    EXPECT_EQ(w.cursor_y(), 1);
    w.puts(L"déf");
    EXPECT_EQ(ui.Text(62, 3, 6), "abcdéf");
    EXPECT_EQ(w.cursor_x(), 8);
    // Past the screen's last column: cut there, the position still moves on.
    w.puts_at(15, 0, "0123456789");
    EXPECT_EQ(ui.Text(75, 2, 5), "01234");
    EXPECT_EQ(w.cursor_x(), 25);
    // Outside the screen altogether: nothing is written, nothing breaks.
    w.puts_at(-80, 0, "left of the screen");
    w.puts_at(0, 40, "below the screen");
    w.puts_at(0, -10, "above the screen");
    EXPECT_EQ(ui.Text(0, 2, 4), "    ");
    w.puts_at(-62, 1, "xyz");  // starts two columns left of the screen
    EXPECT_EQ(ui.Text(0, 3, 2), "z ");
    w.puts_at(0, 0, static_cast<const char*>(nullptr));
    w.puts_at(0, 0, static_cast<const wchar_t*>(nullptr));
}

TEST_F(WinTest, GotoPlacesTheConsoleCursor) {
    Win w(10, 5, 30, 9, kMessages, kMessages);
    int x = 0, y = 0;
    w.Goto(3, 2);
    ui.CursorPos(x, y);
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(14, 8));
    w.SetOrigin(0, 0);
    w.Goto(0, 0);
    ui.CursorPos(x, y);
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(10, 5));
}

TEST_F(WinTest, CellsKeepTheirOwnAttributes) {
    Win w(0, 0, 30, 4, kMessages, -1);
    CellString cells(L"red", 0x4F);
    cells += ScreenCell(L'!', 0x2A);
    w.putcs_at(1, 1, cells);
    EXPECT_EQ(w.cursor_x(), 5);
    ScreenCell raw[3] = {{L'o', 0x11}, {L'k', 0x22}, {0, 0}};
    w.putcs(raw);
    EXPECT_EQ(ui.Text(1, 1, 6), "red!ok");
    EXPECT_EQ(AttrsAt(ui, 1, {1, 4, 6}), Ints({0x4F, 0x2A, 0x22}));
}

TEST_F(WinTest, PutRectCopiesRowsAndToleratesShortCellStrings) {
    Win w(0, 0, 30, 6, kMessages, -1);
    CellString cells(L"abcdefghi", 0x1E);
    w.PutRect(2, 1, 3, 3, cells);
    EXPECT_EQ(TextsAt(ui, 2, 1, 3, 3), (Texts{"abc", "def", "ghi"}));
    CellString short_cells(L"xyzw", 0x1E);
    w.PutRect(10, 1, 3, 3, short_cells);  // only 4 of 9 cells: the rows it has
    EXPECT_EQ(TextsAt(ui, 10, 1, 3, 3), (Texts{"xyz", "w  ", "   "}));
}

TEST_F(WinTest, PutCentreUsesTheInnerWidth) {
    Win framed(10, 2, 29, 6, kMessages, kMessages);  // inner width 18
    framed.PutCentre(0, "abcd");
    EXPECT_EQ(ui.Text(18, 3, 4), "abcd");  // 11 + (18 - 4) / 2
    framed.PutCentre(-1, L" Title ");      // on the frame row
    EXPECT_EQ(ui.Text(16, 2, 7), " Title ");
    framed.PutCentre(1, "a text much longer than the window");
    EXPECT_EQ(ui.Text(11, 4, 6), "a text");  // starts at the inner left edge
    Win plain(40, 10, 49, 12, kMessages, -1);  // inner width 10
    plain.PutCentre(0, L"xy");
    EXPECT_EQ(ui.Text(44, 10, 2), "xy");
}

TEST_F(WinTest, PutHotHighlightsTheFirstOccurrenceUpperCaseFirst) {
    Win w(0, 0, 40, 5, 0x70, -1);
    w.PutHot(0, 0, "Cancel", "c");          // the C, on a light background: bright blue
    w.PutHot(0, 1, "Case Sensitive", "s");  // the upper-case S, not the first s
    w.PutHot(0, 2, "skip", "S");            // no upper-case S: the lower-case one
    w.PutHot(0, 3, "two hot", "ot");
    w.PutHot(0, 4, "none", "z");
    EXPECT_EQ(AttrsAt(ui, 0, {0, 1, 2, 3}), Ints({0x79, 0x70, 0x70, 0x70}));
    EXPECT_EQ(AttrsAt(ui, 1, {0, 2, 5}), Ints({0x70, 0x70, 0x79}));
    EXPECT_EQ(AttrsAt(ui, 2, {0, 1}), Ints({0x79, 0x70}));
    EXPECT_EQ(AttrsAt(ui, 3, {0, 1, 2}), Ints({0x79, 0x70, 0x79}));
    EXPECT_EQ(AttrsAt(ui, 4, {0, 1, 2, 3}), Ints({0x70, 0x70, 0x70, 0x70}));
}

TEST_F(WinTest, HotLetterColours) {
    struct {
        unsigned char attr, hot;
    } cases[] = {
        {0x1B, 0x1E}, {0x1E, 0x1F},  // dark background: bright yellow, or bright white when already so
        {0x30, 0x3E}, {0x4F, 0x4E},  // cyan (no red bit) and red count as dark
        {0x70, 0x79}, {0x79, 0x7F},  // white background: bright blue, or bright white when already so
        {0xF9, 0xF0},                // already bright blue on a bright background: black
        {0x60, 0x69}, {0xE1, 0xE9},  // yellow and bright yellow backgrounds
    };
    for (auto c : cases) EXPECT_EQ(hot_attr(c.attr), c.hot) << std::hex << int(c.attr);
}

TEST_F(WinTest, PutParagraphWraps) {
    Win w(0, 0, 11, 8, kMessages, kMessages);  // inner width 10: 9 characters a row
    EXPECT_EQ(w.PutParagraph(0, 0, "the quick brown fox jumps"), 3);
    EXPECT_EQ(Lines(1, 3), (Texts{"║the quick ║", "║brown fox ║", "║jumps     ║"}));
    w.Clear();
    w.PutParagraph(2, 0, "abcdefghijklmnopqrstu");  // a word longer than the width; the first row has 7 columns
    EXPECT_EQ(Lines(1, 3), (Texts{"║  abcdefg ║", "║hijklmnop ║", "║qrstu     ║"}));
    w.Clear();
    w.PutParagraph(0, 0, "größe über");  // UTF-8
    EXPECT_EQ(Lines(1, 2), (Texts{"║größe     ║", "║über      ║"}));
    Win tiny(20, 0, 21, 3, kMessages, kMessages);  // no inner width at all
    int rows = tiny.PutParagraph(0, 0, L"abc");
    EXPECT_EQ(rows, 3);  // one character a row, never stuck
    Win none(30, 0, 40, 3, kMessages, kMessages);
    EXPECT_EQ(none.PutParagraph(0, 0, ""), 0);
}

TEST_F(WinTest, ClreolClearsToTheInnerRightEdge) {
    console->Clear(0, 0, 80, 25, 0x07);
    Win framed(10, 2, 20, 5, 0x1F, 0x1F);
    framed.puts_at(0, 0, "xxxxxxxxx", 0x1F);
    framed.puts_at(3, 0, "", 0x1F);
    framed.clreol(0x4F);
    EXPECT_EQ(ui.Text(10, 3, 11), "║xxx      ║");
    EXPECT_EQ(ui.Attr(19, 3), 0x4F);
    EXPECT_EQ(ui.Attr(20, 3), 0x1F);  // the frame stays
    Win plain(30, 2, 39, 2, 0x1F, -1);
    plain.puts_at(0, 0, "yyyyyyyyyy");
    plain.puts_at(5, 0, "");
    plain.clreol();
    EXPECT_EQ(ui.Text(30, 2, 11), "yyyyy      ");
    EXPECT_EQ(ui.Attr(39, 2), 0x1F);  // up to right, inclusive
    EXPECT_EQ(ui.Attr(40, 2), 0x07);
}

TEST_F(WinTest, ClearKeepsTheFrameAndTheRowsAskedFor) {
    Win w(0, 0, 9, 6, 0x1F, 0x1F);
    for (int y = 0; y < 5; y++) w.puts_at(0, y, "########");
    w.Clear(1, 2);
    const std::string full = "║########║", empty = "║        ║";
    EXPECT_EQ(Lines(1, 5), (Texts{full, empty, empty, full, full}));
    w.Clear();
    EXPECT_EQ(Lines(1, 6), (Texts{empty, empty, empty, empty, empty, "╚════════╝"}));
    w.Clear(10, 10);  // more rows kept than there are: nothing happens
}

TEST_F(WinTest, ScrollMovesAWindowRectangle) {
    Win w(0, 0, 9, 4, 0x1F, -1);
    for (int y = 0; y < 3; y++) w.puts_at(0, y, ("row" + std::to_string(y)).c_str());
    w.Scroll(0, 0, 10, 3, 1);
    EXPECT_EQ(TextsAt(ui, 0, 0, 4, 3), (Texts{"row1", "row2", "    "}));
    EXPECT_EQ(ui.Attr(0, 2), 0x1F);
    w.Scroll(0, 0, 10, 3, -2);
    w.Scroll(0, 0, 10, 3, 0);  // nothing
    EXPECT_EQ(TextsAt(ui, 0, 0, 4, 3), (Texts{"    ", "    ", "row1"}));
}

TEST_F(WinTest, ClickInWinMakesTheEventRelative) {
    Win w(10, 5, 20, 8, kMessages, kMessages);
    struct {
        int x, y;
        bool inside;
    } cases[] = {
        {10, 5, true}, {20, 8, true}, {15, 6, true}, {9, 5, false}, {21, 8, false}, {15, 9, false}, {15, 4, false},
    };
    for (auto c : cases) {
        _MEVENT e;
        e.x = c.x;
        e.y = c.y;
        EXPECT_EQ(w.click_in_win(e), c.inside) << c.x << "," << c.y;
        EXPECT_EQ(std::make_pair(e.x, e.y), std::make_pair(c.x - 11, c.y - 6));
    }
}

TEST_F(WinTest, GetWinAndPutWinRoundTrip) {
    ui.FillPattern();
    Win w(10, 5, 20, 8, kMessages, kMessages);
    w.puts_at(0, 0, "inside");
    std::unique_ptr<ScreenCell[]> with_shadow(w.GetWin(true));
    std::unique_ptr<ScreenCell[]> plain(w.GetWin(false));
    const std::vector<ScreenCell> shown = ui.Snapshot();
    console->Clear(0, 0, 80, 25, 0x07);
    w.PutWin(with_shadow.get(), true);
    std::vector<ScreenCell> now = ui.Snapshot();
    for (int y = 5; y <= 9; y++)
        for (int x = 10; x <= 22; x++) EXPECT_EQ(now[y * 80 + x], shown[y * 80 + x]) << x << "," << y;
    console->Clear(0, 0, 80, 25, 0x07);
    w.PutWin(plain.get(), false);
    EXPECT_EQ(ui.Text(11, 6, 6), "inside");
    EXPECT_EQ(ui.Char(22, 9), L' ');  // the shadow area was not part of it
    w.PutWin(nullptr, true);          // nothing to put back
}

}  // namespace
