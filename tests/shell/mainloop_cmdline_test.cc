// The command line in the running program: typing, editing, history recall,
// pasting names and paths, completion, the clipboard.
#include "tests/shell/mainloop_fixture.h"

namespace {

class CmdLineTest : public MainLoopTest {
protected:
    // The text after the prompt on the screen before the n-th key was read.
    std::string Typed(size_t n) const {
        std::string line = CommandLine(Screens().at(n));
        size_t prompt = line.find('>');
        return prompt == std::string::npos ? line : line.substr(prompt + 1);
    }
    std::string LastTyped() const { return Typed(Screens().size() - 2); }  // before F10
    // The cursor's column after the prompt on the screen before the n-th key.
    int CursorAt(size_t n) const {
        const CUiTest::Screen& screen = Screens().at(n);
        return screen.cursor_x - static_cast<int>(CommandLine(screen).find('>')) - 1;
    }
    std::string Clipboard() { return ui.Headless().View().ClipText().ToUTF8().c_str(); }
};

TEST_F(CmdLineTest, EditingKeys) {
    // "X" is typed after the keys.
    const struct {
        const char* typed;
        const char* keys;
        bool x;
        const char* expected;
    } cases[] = {
        {"abc", "Ctrl-Home Delete", false, "bc"},
        {"abc", "Alt-Left Alt-Left BackSpace", false, "bc"},
        {"one two three", "Ctrl-Left Ctrl-Left", true, "one Xtwo three"},
        {"one two three", "Ctrl-BackSpace", true, "one two X"},
        {"one two three", "Ctrl-Home Ctrl-Del", false, "two three"},
        {"abc", "Esc", false, ""},
    };
    for (const auto& c : cases) {
        ui.Type(c.typed);
        ui.Keys(c.keys);
        if (c.x) ui.Type("X");
        RunKeys();
        EXPECT_EQ(LastTyped(), c.expected) << c.typed << " + " << c.keys;
    }
}

TEST_F(CmdLineTest, TheLineHoldsAt511CharactersAndScrolls) {
    ui.Type(std::string(600, 'x'));
    RunKeys("Ctrl-Home");
    // At the start of the line the text shows from its first character.
    EXPECT_EQ(LastTyped(), std::string(80 - left_.path().size() - 1, 'x'));
    // A long line scrolls to keep the cursor on the screen.
    ui.Type(std::string(100, 'a') + "END");
    RunKeys();
    const std::string shown = LastTyped();
    EXPECT_EQ(shown.substr(shown.size() - 3), "END");
    EXPECT_EQ(Screens()[Screens().size() - 2].cursor_x, 79);
}

TEST_F(CmdLineTest, TheCursorFollowsWideCharactersByTheirCells) {
    ui.Type("日本語ab");
    RunKeys("Ctrl-Home Alt-Right");
    const size_t last = Screens().size() - 2;  // before F10
    EXPECT_EQ(CursorAt(last - 2), 8);           // after the text: 3 x 2 + 2 cells
    EXPECT_EQ(CursorAt(last - 1), 0);           // the start of the line
    EXPECT_EQ(CursorAt(last), 2);               // over 日 in one step
    // A long line of them scrolls so that the cursor stays on the screen,
    // right after the text typed last.
    std::string wide;
    for (int i = 0; i < 50; i++) wide += "語";
    ui.Type(wide + "END");
    RunKeys();
    const CUiTest::Screen& s = Screens()[Screens().size() - 2];
    EXPECT_GE(s.cursor_x, 78);
    EXPECT_LE(s.cursor_x, 79);
    EXPECT_EQ(s.Char(s.cursor_x - 1, s.rows - 2), L'D') << s.Dump();
}

TEST_F(CmdLineTest, HistoryRecallWithCtrlEAndCtrlX) {
    history.Add(L"first");
    history.Add(L"second");
    ui.Type("typed");
    RunKeys("Ctrl-E Ctrl-E Ctrl-E Ctrl-X Ctrl-Down Ctrl-Down Ctrl-Up");
    // No older one than "first"; then back to the line being typed.
    const char* expected[] = {"second", "first", "first", "second", "typed", "typed", "second"};
    for (int i = 0; i < 7; i++) EXPECT_EQ(Typed(6 + i), expected[i]) << i;
}

TEST_F(CmdLineTest, CtrlJRecallsTheCommandsThatBeginLikeTheLine) {
    history.Add(L"make all");
    history.Add(L"ls -l");
    history.Add(L"make test");
    ui.Type("ma");
    // make test with the cursor after "ma", make all, then newer again (0x3001C).
    ui.Keys("Ctrl-Enter Ctrl-J Ctrl-Shift-Enter");
    ui.Type("X");
    RunKeys();
    EXPECT_EQ(Typed(3), "make test");
    EXPECT_EQ(CursorAt(3), 2);
    EXPECT_EQ(Typed(4), "make all");
    EXPECT_EQ(Typed(5), "make test");
    EXPECT_EQ(LastTyped(), "maXke test");
}

TEST_F(CmdLineTest, NamesAndPathsGoIntoTheLineOrTheClipboard) {
    left_.Write("a b!c.txt", "");
    ui.Keys("Down");
    ui.Type("vi ");
    RunKeys("Ctrl-J");
    // Quoted for the shell, the command character doubled, a blank after it.
    EXPECT_EQ(LastTyped(), "vi a\\ b\\!!c.txt");

    const struct {
        const char* keys;
        std::string line, clipboard;
    } cases[] = {
        {"Down Ctrl-Shift-F", "", left_ / "a b!c.txt"},
        {"Down Ctrl-F", left_ / "a\\ b\\!!c.txt", left_ / "a b!c.txt"},
        {"Ctrl-]", right_.path() + "/", left_ / "a b!c.txt"},
    };
    for (const auto& c : cases) {
        RunKeys(c.keys);
        EXPECT_EQ(Clipboard(), c.clipboard) << c.keys;
        EXPECT_EQ(LastTyped(), c.line) << c.keys;
    }
    // Ctrl-Insert copies the line, Shift-Insert pastes the clipboard's first line.
    ui.Type("copy me");
    RunKeys("Ctrl-Insert Esc");
    EXPECT_EQ(Clipboard(), "copy me");
    ui.Headless().View().SetClipText(L"pasted\nsecond line");
    ui.Type("x ");
    RunKeys("Shift-Insert");
    EXPECT_EQ(LastTyped(), "x pasted");
}

TEST_F(CmdLineTest, CtrlTabCompletesAndListsSeveralMatches) {
    left_.Write("report1", "");
    left_.Write("report2", "");
    left_.MakeDir("folder");
    ui.Type("cat rep");
    ui.Keys("Ctrl-Tab Ctrl-Tab Down Enter");  // the common beginning, then a list of several
    ui.Type("fo");
    RunKeys("Ctrl-Tab");
    bool listed = false;
    for (const CUiTest::Screen& screen : Screens()) listed = listed || (screen.Find("report1") && screen.Find("report2"));
    EXPECT_TRUE(listed);
    EXPECT_EQ(LastTyped(), "cat report2 folder/");
}

// The list opens on the name typed, and the key bar follows Ctrl going up
// while the list is open.
TEST_F(CmdLineTest, TheCompletionListOpensOnTheNameTypedUnderAKeyBarThatFollowsCtrl) {
    left_.MakeDir("src");  // "src/" sorts after "src.tar" and "src_old"
    left_.Write("src.tar", "");
    left_.Write("src_old", "");
    ui.Type("cat src");
    ui.RawKey(KEY_SHIFTSTATE, CConsole::TEvent::Ctrl);  // Ctrl down, then Tab
    ui.Keys("Ctrl-Tab");
    ui.RawKey(KEY_SHIFTSTATE, 0);  // Ctrl up while the list is open
    RunKeys("Enter");
    EXPECT_EQ(LastTyped(), "cat src/");
    std::vector<std::string> bars;  // the key bar while the list is shown
    for (const CUiTest::Screen& screen : Screens()) {
        bool listed = false;  // in the middle of the screen, not in the panel
        for (int y = 0; y < 24; y++) listed = listed || screen.Text(30, y, 20).find("src_old") != std::string::npos;
        if (listed) bars.push_back(screen.Text(0, 24, 5));
    }
    EXPECT_EQ(bars, (std::vector<std::string>{"1Left", "1Help"}));
}

}  // namespace
