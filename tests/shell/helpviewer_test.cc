// The help window on a headless console: F1 on the main screen, in the
// options dialog, the viewer and the editor; scrolling with its marks; the
// index over a page; the end page; the mouse; and the messages when there
// is no help or the file is damaged.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "config/config.h"
#include "console/helptopics.h"
#include "editor/editor.h"
#include "shell/configdialog.h"
#include "shell/configfile.h"
#include "shell/helpfile.h"
#include "shell/helpviewer.h"
#include "tests/shell/mainloop_fixture.h"
#include "tests/support/temp_dir.h"
#include "tests/support/uitest.h"
#include "viewer/viewer.h"

namespace {

const std::string kSourceRoot = std::string(DV_TEST_DATA_DIR) + "/../..";
const std::string kBuiltHelp = std::filesystem::path(DV_BINARY_PATH).parent_path().string() + "/dv.dvh";

// The window on 80 x 25: columns 3 to 76, rows 0 to 19; its text area is
// columns 4 to 75 and rows 1 to 18, and the marks stand on column 76.
constexpr int kTextLeft = 4, kTextTop = 1, kTextRows = 18, kMarkColumn = 76;

// "line 1" ... "line n", one a line.
std::string NumberedLines(int n) {
    std::string text;
    for (int i = 1; i <= n; i++) text += "line " + std::to_string(i) + "\n";
    return text;
}

// Puts the hooks the help installs back as they were.
class HookGuard {
public:
    HookGuard() : show_(show_help_hook), editor_(editor_hooks), viewer_(viewer_hooks), config_(config_hooks) {}
    ~HookGuard() {
        show_help_hook = show_;
        editor_hooks = editor_;
        viewer_hooks = viewer_;
        config_hooks = config_;
    }

private:
    void (*show_)(int);
    EditorHooks editor_;
    ViewerHooks viewer_;
    ConfigHooks config_;
};

class HelpViewerTest : public ::testing::Test {
protected:
    void SetUp() override { set_default_colours(); }
    void TearDown() override {
        static_cast<void>(LoadHelpFile(Westring((dir_ / "absent").c_str())));
        dialog_scroll_delay = 0;
    }
    // Builds a help file from source text with the program's generator and loads it.
    void UseHelp(const std::string& source) {
        WriteFile(dir_ / "help.txt", source + "@topic 30000 End\nNo page here.\n");
        const std::string command = "python3 '" + kSourceRoot + "/scripts/make-help' '" + (dir_ / "help.txt") +
                                    "' '" + (dir_ / "help.dvh") + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << source;
        ASSERT_EQ(LoadHelpFile(Westring((dir_ / "help.dvh").c_str())), HelpState::kLoaded) << help_damage();
    }
    // Shows topic over the queued keys; the screens are recorded.
    void Show(int topic, const std::string& keys) {
        ui.Keys(keys);
        ui.RecordScreens(true);
        ui.RunVoid([&] { help(topic); });
        EXPECT_EQ(ui.QueueLength(), 0) << "the help window ended before reading every key";
    }
    const std::vector<CUiTest::Screen>& Screens() const { return ui.Screens(); }
    static std::string TextRow(const CUiTest::Screen& screen, int row) {
        std::string text = screen.Text(kTextLeft, kTextTop + row, 72);
        return text.substr(0, text.find_last_not_of(' ') + 1);
    }

    CTempDir dir_;
    CUiTest ui{80, 25};
};

}  // namespace

