// Tagging: one entry, all entries, and by a mask through the select dialog.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/panels/display_test_util.h"

namespace {

using Names = std::vector<std::string>;

class PanelTagTest : public DisplayTest {
protected:
    PANEL& Tagging(paneldetail detail = DETAIL_FULL) {
        const std::string dir = tmp / "t";
        MakeDir(dir);
        MakeDir(dir + "/docs");
        MakeDir(dir + "/src");
        Touch(dir + "/a.txt", 100);
        Touch(dir + "/b.txt", 20);
        Touch(dir + "/c.log", 3);
        Touch(dir + "/descript.ion", 7);
        return ShowLeft(dir, detail);
    }
    static constexpr int kShift = CConsole::TEvent::Shift;
};

}  // namespace

TEST_F(PanelTagTest, TagUntagAndToggleKeepTheCounts) {
    PANEL& panel = Tagging();
    const int a = IndexOf(panel, "a.txt");
    // 0 toggles; tagging a tagged entry or untagging an untagged one does nothing.
    for (auto [how, count] : {std::pair(0, 1), std::pair(1, 1), std::pair(0, 0), std::pair(-1, 0)}) {
        tag(&panel, a, how);
        EXPECT_EQ(panel.num_tagged, count) << how;
        EXPECT_EQ(panel.tagged_size, 100u * count) << how;
        EXPECT_EQ(ui.Attr(1, 1 + a), colours[count ? CLR_TAGGED : CLR_PANEL]) << how;  // redrawn on the page
    }

    for (int how : {1, 0}) {
        tag(&panel, 0, how);  // ".." is never tagged
        EXPECT_FALSE(panel.files[0]->tagged);
    }
    tag(&panel, -1, 1);
    tag(&panel, panel.num_files, 1);
    EXPECT_EQ(panel.num_tagged, 0);

    panel.detail = DETAIL_TREE;  // nor anything in the tree style
    tag(&panel, a, 1);
    EXPECT_EQ(panel.num_tagged, 0);
}

TEST_F(PanelTagTest, TagAllFollowsTagDirsShiftAndTheReservedNames) {
    PANEL& panel = Tagging();
    tag_all(&panel, 1, 0);
    EXPECT_EQ(Tagged(panel), (Names{"a.txt", "b.txt", "c.log"}));
    EXPECT_EQ(panel.tagged_size, 123u);
    show_cursor(panel_base, 0, true);
    EXPECT_EQ(Status(), "    123 bytes in 3 selected files");

    tag_all(&panel, -1, 0);
    EXPECT_TRUE(Tagged(panel).empty());
    tag_all(&panel, 1, kShift);  // Shift includes the directories
    EXPECT_EQ(Tagged(panel), (Names{"docs", "src", "a.txt", "b.txt", "c.log"}));
    tag_all(&panel, -1, 0);  // unselecting always reaches them
    EXPECT_TRUE(Tagged(panel).empty());
    EXPECT_EQ(panel.num_tagged, 0);
    EXPECT_EQ(panel.tagged_size, 0u);

    config.TagDirs = true;
    tag_all(&panel, 1, 0);
    EXPECT_EQ(Tagged(panel).size(), 5u);
    tag_all(&panel, -1, 0);
    tag_all(&panel, 1, kShift);  // Shift inverts the setting
    EXPECT_EQ(Tagged(panel), (Names{"a.txt", "b.txt", "c.log"}));
    config.TagDirs = false;

    // A reserved name is never selected, but can be unselected.
    tag(&panel, IndexOf(panel, "descript.ion"), 1);
    tag_all(&panel, -1, 0);
    EXPECT_TRUE(Tagged(panel).empty());
    // Inverting.
    tag(&panel, IndexOf(panel, "a.txt"), 1);
    tag_all(&panel, 0, 0);
    EXPECT_EQ(Tagged(panel), (Names{"b.txt", "c.log"}));
    EXPECT_EQ(panel.num_tagged, 2);
    EXPECT_EQ(panel.tagged_size, 23u);

    EXPECT_TRUE(reserved_file(L"EA DATA. SF"));
    EXPECT_TRUE(reserved_file(L"WP ROOT. SF"));
    EXPECT_FALSE(reserved_file(L"DESCRIPT.ION"));  // exact names only
    EXPECT_FALSE(reserved_file(nullptr));
}

TEST_F(PanelTagTest, SelectByMaskThroughTheDialog) {
    PANEL& panel = Tagging();
    ui.Type("*.txt");
    ui.Keys("Enter");
    ui.RecordScreens(true);
    ui.RunVoid([&] { wild_tag(&panel, 1, 0); });
    EXPECT_EQ(Tagged(panel), (Names{"a.txt", "b.txt"}));
    ASSERT_FALSE(ui.Screens().empty());
    const CUiTest::Screen& first = ui.Screens().front();
    int x = -1, y = -1;
    ASSERT_TRUE(first.Find("Select the files", &x, &y)) << first.Dump();
    EXPECT_EQ(y, 7);  // row 0 of a dialog at row 6
    EXPECT_TRUE(first.Find(" Alt-D=Dirs ")) << first.Dump();
    EXPECT_EQ(first.Attr(x, y), colours[CLR_MESSAGES]);
    EXPECT_FALSE(ui.Contains("Select the files"));  // gone afterwards

    // The mask is kept; Alt-D adds the directories; a bad mask is refused.
    ui.RecordScreens(false);
    ui.RecordScreens(true);
    ui.Keys("Alt-d BackSpace BackSpace BackSpace BackSpace BackSpace");
    ui.Type("(");
    ui.Keys("Enter Enter BackSpace");
    ui.Type("*s*");
    ui.Keys("Enter");
    ui.RunVoid([&] { wild_tag(&panel, 1, 0); });
    EXPECT_FALSE(ui.RanDry());
    const std::vector<CUiTest::Screen>& screens = ui.Screens();
    ASSERT_GE(screens.size(), 3u);
    EXPECT_TRUE(screens[0].Find("*.txt")) << screens[0].Dump();
    EXPECT_TRUE(screens[1].Find("Select the files/directories")) << screens[1].Dump();
    EXPECT_TRUE(AnyScreenShows(ui, "Syntax error in search expression"));
    EXPECT_EQ(Tagged(panel), (Names{"docs", "src", "a.txt", "b.txt"}));

    // Unselecting by mask; Esc changes nothing.
    ui.RecordScreens(false);
    ui.RecordScreens(true);
    ui.Keys("Esc");
    ui.RunVoid([&] { wild_tag(&panel, -1, 0); });
    EXPECT_TRUE(ui.Screens().front().Find("Unselect the files/directories")) << ui.Screens().front().Dump();
    EXPECT_EQ(Tagged(panel).size(), 4u);
    ui.Type("*.txt");
    ui.Keys("Enter");
    ui.RunVoid([&] { wild_tag(&panel, -1, 0); });
    EXPECT_EQ(Tagged(panel), (Names{"docs", "src"}));
}
