// The command line in the running program: typing, editing, history recall,
// pasting names and paths, completion, the clipboard.
#include <sys/stat.h>

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
};

TEST_F(CmdLineTest, TypingGoesIntoTheCommandLine) {
    ui.Type("ls -l");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(LastTyped(), "ls -l");
    EXPECT_EQ(Screens()[5].cursor_y, 23);
    EXPECT_EQ(CursorAt(5), 5);
}

TEST_F(CmdLineTest, EditingKeys) {
    const struct {
        const char* typed;
        const char* keys;
        const char* expected;
    } cases[] = {
        {"abc", "BackSpace", "ab"},
        {"abc", "Ctrl-Home Delete", "bc"},
        {"abc", "Alt-Left Alt-Left BackSpace", "bc"},
        {"one two three", "Ctrl-Left Ctrl-Left X", "one Xtwo three"},
        {"one two three", "Ctrl-Home Ctrl-Right X", "oneX two three"},
        {"one two three", "Ctrl-BackSpace X", "one two X"},
        {"one two three", "Ctrl-Home Ctrl-Del", "two three"},
        {"abc", "Ctrl-Home Ctrl-D X", "aXbc"},
        {"abc", "Ctrl-S Ctrl-S Ctrl-End X", "abcX"},
        {"abc", "Esc", ""},
    };
    for (const auto& c : cases) {
        ui.Type(c.typed);
        for (const std::string& key : {std::string(c.keys)}) {
            // "X" is typed text, the rest keys.
            size_t x = key.rfind(" X");
            if (key == "X") {
                ui.Type("X");
            } else if (x != std::string::npos && x + 2 == key.size()) {
                ui.Keys(key.substr(0, x));
                ui.Type("X");
            } else {
                ui.Keys(key);
            }
        }
        QueueQuit();
        EXPECT_EQ(Run(), 0);
        EXPECT_EQ(LastTyped(), c.expected) << c.typed << " + " << c.keys;
    }
}

TEST_F(CmdLineTest, TheLineHoldsAt511Characters) {
    ui.Type(std::string(600, 'x'));
    ui.Keys("Ctrl-Home");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    // At the start of the line the text shows from its first character; the
    // line itself ends after 511 characters, so moving to the end shows the last 40.
    EXPECT_EQ(LastTyped(), std::string(80 - left_.path().size() - 1, 'x'));
    ui.Type(std::string(600, 'x'));
    ui.Type("yz");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(LastTyped().find('y'), std::string::npos);
}

TEST_F(CmdLineTest, ALongLineScrollsToKeepTheCursorOnTheScreen) {
    ui.Type(std::string(100, 'a') + "END");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    const std::string shown = LastTyped();
    EXPECT_EQ(shown.substr(shown.size() - 3), "END");
    EXPECT_EQ(Screens()[Screens().size() - 2].cursor_x, 79);
}

TEST_F(CmdLineTest, HistoryRecallWithCtrlEAndCtrlX) {
    history.Add(L"first");
    history.Add(L"second");
    ui.Type("typed");
    ui.Keys("Ctrl-E Ctrl-E Ctrl-E Ctrl-X Ctrl-Down Ctrl-Down Ctrl-Up");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Typed(6), "second");
    EXPECT_EQ(Typed(7), "first");
    EXPECT_EQ(Typed(8), "first");  // no older one
    EXPECT_EQ(Typed(9), "second");
    EXPECT_EQ(Typed(10), "typed");  // back to the line being typed
    EXPECT_EQ(Typed(11), "typed");
    EXPECT_EQ(Typed(12), "second");
}

TEST_F(CmdLineTest, CtrlJRecallsTheCommandsThatBeginLikeTheLine) {
    history.Add(L"make all");
    history.Add(L"ls -l");
    history.Add(L"make test");
    ui.Type("ma");
    ui.Keys("Ctrl-Enter");       // make test, the cursor stays after "ma"
    ui.Keys("Ctrl-J");           // make all
    ui.Keys("Ctrl-Shift-Enter");  // newer again: make test (code 0x3001C)
    ui.Type("X");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Typed(3), "make test");
    EXPECT_EQ(CursorAt(3), 2);
    EXPECT_EQ(Typed(4), "make all");
    EXPECT_EQ(Typed(5), "make test");
    EXPECT_EQ(LastTyped(), "maXke test");
}

TEST_F(CmdLineTest, CtrlJInsertsTheCursorEntrysNameQuoted) {
    left_.Write("a b!c.txt", "");
    ui.Keys("Down");
    ui.Type("vi ");
    ui.Keys("Ctrl-J");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    // Quoted for the shell, the command character doubled, a blank after it.
    EXPECT_EQ(LastTyped(), "vi a\\ b\\!!c.txt");
}

