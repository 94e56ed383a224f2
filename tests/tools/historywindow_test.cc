// The history windows in the running program: Alt-F8 over the commands run,
// Alt-\ and Shift-Alt-F8 over the directories left, and the history file
// that the run reads at its start and appends to.
#include "tests/shell/mainloop_fixture.h"

#include <sys/stat.h>

#include "viewer/fileviewer.h"

namespace {

class HistoryWindowTest : public MainLoopTest {
protected:
    void SetUp() override {
        MainLoopTest::SetUp();
        viewer_search = ViewerSearch();
    }
    void TearDown() override {
        viewer_search = ViewerSearch();
        MainLoopTest::TearDown();
    }
    // The history file of the runs: beside the configuration file.
    std::string HistoryPath() const { return home_ / "dv.hst"; }
    void History(const std::string& content) const { WriteFile(HistoryPath(), content); }
    std::string HistoryContent() const { return ReadFile(HistoryPath()); }
    // The command line's text after the prompt, on the screen before the
    // quitting F10 was read.
    std::string TypedAtQuit() const {
        const std::string line = CommandLine(Screens().at(Screens().size() - 2));
        const size_t prompt = line.find('>');
        return prompt == std::string::npos ? line : line.substr(prompt + 1);
    }
    static std::vector<std::string> Commands() {
        std::vector<std::string> out;
        for (int i = 0; i < history.count(); i++) out.push_back(Narrow(*history[i]));
        return out;
    }
};

TEST_F(HistoryWindowTest, EmptyHistoryOpensNoWindow) {
    RunKeys("Alt-F8 Alt-\\ Shift-Alt-F8");
    EXPECT_FALSE(Shown(" History "));
    EXPECT_FALSE(Shown(" Directory History "));
}

TEST_F(HistoryWindowTest, EnterRunsTheChosenCommandWhichBecomesTheNewest) {
    History("touch ran-first\r\nls\r\n");
    RunKeys("Alt-F8 Up Enter");
    EXPECT_TRUE(Shown(" History "));
    EXPECT_TRUE(PathExists(left_ / "ran-first"));
    EXPECT_EQ(Commands(), (std::vector<std::string>{"ls", "touch ran-first"}));
    // The run is appended to the file, and the next start finds it newest.
    EXPECT_EQ(HistoryContent(), "touch ran-first\r\nls\r\ntouch ran-first\r\n");
    history.DestroyAll();
    RunKeys();
    EXPECT_EQ(Commands(), (std::vector<std::string>{"ls", "touch ran-first"}));
}

TEST_F(HistoryWindowTest, CtrlEnterCopiesTheCommandWithTheCursorAtItsEnd) {
    History("make all\r\nls -l\r\n");
    ui.Type("old text");
    ui.Keys("Alt-F8 Up Ctrl-Enter");
    ui.Type("X");
    RunKeys();
    EXPECT_EQ(TypedAtQuit(), "make allX");
    EXPECT_EQ(HistoryContent(), "make all\r\nls -l\r\n");  // nothing ran
}

TEST_F(HistoryWindowTest, DelAsksAndRemovesFromTheListAndTheFile) {
    History("ls\r\n3\x19*.c\r\nvi\r\nls\r\nmake\r\n");
    // Cancelled first, then confirmed on "vi"; the window stays open after it.
    RunKeys("Alt-F8 Up Up Del Esc Del Enter Esc");
    EXPECT_TRUE(Shown("Remove command from history?"));
    EXPECT_EQ(Commands(), (std::vector<std::string>{"ls", "make"}));
    EXPECT_EQ(HistoryContent(), "ls\r\n3\x19*.c\r\nls\r\nmake\r\n");
    struct stat status;
    ASSERT_EQ(stat(HistoryPath().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
    // Removing the last command closes the window.
    history.DestroyAll();
    History("only\r\n");
    RunKeys("Alt-F8 Del Enter");
    EXPECT_EQ(HistoryContent(), "");
    EXPECT_TRUE(history.count() == 0);
}

TEST_F(HistoryWindowTest, SearchesFindCommandsIgnoringCaseInBothDirections) {
    History("make all\r\nls -l\r\ngrep x\r\nls -a\r\ncc\r\n");
    // F7 searches from the cursor (the newest, "cc") towards older ones.
    ui.Keys("Alt-F8 F7");
    ui.Type("LS");
    ui.Keys("Enter Shift-F7 Alt-F7 Ctrl-Enter");
    RunKeys();
    EXPECT_TRUE(Shown("Search:"));
    EXPECT_EQ(TypedAtQuit(), "ls -a");
    EXPECT_EQ(Narrow(viewer_search.word), "LS");  // the word is kept for the next search

    // The next window searches for the same word: Shift-F7 twice from "cc".
    ui.Keys("Alt-F8 Shift-F7 Shift-F7 Ctrl-Enter");
    RunKeys();
    EXPECT_EQ(TypedAtQuit(), "ls -l");
}

TEST_F(HistoryWindowTest, SearchThatFindsNothingSaysSoAndKeepsTheCursor) {
    History("make all\r\nls -l\r\n");
    ui.Keys("Alt-F8 F7");
    ui.Type("absent");
    ui.Keys("Enter Enter Alt-F7 Enter Ctrl-Enter");  // nothing newer than the newest either
    RunKeys();
    EXPECT_TRUE(Shown("String not found"));
    EXPECT_EQ(TypedAtQuit(), "ls -l");
}

TEST_F(HistoryWindowTest, FieldValuesAndCommandsReachTheFileAsTheyOccur) {
    ui.Keys("Ctrl-T");
    ui.Type("*.txt");
    ui.Keys("Enter");
    ui.Type("touch made");
    RunKeys("Enter");
    EXPECT_TRUE(PathExists(left_ / "made"));
    const std::string content = HistoryContent();
    EXPECT_NE(content.find("\x19*.txt\r\n"), std::string::npos) << content;
    EXPECT_NE(content.find("touch made\r\n"), std::string::npos) << content;
}

TEST_F(HistoryWindowTest, DirectoryHistoryChangesThePanelToTheChosenDirectory) {
    const std::string one = right_.MakeDir("one"), two = right_.MakeDir("two");
    DirectoryHistory.Add(Westring(one.c_str()));
    DirectoryHistory.Add(Westring(two.c_str()));
    RunKeys("Alt-\\ Enter");
    EXPECT_TRUE(Shown(" Directory History "));
    EXPECT_EQ(Dir(0), two);
    // The directory left joins the history as its newest entry.
    ASSERT_GE(DirectoryHistory.count(), 1);
    EXPECT_EQ(Narrow(*DirectoryHistory[DirectoryHistory.count() - 1]), left_.path());

    DirectoryHistory.DestroyAll();
    DirectoryHistory.Add(Westring(one.c_str()));
    DirectoryHistory.Add(Westring(two.c_str()));
    // F1 shows help (here: that there is none) and the list stays.
    RunKeys("Shift-Alt-F8 F1 Esc Up Enter");
    EXPECT_EQ(Dir(0), one);

    RunKeys("Alt-\\ Esc");  // nothing chosen: the panel stays
    EXPECT_EQ(Dir(0), left_.path());
    // The directory history lives only while the program runs.
    DirectoryHistory.DestroyAll();
    RunKeys("Shift-Alt-F8");
    EXPECT_FALSE(Shown(" Directory History "));
}

TEST_F(HistoryWindowTest, DirectoryThatIsGoneIsReportedAndThePanelStays) {
    DirectoryHistory.Add(Westring((right_ / "gone").c_str()));
    RunKeys("Alt-\\ Enter Enter");
    EXPECT_TRUE(Shown("gone"));
    EXPECT_EQ(Dir(0), left_.path());
}

TEST_F(HistoryWindowTest, DirectoryHistoryNeverHoldsMoreThanAHundred) {
    for (int i = 0; i < 130; i++) AddDirectoryHistory(Westring(NumberedName("/d", i).c_str()));
    RunKeys("Alt-\\ Esc");
    EXPECT_EQ(DirectoryHistory.count(), 100);
    EXPECT_EQ(Narrow(*DirectoryHistory[0]), "/d30");
}

}  // namespace
