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
    // The names of the left panel in their order, after the run.
    static std::vector<std::string> LeftNames() {
        std::vector<std::string> names;
        for (int i = 0; i < panel_base[0].num_files; i++)
            names.push_back(Westring(panel_base[0].files[i]->name).ToUTF8().c_str());
        return names;
    }
    static std::string CursorName(int side) {
        entry* e = panel_base[side].CurrentEntry();
        return e ? std::string(Westring(e->name).ToUTF8().c_str()) : std::string();
    }
    // The status line of a side on a screen.
    static std::string Status(const CUiTest::Screen& screen, int side) {
        std::string text = screen.Text(side == 0 ? 1 : screen.columns / 2 + 1, config.panel_rows + 2, screen.columns / 2 - 2);
        while (!text.empty() && text.back() == ' ') text.pop_back();
        size_t start = text.find_first_not_of(' ');
        return start == std::string::npos ? std::string() : text.substr(start);
    }
};

TEST_F(PanelKeysTest, DownMovesTheCursorAndInsertTagsAndMovesOn) {
    left_.Write("a.txt", "12345");
    left_.Write("b.txt", "");
    ui.Keys("Down");
    ui.Keys("Insert");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    ASSERT_GE(Screens().size(), 3u);
    EXPECT_EQ(Status(Screens()[0], 0), "..");
    EXPECT_EQ(Status(Screens()[1], 0).substr(0, 5), "a.txt");
    EXPECT_EQ(Status(Screens()[2], 0), "5 bytes in 1 selected file") << Screens()[2].Dump();
    EXPECT_EQ(panel_base[0].num_tagged, 1);
    EXPECT_EQ(CursorName(0), "b.txt");
}

TEST_F(PanelKeysTest, InsertOnTheParentEntryTagsNothing) {
    left_.Write("a.txt", "");
    ui.Keys("Insert");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(panel_base[0].num_tagged, 0);
    EXPECT_EQ(CursorName(0), "a.txt");
}

TEST_F(PanelKeysTest, TabSwitchesThePanelAndThePrompt) {
    right_.Write("r.txt", "");
    ui.Keys("Tab Down Tab Shift-Tab");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(CommandLine(Screens()[1]), right_.path() + ">");
    EXPECT_EQ(CommandLine(Screens()[3]), left_.path() + ">");
    EXPECT_EQ(currpanel, 1);
    EXPECT_EQ(CursorName(1), "r.txt");
}

TEST_F(PanelKeysTest, EnterGoesIntoADirectoryAndDotDotComesBackToIt) {
    left_.Write("a.txt", "");
    MakeDir(left_ / "sub");
    left_.Write("sub/inner.txt", "");
    ui.Keys("Down Enter");  // the cursor on "sub"
    ui.Keys("Enter");       // on ".."
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(CommandLine(Screens()[2]), left_ / "sub>");
    EXPECT_GE(RowOf(Screens()[2], "inner.txt", 0), 1);
    EXPECT_EQ(CommandLine(Screens()[3]), left_.path() + ">");
    EXPECT_EQ(CursorName(0), "sub");
    EXPECT_STREQ(panel_base[0].prev_dir.ToUTF8().c_str(), (left_ / "sub").c_str());
    ASSERT_GE(DirectoryHistory.count(), 2);
    EXPECT_STREQ(DirectoryHistory[DirectoryHistory.count() - 1]->ToUTF8().c_str(), (left_ / "sub").c_str());
}

TEST_F(PanelKeysTest, EnterOnAFileOrWithATypedCommandStaysPut) {
    left_.Write("a.txt", "");
    MakeDir(left_ / "sub");
    ui.Keys("Down Down Enter");  // a file
    ui.Keys("Up");
    ui.Type("cmd");
    ui.Keys("Enter");  // a typed command on the directory
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_STREQ(panel_base[0].dir.ToUTF8().c_str(), left_.path().c_str());
    EXPECT_EQ(CommandLine(Screens().back()).substr(0, left_.path().size() + 4), left_.path() + ">cmd");
}

TEST_F(PanelKeysTest, DirectoryKeysGoUpToTheRootBackAndHome) {
    MakeDir(left_ / "sub");
    ui.Keys("Down Ctrl-PgDn");  // into sub
    ui.Keys("Ctrl-PgUp");       // back up, cursor on sub
    ui.Keys("Ctrl-\\");         // the root
    ui.Keys("Ctrl--");          // back where it was
    ui.Keys("Alt-Home");        // HOME
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(CommandLine(Screens()[2]), left_ / "sub>");
    EXPECT_EQ(CommandLine(Screens()[3]), left_.path() + ">");
    EXPECT_EQ(CommandLine(Screens()[4]), "/>");
    EXPECT_EQ(CommandLine(Screens()[5]), left_.path() + ">");
    EXPECT_EQ(CommandLine(Screens()[6]), home_.path() + ">");
}

