// The user menu in the running program: F2 and Shift-F2, entries picked by
// their keys in either case and by Enter, submenus, the commands run with
// the panel's files put in (the shell writes what it was given into a file),
// once per tagged file in panel order until one fails, cd moving the panel,
// and the menu files refused or including themselves told on the screen.
#include "tests/shell/mainloop_fixture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace {

class UserMenuTest : public MainLoopTest {
protected:
    // The global menu file: beside the configuration file.
    void Global(const std::string& content) const { WriteFile(home_ / "dv.mnu", content); }
    std::string Log() const { return ReadFile(log_); }
    // The real path of a directory, as pwd -P tells it.
    static std::string Real(const std::string& path) { return std::filesystem::canonical(path).string(); }

    // Whether a screen recorded shows text with its first cell at (x, y).
    bool ShownAt(const std::string& text, int x, int y) const {
        for (const CUiTest::Screen& screen : Screens())
            if (screen.Text(x, y, static_cast<int>(text.size())) == text) return true;
        return false;
    }

    std::string log_ = home_ / "log";
};

TEST_F(UserMenuTest, EntriesArePickedByKeyInEitherCaseAndByEnterThroughSubmenus) {
    Global("a: Append a\n"
           "  echo a >> " + log_ + "\n"
           "S: Submenu\n"
           "{\n"
           "x: Append x\n"
           "  echo x >> " + log_ + "\n"
           "CF11: Append eleven\n"
           "  echo eleven >> " + log_ + "\n"
           "}\n"
           "CF10: Append ten\n"
           "  echo ten >> " + log_ + "\n");
    ui.Keys("F2 A");                 // upper case for a lower-case key
    ui.Keys("F2 s x");               // and the other way round
    ui.Keys("F2 Down Enter Enter");  // Enter opens the submenu, Enter picks its first entry
    ui.Keys("F2 s Ctrl-F11");
    ui.Keys("F2 Ctrl-F10");
    ui.Keys("F2 s Esc a");           // Esc leaves the submenu for the menu beneath
    ui.Keys("F2 s Esc Esc");         // and the menu: nothing runs
    ui.Keys("F2 F1 Esc a");          // help on the menu file, and back in the menu
    RunKeys();
    EXPECT_EQ(Log(), "a\nx\nx\neleven\nten\na\na\n");
    EXPECT_TRUE(Shown(" User  Menu "));
    EXPECT_TRUE(Shown(" Submenu "));
    EXPECT_TRUE(Shown("CF10 Append ten"));
    EXPECT_TRUE(Shown("S    Submenu   >"));  // padded to the widest line
}

TEST_F(UserMenuTest, ASubmenuOpensAtItsParentsRightEdgeAndStaysClearOfTheScreensEdge) {
    Global("a: Alpha\nS: Sub\n{\nx: Xx\n  true\n}\nW: Wide\n{\ny: " + std::string(60, 'y') + "\n  true\n}\n");
    RunKeys("F2 s Esc w Esc Esc");
    // The top menu, centred: 14 columns wide for its title, from column 33,
    // 3 rows above the middle.
    EXPECT_TRUE(ShownAt(" User  Menu ", 34, 7));
    // A narrow submenu starts on the parent's right frame (column 46).
    EXPECT_TRUE(ShownAt(" Sub ", 47, 8));
    // A wide one (66 columns) moves left to end 3 columns before the edge.
    EXPECT_TRUE(ShownAt(" Wide ", 41, 8));
}

TEST_F(UserMenuTest, ThePullDownMenusItemOpensIt) {
    Global("a: Append a\n  echo a >> " + log_ + "\n");
    RunKeys("F9 Right Down Down Enter a");  // Files, past Manual
    EXPECT_EQ(Log(), "a\n");
}

TEST_F(UserMenuTest, NoMenuFileMeansF2DoesNothing) {
    RunKeys("F2 Shift-F2");
    EXPECT_FALSE(Shown("User  Menu"));
}