TEST_F(HelpViewerTest, TheWindowShowsThePageFramedAndTitledWithTheCursorHidden) {
    UseHelp("@topic 4 Options\nfirst line\n  indented \xC3\xA9 \xE2\x95\x90\n");
    Show(HELP_OPTIONS, "Esc");
    ASSERT_EQ(Screens().size(), 1u);
    const CUiTest::Screen& screen = Screens()[0];
    EXPECT_EQ(screen.Text(3, 0, 1), "\u2554") << screen.Dump();
    EXPECT_EQ(screen.Text(76, 19, 1), "\u255d") << screen.Dump();
    EXPECT_EQ(screen.Text(6, 0, 6), " Help ");
    EXPECT_TRUE(screen.Find(" Dorvik/L 2.50-dev "));
    EXPECT_EQ(screen.Text(61, 19, 13), " Esc to Exit ");
    EXPECT_EQ(TextRow(screen, 0), "first line");
    EXPECT_EQ(TextRow(screen, 1), "  indented \u00e9 \u2550");  // code page 850 read back
    EXPECT_EQ(screen.Attr(kTextLeft, kTextTop), colours[CLR_MESSAGES]);
    EXPECT_FALSE(screen.cursor_shown);
    // A short page has no marks: the frame stays whole.
    EXPECT_EQ(screen.Text(kMarkColumn, kTextTop, 1), "\u2551");
    EXPECT_EQ(screen.Text(kMarkColumn, kTextTop + kTextRows - 1, 1), "\u2551");
}

TEST_F(HelpViewerTest, ScrollingByLineAndPageWithMarksOnlyWhereThereIsMore) {
    UseHelp("@topic 2 Viewer\n" + NumberedLines(50));
    Show(HELP_VIEWER, "Up Down PgDn PgDn PgDn PgUp Home End Down PgDn Up Esc");
    const auto& s = Screens();
    ASSERT_EQ(s.size(), 12u);
    auto first = [&](size_t n) { return TextRow(s[n], 0); };
    auto last = [&](size_t n) { return TextRow(s[n], kTextRows - 1); };
    auto up = [&](size_t n) { return s[n].Text(kMarkColumn, kTextTop, 1); };
    auto down = [&](size_t n) { return s[n].Text(kMarkColumn, kTextTop + kTextRows - 1, 1); };

    EXPECT_EQ(first(0), "line 1");
    EXPECT_EQ(last(0), "line 18");
    EXPECT_EQ(up(0), "\u2551");
    EXPECT_EQ(down(0), "\u25bc");
    EXPECT_EQ(first(1), "line 1") << "Up at the top moves nothing";
    EXPECT_EQ(first(2), "line 2");  // Down
    EXPECT_EQ(last(2), "line 19");
    EXPECT_EQ(TextRow(s[2], 9), "line 11") << s[2].Dump();  // the scrolled rows are whole
    EXPECT_EQ(up(2), "\u25b2");
    EXPECT_EQ(first(3), "line 20");  // PgDn
    EXPECT_EQ(first(4), "line 33") << "PgDn stops at the last page";
    EXPECT_EQ(last(4), "line 50");
    EXPECT_EQ(down(4), "\u2551");
    EXPECT_EQ(first(5), "line 33") << "PgDn with nothing below moves nothing";
    EXPECT_EQ(first(6), "line 15");  // PgUp
    EXPECT_EQ(first(7), "line 1");   // Home
    EXPECT_EQ(last(8), "line 50");   // End shows the last line at the bottom
    EXPECT_EQ(down(8), "\u2551");
    EXPECT_EQ(up(8), "\u25b2");
    EXPECT_EQ(first(9), "line 33") << "Down at the end moves nothing";
    EXPECT_EQ(first(10), "line 33");
    EXPECT_EQ(first(11), "line 32");  // Up
    EXPECT_EQ(down(11), "\u25bc");
}

TEST_F(HelpViewerTest, F1OpensTheIndexOverThePageAndEscReturnsToIt) {
    UseHelp("@topic 0 Index\nthe index\n@topic 2 Viewer\n" + NumberedLines(30));
    Show(HELP_VIEWER, "Down F1 F1 Esc Esc");
    const auto& s = Screens();
    ASSERT_EQ(s.size(), 5u);
    EXPECT_EQ(TextRow(s[2], 0), "the index");
    EXPECT_EQ(TextRow(s[3], 0), "the index") << "F1 on the index opens nothing more";
    EXPECT_EQ(TextRow(s[4], 0), "line 2") << "Esc goes back to the page as it was";
    EXPECT_EQ(s[4].Text(kMarkColumn, kTextTop, 1), "\u25b2");
    // The index asked for itself takes one Esc too.
    ui.RecordScreens(false);
    Show(HELP_INDEX, "F1 Esc");
}

