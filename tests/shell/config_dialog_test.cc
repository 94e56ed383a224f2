// The options dialog: its layout, editing in place, Cancel putting every
// setting back, and the steps after OK.

#include "config/config.h"
#include "console/cliplines.h"
#include "console/dialog.h"
#include "tests/shell/config_fixture.h"

namespace {

struct HookCalls {
    int remove_clock = 0, make_clock = 0, reread_locale = 0, refresh = 0, change_lines = 0, help = 0;
    std::string topic;
};
HookCalls calls;

class ConfigDialogTest : public ConfigFileTest {
protected:
    void SetUp() override {
        ConfigFileTest::SetUp();
        calls = HookCalls();
        config_hooks.remove_clock = [] { calls.remove_clock++; };
        config_hooks.make_clock = [] { calls.make_clock++; };
        config_hooks.reread_locale = [] { calls.reread_locale++; };
        config_hooks.refresh_panels = [] { calls.refresh++; };
        config_hooks.change_lines = [] { calls.change_lines++; };
        config_hooks.show_help = [](const char* topic) {
            calls.help++;
            calls.topic = topic;
        };
    }
    int Edit(const std::string& keys) {
        ui.Keys(keys);
        ui.RecordScreens(true);
        return ui.Run([] { return edit_config(); });
    }
    // Where a text is on the dialog's first screen.
    void Locate(const std::string& text, int& x, int& y) const {
        const CUiTest::Screen& first = ui.Screens().front();
        ASSERT_TRUE(first.Find(text, &x, &y)) << text << "\n" << first.Dump();
    }
};

}  // namespace

TEST_F(ConfigDialogTest, OkKeepsTheEditsAndRunsTheAfterSteps) {
    config.Viewer = L"less";
    config.Clock = true;
    EXPECT_EQ(Edit("End Space - R Enter"), 13);
    EXPECT_TRUE(config.Viewer == L"less -R") << Narrow(config.Viewer);
    EXPECT_EQ(calls.refresh, 1);
    EXPECT_EQ(calls.make_clock, 1);
    EXPECT_EQ(calls.change_lines, 0);  // the size did not change
}

TEST_F(ConfigDialogTest, HelpKeepsTheDialogOpenAndCancelPutsEverySettingBack) {
    config.Viewer = L"less";
    config.AutoSave = false;
    clip_use_desktop = true;
    config.TimeMode = 12;
    // Once to find where the controls are (a check box or button is left of
    // its label), asking for help twice on the way.
    EXPECT_EQ(Edit("F1 F1 Esc"), 27);
    EXPECT_EQ(calls.help, 2);
    EXPECT_EQ(calls.topic, "Configuration");
    std::vector<std::pair<int, int>> boxes;
    for (const char* label : {"Auto Save", "Use X clipboard", "24 HR"}) {
        int x = 0, y = 0;
        Locate(label, x, y);
        boxes.emplace_back(x - 4, y);
    }
    ui.Keys("End x");  // the Viewer field has the focus
    for (const auto& [x, y] : boxes) ui.Click(x, y);
    ui.Keys("Esc");
    EXPECT_EQ(ui.Run([] { return edit_config(); }), 27);
    EXPECT_TRUE(config.Viewer == L"less");
    EXPECT_FALSE(config.AutoSave);
    EXPECT_TRUE(clip_use_desktop);
    EXPECT_EQ(config.TimeMode, 12);
    EXPECT_EQ(calls.refresh, 0);
    config_hooks.show_help = nullptr;  // no help viewer yet: nothing is shown
    EXPECT_EQ(Edit("F1 Esc"), 27);
}

TEST_F(ConfigDialogTest, ANewScreenSizeResizes) {
    EXPECT_EQ(Edit("Esc"), 27);
    int x = 0, y = 0;
    Locate("Lines", x, y);
    ui.Click(x + 15, y);  // the Lines field
    ui.Keys("End BackSpace BackSpace BackSpace");
    ui.Type("30");
    ui.Keys("Enter");
    EXPECT_EQ(ui.Run([] { return edit_config(); }), 13);
    EXPECT_EQ(config.Lines, 30);
    EXPECT_EQ(config.screen_rows, 30);
    EXPECT_EQ(calls.change_lines, 1);
}
