// The panel keys of the main loop: moving, tagging, switching panels,
// changing directories, hiding the panels, sorting and styles.
#include <sys/time.h>

#include "console/keys.h"
#include "panels/paneldisplay.h"
#include "shell/config.h"
#include "tests/shell/mainloop_fixture.h"

namespace {

class PanelKeysTest : public MainLoopTest {
protected:
    // A file of size bytes whose modification time is seconds after the epoch.
    void File(CTempDir& dir, const std::string& name, size_t size, long seconds) {
        const std::string path = dir.Write(name, std::string(size, 'x'));
        struct timeval times[2] = {{seconds, 0}, {seconds, 0}};
        ASSERT_EQ(utimes(path.c_str(), times), 0);
    }
    void Files(CTempDir& dir, std::initializer_list<const char*> names) {
        for (const char* name : names) dir.Write(name, "");
    }
    // The status line of a side on a screen.
    static std::string Status(const CUiTest::Screen& screen, int side) {
        std::string text = screen.Text(side == 0 ? 1 : screen.columns / 2 + 1, config.panel_rows + 2,
                                       screen.columns / 2 - 2);
        while (!text.empty() && text.back() == ' ') text.pop_back();
        size_t start = text.find_first_not_of(' ');
        return start == std::string::npos ? std::string() : text.substr(start);
    }
};

TEST_F(PanelKeysTest, InsertTagsAndMovesOnButNeverTagsTheParent) {
    left_.Write("a.txt", "12345");
    left_.Write("b.txt", "");
    RunKeys("Insert Insert");
    ASSERT_GE(Screens().size(), 3u);
    EXPECT_EQ(Status(Screens()[0], 0), "..");
    EXPECT_EQ(Status(Screens()[1], 0).substr(0, 5), "a.txt");
    EXPECT_EQ(Status(Screens()[2], 0), "5 bytes in 1 selected file") << Screens()[2].Dump();
    EXPECT_EQ(panel_base[0].num_tagged, 1);
    EXPECT_EQ(CursorName(0), "b.txt");
}

TEST_F(PanelKeysTest, TabSwitchesThePanelAndThePrompt) {
    right_.Write("r.txt", "");
    RunKeys("Tab Down Tab Shift-Tab");
    EXPECT_EQ(CommandLine(Screens()[1]), right_.path() + ">");
    EXPECT_EQ(CommandLine(Screens()[3]), left_.path() + ">");
    EXPECT_EQ(currpanel, 1);
    EXPECT_EQ(CursorName(1), "r.txt");
}

TEST_F(PanelKeysTest, EnterGoesIntoADirectoryAndDotDotComesBackToIt) {
    left_.Write("a.txt", "");
    MakeDir(left_ / "sub");
    left_.Write("sub/inner.txt", "");
    RunKeys("Down Enter Enter");  // on "sub", then on ".."
    EXPECT_EQ(CommandLine(Screens()[2]), left_ / "sub>");
    EXPECT_GE(RowOf(Screens()[2], "inner.txt", 0), 1);
    EXPECT_EQ(CommandLine(Screens()[3]), left_.path() + ">");
    EXPECT_EQ(CursorName(0), "sub");
    EXPECT_EQ(panel_base[0].prev_dir.ToUTF8().c_str(), left_ / "sub");
    ASSERT_GE(DirectoryHistory.count(), 2);
    EXPECT_EQ(DirectoryHistory[DirectoryHistory.count() - 1]->ToUTF8().c_str(), left_ / "sub");
}

TEST_F(PanelKeysTest, EnterOnAFileOrWithATypedCommandStaysPut) {
    left_.Write("a.txt", "");
    MakeDir(left_ / "sub");
    ui.Keys("Down Down Enter Up");  // a file, then back on the directory
    ui.Type("cmd");
    RunKeys("Enter");
    EXPECT_EQ(Dir(0), left_.path());
    EXPECT_EQ(CommandLine(Screens().back()).substr(0, left_.path().size() + 4), left_.path() + ">cmd");
}

TEST_F(PanelKeysTest, DirectoryKeysGoUpToTheRootBackAndHome) {
    MakeDir(left_ / "sub");
    // Into sub, back up, the root, back where it was, HOME.
    RunKeys("Down Ctrl-PgDn Ctrl-PgUp Ctrl-\\ Ctrl-- Alt-Home");
    const std::string expected[] = {left_ / "sub>", left_.path() + ">", "/>", left_.path() + ">", home_.path() + ">"};
    for (int i = 0; i < 5; i++) EXPECT_EQ(CommandLine(Screens()[i + 2]), expected[i]);

    // Ctrl-- restores the cursor of the previous directory.
    Files(left_, {"a", "b", "c"});
    RunKeys("Down Down Down Down Ctrl-\\ Ctrl--");  // on "c"
    EXPECT_EQ(CursorName(0), "c");
}

TEST_F(PanelKeysTest, KeysThatFollowLinksOrTheOtherPanel) {
    MakeDir(right_ / "deep");
    right_.Write("deep/target.txt", "");
    ASSERT_EQ(symlink((right_ / "deep/target.txt").c_str(), (left_ / "link").c_str()), 0);
    RunKeys("Down Ctrl-G");
    EXPECT_EQ(Dir(0), right_ / "deep");
    EXPECT_EQ(CursorName(0), "target.txt");
    ui.RawKey(0x2001C, CConsole::TEvent::Ctrl | CConsole::TEvent::Shift);  // Shift-Ctrl-\ (a vertical bar)
    RunKeys();
    EXPECT_EQ(Dir(0), right_.path());
}

TEST_F(PanelKeysTest, CtrlHShowsAndHidesHiddenFiles) {
    left_.Write(".secret", "");
    RunKeys("Ctrl-H");
    EXPECT_EQ(RowOf(Screens()[0], ".secret", 0), -1);
    EXPECT_GE(RowOf(Screens()[1], ".secret", 0), 1);
    EXPECT_TRUE(config.Hidden);
}

TEST_F(PanelKeysTest, CtrlOHidesThePanelsWhileUpAndDownRecallCommands) {
    left_.Write("a.txt", "");
    history.Add(L"older");
    history.Add(L"newer");
    // A panel hidden before stays hidden across Ctrl-O.
    RunKeys("Ctrl-O Up Up Down Ctrl-O Ctrl-P Ctrl-O Ctrl-O");
    EXPECT_EQ(RowOf(Screens()[1], "a.txt", 0), -1) << Screens()[1].Dump();
    EXPECT_EQ(Screens()[1].Char(0, 0), L' ');
    for (size_t i : {2, 3, 4}) EXPECT_EQ(CommandLine(Screens()[i]), left_.path() + (i == 3 ? ">older" : ">newer"));
    EXPECT_GE(RowOf(Screens()[5], "a.txt", 0), 1) << Screens()[5].Dump();
    EXPECT_TRUE(panel_base[0].visible);
    EXPECT_FALSE(panel_base[1].visible);
}

TEST_F(PanelKeysTest, EscapeWithPanelSwitchHidesThePanelsOnAnEmptyLine) {
    Ini("EscPanelSwitch=on\r\n");
    ui.Type("text");
    RunKeys("Esc Esc");  // clears the line only, then hides the panels
    EXPECT_TRUE(Screens()[4].Find(">text"));
    EXPECT_FALSE(Screens()[5].Find(">text"));
    EXPECT_EQ(Screens()[5].Char(0, 0), Screens()[0].Char(0, 0));  // the first Esc left the panels
    EXPECT_FALSE(panel_base[0].visible);
    EXPECT_FALSE(panel_base[1].visible);
}

TEST_F(PanelKeysTest, ShowingHidingAndSwappingPanels) {
    // The right panel goes, the left too, the right comes back and is current.
    RunKeys("Ctrl-P Ctrl-F1 Ctrl-F2");
    EXPECT_FALSE(panel_base[0].visible);
    EXPECT_TRUE(panel_base[1].visible);
    EXPECT_EQ(currpanel, 1);

    // Ctrl-U swaps the panels, and the current side goes along.
    left_.Write("l.txt", "");
    right_.Write("r.txt", "");
    RunKeys("Down Ctrl-U");
    EXPECT_EQ(std::pair(Dir(0), Dir(1)), std::pair(right_.path(), left_.path()));
    EXPECT_EQ(currpanel, 1);
    EXPECT_EQ(CursorName(1), "l.txt");
}

TEST_F(PanelKeysTest, CtrlF3ToF8SortTheCurrentPanel) {
    File(left_, "b_small_new", 1, 3000);
    File(left_, "a_big_old", 100, 1000);
    File(left_, "c_mid.zz", 50, 2000);
    using List = std::vector<std::string>;
    const List by_name = {"..", "a_big_old", "b_small_new", "c_mid.zz"};
    const List by_time = {"..", "b_small_new", "c_mid.zz", "a_big_old"};
    const struct {
        const char* keys;
        sortby sort;
        List names;
    } cases[] = {
        {"", SORT_NAME, by_name},
        {"Ctrl-F5", SORT_TIME, by_time},
        {"Ctrl-F6", SORT_SIZE, {"..", "a_big_old", "c_mid.zz", "b_small_new"}},
        {"Ctrl-F4", SORT_EXTENSION, by_name},
        {"Ctrl-F6 Ctrl-F8", SORT_RSIZE, by_time},
        {"Ctrl-F5 Ctrl-F8 Ctrl-F8", SORT_TIME, by_time},
        {"Ctrl-F6 Ctrl-F3", SORT_NAME, by_name},
        {"Ctrl-F7", SORT_UNSORTED, {}},  // the reading order
    };
    for (const auto& c : cases) {
        RunKeys(c.keys);
        EXPECT_EQ(panel_base[0].sort, c.sort) << c.keys;
        EXPECT_EQ(config.LeftSort, c.sort) << c.keys;
        if (!c.names.empty()) {
            EXPECT_EQ(Names(0), c.names) << c.keys;
        }
        EXPECT_EQ(panel_base[0].num_files, 4) << c.keys;
    }
    // Sorting keeps the cursor on its entry.
    RunKeys("Down Down Ctrl-F6");  // on "b_small_new", then by size
    EXPECT_EQ(CursorName(0), "b_small_new");
    EXPECT_EQ(panel_base[0].top + panel_base[0].cur, 3);
}

TEST_F(PanelKeysTest, ShiftAltF1ToF5ChooseTheStyle) {
    const std::pair<const char*, paneldetail> cases[] = {
        {"Alt-Shift-F1", DETAIL_BRIEF},     {"Alt-Shift-F2", DETAIL_FULL}, {"Alt-Shift-F3", DETAIL_WIDE},
        {"Alt-Shift-F4", DETAIL_BRIEFWIDE}, {"Alt-Shift-F5", DETAIL_UNIX},
    };
    for (const auto& [key, detail] : cases) {
        RunKeys(std::string("Alt-Shift-F2 ") + key);
        EXPECT_EQ(panel_base[0].detail, detail) << key;
        EXPECT_EQ(panel_base[1].detail, DETAIL_FULL) << key;
    }
}

TEST_F(PanelKeysTest, TheBriefStyleShowsThreeColumnsAndLeftRightMoveByAColumn) {
    for (int i = 0; i < 30; i++) left_.Write("f" + std::to_string(100 + i), "");
    // Right: entry 19; again: 38 does not exist, so the last (30); Left: 19 back.
    RunKeys("Alt-Shift-F1 Right Right Left");
    // Column by column: ".." and f100 ... f117 in the first, f118 on in the second.
    for (const auto& [name, row] : {std::pair("f100", 2), std::pair("f118", 1), std::pair("f119", 2)})
        EXPECT_EQ(RowOf(Screens()[1], name, 0), row) << name << "\n" << Screens()[1].Dump();
    EXPECT_EQ(CursorName(0), "f110");
}

TEST_F(PanelKeysTest, PageDownAndUpFollowThePageRules) {
    for (int i = 0; i < 50; i++) left_.Write("f" + std::to_string(100 + i), "");
    const int page = 19;  // entry rows of an 80 by 25 screen
    const PANEL& panel = panel_base[0];
    RunKeys("PgDn");
    EXPECT_EQ(panel.top, page);
    EXPECT_EQ(panel.cur, 0);
    RunKeys("PgDn PgDn");  // the page would run past the end: it ends at the last entry
    EXPECT_EQ(panel.top, 51 - page);
    EXPECT_EQ(panel.cur, 0);
    RunKeys("PgDn PgDn PgDn");  // at the end: the cursor goes to the last entry
    EXPECT_EQ(CursorName(0), "f149");
    RunKeys("End PgUp");
    EXPECT_EQ(panel.top, 51 - 2 * page);
    EXPECT_EQ(panel.cur, page - 1);
    for (const char* keys : {"Down Down PgUp", "End Home"}) {  // the cursor to the first entry
        RunKeys(keys);
        EXPECT_EQ(panel.top + panel.cur, 0) << keys;
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
    Ini("StickyAlt=off\r\n");
    RunKeys("Alt-c");
    EXPECT_EQ(CursorName(0), "cherry");
}

TEST_F(PanelKeysTest, GreyKeysAndCtrlGreyKeysTag) {
    Files(left_, {"a.c", "b.c", "c.h"});
    const std::pair<const char*, int> cases[] = {
        {"Ctrl-Grey +", 3},                // all
        {"Ctrl-Grey + Ctrl-Grey -", 0},    // none
        {"Down Insert Grey *", 2},         // inverts
    };
    for (const auto& [keys, tagged] : cases) {
        RunKeys(keys);
        EXPECT_EQ(panel_base[0].num_tagged, tagged) << keys;
    }
    ui.Keys("Grey + End BackSpace BackSpace BackSpace");  // select by mask in a dialog
    ui.Type("*.c");
    RunKeys("Enter");
    EXPECT_EQ(panel_base[0].num_tagged, 2);

    Ini("DisableInvert=on\r\n");  // Grey * types a star instead
    RunKeys("Grey *");
    EXPECT_EQ(panel_base[0].num_tagged, 0);
    EXPECT_EQ(CommandLine(Screens()[1]), left_.path() + ">*");
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

TEST_F(PanelKeysTest, AltF9AndShiftAltF9ChangeTheScreenSize) {
    RunKeys("Alt-F9");
    EXPECT_EQ(ui.Console().rows(), 50);
    EXPECT_EQ(config.panel_rows, 44);
    EXPECT_EQ(Screens().front().rows, 25);
    EXPECT_EQ(Screens().back().rows, 50);
    RunKeys("Alt-F9 Alt-Shift-F9");
    EXPECT_EQ(ui.Console().rows(), 25);
    EXPECT_EQ(ui.Console().columns(), 132);
}

TEST_F(PanelKeysTest, MenuCommandsSortAndStyleEitherPanel) {
    File(left_, "a", 1, 1000);
    File(left_, "b", 2, 2000);
    ui.RawKey(KEY_MENU | 0x03);   // left by time
    ui.RawKey(KEY_MENU | 0x0E);   // right brief
    ui.RawKey(KEY_MENU | 0x131);  // full screen off
    RunKeys();
    EXPECT_EQ(panel_base[0].sort, SORT_TIME);
    EXPECT_EQ(panel_base[1].detail, DETAIL_BRIEF);
    EXPECT_FALSE(config.FullScreen);
    EXPECT_EQ(config.panel_rows, 25 - (25 / 2 + 2));
}

TEST_F(PanelKeysTest, DialogsOfTheKeysAndMenuCommandsOpenAndCancel) {
    const struct {
        int code;
        const char* keys;
        const char* shown;
    } cases[] = {
        {0, "Alt-F1", "Mount Points"},
        {0, "Alt-F2", "Mount Points"},
        {0x10103, nullptr, "Mount Points"},  // Ctrl-M
        {KEY_MENU | 0x12C, nullptr, "Configuration"},
        {KEY_MENU | 0x12, nullptr, "Filter for left panel"},
        {0, "Ctrl-T", "Select the files"},
        {0, "Ctrl-Y", "Unselect the files"},
    };
    for (const auto& c : cases) {
        if (c.keys) ui.Keys(c.keys);
        else ui.RawKey(c.code);
        RunKeys("Esc");
        EXPECT_TRUE(Shown(c.shown)) << c.shown;
        EXPECT_EQ(Dir(0), left_.path()) << c.shown;
    }
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
    MakeDir(left_ / "sub");
    left_.Write("sub/inside.txt", "");
    Files(right_, {"r1", "r2"});
    ui.Click(45, 3);       // the right panel's third row: r2
    ui.DoubleClick(5, 2);  // the left panel's "sub"
    RunKeys();
    EXPECT_EQ(CursorName(1), "r2");
    EXPECT_EQ(Dir(0), left_ / "sub");
    EXPECT_EQ(currpanel, 0);
}

TEST_F(PanelKeysTest, RightButtonTagsADragTagsTheRangeAndTheWheelMovesThree) {
    Files(left_, {"a", "b", "c", "d", "e"});
    ui.RightClick(5, 2);  // "a"
    RunKeys();
    EXPECT_EQ(panel_base[0].num_tagged, 1);

    ui.Headless().ButtonDown(5, 3, 3);            // "b"
    ui.Headless().Drag(5, 5, keystate::Button3);  // to "d"
    ui.Headless().ButtonUp(5, 5, 3);
    RunKeys();
    EXPECT_EQ(panel_base[0].num_tagged, 3);
    EXPECT_EQ(CursorName(0), "d");

    ui.WheelDown(5, 5);
    ui.WheelDown(5, 5);
    ui.WheelUp(5, 5);
    RunKeys();
    EXPECT_EQ(CursorName(0), "b");  // 0, 3, 5 (the last), 2
}

TEST_F(PanelKeysTest, TheKeyBarChangesWithTheModifiers) {
    ui.Headless().Press(keysym::Control_L);
    ui.Headless().Release(keysym::Control_L, keystate::Control);
    RunKeys();
    EXPECT_EQ(Screens()[0].Text(0, 24, 5) + Screens()[1].Text(0, 24, 5) + Screens()[1].Text(16, 24, 5) +
                  Screens()[2].Text(0, 24, 5),
              "1Help1Left3Name1Help");
}

}  // namespace
