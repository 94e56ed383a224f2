// The panel dialogs: the filter of a panel and the mount-point chooser.
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "tests/panels/display_test_util.h"

namespace {

class PanelDialogTest : public DisplayTest {
protected:
    void TearDown() override {
        mount_chooser_table = nullptr;
        DisplayTest::TearDown();
    }
    // A mount table of the directories m1 and m2 in tmp, with a file in m2.
    std::string FakeMounts() {
        MakeDir(tmp / "m1");
        MakeDir(tmp / "m2");
        Touch(tmp / "m2/inside");
        table_ = tmp.Write("mounts", "/dev/fake1 " + tmp / "m1" + " ext4 rw 0 0\n" + "/dev/fake2 " + tmp / "m2" +
                                         " vfat rw 0 0\n");
        mount_chooser_table = table_.c_str();
        return table_;
    }
    std::string table_;
};

}  // namespace

TEST_F(PanelDialogTest, FilterDialogRefusesABadExpressionAndKeepsItsText) {
    PANEL& right = panel_base[1];
    right.filter = L"*";
    ui.RecordScreens(true);
    ui.Type("(*.c");
    ui.Keys("Enter Enter End");
    ui.Type(")");
    ui.Keys("Enter");
    EXPECT_EQ(ui.Run([&] { return edit_filter(1) ? 1 : 0; }), 1);
    EXPECT_STREQ(right.filter.ToUTF8().c_str(), "(*.c)");
    ASSERT_FALSE(ui.Screens().empty());
    const CUiTest::Screen& first = ui.Screens().front();
    int x = -1, y = -1;
    ASSERT_TRUE(first.Find("Filter for right panel", &x, &y)) << first.Dump();
    EXPECT_EQ(y, 6);  // row 0 of a dialog at row 5
    EXPECT_EQ(x, 4);  // inside a 76-column dialog centred on 80
    EXPECT_EQ(first.Attr(x, y), colours[CLR_MESSAGES]);
    EXPECT_TRUE(AnyScreenShows(ui, "Syntax error in expression"));
    EXPECT_FALSE(ui.Contains("Filter for"));

    // Esc leaves the filter alone; so does an empty expression refused.
    PANEL& left = panel_base[0];
    left.filter = L"*.txt";
    ui.Keys("Esc");
    EXPECT_EQ(ui.Run([&] { return edit_filter(0) ? 1 : 0; }), 0);
    EXPECT_STREQ(left.filter.ToUTF8().c_str(), "*.txt");
    ui.Type(" ");  // replaces the text: an empty mask
    ui.Keys("Enter Enter Esc");
    EXPECT_EQ(ui.Run([&] { return edit_filter(0) ? 1 : 0; }), 0);
    EXPECT_STREQ(left.filter.ToUTF8().c_str(), "*.txt");
    EXPECT_FALSE(ui.RanDry());
    EXPECT_FALSE(edit_filter(2));
}

TEST_F(PanelDialogTest, MountChooserListsTheTableAndEntersTheChosenMountPoint) {
    FakeMounts();
    PANEL& left = ShowLeft(MakeFixedFiles());
    left.cur = 3;
    ui.RecordScreens(true);
    ui.AllowIdle(true);
    ui.Keys("Down Enter");
    ui.RunVoid([&] { ChooseMountPoint(&left, false); });
    ASSERT_FALSE(ui.Screens().empty());
    const CUiTest::Screen& shown = ui.Screens().front();
    for (const char* text : {" Mount Points ", " Alt-E=Eject ", "Device", "Mount Point", "File System", "   Size",
                             "   Free", "/dev/fake1", "/dev/fake2", "ext4", "vfat"}) {
        EXPECT_TRUE(shown.Find(text)) << text << "\n" << shown.Dump();
    }
    int x = -1, y = -1;
    ASSERT_TRUE(shown.Find("/dev/fake2", &x, &y));
    int heading_x = -1, heading_y = -1;
    ASSERT_TRUE(shown.Find("Device", &heading_x, &heading_y));
    EXPECT_EQ(heading_x, x);
    EXPECT_EQ(shown.Attr(heading_x, heading_y), colours[CLR_COLUMN_HEADING]);

    EXPECT_STREQ(EncodeFileName(left.dir).c_str(), (tmp / "m2").c_str());
    EXPECT_EQ(left.top, 0);
    EXPECT_EQ(left.cur, 0);
    EXPECT_EQ(ListNames(left), (std::vector<std::string>{"..", "inside"}));
    EXPECT_EQ(ui.Text(1, 2, 6), "inside");  // painted, the dialog gone
    EXPECT_FALSE(ui.Contains("Mount Points"));

    // A hidden tree-style panel takes the other panel's style and is shown.
    remove_panel(&left);
    left.detail = DETAIL_TREE;
    panel_base[1].detail = DETAIL_WIDE;
    ui.Keys("Home Enter");
    ui.RunVoid([&] { ChooseMountPoint(&left, false); });
    EXPECT_STREQ(EncodeFileName(left.dir).c_str(), (tmp / "m1").c_str());
    EXPECT_EQ(left.detail, DETAIL_WIDE);
    EXPECT_TRUE(left.visible);
    EXPECT_EQ(ui.Text(10, 1, 2), "..");

    // Esc changes nothing.
    ui.Keys("Esc");
    ui.RunVoid([&] { ChooseMountPoint(&left, false); });
    EXPECT_STREQ(EncodeFileName(left.dir).c_str(), (tmp / "m1").c_str());
}

TEST_F(PanelDialogTest, MountChooserReloadsOnCtrlR) {
    FakeMounts();
    PANEL& left = ShowLeft(MakeFixedFiles());
    ui.AllowIdle(true);
    bool saw_first = false, saw_reloaded = false;
    std::thread user([&] {
        saw_first = WaitForScreen(ui, "/dev/fake2");
        tmp.Write("mounts", "/dev/other " + tmp / "m1" + " xfs rw 0 0\n");
        ui.Headless().PostKey(18);  // Ctrl-R
        saw_reloaded = WaitForScreen(ui, "/dev/other");
        ui.Headless().PostKey(27);
    });
    ui.RunVoid([&] { ChooseMountPoint(&left, false); });
    user.join();
    EXPECT_TRUE(saw_first);
    EXPECT_TRUE(saw_reloaded);
    EXPECT_STREQ(EncodeFileName(left.dir).c_str(), (tmp / "list").c_str());
}

TEST_F(PanelDialogTest, EjectFailureIsReportedAndKeepsTheDialogOpen) {
    // A mount point that does not exist: the mount service has no mount for it.
    table_ = tmp.Write("mounts", "/dev/gone /nonexistent/dv-test-mount ext4 rw 0 0\n");
    mount_chooser_table = table_.c_str();
    PANEL& left = ShowLeft(MakeFixedFiles());
    ui.RecordScreens(true);
    ui.AllowIdle(true);
    ui.Keys("Alt-e Enter Esc");
    ui.RunVoid([&] { ChooseMountPoint(&left, true); });
    EXPECT_TRUE(AnyScreenShows(ui, "Error ejecting"));
    EXPECT_STREQ(EncodeFileName(left.dir).c_str(), (tmp / "list").c_str());
    EXPECT_EQ(ui.QueueLength(), 0);
}
