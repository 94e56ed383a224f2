// File-name completion against real directories.

#include <unistd.h>

#include "panels/panel.h"
#include "shell/completion.h"
#include "tests/fileops/env_guard.h"
#include "tests/fileops/temp_dir.h"
#include "tests/support/uitest.h"

namespace {

std::string narrow(const Westring& s) { return s.ToUTF8().c_str(); }

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
        return narrow(text);
    }

    CTempDir dir_;
    Westring base_;
    PANEL panel_;
    int cursor_ = 0;
    CUiTest ui{80, 25};
};

TEST_F(CompletionTest, MatchesBeginWithThePrefixCaseSensitively) {
    CFileNameCompletion completion(base_);
    completion.CheckDirectory(base_, L"alp", false);
    std::vector<std::string> names;
    for (const Westring& name : completion.matches()) names.push_back(narrow(name));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"alpha.txt", "alphabet.c", "alpine/"}));
    EXPECT_EQ(narrow(completion.CommonPrefix()), "alp");
}

TEST_F(CompletionTest, TheWordBeforeTheCursorIsCompleted) {
    bool changed = false;
    EXPECT_EQ(Complete("cat alph", &changed), "cat alpha");  // the common beginning
    EXPECT_TRUE(changed);
    EXPECT_EQ(cursor_, 9);
    EXPECT_EQ(Complete("cat bet | wc", nullptr, 7), "cat beta | wc");
    EXPECT_EQ(cursor_, 8);
    const std::pair<std::string, std::string> cases[] = {
        {"cat bet", "cat beta"},    // extended: not yet complete
        {"cat beta", "cat beta "},  // the one match: complete with a blank
        {"cd alpi", "cd alpine/"},  // a directory: no blank
        {"cd alpine/", "cd alpine/inner.txt"},  // an empty prefix inside it
        {"cat alpine/in", "cat alpine/inner.txt"},
        {"cat wi", "cat with\\ space.txt"},  // quoted for the shell
        {"cat with\\ sp", "cat with\\ space.txt"},  // an escaped blank belongs to the word
        {"sort <bet", "sort <beta"},  // words end at redirections
        {"ls >bet", "ls >beta"},
        {"cat " + dir_.path() + "/bet", "cat " + dir_.path() + "/beta"},
    };
    for (const auto& [line, completed] : cases) EXPECT_EQ(Complete(line), completed) << line;
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

TEST_F(CompletionTest, SeveralMatchesOpenAListToChooseFrom) {
    // Escape gives up; Ctrl-Enter takes the first.
    for (const auto& [keys, expected] : {std::pair("Down Enter", "cat alphabet.c "), std::pair("Esc", "cat alpha"),
                                         std::pair("Ctrl-Enter", "cat alpha.txt ")}) {
        ui.Keys(keys);
        ui.RecordScreens(true);
        std::string result;
        ui.RunVoid([&] { result = Complete("cat alpha"); });
        EXPECT_EQ(result, expected) << keys;
        ASSERT_FALSE(ui.Screens().empty());
        EXPECT_TRUE(ui.Screens()[0].Find("alpha.txt") && ui.Screens()[0].Find("alphabet.c")) << ui.Screens()[0].Dump();
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
    EXPECT_EQ(narrow(result), "dvcomp_tool");  // found twice, listed once
    EXPECT_EQ(completion.matches().size(), 1u);
    EXPECT_EQ(Complete("  dvcomp_tool"), "  dvcomp_tool ");
    // With a directory part it is a file name.
    EXPECT_EQ(Complete("./bet"), "./beta");
}

}  // namespace