TEST_F(PanelKeysTest, CtrlMinusRestoresTheCursorOfThePreviousDirectory) {
    for (const char* name : {"a", "b", "c", "d"}) left_.Write(name, "");
    ui.Keys("Down Down Down");  // on "c"
    ui.Keys("Ctrl-\\ Ctrl--");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(CursorName(0), "c");
}

TEST_F(PanelKeysTest, ShiftCtrlBackslashAndAltBackslashGoToTheOtherPanelsDirectory) {
    right_.Write("r.txt", "");
    ui.RawKey(0x2001C, CConsole::TEvent::Ctrl | CConsole::TEvent::Shift);  // Shift-Ctrl-\ (a vertical bar)
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_STREQ(panel_base[0].dir.ToUTF8().c_str(), right_.path().c_str());
}

TEST_F(PanelKeysTest, CtrlGFollowsALinkToItsTarget) {
    MakeDir(right_ / "deep");
    right_.Write("deep/target.txt", "");
    ASSERT_EQ(symlink((right_ / "deep/target.txt").c_str(), (left_ / "link").c_str()), 0);
    ui.Keys("Down Ctrl-G");
    QueueQuit();
    EXPECT_EQ(Run(), 0);

    EXPECT_STREQ(panel_base[0].dir.ToUTF8().c_str(), (right_ / "deep").c_str());
    EXPECT_EQ(CursorName(0), "target.txt");
}

TEST_F(PanelKeysTest, CtrlHShowsAndHidesHiddenFiles) {
    left_.Write(".secret", "");
    ui.Keys("Ctrl-H");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(RowOf(Screens()[0], ".secret", 0), -1);
    EXPECT_GE(RowOf(Screens()[1], ".secret", 0), 1);
    EXPECT_TRUE(config.Hidden);
}

TEST_F(PanelKeysTest, CtrlOHidesBothPanelsAndShowsThemAgain) {
    left_.Write("a.txt", "");
    ui.Keys("Ctrl-O");
    ui.Type("x");
    ui.Keys("Ctrl-O");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(RowOf(Screens()[1], "a.txt", 0), -1) << Screens()[1].Dump();
    EXPECT_EQ(Screens()[1].Char(0, 0), L' ');
    EXPECT_GE(RowOf(Screens()[3], "a.txt", 0), 1) << Screens()[3].Dump();
    EXPECT_TRUE(panel_base[0].visible && panel_base[1].visible);
}

TEST_F(PanelKeysTest, AHiddenPanelStaysHiddenAcrossCtrlO) {
    ui.Keys("Ctrl-P");  // hides the right panel
    ui.Keys("Ctrl-O Ctrl-O");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(panel_base[0].visible);
    EXPECT_FALSE(panel_base[1].visible);
}

TEST_F(PanelKeysTest, UpAndDownRecallCommandsWhileThePanelsAreHidden) {
    history.Add(L"older");
    history.Add(L"newer");
    ui.Keys("Ctrl-O Up Up Down");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(CommandLine(Screens()[2]), left_.path() + ">newer");
    EXPECT_EQ(CommandLine(Screens()[3]), left_.path() + ">older");
    EXPECT_EQ(CommandLine(Screens()[4]), left_.path() + ">newer");
}

TEST_F(PanelKeysTest, EscapeWithPanelSwitchHidesThePanelsOnAnEmptyLine) {
    Ini("EscPanelSwitch=on\r\n");
    ui.Type("text");
    ui.Keys("Esc");  // clears the line only
    ui.Keys("Esc");  // hides the panels
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(Screens()[4].Find(">text"));
    EXPECT_FALSE(Screens()[5].Find(">text"));
    EXPECT_EQ(Screens()[5].Char(0, 0), Screens()[0].Char(0, 0));  // the first Esc left the panels
    EXPECT_FALSE(panel_base[0].visible);
    EXPECT_FALSE(panel_base[1].visible);
}

