// Swapping the panels: each keeps its own list, cursor, tags, filter and
// collections, now on the other side, and is drawn there.
#include <gtest/gtest.h>

#include <string>

#include "tests/panels/display_test_util.h"

TEST_F(DisplayTest, SwapPanelsKeepsEachPanelsStateOnTheOtherSide) {
    const std::string list = MakeFixedFiles();
    const std::string many = MakeManyFiles(30);
    PANEL& left = panel_base[0];
    PANEL& right = panel_base[1];
    SetUpPanel(left, list);
    left.filter = L"*.c|*.txt";
    read_panel(&left);
    make_panel(&left, 0);
    tag(&left, IndexOf(left, "alpha.txt"), 1);
    left.cur = IndexOf(left, "beta.c");
    left.positions.Store(L"/somewhere", 3, L"x");

    SetUpPanel(right, many);
    right.detail = DETAIL_BRIEF;
    read_panel(&right);
    make_panel(&right, 1);
    right.cur = 25;
    tag(&right, 3, 1);
    tag(&right, 4, 1);
    const entry* right_first = right.files[0];

    static int clock_hidden;
    clock_hidden = 0;
    panel_clock_hook = [] { clock_hidden++; };
    swap_panels(panel_base);

    EXPECT_STREQ(EncodeFileName(left.dir).c_str(), many.c_str());
    EXPECT_EQ(left.files[0], right_first);
    EXPECT_EQ(left.detail, DETAIL_BRIEF);
    EXPECT_EQ(left.cur, 25);
    EXPECT_EQ(left.num_tagged, 2);
    EXPECT_EQ(left.num_files, 31);
    EXPECT_STREQ(left.filter.ToUTF8().c_str(), "*");
    EXPECT_EQ(left.positions.count(), 0);

    EXPECT_STREQ(EncodeFileName(right.dir).c_str(), list.c_str());
    EXPECT_EQ(Cursor(right), "beta.c");
    EXPECT_EQ(right.num_tagged, 1);
    EXPECT_EQ(right.tagged_size, 1234u);
    EXPECT_STREQ(right.filter.ToUTF8().c_str(), "*.c|*.txt");
    EXPECT_EQ(right.subdirs.count(), 1);  // gamma
    ASSERT_EQ(right.positions.count(), 1);
    EXPECT_NE(right.positions.Find(L"/somewhere"), nullptr);
    EXPECT_GE(clock_hidden, 1);

    // Both are drawn on their new sides: the brief list on the left, the
    // fixed files (filtered) on the right.
    EXPECT_EQ(ui.Text(1, 1, 3), ".. ");
    EXPECT_EQ(ui.Text(14, 1, 3), "f18");
    EXPECT_EQ(ui.Text(41, 2, 5), "gamma");
    EXPECT_EQ(ui.Text(41, 3, 9), "alpha.txt");
    EXPECT_EQ(ui.Attr(41, 3), colours[CLR_TAGGED]);
    ASSERT_NE(left.window, nullptr);
    ASSERT_NE(right.window, nullptr);
    EXPECT_EQ(left.window->left(), 0);
    EXPECT_EQ(right.window->left(), 40);

    // A hidden panel stays hidden after the swap, on the other side.
    remove_panel(&right);
    swap_panels(panel_base);
    EXPECT_FALSE(left.visible);
    EXPECT_TRUE(right.visible);
    EXPECT_STREQ(EncodeFileName(right.dir).c_str(), many.c_str());
    EXPECT_EQ(ui.Text(41, 1, 3), ".. ");
    EXPECT_EQ(ui.Char(0, 0), L' ');  // nothing drawn where the hidden one would be
}