TEST_F(UserMenuTest, AMenuFileTwoLevelsUpServesThePanelAndShiftF2TakesTheGlobalOne) {
    std::filesystem::create_directories(left_ / "a/b");
    WriteFile(left_ / "dv.mnu", "l: local\n  pwd -P >> " + log_ + "\n  echo local >> " + log_ + "\n");
    Global("g: global\n  echo global >> " + log_ + "\n");
    ui.Type("cd a/b");
    ui.Keys("Enter");
    ui.Keys("F2 g Esc");  // not in the local menu
    ui.Keys("F2 l");
    ui.Keys("Shift-F2 g");
    RunKeys();
    // The commands run in the panel's directory.
    EXPECT_EQ(Log(), Real(left_ / "a/b") + "\nlocal\nglobal\n");
}

TEST_F(UserMenuTest, MacrosReachTheShellQuotedAsOneWordEach) {
    left_.Write("it's a $file.txt", "");
    right_.Write("other.txt", "");
    Global("m: macros\n"
           "  printf '%s\\n' !f !p !x !! !F > " + log_ + "\n");
    RunKeys("Down Tab Down Tab F2 m");
    EXPECT_EQ(Log(), left_ / "it's a $file.txt\n" + left_.path() + "\nit's a $file\n!\n" + right_ / "other.txt\n");
}

TEST_F(UserMenuTest, APerFileCommandRunsForTheTaggedFilesInPanelOrderUntilOneFails) {
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"}) left_.Write(name, "");
    Global("t: each\n"
           "  echo !t >> " + log_ + " && test !t !!= b.txt\n"  // "!!" is the "!" itself
           "  echo not after a failure >> " + log_ + "\n"
           "o: once\n"
           "  echo !t >> " + log_ + "\n"
           "  echo then >> " + log_ + "\n");
    // c tagged first, then a and b: the panel's order counts.
    ui.Keys("Down Down Down Insert Home Down Insert Insert F2 t");
    RunKeys();
    EXPECT_EQ(Log(), "a.txt\nb.txt\n");
    std::filesystem::remove(log_);
    // Without tags it runs once, for the cursor file.
    RunKeys("Down Down Down F2 o");
    EXPECT_EQ(Log(), "c.txt\nthen\n");
}

TEST_F(UserMenuTest, CdMovesThePanelAndTheCommandsAfterItRunThere) {
    std::filesystem::create_directories(left_ / "sub");
    Global("c: into sub\n  cd sub\n  pwd -P > here.txt\n"
           "f: failing cd\n  cd no-such-dir\n  echo ran >> " + log_ + "\n");
    ui.Keys("F2 c");
    ui.Keys("F2 f Enter");  // the cd fails and is told; the rest stays unrun
    RunKeys();
    EXPECT_EQ(ReadFile(left_ / "sub/here.txt"), Real(left_ / "sub") + "\n");
    EXPECT_EQ(Dir(0), left_ / "sub");
    EXPECT_FALSE(PathExists(log_));
    EXPECT_TRUE(Shown("Invalid directory") || Shown("Invalid path"));
}

TEST_F(UserMenuTest, ALocalMenuOthersMayWriteIsToldAndTheGlobalOneShown) {
    const std::string local = left_ / "dv.mnu";
    WriteFile(local, "l: local\n  echo local >> " + log_ + "\n");
    ASSERT_EQ(chmod(local.c_str(), 0666), 0);
    Global("g: global\n  echo global >> " + log_ + "\n");
    RunKeys("F2 Enter l g");
    EXPECT_TRUE(Shown("Menu file not used:"));
    EXPECT_TRUE(Shown("(writable by others)"));
    EXPECT_EQ(Log(), "global\n");
    if (geteuid() != 0) GTEST_SKIP() << "giving a file away needs root";
    ASSERT_EQ(chmod(local.c_str(), 0644), 0);
    ASSERT_EQ(chown(local.c_str(), 65534, 65534), 0);
    RunKeys("F2 Enter l g");
    EXPECT_TRUE(Shown("(owned by another user)"));
    EXPECT_EQ(Log(), "global\nglobal\n");
}

TEST_F(UserMenuTest, AMenuFileIncludingItselfIsToldAndItsEntriesShownOnce) {
    Global("!include dv.mnu\na: once\n  echo a >> " + log_ + "\n");
    RunKeys("F2 Enter Down Enter");
    EXPECT_TRUE(Shown("Menu file includes itself:"));
    // A second entry would have taken the Down: the first runs.
    EXPECT_EQ(Log(), "a\n");
}

}  // namespace
