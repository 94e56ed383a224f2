// Alt-F5 and Shift-Ctrl-F5 in the running program: the stored paths chosen,
// stored and emptied, an unset variable named rather than followed; links
// to the cursor file and to tagged files, absolute and relative, checked
// with readlink; clashes and missing destinations leave everything as it was.
#include "tests/shell/mainloop_fixture.h"

#include <unistd.h>

#include "console/keys.h"
#include "exec/environment.h"
#include "tests/support/shell_output.h"

namespace {

std::string Trimmed(std::string text) {
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}
std::string Readlink(const std::string& options, const std::string& path) {
    return Trimmed(ShellOutput("readlink " + options + " '" + path + "'"));
}

class StoredPathsKeysTest : public MainLoopTest {
protected:
    void SetUp() override {
        MainLoopTest::SetUp();
        // The program's environment was read before the fixture moved HOME.
        SessionEnv.Set("HOME", home_.path().c_str());
    }
    void TearDown() override {
        for (Westring& dir : dirstore) dir = Westring();
        SessionEnv.Set("HOME", nullptr);
        MainLoopTest::TearDown();
    }
};

TEST_F(StoredPathsKeysTest, ADigitGoesToItsSlotWithVariablesSubstituted) {
    home_.MakeDir("src");
    Ini("d3=$HOME/src\r\n");
    RunKeys("Alt-F5 3");
    EXPECT_TRUE(Shown("Stored Paths"));
    EXPECT_TRUE(Shown("3 - $HOME/src"));
    EXPECT_TRUE(Shown("4 - Empty"));
    EXPECT_EQ(Dir(0), home_ / "src");
}

TEST_F(StoredPathsKeysTest, AnEmptySlotKeepsTheWindowAndInsAndDelChangeSlots) {
    Ini("d3=" + right_.path() + "\r\n");
    // 5 on an empty slot: the window stays; Ins stores the panel's directory
    // in slot 5; two up, slot 3 is emptied with Del. Shift-F9 saves.
    RunKeys("Alt-F5 5 Insert Up Up Delete Esc Shift-F9");
    EXPECT_EQ(Narrow(dirstore[5]), left_.path());
    EXPECT_TRUE(dirstore[3].empty());
    EXPECT_EQ(Dir(0), left_.path());
    EXPECT_TRUE(Shown("5 - " + left_.path()));
    EXPECT_TRUE(Shown("3 - Empty"));
    const std::string saved = ReadFile(ini_);
    EXPECT_NE(saved.find("d5=" + left_.path()), std::string::npos) << saved;
    EXPECT_EQ(saved.find("d3="), std::string::npos) << saved;
}

TEST_F(StoredPathsKeysTest, AnUnsetVariableIsNamedAndThePanelStays) {
    home_.MakeDir("DV_NOT_SET_ANYWHERE");
    Ini("d2=$DV_NOT_SET_ANYWHERE/x\r\nd4=/no/such/dir\r\n");
    RunKeys("Alt-F5 2 Enter 4 Enter Esc");
    EXPECT_TRUE(Shown("The variable $DV_NOT_SET_ANYWHERE is not set"));
    EXPECT_TRUE(Shown("Invalid directory"));
    EXPECT_EQ(Dir(0), left_.path());
}

TEST_F(StoredPathsKeysTest, CtrlKeypadDigitNamesAnUnsetVariableToo) {
    home_.MakeDir("DV_NOT_SET_ANYWHERE");
    Ini("d2=$DV_NOT_SET_ANYWHERE\r\n");
    ui.RawKey(0x40032);  // Ctrl-keypad 2
    RunKeys("Enter");
    EXPECT_TRUE(Shown("The variable $DV_NOT_SET_ANYWHERE is not set"));
    EXPECT_EQ(Dir(0), left_.path());
}

class MakeLinkKeysTest : public MainLoopTest {
protected:
    void TearDown() override {
        config.RelativeLinks = false;
        MainLoopTest::TearDown();
    }
};

TEST_F(MakeLinkKeysTest, TheCursorFileIsLinkedIntoTheOtherPanelAbsolutely) {
    left_.Write("a.txt", "text a");
    RunKeys("Down Shift-Ctrl-F5 Enter");
    EXPECT_TRUE(Shown("Make symbolic link to \"a.txt\" as"));
    EXPECT_EQ(Readlink("", right_ / "a.txt"), left_ / "a.txt");
    EXPECT_EQ(ReadFile(right_ / "a.txt"), "text a");
}

TEST_F(MakeLinkKeysTest, ADirectoryFromTheHistoryReceivesTheLinkUnderTheFilesName) {
    left_.MakeDir("sub");
    left_.Write("f", "file f");
    // Into sub and back: sub is the newest directory left.
    ui.Keys("Down Ctrl-PgDn Ctrl-PgUp Down Shift-Ctrl-F5");
    ui.RawKey(KEY_ALT_BACKSLASH);
    RunKeys("Enter Enter");
    EXPECT_TRUE(Shown("Directory History"));
    EXPECT_TRUE(Shown(left_ / "sub/"));
    EXPECT_EQ(Readlink("", left_ / "sub/f"), left_ / "f");
    EXPECT_FALSE(PathExists(right_ / "f"));
}

TEST_F(MakeLinkKeysTest, TaggedFilesAreLinkedRelativelyThroughALinkedDirectory) {
    left_.Write("one", "1");
    left_.Write("two", "2");
    left_.Write("three", "3");
    right_.MakeDir("real");
    right_.MakeDir("real/inner");
    ASSERT_EQ(symlink((right_ / "real/inner").c_str(), (right_ / "via").c_str()), 0);
    // The destination is typed over the default: a directory reached
    // through "via", whose ".." is "real", not the right panel's directory.
    ui.Keys("Ctrl-Grey + Shift-Ctrl-F5");
    ui.Type(right_ / "via/");
    RunKeys("Alt-r Enter");
    EXPECT_TRUE(Shown("Make symbolic links to 3 files in"));
    EXPECT_EQ(panel_base[0].num_tagged, 0);
    EXPECT_TRUE(config.RelativeLinks);
    for (const char* name : {"one", "two", "three"}) {
        const std::string link = right_ / ("via/" + std::string(name));
        const std::string expected = Trimmed(
            ShellOutput("realpath --relative-to='" + (right_ / "via") + "' '" + (left_ / name) + "'"));
        EXPECT_EQ(Readlink("", link), expected) << name;
        EXPECT_EQ(Readlink("-f", link), Readlink("-f", left_ / name)) << name;
    }
}

TEST_F(MakeLinkKeysTest, AClashIsReportedAndTheExistingFileStays) {
    left_.Write("a", "new");
    left_.Write("b", "other");
    right_.Write("a", "kept");
    // a and b tagged; the clash on a: Cancel stops before b.
    RunKeys("Down Insert Insert Shift-Ctrl-F5 Enter Esc");
    EXPECT_TRUE(Shown("File exists"));
    EXPECT_EQ(ReadFile(right_ / "a"), "kept");
    EXPECT_EQ(Readlink("", right_ / "a"), "");
    EXPECT_FALSE(PathExists(right_ / "b"));
    EXPECT_EQ(panel_base[0].num_tagged, 2);
    // Skip goes on with b; a still holds its own bytes.
    RunKeys("Down Insert Insert Shift-Ctrl-F5 Enter s");
    EXPECT_EQ(ReadFile(right_ / "a"), "kept");
    EXPECT_EQ(Readlink("", right_ / "b"), left_ / "b");
}

TEST_F(MakeLinkKeysTest, AMissingDestinationIsRefusedBeforeAnyLink) {
    left_.Write("a", "1");
    left_.Write("b", "2");
    ui.Keys("Down Insert Insert Shift-Ctrl-F5");
    ui.Type(right_ / "missing/");
    RunKeys("Enter Enter Esc");
    EXPECT_TRUE(Shown("Destination must be a valid directory"));
    EXPECT_FALSE(PathExists(right_ / "missing"));
    EXPECT_EQ(ShellOutput("ls -A '" + right_.path() + "'"), "");
    EXPECT_EQ(panel_base[0].num_tagged, 2);
}

}  // namespace
