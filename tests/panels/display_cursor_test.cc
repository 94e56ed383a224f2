// Moving the panel cursor: the edges of the list, line scrolling, Scroll
// Lock, scrolling with the mouse and making a panel current.
#include <filesystem>
#include <utility>

#include "tests/panels/display_test_util.h"

namespace {

class PanelCursorTest : public DisplayTest {
protected:
    // 61 entries: ".." and f00 to f59.
    PANEL& Many() { return ShowLeft(MakeManyFiles(60)); }
    // The name at the start of window row y.
    std::string NameAt(int y) const { return ui.Text(1, 1 + y, 3); }
    static int Index(const PANEL& panel) { return panel.top + panel.cur; }
    // The first entry on the page and the cursor's row.
    static std::pair<int, int> Place(const PANEL& panel) { return {panel.top, panel.cur}; }
    // Line scrolling leaves the screen a full repaint would.
    void Repainted(PANEL& panel) {
        std::vector<ScreenCell> before = ui.Snapshot();
        paint_panel(&panel);
        EXPECT_TRUE(before == ui.Snapshot()) << "line scrolling left a different screen:\n" << ui.Dump();
    }
};

}  // namespace

TEST_F(PanelCursorTest, EdgesOfTheListAndScrollingByOneLine) {
    PANEL& panel = Many();
    move_cursor(&panel, -1);  // Up at the top
    EXPECT_EQ(Place(panel), std::make_pair(0, 0));

    move_cursor(&panel, kRows - 1);  // to the last row of the page: no scrolling
    EXPECT_EQ(Place(panel), std::make_pair(0, kRows - 1));

    move_cursor(&panel, 1);  // one past the page scrolls by one line
    EXPECT_EQ(Place(panel), std::make_pair(1, kRows - 1));
    EXPECT_EQ(NameAt(0), "f00");
    EXPECT_EQ(NameAt(kRows - 1), "f18");
    Repainted(panel);

    move_cursor(&panel, 1000);  // to the end
    EXPECT_EQ(Index(panel), 60);
    EXPECT_EQ(panel.top, 61 - kRows);
    EXPECT_EQ(NameAt(kRows - 1), "f59");
    move_cursor(&panel, 1);  // Down at the bottom
    EXPECT_EQ(Index(panel), 60);
    EXPECT_EQ(panel.cur, kRows - 1);

    move_cursor(&panel, -(kRows - 1));
    move_cursor(&panel, -1);  // one above the page scrolls down by one line
    EXPECT_EQ(Place(panel), std::make_pair(61 - kRows - 1, 0));
    Repainted(panel);
}

TEST_F(PanelCursorTest, UnderScrollLockTheListScrollsUnderTheCursor) {
    PANEL& panel = Many();
    ui.Headless().View().SetScrollLockState(1);
    move_cursor(&panel, 3);  // near the start the cursor moves
    EXPECT_EQ(Place(panel), std::make_pair(0, 3));
    move_cursor(&panel, kRows);  // then stays in the middle
    EXPECT_EQ(Place(panel), std::make_pair(3 + kRows - kRows / 2, kRows / 2));
    move_cursor(&panel, 1);
    EXPECT_EQ(Place(panel), std::make_pair(4 + kRows - kRows / 2, kRows / 2));
    EXPECT_EQ(NameAt(kRows / 2), NumberedName("f", 3 + kRows)) << ui.Dump();
    Repainted(panel);
    move_cursor(&panel, 1000);  // at the end the cursor moves again
    EXPECT_EQ(Place(panel), std::make_pair(61 - kRows, kRows - 1));

    // The state is the console's: off again, the cursor leaves the middle.
    ui.Headless().View().SetScrollLockState(0);
    move_cursor(&panel, -1000);
    move_cursor(&panel, kRows);
    EXPECT_EQ(Place(panel), std::make_pair(1, kRows - 1));
}

