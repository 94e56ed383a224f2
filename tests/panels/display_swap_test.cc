// Swapping the panels: each keeps its own list, tags, filter and remembered
// places, now on the other side, and a hidden one stays hidden.
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
    left.positions.Store(L"/somewhere", 3, L"x");
    SetUpPanel(right, many);
    right.detail = DETAIL_BRIEF;
    read_panel(&right);
    make_panel(&right, 1);

    swap_panels(panel_base);
    EXPECT_EQ(left.detail, DETAIL_BRIEF);
    EXPECT_EQ(right.tagged_size, 1234u);
    EXPECT_STREQ(right.filter.ToUTF8().c_str(), "*.c|*.txt");
    EXPECT_NE(right.positions.Find(L"/somewhere"), nullptr);
    // Both are drawn on their new sides.
    EXPECT_EQ(ui.Text(14, 1, 3), "f18");
    EXPECT_EQ(ui.Text(41, 3, 9), "alpha.txt");
    EXPECT_EQ(ui.Attr(41, 3), colours[CLR_TAGGED]);

    // A hidden panel stays hidden after the swap, on the other side.
    remove_panel(&right);
    swap_panels(panel_base);
    EXPECT_FALSE(left.visible);
    EXPECT_TRUE(right.visible);
    EXPECT_EQ(ui.Text(41, 1, 3), ".. ");
    EXPECT_EQ(ui.Char(0, 0), L' ');  // nothing drawn where the hidden one would be
}