TEST_F(CmdLineTest, ShiftCtrlJAndShiftCtrlFCopyToTheClipboard) {
    left_.Write("name.txt", "");
    ui.Keys("Down Ctrl-Shift-J");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_STREQ(ui.Headless().View().ClipText().ToUTF8().c_str(), "name.txt");
    EXPECT_EQ(LastTyped(), "");

    ui.Keys("Down Ctrl-Shift-F");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_STREQ(ui.Headless().View().ClipText().ToUTF8().c_str(), (left_ / "name.txt").c_str());
}

TEST_F(CmdLineTest, CtrlFAndTheBracketsInsertPaths) {
    left_.Write("name.txt", "");
    ui.Keys("Down Ctrl-F");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(LastTyped(), left_ / "name.txt");

    ui.Keys("Ctrl-[");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(LastTyped(), left_.path() + "/");

    ui.Keys("Ctrl-]");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(LastTyped(), right_.path() + "/");
}

TEST_F(CmdLineTest, CtrlInsertCopiesTheLineAndShiftInsertPastesItsFirstLine) {
    ui.Type("copy me");
    ui.Keys("Ctrl-Insert Esc");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_STREQ(ui.Headless().View().ClipText().ToUTF8().c_str(), "copy me");

    ui.Headless().View().SetClipText(L"pasted\nsecond line");
    ui.Type("x ");
    ui.Keys("Shift-Insert");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(LastTyped(), "x pasted");
}

TEST_F(CmdLineTest, CtrlTabCompletesAFileName) {
    left_.Write("unique_name.txt", "");
    left_.Write("report1", "");
    left_.Write("report2", "");
    MakeDir(left_ / "folder");
    ui.Type("cat uni");
    ui.Keys("Ctrl-Tab");
    ui.Keys("Ctrl-Tab");  // already whole: a blank follows
    ui.Type("rep");
    ui.Keys("Ctrl-Tab");  // the common beginning
    ui.Keys("Ctrl-Tab");  // several: a list
    ui.Keys("Down Enter");
    ui.Type("fo");
    ui.Keys("Ctrl-Tab");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Typed(8), "cat unique_name.txt") << Screens()[8].Dump();
    EXPECT_EQ(Typed(9), "cat unique_name.txt");
    EXPECT_EQ(CursorAt(9), 20);  // after the blank the second Ctrl-Tab added
    EXPECT_EQ(Typed(13), "cat unique_name.txt report");
    bool listed = false;
    for (const CUiTest::Screen& screen : Screens()) listed = listed || (screen.Find("report1") && screen.Find("report2"));
    EXPECT_TRUE(listed);
    EXPECT_EQ(LastTyped(), "cat unique_name.txt report2 folder/");
}

TEST_F(CmdLineTest, CtrlTabCompletesTheFirstWordAsAProgram) {
    CTempDir bin;
    const std::string program = bin.Write("dvprogram_x", "#!/bin/sh\n");
    ASSERT_EQ(chmod(program.c_str(), 0755), 0);
    bin.Write("dvprogram_not_executable", "");
    const char* path = std::getenv("PATH");
    std::string saved = path ? path : "";
    setenv("PATH", bin.path().c_str(), 1);
    ui.Type("dvprog");
    ui.Keys("Ctrl-Tab");
    QueueQuit();
    int status = Run();
    setenv("PATH", saved.c_str(), 1);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(LastTyped(), "dvprogram_x");
}

TEST_F(CmdLineTest, EscapeInTheCompletionListGivesUp) {
    left_.Write("ab1", "");
    left_.Write("ab2", "");
    ui.Type("x ab");
    ui.Keys("Ctrl-Tab Esc");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(LastTyped(), "x ab");
}

TEST_F(CmdLineTest, TheNameShiftScrollsTheCursorEntryOnAnEmptyLine) {
    left_.Write("a_very_long_file_name_that_does_not_fit.txt", "");
    ui.Keys("Down Ctrl-D Ctrl-D Ctrl-D");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(panel_base[0].name_shift, 3);
    EXPECT_TRUE(Screens()[4].Find("ry_long")) << Screens()[4].Dump();
}

TEST_F(CmdLineTest, PathPromptOffLeavesOnlyTheMark) {
    Ini("PathPrompt=off\r\n");
    ui.Type("x");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(CommandLine(Screens()[1]), ">x");
}

}  // namespace
