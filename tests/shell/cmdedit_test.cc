// The command-line editor on its own: the length limit, a history that
// shrinks under it, a prompt wider than the screen, CLPaste, and file-name
// completion against real directories.
#include <gtest/gtest.h>

#include <string>

#include "config/config.h"
#include "lib/stringstore.h"
#include "panels/panel.h"
#include "shell/cmdedit.h"
#include "shell/completion.h"
#include "tests/support/env_guard.h"
#include "tests/support/temp_dir.h"
#include "tests/support/uitest.h"

namespace {

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
    EXPECT_FALSE(line.Newer(history));
    EXPECT_EQ(line.histpos(), 0);
    EXPECT_EQ(Narrow(line.text()), "first");

    // The prompt is cut at the screen's edge; the cursor column returned
    // follows the prompt (the caller keeps prompts to half the screen).
    CUiTest ui(80, 25);
    line.Set(L"xyz");
    EXPECT_EQ(line.Draw(Westring(String(L'p', 100)), 23, 80, 0x07), 100);
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
        EXPECT_EQ(Narrow(line), c.expected);
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

class CompletionTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"alpha.txt", "alphabet.c", "beta", "Alpha.up", "with space.txt"}) dir_.Write(name, "");
        mkdir((dir_ / "alpine").c_str(), 0755);
        dir_.Write("alpine/inner.txt", "");
        base_ = Westring(dir_.path().c_str());
        panel_.dir = base_;
    }

    // Completes line with the cursor at its end (or at pos); the new line
    // and whether it changed.
    std::string Complete(const std::string& line, bool* changed = nullptr, int pos = -1) {
        Westring text(line.c_str());
        if (pos < 0) pos = text.strlen();
        bool result = FileCompletion(text, pos, &panel_);
        if (changed) *changed = result;
        cursor_ = pos;
        return Narrow(text);
    }

    CTempDir dir_;
    Westring base_;
    PANEL panel_;
    int cursor_ = 0;
};

TEST_F(CompletionTest, TheWordBeforeTheCursorIsCompleted) {
    bool changed = false;
    EXPECT_EQ(Complete("cat alph", &changed), "cat alpha");  // the common beginning
    EXPECT_TRUE(changed);
    EXPECT_EQ(cursor_, 9);
    EXPECT_EQ(Complete("cat bet | wc", nullptr, 7), "cat beta | wc");
    EXPECT_EQ(cursor_, 8);
    const std::pair<std::string, std::string> cases[] = {
        {"cat beta", "cat beta "},  // the one match: complete with a blank
        {"cd alpine/", "cd alpine/inner.txt"},  // an empty prefix inside a directory
        {"cat with\\ sp", "cat with\\ space.txt"},  // an escaped blank belongs to the word
        {"cat 'with sp", "cat with\\ space.txt"},  // so does a quoted one
        {"cat \"with sp", "cat with\\ space.txt"},
        {"sort <bet", "sort <beta"},  // words end at redirections
        {"cat " + dir_.path() + "/bet", "cat " + dir_.path() + "/beta"},
    };
    for (const auto& [line, completed] : cases) EXPECT_EQ(Complete(line), completed) << line;
}

// A newline in a name cannot follow a backslash: the completed name is put
// in single quotes, and that quoted word completes again.
TEST_F(CompletionTest, ANameWithANewlineIsCompletedInSingleQuotes) {
    dir_.Write("new\nline", "");
    EXPECT_EQ(Complete("cat ne"), "cat 'new\nline'");
    EXPECT_EQ(Complete("cat 'new\nl"), "cat 'new\nline'");
    EXPECT_EQ(Complete("cat 'new\nline'"), "cat 'new\nline' ");  // the one match
}

TEST_F(CompletionTest, NothingForAnEmptyWordNoMatchOrAFullLine) {
    const std::string full = "cat " + std::string(503, 'x') + " be";  // 510 characters
    for (const std::string& line : {std::string("cat "), std::string("cat zzz"), std::string(),
                                    std::string("cat x\\"), std::string("cat /no/such/dir/x"), full}) {
        bool changed = true;
        EXPECT_EQ(Complete(line, &changed), line);
        EXPECT_FALSE(changed) << line;
    }
}

TEST_F(CompletionTest, TheFirstWordIsAProgramFromTheSearchPath) {
    CTempDir bin1, bin2;
    for (CTempDir* bin : {&bin1, &bin2}) bin->Write("dvcomp_tool", "#!/bin/sh\n", 0755);
    bin1.Write("dvcomp_plain", "");  // not executable
    mkdir((bin1 / "dvcomp_dir").c_str(), 0755);
    CEnvGuard path("PATH", (bin1.path() + ":" + bin2.path()).c_str());

    CFileNameCompletion completion(base_);
    Westring result;
    bool complete = false;
    EXPECT_TRUE(completion.CompleteProgramName(L"dvcomp", result, complete));
    EXPECT_EQ(Narrow(result), "dvcomp_tool");  // found twice, listed once
    EXPECT_EQ(completion.matches().size(), 1u);
    EXPECT_EQ(Complete("  dvcomp_tool"), "  dvcomp_tool ");
    // With a directory part it is a file name.
    EXPECT_EQ(Complete("./bet"), "./beta");
}

}  // namespace
