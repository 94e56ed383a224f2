// Tagging: one entry, all entries, and by a mask through the select dialog.

#include "tests/panels/display_test_util.h"

namespace {

using Names = std::vector<std::string>;

class PanelTagTest : public DisplayTest {
protected:
    PANEL& Tagging(paneldetail detail = DETAIL_FULL) {
        const std::string dir = tmp / "t";
        for (const std::string& sub : {dir, dir + "/docs", dir + "/src"}) MakeDir(sub);
        for (auto [name, size] : {std::pair("a.txt", 100), {"b.txt", 20}, {"c.log", 3}, {"descript.ion", 7}})
            Touch(dir + "/" + name, size);
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

    tag(&panel, 0, 0);  // ".." is never tagged
    tag(&panel, -1, 1);
    tag(&panel, panel.num_files, 1);
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
    EXPECT_EQ(panel.tagged_size, 0u);

    config.TagDirs = true;
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
    EXPECT_EQ(panel.tagged_size, 23u);
    EXPECT_FALSE(reserved_file(L"DESCRIPT.ION"));  // exact names only
}

TEST_F(PanelTagTest, SelectByMaskRefusesABadMaskAndAltDAddsDirectories) {
    PANEL& panel = Tagging();
    ui.RecordScreens(true);
    ui.Type("(");  // replaces the offered mask
    ui.Keys("Alt-d Enter Enter BackSpace");
    ui.Type("*s*");
    ui.Keys("Enter");
    ui.RunVoid([&] { wild_tag(&panel, 1, 0); });
    EXPECT_TRUE(AnyScreenShows(ui, "Select the files/directories"));
    EXPECT_TRUE(AnyScreenShows(ui, "Syntax error in search expression"));
    EXPECT_EQ(Tagged(panel), (Names{"docs", "src"}));
    EXPECT_FALSE(ui.Find("Select the files"));  // gone afterwards

    // Unselecting by mask; Esc changes nothing.
    ui.Keys("Esc");
    ui.RunVoid([&] { wild_tag(&panel, -1, 0); });
    EXPECT_TRUE(AnyScreenShows(ui, "Unselect the files/directories"));
    EXPECT_EQ(Tagged(panel).size(), 2u);
}