TEST_F(HelpViewerTest, ATopicTheFileLacksShowsTheEndPage) {
    UseHelp("@topic 1 Main\nmain page\n");
    Show(HELP_FIND_FILE, "Esc");
    EXPECT_EQ(TextRow(Screens()[0], 0), "No page here.");
    // Its F1 still offers the index (here the end page too, one level deeper).
    ui.RecordScreens(false);
    Show(HELP_FIND_FILE, "F1 Esc Esc");
}

TEST_F(HelpViewerTest, MouseScrollsWhileHeldAndAReleaseOutsideLeaves) {
    UseHelp("@topic 1 Main\n" + NumberedLines(60));
    // The window is rows 0 to 19: rows 0 to 5 its upper third, 14 to 19 its lower.
    ui.ButtonDown(40, 17);  // the lower third: a line down
    ui.ButtonUp(40, 17);
    ui.ButtonDown(40, 17, 3);  // with the right button: a page down
    ui.ButtonUp(40, 17, 3);
    ui.ButtonDown(40, 1);  // the upper third: a line up
    ui.Drag(40, 10);       // the middle third: scrolling stops
    ui.ButtonUp(40, 10);
    ui.WheelDown(40, 10);  // three lines down
    ui.RecordScreens(true);
    ui.Keys("Esc");
    ui.RunVoid([] { help(1); });
    ASSERT_EQ(ui.QueueLength(), 0);
    std::vector<int> tops;  // the first line shown, each change once
    for (const auto& screen : Screens()) {
        const int top = std::stoi(TextRow(screen, 0).substr(5));
        if (tops.empty() || tops.back() != top) tops.push_back(top);
    }
    EXPECT_EQ(tops, (std::vector<int>{1, 2, 2 + kTextRows, 1 + kTextRows, 4 + kTextRows}));

    // A release outside the window leaves it, and the screen beneath comes back.
    ui.FillPattern();
    const std::vector<ScreenCell> beneath = ui.Snapshot();
    ui.RecordScreens(false);
    ui.ButtonDown(40, 10);
    ui.ButtonUp(40, 23);
    ui.RunVoid([] { help(1); });
    EXPECT_EQ(ui.QueueLength(), 0);
    EXPECT_TRUE(ui.Snapshot() == beneath);
}

TEST_F(HelpViewerTest, WithoutHelpOrWithADamagedFileF1Explains) {
    static_cast<void>(LoadHelpFile(Westring((dir_ / "missing.dvh").c_str())));
    ui.RecordScreens(true);
    ui.Keys("Enter");
    ui.RunVoid([] { help(HELP_MAIN_SCREEN); });
    ASSERT_FALSE(Screens().empty());
    int x = 0, y = 0;
    ASSERT_TRUE(Screens()[0].Find("Help not loaded", &x, &y)) << Screens()[0].Dump();
    EXPECT_EQ(Screens()[0].Attr(x, y), colours[CLR_ERRORS]) << Screens()[0].Dump();

    // A record of length 0 ahead of the end record: refused, not looped on.
    WriteFile(dir_ / "bad.dvh", std::string("\x01\x00\x00\x00\x30\x75\x05\x00\x00", 9));
    EXPECT_EQ(LoadHelpFile(Westring((dir_ / "bad.dvh").c_str())), HelpState::kDamaged);
    ui.RecordScreens(false);
    ui.RecordScreens(true);
    ui.Keys("Enter");
    ui.RunVoid([] { help(HELP_MAIN_SCREEN); });
    ASSERT_FALSE(Screens().empty());
    EXPECT_TRUE(Screens()[0].Find("Help file damaged:")) << Screens()[0].Dump();
    EXPECT_TRUE(Screens()[0].Find("bad.dvh")) << Screens()[0].Dump();
}

