// The panel dialogs: the filter of a panel and the mount-point chooser.

#include "tests/panels/display_test_util.h"

namespace {

class PanelDialogTest : public DisplayTest {
protected:
    void TearDown() override {
        mount_chooser_table = nullptr;
        DisplayTest::TearDown();
    }
    // The mount chooser reads a table of these lines.
    void FakeMounts(const std::string& lines) {
        table_ = tmp.Write("mounts", lines);
        mount_chooser_table = table_.c_str();
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
    EXPECT_TRUE(AnyScreenShows(ui, "Filter for right panel"));
    EXPECT_TRUE(AnyScreenShows(ui, "Syntax error in expression"));
    EXPECT_FALSE(ui.Find("Filter for"));

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
}

TEST_F(PanelDialogTest, MountChooserListsTheTableAndEntersTheChosenMountPoint) {
    // The directories m1 and m2, with a file in m2.
    MakeDir(tmp / "m1");
    MakeDir(tmp / "m2");
    Touch(tmp / "m2/inside");
    FakeMounts("/dev/fake1 " + tmp / "m1" + " ext4 rw 0 0\n/dev/fake2 " + tmp / "m2" + " vfat rw 0 0\n");
    PANEL& left = ShowLeft(MakeFixedFiles());
    left.cur = 3;
    ui.RecordScreens(true);
    ui.AllowIdle(true);
    ui.Keys("Down Enter");
    ui.RunVoid([&] { ChooseMountPoint(&left, false); });
    ASSERT_FALSE(ui.Screens().empty());
    const CUiTest::Screen& shown = ui.Screens().front();
    for (const char* text : {" Mount Points ", " Alt-E=Eject ", "Device", "Mount Point", "File System", "   Size",
                             "   Free", "/dev/fake1", "vfat"}) {
        EXPECT_TRUE(shown.Find(text)) << text << "\n" << shown.Dump();
    }
    EXPECT_STREQ(EncodeFileName(left.dir).c_str(), (tmp / "m2").c_str());
    EXPECT_EQ(left.top + left.cur, 0);
    EXPECT_EQ(ui.Text(1, 2, 6), "inside");  // painted, the dialog gone
    EXPECT_FALSE(ui.Find("Mount Points"));

    // Esc changes nothing.
    ui.Keys("Esc");
    ui.RunVoid([&] { ChooseMountPoint(&left, false); });
    EXPECT_STREQ(EncodeFileName(left.dir).c_str(), (tmp / "m2").c_str());
}

TEST_F(PanelDialogTest, EjectFailureIsReportedAndKeepsTheDialogOpen) {
    // A mount point that does not exist: the mount service has no mount for it.
    FakeMounts("/dev/gone /nonexistent/dv-test-mount ext4 rw 0 0\n");
    PANEL& left = ShowLeft(MakeFixedFiles());
    ui.RecordScreens(true);
    ui.AllowIdle(true);
    ui.Keys("Alt-e Enter Esc");
    ui.RunVoid([&] { ChooseMountPoint(&left, true); });
    EXPECT_TRUE(AnyScreenShows(ui, "Error ejecting"));
    EXPECT_STREQ(EncodeFileName(left.dir).c_str(), (tmp / "list").c_str());
    EXPECT_EQ(ui.QueueLength(), 0);
}
