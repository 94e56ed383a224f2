// The command-line editor on its own: editing within the limit, history
// recall, the scroll that keeps the cursor on the screen, CLPaste.
#include <gtest/gtest.h>

#include <string>

#include "lib/stringstore.h"
#include "shell/cmdedit.h"
#include "shell/config.h"
#include "tests/support/uitest.h"

namespace {

std::string narrow(const Westring& s) { return s.ToUTF8().c_str(); }

CCommandLine line_with(const wchar_t* text, int pos) {
    CCommandLine line;
    line.Set(text);
    line.SetPos(pos);
    return line;
}

TEST(CommandLineEditor, InsertionsStopAtTheLimit) {
    CCommandLine line;
    for (int i = 0; i < CCommandLine::kMaxLength; i++) ASSERT_TRUE(line.Insert(L'x'));
    EXPECT_FALSE(line.Insert(L'y'));
    EXPECT_EQ(line.text().strlen(), CCommandLine::kMaxLength);
    EXPECT_FALSE(line.InsertText(L"z"));
    line.BackSpace();
    EXPECT_TRUE(line.InsertText(L"z"));
    EXPECT_FALSE(line.Insert(0));
    // A text too long is cut; inserted text is all or nothing.
    line.Set(String(L'a', 2 << 20));
    EXPECT_EQ(line.text().strlen(), CCommandLine::kMaxLength);
    EXPECT_EQ(line.pos(), CCommandLine::kMaxLength);
    line.Set(String(L'a', 500));
    EXPECT_FALSE(line.InsertText(String(L'b', 12)));
    EXPECT_EQ(line.text().strlen(), 500);
    EXPECT_TRUE(line.InsertText(String(L'b', 11)));
    EXPECT_EQ(line.text().strlen(), 511);
}

TEST(CommandLineEditor, EditsAtTheCursor) {
    const struct {
        const wchar_t* text;
        int pos;
        void (*edit)(CCommandLine&);
        const char* expected;
        int expected_pos;
    } cases[] = {
        {L"abc", 1, [](CCommandLine& l) { l.Insert(L'X'); }, "aXbc", 2},
        {L"abc", 0, [](CCommandLine& l) { l.BackSpace(); }, "abc", 0},
        {L"abc", 3, [](CCommandLine& l) { l.Delete(); }, "abc", 3},
        {L"abc", 1, [](CCommandLine& l) { l.Delete(); }, "ac", 1},
        {L"abc", 0, [](CCommandLine& l) { l.Left(); }, "abc", 0},
        {L"abc", 3, [](CCommandLine& l) { l.Right(); }, "abc", 3},
        {L"one two", 7, [](CCommandLine& l) { l.WordLeft(); }, "one two", 4},
        {L"one two", 0, [](CCommandLine& l) { l.WordRight(); }, "one two", 3},
        {L"one two", 7, [](CCommandLine& l) { l.DeleteWordLeft(); }, "one ", 4},
        {L"one two", 0, [](CCommandLine& l) { l.DeleteWordRight(); }, "two", 0},
        {L"one two", 5, [](CCommandLine& l) { l.Home(); }, "one two", 0},
        {L"one two", 1, [](CCommandLine& l) { l.End(); }, "one two", 7},
        {L"abc", 2, [](CCommandLine& l) { l.Clear(); }, "", 0},
    };
    for (const auto& c : cases) {
        CCommandLine line = line_with(c.text, c.pos);
        c.edit(line);
        EXPECT_EQ(narrow(line.text()), c.expected) << narrow(c.text) << " at " << c.pos;
        EXPECT_EQ(line.pos(), c.expected_pos) << narrow(c.text) << " at " << c.pos;
    }
}

TEST(CommandLineEditor, HistoryRecallKeepsTheTypedLine) {
    WestringStore history;
    CCommandLine line;
    EXPECT_FALSE(line.Older(history));  // an empty history
    history.Add(L"first");
    history.Add(L"second");
    line.Set(L"typing");
    EXPECT_TRUE(line.Older(history));
    EXPECT_EQ(narrow(line.text()), "second");
    EXPECT_EQ(line.histpos(), 1);
    EXPECT_TRUE(line.Older(history));
    EXPECT_EQ(narrow(line.text()), "first");
    EXPECT_FALSE(line.Older(history));
    EXPECT_TRUE(line.Newer(history));
    EXPECT_TRUE(line.Newer(history));
    EXPECT_EQ(narrow(line.text()), "typing");
    EXPECT_EQ(line.pos(), 6);
    EXPECT_FALSE(line.Newer(history));
    // A history that shrank meanwhile is no trap.
    line.Older(history);
    line.Older(history);
    history.DestroyAll();
    EXPECT_FALSE(line.Older(history));
    EXPECT_TRUE(line.Newer(history) || line.histpos() == 0);
}

TEST(CommandLineEditor, SearchHistoryMatchesTheTextBeforeTheCursor) {
    WestringStore history;
    for (const wchar_t* command : {L"make all", L"ls", L"Make big", L"make test"}) history.Add(command);
    CCommandLine line = line_with(L"ma", 2);
    EXPECT_TRUE(line.SearchHistory(history, true));
    EXPECT_EQ(narrow(line.text()), "make test");
    EXPECT_EQ(line.pos(), 2);
    EXPECT_TRUE(line.SearchHistory(history, true));  // case matters: "Make big" is passed over
    EXPECT_EQ(narrow(line.text()), "make all");
    EXPECT_FALSE(line.SearchHistory(history, true));
    EXPECT_TRUE(line.SearchHistory(history, false));
    EXPECT_EQ(narrow(line.text()), "make test");
    EXPECT_FALSE(line.SearchHistory(history, false));
}

TEST(CommandLineEditor, DrawKeepsTheCursorOnTheScreen) {
    CUiTest ui(80, 25);
    const Westring prompt = L"/some/dir>";  // 10 columns
    CCommandLine line;
    line.Set(String(L'a', 200) + L"END");
    int x = line.Draw(prompt, 23, 80, 0x07);
    EXPECT_EQ(x, 79);
    EXPECT_EQ(ui.Text(76, 23, 3), "END");
    EXPECT_EQ(ui.Text(0, 23, 10), "/some/dir>");

    line.Home();
    x = line.Draw(prompt, 23, 80, 0x07);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(line.shift(), 0);

    // The text scrolls at most to its length less 40.
    line.Set(String(L'b', 50));
    line.SetPos(50);
    x = line.Draw(prompt, 23, 80, 0x07);
    EXPECT_EQ(line.shift(), 0);
    EXPECT_EQ(x, 60);
    EXPECT_EQ(ui.Line(23), "/some/dir>" + std::string(50, 'b'));

    // A prompt wider than the screen.
    line.Set(L"xyz");
    EXPECT_GE(line.Draw(Westring(String(L'p', 100)), 23, 80, 0x07), 0);
    EXPECT_EQ(ui.Line(23), std::string(80, 'p'));
}

// ---- CLPaste

TEST(CLPaste, QuotesDoublesTheCommandCharacterAndAddsABlank) {
    char saved = config.CmdChar;
    config.CmdChar = '!';
    const struct {
        const wchar_t* line;
        int pos;
        const wchar_t* text;
        const char* expected;
        int expected_pos;
    } cases[] = {
        {L"", 0, L"file.txt", "file.txt ", 9},
        {L"vi ", 3, L"a b.txt", "vi a\\ b.txt ", 12},
        {L"cd ", 3, L"/tmp/dir/", "cd /tmp/dir/", 12},
        {L"x", 0, L"wow!", "wow\\!! x", 7},
        {L"", 0, L"$HOME;`rm`", "\\$HOME\\;\\`rm\\` ", 15},
        {L"ab", 99, L"c", "abc ", 4},  // positions outside the line are clamped
        {L"abc ", -5, L"d", "d abc ", 2},
    };
    for (const auto& c : cases) {
        Westring line = c.line;
        int pos = c.pos;
        EXPECT_TRUE(CLPaste(line, c.text, pos));
        EXPECT_EQ(narrow(line), c.expected);
        EXPECT_EQ(pos, c.expected_pos) << c.expected;
    }
    config.CmdChar = saved;
}

TEST(CLPaste, NothingWhenTheLineWouldPassTheLimit) {
    Westring line = String(L'a', 505);
    int pos = 505;
    EXPECT_FALSE(CLPaste(line, L"toolong", pos));  // 7 + blank: 513
    EXPECT_EQ(line.strlen(), 505);
    EXPECT_EQ(pos, 505);
    EXPECT_TRUE(CLPaste(line, L"fits!", pos) == false);  // quoting and doubling make it 8 + blank
    EXPECT_TRUE(CLPaste(line, L"ok", pos));
    EXPECT_EQ(line.strlen(), 508);
    Westring huge = String(L'z', 1 << 20);
    EXPECT_FALSE(CLPaste(line, huge, pos));
}

}  // namespace
