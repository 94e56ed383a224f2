// File-name completion against real directories.

#include <unistd.h>

#include "panels/panel.h"
#include "shell/completion.h"
#include "tests/support/env_guard.h"
#include "tests/support/temp_dir.h"

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
        {"sort <bet", "sort <beta"},  // words end at redirections
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
