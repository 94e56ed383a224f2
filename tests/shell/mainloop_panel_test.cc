// The panel keys of the main loop: moving, tagging, switching panels,
// changing directories, hiding the panels, sorting and styles.
#include "panels/paneldisplay.h"
#include "tests/shell/mainloop_fixture.h"

namespace {

class PanelKeysTest : public MainLoopTest {
protected:
    // A file of size bytes whose modification time is seconds after the epoch.
    void File(CTempDir& dir, const std::string& name, size_t size, long seconds) {
        SetFileTime(dir.Write(name, std::string(size, 'x')), seconds);
    }
    void Files(CTempDir& dir, std::initializer_list<const char*> names) {
        for (const char* name : names) dir.Write(name, "");
    }
};

TEST_F(PanelKeysTest, TabSwitchesThePanelAndThePrompt) {
    right_.Write("r.txt", "");
    RunKeys("Tab Down Tab Shift-Tab");
    EXPECT_EQ(CommandLine(Screens()[1]), right_.path() + ">");
    EXPECT_EQ(CommandLine(Screens()[3]), left_.path() + ">");
    EXPECT_EQ(currpanel, 1);
    EXPECT_EQ(CursorName(1), "r.txt");
}

TEST_F(PanelKeysTest, DirectoryKeysGoInUpToTheRootBackAndHome) {
    left_.Write("a.txt", "");
    left_.MakeDir("sub");
    // Enter into sub and on ".." back, Ctrl-PgDn into it
    // and Ctrl-PgUp out, the root, back where it was, HOME.
    RunKeys("Down Enter Enter Ctrl-PgDn Ctrl-PgUp Ctrl-\\ Ctrl-- Alt-Home");
    const std::string expected[] = {left_ / "sub>", left_.path() + ">", left_ / "sub>", left_.path() + ">", "/>",
                                    left_.path() + ">", home_.path() + ">"};
    for (int i = 0; i < 7; i++) EXPECT_EQ(CommandLine(Screens()[i + 2]), expected[i]) << i;
}

TEST_F(PanelKeysTest, KeysThatFollowLinksOrTheOtherPanel) {
    right_.MakeDir("deep");
    right_.Write("deep/target.txt", "");
    ASSERT_EQ(symlink((right_ / "deep/target.txt").c_str(), (left_ / "link").c_str()), 0);
    RunKeys("Down Ctrl-G");
    EXPECT_EQ(Dir(0), right_ / "deep");
    EXPECT_EQ(CursorName(0), "target.txt");
}

TEST_F(PanelKeysTest, CtrlOAndCtrlPHideThePanels) {
    left_.Write("a.txt", "");
    // A panel hidden before stays hidden across Ctrl-O.
    RunKeys("Ctrl-O Ctrl-O Ctrl-P Ctrl-O Ctrl-O");
    EXPECT_EQ(RowOf(Screens()[1], "a.txt", 0), -1) << Screens()[1].Dump();
    EXPECT_EQ(Screens()[1].Char(0, 0), L' ');
    EXPECT_GE(RowOf(Screens()[2], "a.txt", 0), 1) << Screens()[2].Dump();
    EXPECT_TRUE(panel_base[0].visible);
    EXPECT_FALSE(panel_base[1].visible);
}

TEST_F(PanelKeysTest, CtrlUSwapsThePanelsWithTheirStateAndTheCurrentSide) {
    left_.Write("l.txt", "");
    right_.Write("r.txt", "");
    RunKeys("Down Insert Ctrl-U");  // l.txt tagged, the last entry: the cursor stays
    EXPECT_EQ(std::pair(Dir(0), Dir(1)), std::pair(right_.path(), left_.path()));
    EXPECT_EQ(currpanel, 1);
    EXPECT_EQ(CursorName(1), "l.txt");
    EXPECT_EQ(panel_base[1].num_tagged, 1);
    // A hidden panel stays hidden, on the other side.
    RunKeys("Ctrl-P Ctrl-U");
    EXPECT_FALSE(panel_base[0].visible);
    EXPECT_TRUE(panel_base[1].visible);
}

TEST_F(PanelKeysTest, CtrlF3ToF8SortTheCurrentPanel) {
    File(left_, "b_small_new", 1, 3000);
    File(left_, "a_big_old", 100, 1000);
    File(left_, "c_mid.zz", 50, 2000);
    const std::vector<std::string> by_time = {"..", "b_small_new", "c_mid.zz", "a_big_old"};
    for (const auto& [keys, sort] : {std::pair("Ctrl-F5", SORT_TIME), std::pair("Ctrl-F6 Ctrl-F8", SORT_RSIZE)}) {
        RunKeys(keys);
        EXPECT_EQ(panel_base[0].sort, sort) << keys;
        EXPECT_EQ(config.LeftSort, sort) << keys;
        EXPECT_EQ(Names(0), by_time) << keys;
    }
    // Sorting keeps the cursor on its entry.
    RunKeys("Down Down Ctrl-F6");  // on "b_small_new", then by size
    EXPECT_EQ(CursorName(0), "b_small_new");
    EXPECT_EQ(panel_base[0].top + panel_base[0].cur, 3);
}

TEST_F(PanelKeysTest, PageDownAndUpFollowThePageRules) {
    for (int i = 0; i < 50; i++) left_.Write(NumberedName("f", 100 + i), "");
    const struct {
        const char* keys;
        int top, cur;
    } cases[] = {
        {"PgDn", 19, 0},  // 19 entry rows on an 80 by 25 screen
        {"PgDn PgDn", 51 - 19, 0},  // the page would run past the end: it ends at the last entry
        {"PgDn PgDn PgDn", 51 - 19, 18},  // at the end: the cursor goes to the last entry
        {"PgDn PgDn PgDn PgUp", 51 - 38, 18},  // a page back on the same row
        {"Down Down PgUp", 0, 0},  // on the first page: to the first entry
    };
    for (const auto& c : cases) {
        RunKeys(c.keys);
        EXPECT_EQ(std::pair(panel_base[0].top, panel_base[0].cur), std::pair(c.top, c.cur)) << c.keys;
    }
}

TEST_F(PanelKeysTest, UnderScrollLockTheCursorKeepsToTheMiddleOfThePage) {
    for (int i = 0; i < 50; i++) left_.Write(NumberedName("f", 100 + i), "");
    ui.Headless().View().SetScrollLockState(1);
    const struct {
        const char* keys;
        int top, cur;
    } cases[] = {
        {"Down Down", 0, 2},  // at the start of the list the cursor moves
        {"PgDn", 19, 9},
        {"PgDn Down", 20, 9},  // the list scrolls under the cursor
        {"PgDn PgDn", 51 - 19, 9},
        {"PgDn PgDn PgDn", 51 - 19, 18},  // at the end the cursor moves
        {"PgDn PgDn PgDn PgUp", 51 - 38, 9},
    };
    for (const auto& c : cases) {
        RunKeys(c.keys);
        EXPECT_EQ(std::pair(panel_base[0].top, panel_base[0].cur), std::pair(c.top, c.cur)) << c.keys;
    }
}

TEST_F(PanelKeysTest, AltLetterStartsTheQuickSearch) {
    Files(left_, {"apple", "banana", "bandit", "cherry"});
    // Sticky: the key that ends the search is handed on.
    ui.Keys("Alt-b");
    ui.Type("and");
    RunKeys("Down");
    EXPECT_EQ(CursorName(0), "cherry");
    EXPECT_TRUE(panel_base[0].search.empty());
}

TEST_F(PanelKeysTest, GreyKeysAndCtrlGreyKeysTag) {
    Files(left_, {"a.c", "b.c", "c.h"});
    const std::pair<const char*, int> cases[] = {{"Ctrl-Grey +", 3}, {"Down Insert Grey *", 2}};  // all; inverts
    for (const auto& [keys, tagged] : cases) {
        RunKeys(keys);
        EXPECT_EQ(panel_base[0].num_tagged, tagged) << keys;
    }
    ui.Keys("Grey + End BackSpace BackSpace BackSpace");  // select by mask in a dialog
    ui.Type("*.c");
    RunKeys("Enter");
    EXPECT_EQ(panel_base[0].num_tagged, 2);
}

TEST_F(PanelKeysTest, HotDirectoriesAreStoredAndVisited) {
    CTempDir hot;
    Ini("d5=" + hot.path() + "\r\nd6=/no/such/dir\r\n");
    ui.RawKey(0x40035, CConsole::TEvent::Ctrl | CConsole::TEvent::Mod2);  // Num Lock on: nothing
    ui.RawKey(0x40035);  // Ctrl-keypad 5
    ui.Keys("Tab");
    ui.RawKey(0x60037, CConsole::TEvent::Ctrl | CConsole::TEvent::Shift);  // stores the right panel's directory
    ui.RawKey(0x40036);  // an invalid one: a message
    RunKeys("Enter");
    EXPECT_EQ(CommandLine(Screens()[1]), left_.path() + ">");
    EXPECT_EQ(Dir(0), hot.path());
    EXPECT_STREQ(dirstore[7].ToUTF8().c_str(), right_.path().c_str());
    EXPECT_TRUE(Shown("Invalid Directory"));
    EXPECT_EQ(Dir(1), right_.path());
}

TEST_F(PanelKeysTest, CtrlRReadsThePanelAgainKeepingCursorAndTags) {
    Files(left_, {"a", "b", "c"});
    ui.Keys("Down Insert Insert Ctrl-R");  // a and b tagged, the cursor on c
    QueueQuit();
    left_.Write("new_file", "");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(panel_base[0].num_tagged, 2);
    EXPECT_EQ(CursorName(0), "c");
    EXPECT_EQ(panel_base[0].num_files, 5);
}

// ---- the mouse

TEST_F(PanelKeysTest, AClickMovesTheCursorAndADoubleClickEntersADirectory) {
    left_.MakeDir("sub");
    left_.Write("sub/inside.txt", "");
    Files(right_, {"r1", "r2"});
    ui.Click(45, 3);       // the right panel's third row: r2
    ui.DoubleClick(5, 2);  // the left panel's "sub"
    RunKeys();
    EXPECT_EQ(CursorName(1), "r2");
    EXPECT_EQ(Dir(0), left_ / "sub");
    EXPECT_EQ(currpanel, 0);
}

TEST_F(PanelKeysTest, RightButtonTagsAndTheWheelMovesThree) {
    Files(left_, {"a", "b", "c", "d", "e"});
    ui.RightClick(5, 2);  // "a"
    RunKeys();
    EXPECT_EQ(panel_base[0].num_tagged, 1);

    ui.WheelDown(5, 5);
    ui.WheelDown(5, 5);
    ui.WheelUp(5, 5);
    RunKeys();
    EXPECT_EQ(CursorName(0), "b");  // 0, 3, 5 (the last), 2
}

}  // namespace
