// Popup windows: placement, shadow, saving and restoring the screen,
// and writing text into them.
#include <memory>

#include "tests/console/ui_fixture.h"

namespace {

using Ints = std::vector<int>;

using WinTest = UiFixture;

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

TEST_F(WinTest, ShadowDarkensTheStripsBelowAndRight) {
    console->Clear(0, 0, 80, 25, 0x1E);  // bright yellow on blue
    console->Clear(0, 10, 80, 1, 0x30);  // black on cyan on row 10
    {
        Win w(10, 5, 29, 9, kMessages, kMessages);
        ASSERT_TRUE(w.shadowed());
        // Below: black on cyan becomes dark grey on black from left + 2 to
        // right + 2; the first two columns stay lit.
        EXPECT_EQ(Ints({ui.Attr(12, 10), ui.Attr(31, 10), ui.Attr(32, 10), ui.Attr(11, 10)}),
                  Ints({0x08, 0x08, 0x30, 0x30}));
        // Right: bright yellow on blue becomes yellow on black, not beside the top row.
        EXPECT_EQ(Ints({ui.Attr(30, 6), ui.Attr(31, 9), ui.Attr(30, 5), ui.Attr(32, 6)}), Ints({0x06, 0x06, 0x1E, 0x1E}));
    }
    EXPECT_EQ(ui.Attr(12, 10), 0x30);
    EXPECT_EQ(ui.Attr(30, 6), 0x1E);
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
}

TEST_F(WinTest, AWindowDestroyedWhileHiddenLeavesTheScreenAlone) {
    ui.FillPattern();
    const std::vector<ScreenCell> before = ui.Snapshot();
    auto w = std::make_unique<Win>(10, 5, 40, 12, kMessages, kMessages);
    w->hide(true);
    console->PutStringAt(0, 0, L"drawn meanwhile", 0x07);
    w.reset();
    const std::vector<ScreenCell> after = ui.Snapshot();
    EXPECT_EQ(ui.Text(0, 0, 15), "drawn meanwhile");
    EXPECT_TRUE(std::equal(before.begin() + 15, before.end(), after.begin() + 15));
}

TEST_F(WinTest, TextMovesTheWritePositionAndIsClippedToTheScreen) {
    Win w(60, 2, 79, 6, kMessages, -1);
    w.puts_at(2, 1, "abc");
    w.puts(L"déf");
    EXPECT_EQ(ui.Text(62, 3, 6), "abcdéf");
    // Past the screen's last column: cut there, the position still moves on.
    w.puts_at(15, 0, "0123456789");
    EXPECT_EQ(ui.Text(75, 2, 5), "01234");
    EXPECT_EQ(w.cursor_x(), 25);
    // Outside the screen altogether: nothing is written, nothing breaks.
    w.puts_at(-80, 0, "left of the screen");
    w.puts_at(0, 40, "below the screen");
    EXPECT_EQ(ui.Text(0, 2, 4), "    ");
    w.puts_at(-62, 1, "xyz");  // starts two columns left of the screen
    EXPECT_EQ(ui.Text(0, 3, 2), "z ");
    w.puts_at(0, 0, static_cast<const char*>(nullptr));
    w.puts_at(0, 0, static_cast<const wchar_t*>(nullptr));
}

TEST_F(WinTest, WideTextMovesByCellsAndWrapsWhole) {
    Win w(10, 2, 21, 8, kMessages, -1);  // twelve cells wide, unframed
    w.puts_at(0, 0, L"日本");
    EXPECT_EQ(w.cursor_x(), 4);
    w.PutCentre(1, L"語a");  // three cells in twelve: from column 4
    EXPECT_EQ(ui.Current().Char(14, 3), L'語');
    // A paragraph row holds eleven cells: five wide characters, never a
    // half of the sixth.
    EXPECT_EQ(w.PutParagraph(0, 2, L"一二三四五六七"), 4);
    EXPECT_EQ(ui.Current().Char(18, 4), L'五');
    EXPECT_EQ(ui.Current().Char(20, 4), L' ');
    EXPECT_EQ(ui.Current().Char(10, 5), L'六');
}

TEST_F(WinTest, HotLetterColours) {
    struct { unsigned char attr, hot; } cases[] = {
        {0x1E, 0x1F},  // dark background: bright yellow, or bright white when already so
        {0x30, 0x3E},  // cyan (no red bit) counts as dark
        {0x79, 0x7F},  // white background: bright blue, or bright white when already so
        {0xF9, 0xF0},  // already bright blue on a bright background: black
    };
    for (auto c : cases) EXPECT_EQ(hot_attr(c.attr), c.hot) << std::hex << int(c.attr);
}

}  // namespace
