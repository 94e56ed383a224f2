// A command's output on the console's teletype.
#include "exec/consoleoutput.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/headless_console.h"

namespace {

std::string Screen(const CHeadlessConsole& screen, int rows) {
    std::string text;
    for (int y = 0; y < rows; y++) {
        std::string row = screen.RowText(y);
        row.erase(row.find_last_not_of(' ') + 1);  // the blanks after the text
        text.append(row).append("\n");
    }
    return text;
}

TEST(ConsoleOutputTest, CharactersSplitBetweenReadsArriveWhole) {
    CHeadlessConsole screen(40, 5);
    ConsoleOutput out;
    out.Output("caf\xC3", 4);
    out.Output("\xA9 \xE2\x82", 4);  // é, then two of the three bytes of €
    out.Output("\xAC", 1);
    out.Output("1\0" "2\r\n", 5);       // a NUL is no end of the text
    EXPECT_NE(Screen(screen, 5).find("café €12"), std::string::npos) << Screen(screen, 5);
}

TEST(ConsoleOutputTest, ACommandWritesOnTheTeletype) {
    CHeadlessConsole screen(40, 5);
    const std::string environment("PATH=/usr/bin:/bin\0SHELL=/bin/sh\0", 34);
    PtySession session;
    ASSERT_EQ(session.Start("printf 'one\\ntwo\\n'", 5, 40, environment.c_str()), 0);
    ConsoleOutput out;
    EXPECT_EQ(session.Run(out), 0);
    EXPECT_NE(Screen(screen, 5).find("one\ntwo\n"), std::string::npos) << Screen(screen, 5);
}

}  // namespace
