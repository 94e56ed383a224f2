// Simple commands run without the shell must get exactly the words the
// shell would have given them: checked against /bin/sh on random commands.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "exec/simplecommand.h"
#include "tests/support/shell_output.h"

namespace {

std::vector<std::string> Split(const char* command) {
    std::vector<std::string> words;
    return SplitSimpleCommand(command, words) ? words : std::vector<std::string>{"<shell>"};
}

TEST(SimpleCommandTest, OnlyProgramsByPathWithPlainWordsSkipTheShell) {
    using Words = std::vector<std::string>;
    EXPECT_EQ(Split("/bin/true a\\ b 'c d' \"e'f\" g\\*"), (Words{"/bin/true", "a b", "c d", "e'f", "g*"}));
    EXPECT_EQ(Split("  ./run ''  x "), (Words{"./run", "", "x"}));
    for (const char* shell : {"true x", "/bin/echo $HOME", "/bin/ls *.c", "/bin/a > f", "/bin/a; b", "/bin/a | b",
                              "/bin/a ~", "X=1 /bin/a", "/bin/a \"`id`\"", "/bin/a 'open", "/bin/a \\\nb", "/bin/a #c"})
        EXPECT_EQ(Split(shell), Words{"<shell>"}) << shell;
}

TEST(SimpleCommandTest, RandomCommandsSplitAsTheShellSplitsThem) {
    std::mt19937 random(20261207);
    const std::string alphabet = "ab -\\'\" \t\xc3\xa9\xff*$x";
    int compared = 0;
    for (int round = 0; round < 600 && compared < 150; round++) {
        std::string tail;
        const int length = 1 + static_cast<int>(random() % 12);
        for (int i = 0; i < length; i++) tail += alphabet[random() % alphabet.size()];
        const std::string command = "/usr/bin/printf '[%s]' " + tail;
        std::vector<std::string> words;
        if (!SplitSimpleCommand(command.c_str(), words)) continue;
        std::string ours;
        for (size_t i = 2; i < words.size(); i++) ours += "[" + words[i] + "]";
        if (words.size() == 2) ours = "[]";  // printf without arguments
        std::string quoted;  // the command as one single-quoted word for sh -c
        for (char c : command) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        EXPECT_EQ(ShellOutput("sh -c '" + quoted + "'"), ours) << command;
        compared++;
    }
    EXPECT_GE(compared, 100);
}

}  // namespace
