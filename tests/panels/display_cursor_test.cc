// Moving the panel cursor: the edges of the list, line scrolling, pages,
// columns in the brief style, Scroll Lock, the name shift, scrolling with
// the mouse and making a panel current.
#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "console/headlessview.h"
#include "tests/panels/display_test_util.h"

namespace {

class PanelCursorTest : public DisplayTest {
protected:
    // 61 entries: ".." and f00 to f59.
    PANEL& Many(paneldetail detail = DETAIL_FULL) { return ShowLeft(MakeManyFiles(60), detail); }
    // The name at the start of window row y.
    std::string NameAt(int y, int x = 0) const { return ui.Text(1 + x, 1 + y, 3); }
    static int Index(const PANEL& panel) { return panel.top + panel.cur; }
    // The first entry on the page and the cursor's row.
    static std::pair<int, int> Place(const PANEL& panel) { return {panel.top, panel.cur}; }
    // The screen after a full repaint of the panel, to compare line
    // scrolling with.
    std::vector<ScreenCell> Repainted(PANEL& panel) {
        std::vector<ScreenCell> before = ui.Snapshot();
        paint_panel(&panel);
        std::vector<ScreenCell> after = ui.Snapshot();
        EXPECT_TRUE(before == after) << "line scrolling left a different screen:\n" << ui.Dump();
        return after;
    }
    static std::string RealPath(const std::string& path) {
        char* real = realpath(path.c_str(), nullptr);
        std::string out = real ? real : path;
        free(real);
        return out;
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
    EXPECT_EQ(NameAt(0), "f40");
    Repainted(panel);

    move_cursor(&panel, -1000);
    EXPECT_EQ(Place(panel), std::make_pair(0, 0));
    EXPECT_EQ(NameAt(0), ".. ");
}

TEST_F(PanelCursorTest, PagesMoveByAPage) {
    PANEL& panel = Many();
    move_cursor(&panel, kRows - 1);
    move_cursor(&panel, panel.page_size);  // a page down from the last row repaints
    EXPECT_EQ(Place(panel), std::make_pair(kRows, kRows - 1));
    EXPECT_EQ(NameAt(0), "f18");
    move_cursor(&panel, -panel.page_size);
    EXPECT_EQ(Index(panel), kRows - 1);
    EXPECT_EQ(panel.cur, 0);
    Repainted(panel);
    // Empty lists keep the cursor at the start.
    panel.FreeEntries();
    for (int step : {5, -5}) {
        move_cursor(&panel, step);
        EXPECT_EQ(panel.cur, 0);
    }
}

TEST_F(PanelCursorTest, ScrollLockKeepsTheCursorInTheMiddle) {
    PANEL& panel = Many();
    scroll_lock = true;
    const int middle = kRows / 2;
    move_cursor(&panel, 5);  // at the start of the list the page stays
    EXPECT_EQ(Place(panel), std::make_pair(0, 5));
    move_cursor(&panel, middle + 1 - 5);
    EXPECT_EQ(Place(panel), std::make_pair(1, middle));
    Repainted(panel);
    move_cursor(&panel, 3);
    EXPECT_EQ(Place(panel), std::make_pair(4, middle));
    move_cursor(&panel, 1000);  // at the end the cursor goes down to the last entry
    EXPECT_EQ(Place(panel), std::make_pair(61 - kRows, kRows - 1));
    move_cursor(&panel, -1);
    EXPECT_EQ(Place(panel), std::make_pair(61 - kRows, kRows - 2));
    move_cursor(&panel, -10);
    EXPECT_EQ(panel.cur, middle);
    EXPECT_EQ(Index(panel), 60 - 11);
}

TEST_F(PanelCursorTest, LeftAndRightMoveByAColumnInTheBriefStyle) {
    PANEL& panel = Many(DETAIL_BRIEF);
    ASSERT_EQ(panel.page_size, 3 * kRows);
    move_cursor(&panel, kRows);  // Right
    EXPECT_EQ(panel.cur, kRows);
    show_cursor(panel_base, 0, true);
    EXPECT_EQ(ui.Attr(14, 1), colours[CLR_HIGHLIGHT]);  // row 0 of the second column
    move_cursor(&panel, kRows);
    EXPECT_EQ(panel.cur, 2 * kRows);
    move_cursor(&panel, kRows);  // past the page: every column moves up a row
    EXPECT_EQ(panel.top, 1);
    EXPECT_EQ(Index(panel), 3 * kRows);
    EXPECT_EQ(NameAt(0), "f00");
    EXPECT_EQ(NameAt(kRows - 1, 13), "f37");
    EXPECT_EQ(NameAt(kRows - 1, 26), "f56");
    Repainted(panel);
    move_cursor(&panel, -kRows);  // Left
    EXPECT_EQ(Index(panel), 2 * kRows);
    move_cursor(&panel, -(2 * kRows - 1));
    EXPECT_EQ(Place(panel), std::make_pair(1, 0));
    move_cursor(&panel, -1);  // above the page: every column moves down a row
    EXPECT_EQ(Place(panel), std::make_pair(0, 0));
    Repainted(panel);
}

TEST_F(PanelCursorTest, NameShiftScrollsTheCursorEntrysName) {
    PANEL& panel = ShowLeft(MakeFixedFiles());
    panel.cur = 2;  // a_very_long_file_name.text
    panel.name_shift = 3;
    show_cursor(panel_base, 0, true);
    EXPECT_EQ(ui.Text(1, 3, 13), "ery_lon►.text");
    EXPECT_EQ(panel.name_shift_index, 2);
    panel.name_shift = 100;  // never further than the name's end
    show_cursor(panel_base, 0, true);
    EXPECT_EQ(ui.Text(1, 3, 13), "ile_name.text");
    EXPECT_EQ(panel.name_shift, 13);
    show_cursor(panel_base, 0, false);
    EXPECT_EQ(ui.Text(1, 3, 13), "a_very_►.text");
    // A name that fits is not shifted.
    panel.cur = 3;
    panel.name_shift = 4;
    show_cursor(panel_base, 0, true);
    EXPECT_EQ(ui.Text(1, 4, 13), "alpha.txt    ");
    EXPECT_EQ(panel.name_shift, 0);
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
    ASSERT_TRUE(ui.Find(" " + list + " ", &x, &y));
    EXPECT_EQ(ui.Attr(x + 1, 0), colours[CLR_PANEL]);
    char cwd[PATH_MAX];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(std::string(cwd), RealPath(many));
    EXPECT_EQ(config.StartupSide, 'R');
    EXPECT_STREQ(ui.Headless().View().Title().ToUTF8().c_str(), ("DV/L: " + many).c_str());

    // An information panel runs commands in the other panel's directory.
    right.type = PANEL_INFO;
    make_curr(panel_base, 1);
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(std::string(cwd), RealPath(list));
    right.type = PANEL_FILES;

    // A panel that could not be read leaves the working directory alone.
    left.read_error = 5;
    config.StartupSide = 'R';
    make_curr(panel_base, 0);
    EXPECT_EQ(currpanel, 0);
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(std::string(cwd), RealPath(list));
    EXPECT_EQ(config.StartupSide, 'R');
}

TEST_F(PanelCursorTest, MouseScrollingRunsUntilTheEndOrTheButtonIsReleased) {
    PANEL& panel = Many();
    // Nothing else happens: it goes on until the cursor stops at the end.
    scroll_panel(&panel, 1, 0);
    EXPECT_EQ(Index(panel), 60);
    EXPECT_EQ(panel.num_tagged, 0);

    // A right-button drag tags what it reaches until the button comes up.
    panel.top = panel.cur = 0;
    paint_panel(&panel);
    ui.ButtonUp(10, kRows + 2, 3);
    scroll_panel(&panel, 1, 1);
    EXPECT_EQ(Index(panel), 1);
    EXPECT_EQ(panel.num_tagged, 1);
    EXPECT_TRUE(panel.files[1]->tagged);

    // The pointer leaving the rows below the list stops it.
    ui.Drag(10, 5);
    scroll_panel(&panel, 1, 0);
    EXPECT_EQ(Index(panel), 2);
    // Moving inside them keeps it going.
    ui.Drag(10, kRows + 3);
    scroll_panel(&panel, 1, 0);
    EXPECT_EQ(Index(panel), 60);

    // Upwards, untagging; ".." is never tagged.
    tag_all(&panel, 1, 0);
    ASSERT_EQ(panel.num_tagged, 60);
    scroll_panel(&panel, -1, -1);
    EXPECT_EQ(Index(panel), 0);
    EXPECT_EQ(panel.num_tagged, 1);  // the entry it started on stays tagged
    EXPECT_TRUE(panel.files[60]->tagged);
    EXPECT_EQ(ui.QueueLength(), 0);
}
