// Start-up: the panels start where the command line or the settings say,
// and the screen is at least 80 by 25.
#include "shell/screen.h"
#include "tests/shell/mainloop_fixture.h"

namespace {

class StartTest : public MainLoopTest {};

TEST_F(StartTest, PanelsShowTheirDirectoriesOnAGrownScreenAndTheShutdownClearsUp) {
    left_.Write("alpha.txt", "a");
    right_.Write("gamma.txt", "g");
    ASSERT_TRUE(ui.Console().SetSize(60, 20));  // a small screen grows to 80 by 25
    RunKeys();
    EXPECT_EQ(std::pair(ui.Console().columns(), ui.Console().rows()), std::pair(80, 25));
    EXPECT_EQ(config.panel_rows, 19);
    ASSERT_FALSE(Screens().empty());
    const CUiTest::Screen& first = Screens().front();
    for (const auto& [name, side] : {std::pair("alpha.txt", 0), std::pair("gamma.txt", 1)})
        EXPECT_GE(RowOf(first, name, side), 1) << name << "\n" << first.Dump();
    EXPECT_EQ(RowOf(first, "gamma.txt", 0), -1) << first.Dump();
    // The prompt is the current (left) panel's directory; the key bar below.
    EXPECT_EQ(CommandLine(first), left_.path() + ">") << first.Dump();
    EXPECT_EQ(first.Text(0, 24, 7), "1Help  ");
    // Afterwards: the window title restored, the bottom rows blank, the cursor shown.
    EXPECT_STREQ(ui.Headless().View().Title().ToUTF8().c_str(), Westring(kProgramTitle).ToUTF8().c_str());
    EXPECT_EQ(ui.Line(23) + ui.Line(24), "");
    EXPECT_GT(ui.Console().GetCursorType(), 0);
}

TEST_F(StartTest, AResizedWindowGivesTheScreenTheCellsThatFitNeverBelow80By25) {
    right_.Write("gamma.txt", "g");
    const int cell_width = ui.Console().cell_width(), cell_height = ui.Console().cell_height();
    ui.Console().OnAreaResized(100 * cell_width + cell_width / 2, 30 * cell_height + 1);  // part cells left over
    RunKeys();
    EXPECT_EQ(std::pair(config.screen_columns, config.screen_rows), std::pair(100, 30));
    const CUiTest::Screen& wide = Screens().back();
    ASSERT_EQ(std::pair(wide.columns, wide.rows), std::pair(100, 30));
    EXPECT_EQ(wide.Text(0, 29, 7), "1Help  ") << wide.Dump();
    EXPECT_GE(RowOf(wide, "gamma.txt", 1), 1) << wide.Dump();
    EXPECT_NE(wide.Char(99, 1), L' ') << wide.Dump();  // the right panel's frame

    ui.Console().OnAreaResized(50 * cell_width, 40 * cell_height);  // too narrow: 80 columns
    RunKeys();
    EXPECT_EQ(std::pair(config.screen_columns, config.screen_rows), std::pair(80, 40));
    EXPECT_EQ(Screens().back().Text(0, 39, 7), "1Help  ") << Screens().back().Dump();
}

TEST_F(StartTest, AnOpenDialogStaysCentredWhenTheWindowIsResized) {
    right_.Write("gamma.txt", "g");
    const int cell_width = ui.Console().cell_width(), cell_height = ui.Console().cell_height();
    ui.Keys("F7");
    ui.Type("new");
    ui.Console().OnAreaResized(100 * cell_width, 30 * cell_height);
    ui.Keys("Left");  // the dialog still reads its keys
    RunKeys("Esc");
    const auto with_dialog = [&](int columns) {
        for (const CUiTest::Screen& screen : Screens())
            if (screen.columns == columns && screen.Find("Create the directory")) return &screen;
        return static_cast<const CUiTest::Screen*>(nullptr);
    };
    const CUiTest::Screen* before = with_dialog(80);
    const CUiTest::Screen* after = with_dialog(100);
    ASSERT_TRUE(before && after);
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    ASSERT_TRUE(before->Find("Create the directory", &x0, &y0));
    ASSERT_TRUE(after->Find("Create the directory", &x1, &y1));
    EXPECT_EQ(std::pair(x1 - x0, y1 - y0), std::pair(10, 6 - 4)) << after->Dump();  // centred as it was made
    EXPECT_TRUE(after->Find("new")) << after->Dump();                                // what was typed stays
    // The program beneath is laid out for the new size, with nothing left of
    // the dialog where it stood before.
    EXPECT_GE(RowOf(*after, "gamma.txt", 1), 1) << after->Dump();
    EXPECT_EQ(after->Text(0, 29, 7), "1Help  ") << after->Dump();
    EXPECT_EQ(CommandLine(*after), left_.path() + ">") << after->Dump();
    EXPECT_NE(after->Attr(x0, y0), before->Attr(x0, y0)) << after->Dump();
    EXPECT_FALSE(Screens().back().Find("Create the directory")) << Screens().back().Dump();
    EXPECT_EQ(std::pair(config.screen_columns, config.screen_rows), std::pair(100, 30));
}

TEST_F(StartTest, SettingsChooseWhatTheSwitchesDoNotName) {
    CTempDir configured;
    configured.Write("setting", "");
    left_.Write("switched", "");
    Ini("Left=" + configured.path() + "\r\nRight=" + configured.path() + "\r\n");
    QueueQuit();
    EXPECT_EQ(Run({"-l", left_.path()}, false), 0);
    EXPECT_GE(RowOf(Screens().front(), "switched", 0), 1) << Screens().front().Dump() << ReadFile(ini_);
    EXPECT_GE(RowOf(Screens().front(), "setting", 1), 1) << Screens().front().Dump();

    Ini("StartupSide=R\r\n");  // the right panel current
    RunKeys();
    EXPECT_EQ(CommandLine(Screens().front()), right_.path() + ">");
    EXPECT_EQ(currpanel, 1);
}

TEST_F(StartTest, AStartDirectoryThatCannotBeOpenedIsNamed) {
    ASSERT_EQ(chdir(right_.path().c_str()), 0);
    ui.Keys("Enter");  // the message
    QueueQuit();
    EXPECT_EQ(Run({"-l", "/no/such/dir", "-r", right_.path()}, false), 0);
    EXPECT_TRUE(AnyScreenShows(ui, "Cannot open /no/such/dir: No such file or directory"));
    EXPECT_TRUE(AnyScreenShows(ui, "The left panel shows " + right_.path()));
}

TEST_F(StartTest, TheNumLockSettingSwitchesNumLockOn) {
    RunKeys();
    EXPECT_EQ(ui.Headless().View().NumLockRequests(), 0);
    Ini("NumLock=on\r\n");
    RunKeys();
    EXPECT_EQ(ui.Headless().View().NumLockRequests(), 1);
}

// ---- the start directory rules

std::string Start(const std::string& named, const std::string& setting) {
    return StartDirectory(Westring(named.c_str()), Westring(setting.c_str())).ToUTF8().c_str();
}

TEST_F(StartTest, NamedDirectoryFirstThenTheSettingThenFallBacks) {
    EXPECT_EQ(Start(left_.path(), right_.path()), left_.path());
    EXPECT_EQ(Start("", right_.path()), right_.path());
    ASSERT_EQ(chdir(left_.path().c_str()), 0);
    left_.MakeDir("inner");
    EXPECT_EQ(Start("inner", ""), left_ / "inner");  // a relative name becomes absolute
    // Missing directories, or a file: the current directory, then HOME, then the root.
    left_.Write("plain", "");
    for (const std::string& named : {std::string("/no/such/dir"), std::string(), left_ / "plain"})
        EXPECT_EQ(Start(named, ""), left_.path()) << named;
    CTempDir doomed;
    ASSERT_EQ(chdir(doomed.path().c_str()), 0);
    ASSERT_EQ(rmdir(doomed.path().c_str()), 0);
    EXPECT_EQ(Start("/no/such/dir", ""), home_.path());
    setenv("HOME", "/no/such/home", 1);
    EXPECT_EQ(Start("/no/such/dir", ""), "/");
    unsetenv("HOME");
    EXPECT_EQ(Start("/no/such/dir", ""), "/");
}

}  // namespace
