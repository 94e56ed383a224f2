// The progress windows of directory reading and file loading, drawn from
// their own thread and taken away afterwards.
#include "panels/progress.h"

#include "tests/panels/panel_test_util.h"

// A bar of full blocks followed by light shade, as UTF-8.
std::string Bar(int full, int light) {
    std::string bar;
    for (int i = 0; i < full; i++) bar += "\xe2\x96\x88";
    for (int i = 0; i < light; i++) bar += "\xe2\x96\x91";
    return bar;
}

TEST(FileReadProgress, ShowsTheTitleAndThePartRead) {
    CUiTest ui;
    std::vector<ScreenCell> before = ui.Snapshot();
    {
        FileReadProgress progress(L"Loading notes.txt", 1, 1);
        progress.SetProgress(50, 100);
        ASSERT_TRUE(WaitForScreen(ui, Bar(18, 18))) << ui.Dump();
        EXPECT_TRUE(ui.Find("Loading notes.txt")) << ui.Dump();
        progress.SetProgress(200, 100);  // more than the total: a full bar
        ASSERT_TRUE(WaitForScreen(ui, Bar(36, 0))) << ui.Dump();
    }
    EXPECT_EQ(ui.Snapshot(), before);
}

// ---------------------------------------------------------------- inside a read

class ReadProgressTest : public PanelTest {};

TEST_F(ReadProgressTest, SlowReadShowsTheWindowAndTakesItAwayAfterwards) {
    CUiTest ui;
    for (int i = 0; i < 20; i++) Touch(tmp / NumberedName("f", i));
    ui.FillPattern();
    std::vector<ScreenCell> before = ui.Snapshot();
    static CUiTest* active;
    static bool shown;
    active = &ui;
    shown = false;
    // The read stalls at its tenth entry until the window has appeared.
    panel_hooks.each_entry = [](PANEL*, int taken) {
        if (taken == 10) shown = WaitForScreen(*active, "Reading directory:");
    };
    PANEL panel;
    SetUpPanel(panel, tmp.path());
    read_panel(&panel);
    EXPECT_TRUE(shown);
    EXPECT_EQ(panel.num_files, 21);
    EXPECT_EQ(ui.Snapshot(), before);
}