TEST_F(HelpViewerTest, F1InTheOptionsTheViewerAndTheEditorShowsTheirPages) {
    HookGuard hooks;
    InstallHelpHooks();
    UseHelp("@topic 2 Viewer\nviewer page\n@topic 3 Editor\neditor page\n@topic 4 Options\noptions page\n"
            "@topic 10 Menu\nmenu file page\n@topic 11 Config\nconfig file page\n");
    const std::string text = dir_.Write("notes.txt", "some text\n");
    const std::string menu = dir_.Write("dv.mnu", "a Entry\n  ls\n");
    const std::string ini = dir_.Write("dv.ini", "Clock=off\n");
    editor_hooks.config_file = Westring(ini.c_str());
    ui.RecordScreens(true);

    ui.Keys("F1 Esc Esc");
    ui.Run([] { return edit_config(); });
    EXPECT_TRUE(AnyScreenShows(ui, "options page"));

    ui.Keys("F1 Esc Esc");
    ui.RunVoid([&] { static_cast<void>(view(Westring(text.c_str()).c_str())); });
    EXPECT_TRUE(AnyScreenShows(ui, "viewer page"));

    const struct {
        std::string file;
        const char* page;
    } editors[] = {{text, "editor page"}, {menu, "menu file page"}, {ini, "config file page"}};
    for (const auto& e : editors) {
        ui.RecordScreens(false);
        ui.RecordScreens(true);
        ui.Keys("F1 Esc Esc");
        ui.RunVoid([&] { static_cast<void>(edit(Westring(e.file.c_str()).c_str())); });
        EXPECT_TRUE(AnyScreenShows(ui, e.page)) << e.file;
    }
    EXPECT_EQ(ui.QueueLength(), 0);
}

namespace {

class MainScreenHelpTest : public MainLoopTest {
protected:
    void SetUp() override {
        MainLoopTest::SetUp();
        help_file_override = Westring(kBuiltHelp.c_str());
    }
    void TearDown() override {
        help_file_override = Westring();
        static_cast<void>(LoadHelpFile(Westring("/nonexistent/dv.dvh")));
        MainLoopTest::TearDown();
    }
};

}  // namespace

TEST_F(MainScreenHelpTest, F1ShowsTheMainScreensPageAndItsIndex) {
    void (*const hook_before)(int) = show_help_hook;
    RunKeys("F1 F1 Esc Esc");
    EXPECT_EQ(show_help_hook, hook_before) << "the run leaves its hook behind";
    // The built file's own pages: the main screen's title and then the index's.
    EXPECT_TRUE(Shown("The main screen"));
    EXPECT_TRUE(Shown("Dorvik/L help: index"));
    EXPECT_TRUE(Shown(" Esc to Exit "));
}

// F1 in the pull-down menu shows the page of the column it is on.
TEST_F(MainScreenHelpTest, F1InTheMenuShowsTheColumnsPage) {
    RunKeys("F9 F1 Esc Right F1 Esc Down Right F1 Esc Esc Esc");
    EXPECT_TRUE(Shown("The Left and Right menus"));
    EXPECT_TRUE(Shown("The Files menu"));
    EXPECT_TRUE(Shown("The Commands menu"));
}

TEST_F(HelpViewerTest, AResizedWindowMovesTheHelpWithTheScreen) {
    UseHelp("@topic 1 Main\n" + NumberedLines(40));
    CConsole::TEvent resize;
    resize.type = CConsole::TEvent::Resize;
    resize.x = 100;
    resize.y = 30;
    ui.Keys("Down");
    ui.Headless().Post(resize);
    Show(1, "Esc");
    ASSERT_EQ(Screens().size(), 3u);
    const CUiTest::Screen& after = Screens()[2];
    ASSERT_EQ(after.columns, 100) << after.Dump();
    // Centred on the wider screen, still at the line it showed.
    EXPECT_EQ(after.Text(13, 0, 1), "\u2554") << after.Dump();
    EXPECT_EQ(after.Text(14, kTextTop, 6), "line 2") << after.Dump();
    EXPECT_EQ(after.Text(13 + 73, kTextTop, 1), "\u25b2") << after.Dump();
}