TEST_F(PanelKeysTest, CtrlPAndCtrlF1F2ShowAndHidePanels) {
    ui.Keys("Ctrl-P");   // the right panel goes
    ui.Keys("Ctrl-F1");  // the left panel goes too
    ui.Keys("Ctrl-F2");  // the right one comes back and becomes current
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_FALSE(panel_base[0].visible);
    EXPECT_TRUE(panel_base[1].visible);
    EXPECT_EQ(currpanel, 1);
}

TEST_F(PanelKeysTest, CtrlUSwapsThePanelsAndTheCurrentSideGoesAlong) {
    left_.Write("l.txt", "");
    right_.Write("r.txt", "");
    ui.Keys("Down Ctrl-U");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_STREQ(panel_base[0].dir.ToUTF8().c_str(), right_.path().c_str());
    EXPECT_STREQ(panel_base[1].dir.ToUTF8().c_str(), left_.path().c_str());
    EXPECT_EQ(currpanel, 1);
    EXPECT_EQ(CursorName(1), "l.txt");
}

TEST_F(PanelKeysTest, CtrlF3ToF8SortTheCurrentPanel) {
    File(left_, "b_small_new", 1, 3000);
    File(left_, "a_big_old", 100, 1000);
    File(left_, "c_mid.zz", 50, 2000);
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(LeftNames(), (std::vector<std::string>{"..", "a_big_old", "b_small_new", "c_mid.zz"}));

    const struct {
        const char* keys;
        sortby sort;
        std::vector<std::string> names;
    } cases[] = {
        {"Ctrl-F5", SORT_TIME, {"..", "b_small_new", "c_mid.zz", "a_big_old"}},
        {"Ctrl-F6", SORT_SIZE, {"..", "a_big_old", "c_mid.zz", "b_small_new"}},
        {"Ctrl-F4", SORT_EXTENSION, {"..", "a_big_old", "b_small_new", "c_mid.zz"}},
        {"Ctrl-F6 Ctrl-F8", SORT_RSIZE, {"..", "b_small_new", "c_mid.zz", "a_big_old"}},
        {"Ctrl-F5 Ctrl-F8 Ctrl-F8", SORT_TIME, {"..", "b_small_new", "c_mid.zz", "a_big_old"}},
        {"Ctrl-F6 Ctrl-F3", SORT_NAME, {"..", "a_big_old", "b_small_new", "c_mid.zz"}},
    };
    for (const auto& c : cases) {
        ui.Keys(c.keys);
        QueueQuit();
        EXPECT_EQ(Run(), 0);
        EXPECT_EQ(panel_base[0].sort, c.sort) << c.keys;
        EXPECT_EQ(config.LeftSort, c.sort) << c.keys;
        EXPECT_EQ(LeftNames(), c.names) << c.keys;
    }
}

TEST_F(PanelKeysTest, SortingKeepsTheCursorOnItsEntry) {
    File(left_, "a", 1, 3000);
    File(left_, "b", 3, 2000);
    File(left_, "c", 2, 1000);
    ui.Keys("Down Down Ctrl-F6");  // on "b", then by size
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(CursorName(0), "b");
    EXPECT_EQ(panel_base[0].top + panel_base[0].cur, 1);
}

TEST_F(PanelKeysTest, UnsortedKeepsTheReadingOrder) {
    for (const char* name : {"m", "z", "a"}) left_.Write(name, "");
    ui.Keys("Ctrl-F7");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(panel_base[0].sort, SORT_UNSORTED);
    EXPECT_EQ(panel_base[0].num_files, 4);
}

TEST_F(PanelKeysTest, ShiftAltF1ToF5ChooseTheStyle) {
    const struct {
        const char* key;
        paneldetail detail;
    } cases[] = {
        {"Alt-Shift-F1", DETAIL_BRIEF}, {"Alt-Shift-F2", DETAIL_FULL}, {"Alt-Shift-F3", DETAIL_WIDE},
        {"Alt-Shift-F4", DETAIL_BRIEFWIDE}, {"Alt-Shift-F5", DETAIL_UNIX},
    };
    for (const auto& c : cases) {
        ui.Keys(std::string("Alt-Shift-F2 ") + c.key);
        QueueQuit();
        EXPECT_EQ(Run(), 0);
        EXPECT_EQ(panel_base[0].detail, c.detail) << c.key;
        EXPECT_EQ(panel_base[1].detail, DETAIL_FULL) << c.key;
    }
}

