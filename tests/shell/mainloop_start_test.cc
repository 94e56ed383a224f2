// Start-up: the panels start where the command line or the settings say,
// the screen is at least 80 by 25, a bad command line ends the run at once.
#include <errno.h>

#include "lib/fsname.h"
#include "shell/screen.h"
#include "tests/shell/mainloop_fixture.h"

namespace {

class StartTest : public MainLoopTest {};

TEST_F(StartTest, PanelsShowTheirDirectories) {
    left_.Write("alpha.txt", "a");
    left_.Write("beta.txt", "b");
    right_.Write("gamma.txt", "g");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    ASSERT_FALSE(Screens().empty());
    const CUiTest::Screen& first = Screens().front();
    EXPECT_GE(RowOf(first, "alpha.txt", 0), 1) << first.Dump();
    EXPECT_GE(RowOf(first, "beta.txt", 0), 1) << first.Dump();
    EXPECT_GE(RowOf(first, "gamma.txt", 1), 1) << first.Dump();
    EXPECT_EQ(RowOf(first, "gamma.txt", 0), -1) << first.Dump();
    // The command line's prompt is the current (left) panel's directory.
    EXPECT_EQ(CommandLine(first), left_.path() + ">") << first.Dump();
    // The key bar.
    EXPECT_EQ(first.Text(0, 24, 7), "1Help  ");
}

TEST_F(StartTest, SettingsChooseTheDirectoriesTheSwitchesDoNotName) {
    CTempDir configured;
    configured.Write("setting", "");
    left_.Write("switched", "");
    Ini("Left=" + configured.path() + "\r\nRight=" + configured.path() + "\r\n");
    QueueQuit();
    EXPECT_EQ(Run({"-l", left_.path()}, false), 0);
    const CUiTest::Screen& first = Screens().front();
    EXPECT_GE(RowOf(first, "switched", 0), 1) << first.Dump() << Contents(ini_);
    EXPECT_GE(RowOf(first, "setting", 1), 1) << first.Dump();
}

TEST_F(StartTest, StartupSideRightMakesTheRightPanelCurrent) {
    Ini("StartupSide=R\r\n");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(CommandLine(Screens().front()), right_.path() + ">");
    EXPECT_EQ(currpanel, 1);
}

TEST_F(StartTest, ABadSwitchEndsTheRunBeforeTheScreenIsUsed) {
    EXPECT_EQ(Run({"-q"}), 1);
    EXPECT_TRUE(Screens().empty());
    EXPECT_EQ(Run({"-v"}), 1);
}

TEST_F(StartTest, ViewAndEditSwitchesStartTheFileManager) {
    left_.Write("file.txt", "x");
    QueueQuit();
    EXPECT_EQ(Run({"-v", left_ / "file.txt", "-e", left_ / "file.txt"}), 0);
    EXPECT_GE(RowOf(Screens().front(), "file.txt", 0), 1);
}

TEST_F(StartTest, ASmallScreenGrowsTo80By25) {
    ui.Console().SetSize(60, 20);
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(ui.Console().columns(), 80);
    EXPECT_EQ(ui.Console().rows(), 25);
    EXPECT_EQ(config.panel_rows, 19);
}

TEST_F(StartTest, ConfiguredLinesSetTheScreenSize) {
    Ini("Lines=30\r\nColumns=100\r\nFullScreen=off\r\n");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(ui.Console().columns(), 100);
    EXPECT_EQ(ui.Console().rows(), 30);
    EXPECT_EQ(config.panel_rows, 30 - (30 / 2 + 2));
}

TEST_F(StartTest, TheWindowTitleFollowsThePanelAndIsRestoredAtTheEnd) {
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_STREQ(ui.Headless().View().Title().ToUTF8().c_str(), Westring(kProgramTitle).ToUTF8().c_str());
}

TEST_F(StartTest, TheShutdownLeavesTheBottomRowsBlankAndTheCursorShown) {
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(ui.Line(23), "");
    EXPECT_EQ(ui.Line(24), "");
    int x = -1, y = -1;
    ui.CursorPos(x, y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 24);
    EXPECT_GT(ui.Console().GetCursorType(), 0);
}

// ---- the start directory rules

class StartDirectoryTest : public MainLoopTest {};

TEST_F(StartDirectoryTest, NamedDirectoryFirstThenTheSetting) {
    EXPECT_STREQ(StartDirectory(Westring(left_.path().c_str()), Westring(right_.path().c_str())).ToUTF8().c_str(),
                 left_.path().c_str());
    EXPECT_STREQ(StartDirectory(Westring(), Westring(right_.path().c_str())).ToUTF8().c_str(), right_.path().c_str());
}

TEST_F(StartDirectoryTest, ARelativeNameBecomesAbsolute) {
    ASSERT_EQ(chdir(left_.path().c_str()), 0);
    MakeDir(left_ / "inner");
    EXPECT_STREQ(StartDirectory(Westring(L"inner"), Westring()).ToUTF8().c_str(), (left_ / "inner").c_str());
}

TEST_F(StartDirectoryTest, MissingDirectoriesFallBackToCurrentThenHomeThenRoot) {
    ASSERT_EQ(chdir(left_.path().c_str()), 0);
    EXPECT_STREQ(StartDirectory(Westring(L"/no/such/dir"), Westring()).ToUTF8().c_str(), left_.path().c_str());
    EXPECT_STREQ(StartDirectory(Westring(), Westring()).ToUTF8().c_str(), left_.path().c_str());
    // A file is no directory either.
    left_.Write("plain", "");
    EXPECT_STREQ(StartDirectory(Westring((left_ / "plain").c_str()), Westring()).ToUTF8().c_str(),
                 left_.path().c_str());

    // The current directory gone: HOME.
    CTempDir doomed;
    ASSERT_EQ(chdir(doomed.path().c_str()), 0);
    ASSERT_EQ(rmdir(doomed.path().c_str()), 0);
    EXPECT_STREQ(StartDirectory(Westring(L"/no/such/dir"), Westring()).ToUTF8().c_str(), home_.path().c_str());
    // And HOME gone too: the root.
    setenv("HOME", "/no/such/home", 1);
    EXPECT_STREQ(StartDirectory(Westring(L"/no/such/dir"), Westring()).ToUTF8().c_str(), "/");
    unsetenv("HOME");
    EXPECT_STREQ(StartDirectory(Westring(L"/no/such/dir"), Westring()).ToUTF8().c_str(), "/");
}

TEST_F(StartDirectoryTest, AMissingSwitchDirectoryStartsTheRunInTheCurrentDirectory) {
    right_.Write("here.txt", "");
    ASSERT_EQ(chdir(right_.path().c_str()), 0);
    QueueQuit();
    EXPECT_EQ(Run({"-l", "/no/such/dir", "-r", right_.path()}, false), 0);
    EXPECT_GE(RowOf(Screens().front(), "here.txt", 0), 1) << Screens().front().Dump();
}

TEST_F(StartDirectoryTest, IconsComeFromTheInstallationOrTheSystem) {
    const std::string png = IconFile(false).ToUTF8().c_str();
    const std::string svg = IconFile(true).ToUTF8().c_str();
    EXPECT_NE(png.find("/share/icons/hicolor/16x16/apps/dorvik.png"), std::string::npos) << png;
    EXPECT_NE(svg.find("/share/icons/hicolor/scalable/apps/dorvik.svg"), std::string::npos) << svg;
    // Missing icon files are left out; the window gets only those that exist.
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    for (const Westring& icon : ui.Headless().View().Icons())
        EXPECT_EQ(access(EncodeFileName(icon).c_str(), R_OK), 0) << icon.ToUTF8().c_str();
}

}  // namespace
