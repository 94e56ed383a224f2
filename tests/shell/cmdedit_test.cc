// The command-line editor on its own: the length limit, a history that
// shrinks under it, a prompt wider than the screen, CLPaste.
#include <gtest/gtest.h>

#include <string>

#include "config/config.h"
#include "lib/stringstore.h"
#include "shell/cmdedit.h"
#include "tests/support/uitest.h"

namespace {

std::string narrow(const Westring& s) { return s.ToUTF8().c_str(); }

TEST(CommandLineEditor, InsertionsStopAtTheLimit) {
    CCommandLine line;
    for (int i = 0; i < CCommandLine::kMaxLength; i++) ASSERT_TRUE(line.Insert(L'x'));
    EXPECT_FALSE(line.Insert(L'y'));
    EXPECT_EQ(line.text().strlen(), CCommandLine::kMaxLength);
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

TEST(CommandLineEditor, AHistoryThatShrankIsNoTrapAndAWidePromptNoOverflow) {
    WestringStore history;
    CCommandLine line;
    EXPECT_FALSE(line.Older(history));  // an empty history
    history.Add(L"first");
    history.Add(L"second");
    line.Older(history);
    line.Older(history);
    history.DestroyAll();
    EXPECT_FALSE(line.Older(history));
    EXPECT_TRUE(line.Newer(history) || line.histpos() == 0);

    CUiTest ui(80, 25);
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
    EXPECT_TRUE(CLPaste(line, L"ok", pos));
    EXPECT_EQ(line.strlen(), 508);
    Westring huge = String(L'z', 1 << 20);
    EXPECT_FALSE(CLPaste(line, huge, pos));
}

}  // namespace