TEST_F(PanelCursorTest, MakeCurrentMovesTheTitlesAndTheWorkingDirectory) {
    const std::string list = MakeFixedFiles();
    const std::string many = MakeManyFiles(3);
    PANEL& left = ShowLeft(list);
    PANEL& right = panel_base[1];
    SetUpPanel(right, many);
    read_panel(&right);
    make_panel(&right, 1);
    int x = -1, y = -1;
    ASSERT_TRUE(ui.Find(" " + many + " ", &x, &y));
    EXPECT_EQ(ui.Attr(x + 1, 0), colours[CLR_PANEL]);

    make_curr(panel_base, 1);
    EXPECT_EQ(currpanel, 1);
    EXPECT_EQ(ui.Attr(x + 1, 0), colours[CLR_HIGHLIGHT]);
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::canonical(many));
    EXPECT_EQ(config.StartupSide, 'R');
    EXPECT_STREQ(ui.Headless().View().Title().ToUTF8().c_str(), ("DV/L: " + many).c_str());

    // A panel that could not be read leaves the working directory alone.
    left.read_error = 5;
    config.StartupSide = 'R';
    make_curr(panel_base, 0);
    EXPECT_EQ(currpanel, 0);
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::canonical(many));
    EXPECT_EQ(config.StartupSide, 'R');
}

TEST_F(PanelCursorTest, MouseScrollingRunsUntilTheEndOrTheButtonIsReleased) {
    PANEL& panel = Many();
    // A right-button drag tags what it reaches until the button comes up.
    ui.ButtonUp(10, kRows + 2, 3);
    scroll_panel(&panel, 1, 1);
    EXPECT_EQ(Index(panel), 1);
    EXPECT_EQ(panel.num_tagged, 1);
    EXPECT_TRUE(panel.files[1]->tagged);

    // The pointer leaving the rows below the list stops it.
    ui.Drag(10, 5);
    scroll_panel(&panel, 1, 0);
    EXPECT_EQ(Index(panel), 2);
    move_cursor(&panel, 1000);

    // Upwards, untagging; ".." is never tagged.
    tag_all(&panel, 1, 0);
    ASSERT_EQ(panel.num_tagged, 60);
    scroll_panel(&panel, -1, -1);
    EXPECT_EQ(Index(panel), 0);
    EXPECT_EQ(panel.num_tagged, 1);  // the entry it started on stays tagged
    EXPECT_TRUE(panel.files[60]->tagged);
    EXPECT_EQ(ui.QueueLength(), 0);
}

TEST_F(PanelCursorTest, ANewPageSizeKeepsTheCursorShownAndThePageFilled) {
    // 33 entries: ".." and f00 to f31; at the end in the full style.
    PANEL& panel = ShowLeft(MakeManyFiles(32));
    move_cursor(&panel, 1000);
    ASSERT_EQ(Place(panel), std::make_pair(33 - kRows, kRows - 1));

    panel.detail = DETAIL_BRIEF;  // all 33 fit on a brief page
    make_panel(&panel, 0);
    EXPECT_EQ(Place(panel), std::make_pair(0, 32));
    EXPECT_EQ(ui.Text(1, 1, 2), "..") << ui.Dump();
    const int second_column = 1 + col_width[DETAIL_BRIEF][0][COL_CUR] + 1;
    EXPECT_EQ(ui.Text(second_column, 1 + 13, 3), "f31") << ui.Dump();

    // Fewer rows and then more: the cursor entry stays on the page, and the
    // page stays full.
    panel.detail = DETAIL_FULL;
    config.panel_rows = 10;
    make_panel(&panel, 0);
    EXPECT_EQ(Place(panel), std::make_pair(23, 9));
    config.panel_rows = kRows;
    make_panel(&panel, 0);
    EXPECT_EQ(Place(panel), std::make_pair(33 - kRows, kRows - 1));
    EXPECT_EQ(NameAt(0), "f13") << ui.Dump();
}