TEST_F(PanelKeysTest, TheBriefStyleShowsThreeColumnsAndLeftRightMoveByAColumn) {
    for (int i = 0; i < 30; i++) left_.Write("f" + std::to_string(100 + i), "");
    ui.Keys("Alt-Shift-F1");
    ui.Keys("Right");  // one column on: entry 19
    ui.Keys("Right");  // entry 38 does not exist: the last
    ui.Keys("Left");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    const CUiTest::Screen& brief = Screens()[1];
    // Column by column: ".." and f100 ... f117 in the first, f118 on in the second.
    EXPECT_EQ(RowOf(brief, "f100", 0), 2) << brief.Dump();
    EXPECT_EQ(RowOf(brief, "f118", 0), 1) << brief.Dump();
    EXPECT_EQ(RowOf(brief, "f119", 0), 2) << brief.Dump();
    // Right: entry 19; again: 38 does not exist, so the last (30); Left: 19 back.
    EXPECT_EQ(CursorName(0), "f110");
}

TEST_F(PanelKeysTest, PageDownAndUpFollowThePageRules) {
    for (int i = 0; i < 50; i++) left_.Write("f" + std::to_string(100 + i), "");
    const int page = 19;  // entry rows of an 80 by 25 screen
    ui.Keys("PgDn");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(panel_base[0].top, page);
    EXPECT_EQ(panel_base[0].cur, 0);

    ui.Keys("PgDn PgDn");  // the page would run past the end: it ends at the last entry
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(panel_base[0].top, 51 - page);
    EXPECT_EQ(panel_base[0].top + panel_base[0].cur, 51 - page + 0);

    ui.Keys("PgDn PgDn PgDn");  // at the end: the cursor goes to the last entry
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(CursorName(0), "f149");

    ui.Keys("End PgUp");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(panel_base[0].top, 51 - 2 * page);
    EXPECT_EQ(panel_base[0].cur, page - 1);

    ui.Keys("Down Down PgUp");  // top 0: the cursor to the first entry
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(panel_base[0].top + panel_base[0].cur, 0);

    ui.Keys("End Home");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(panel_base[0].top + panel_base[0].cur, 0);
}

TEST_F(PanelKeysTest, AltLetterStartsTheQuickSearch) {
    Ini("StickyAlt=off\r\n");
    for (const char* name : {"apple", "banana", "cherry"}) left_.Write(name, "");
    ui.Keys("Alt-c");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(CursorName(0), "cherry");
}

TEST_F(PanelKeysTest, StickyQuickSearchHandsTheEndingKeyOn) {
    for (const char* name : {"apple", "banana", "bandit", "cherry"}) left_.Write(name, "");
    ui.Keys("Alt-b");
    ui.Type("and");
    ui.Keys("Down");  // ends the search and moves on
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(CursorName(0), "cherry");
    EXPECT_TRUE(panel_base[0].search.empty());
}

TEST_F(PanelKeysTest, GreyKeysAndCtrlGreyKeysTag) {
    for (const char* name : {"a.c", "b.c", "c.h"}) left_.Write(name, "");
    ui.Keys("Ctrl-Grey +");  // all
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(panel_base[0].num_tagged, 3);

    ui.Keys("Ctrl-Grey + Ctrl-Grey -");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(panel_base[0].num_tagged, 0);

    ui.Keys("Down Insert Grey *");  // inverts
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(panel_base[0].num_tagged, 2);

    ui.Keys("Grey +");  // select by mask in a dialog
    ui.Keys("End");
    ui.Keys("BackSpace BackSpace BackSpace");
    ui.Type("*.c");
    ui.Keys("Enter");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(panel_base[0].num_tagged, 2);
}

TEST_F(PanelKeysTest, DisableInvertMakesGreyStarTypeAStar) {
    Ini("DisableInvert=on\r\n");
    left_.Write("a", "");
    ui.Keys("Grey *");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(panel_base[0].num_tagged, 0);
    EXPECT_EQ(CommandLine(Screens()[1]), left_.path() + ">*");
}

TEST_F(PanelKeysTest, HotDirectoriesAreStoredAndVisited) {
    CTempDir hot;
    Ini("d5=" + hot.path() + "\r\nd6=/no/such/dir\r\n");
    ui.RawKey(0x40035);  // Ctrl-keypad 5
    ui.Keys("Tab");
    ui.RawKey(0x60037, CConsole::TEvent::Ctrl | CConsole::TEvent::Shift);  // stores the right panel's directory
    ui.RawKey(0x40036);  // an invalid one: a message
    ui.Keys("Enter");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_STREQ(panel_base[0].dir.ToUTF8().c_str(), hot.path().c_str());
    EXPECT_STREQ(dirstore[7].ToUTF8().c_str(), right_.path().c_str());
    bool shown = false;
    for (const CUiTest::Screen& screen : Screens()) shown = shown || screen.Find("Invalid Directory");
    EXPECT_TRUE(shown);
    EXPECT_STREQ(panel_base[1].dir.ToUTF8().c_str(), right_.path().c_str());
}

TEST_F(PanelKeysTest, HotDirectoriesDoNothingWithNumLockOn) {
    CTempDir hot;
    Ini("d5=" + hot.path() + "\r\n");
    ui.RawKey(0x40035, CConsole::TEvent::Ctrl | CConsole::TEvent::Mod2);
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_STREQ(panel_base[0].dir.ToUTF8().c_str(), left_.path().c_str());
}

TEST_F(PanelKeysTest, AltF9AndShiftAltF9ChangeTheScreenSize) {
    ui.Keys("Alt-F9");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(ui.Console().rows(), 50);
    EXPECT_EQ(config.panel_rows, 44);
    EXPECT_EQ(Screens().back().rows, 50);
    // The key bar is on the new last row.
    EXPECT_EQ(Screens().front().rows, 25);

    ui.Keys("Alt-F9 Alt-Shift-F9");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(ui.Console().rows(), 25);
    EXPECT_EQ(ui.Console().columns(), 132);
}

TEST_F(PanelKeysTest, MenuCommandsSortAndStyleEitherPanel) {
    File(left_, "a", 1, 1000);
    File(left_, "b", 2, 2000);
    ui.RawKey(KEY_MENU | 0x03);  // left by time
    ui.RawKey(KEY_MENU | 0x0E);  // right brief
    ui.RawKey(KEY_MENU | 0x131);  // full screen off
    QueueQuit();
    EXPECT_EQ(Run(), 0);
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
        ui.Keys("Esc");
        QueueQuit();
        EXPECT_EQ(Run(), 0);
        bool shown = false;
        for (const CUiTest::Screen& screen : Screens()) shown = shown || screen.Find(c.shown);
        EXPECT_TRUE(shown) << c.shown;
        EXPECT_STREQ(panel_base[0].dir.ToUTF8().c_str(), left_.path().c_str()) << c.shown;
    }
}

TEST_F(PanelKeysTest, CtrlRReadsThePanelAgainKeepingCursorAndTags) {
    for (const char* name : {"a", "b", "c"}) left_.Write(name, "");
    ui.Keys("Down Insert Insert");  // a and b tagged, the cursor on c
    ui.Keys("Ctrl-R");
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
    right_.Write("r1", "");
    right_.Write("r2", "");
    ui.Click(45, 3);       // the right panel's third row: r2
    ui.DoubleClick(5, 2);  // the left panel's "sub"
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(CursorName(1), "r2");
    EXPECT_STREQ(panel_base[0].dir.ToUTF8().c_str(), (left_ / "sub").c_str());
    EXPECT_EQ(currpanel, 0);
}

TEST_F(PanelKeysTest, RightButtonTagsAndADragTagsTheRange) {
    for (const char* name : {"a", "b", "c", "d", "e"}) left_.Write(name, "");
    ui.RightClick(5, 2);  // "a"
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(panel_base[0].num_tagged, 1);

    ui.Headless().ButtonDown(5, 3, 3);  // "b"
    ui.Headless().Drag(5, 5, keystate::Button3);  // to "d"
    ui.Headless().ButtonUp(5, 5, 3);
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(panel_base[0].num_tagged, 3);
    EXPECT_EQ(CursorName(0), "d");
}

TEST_F(PanelKeysTest, TheWheelMovesTheCursorThreeEntries) {
    for (const char* name : {"a", "b", "c", "d", "e"}) left_.Write(name, "");
    ui.WheelDown(5, 5);
    ui.WheelDown(5, 5);
    ui.WheelUp(5, 5);
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(CursorName(0), "b");  // 0, 3, 5 (the last), 2
}

TEST_F(PanelKeysTest, TheKeyBarChangesWithTheModifiers) {
    ui.Headless().Press(keysym::Control_L);
    ui.Headless().Release(keysym::Control_L, keystate::Control);
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Screens()[0].Text(0, 24, 5), "1Help");
    EXPECT_EQ(Screens()[1].Text(0, 24, 5), "1Left");
    EXPECT_EQ(Screens()[1].Text(16, 24, 5), "3Name");
    EXPECT_EQ(Screens()[2].Text(0, 24, 5), "1Help");
}

}  // namespace
