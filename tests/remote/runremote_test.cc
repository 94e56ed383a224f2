// Remote sessions with a small script standing in for ssh: it is started
// with the arguments and channels ssh needs, what it sends shows in the
// window, and a remote end that never starts is explained, not left blank.
#include "remote/runremote.h"

#include <gtest/gtest.h>

#include <string>

#include "remote/parameter.h"
#include "tests/support/headless_console.h"
#include "tests/support/temp_dir.h"

namespace {

class RemoteSessionTest : public ::testing::Test {
protected:
    RemoteSessionTest() : hc(80, 25) {}

    // A script run in place of ssh; $D is the test's directory.
    std::string Script(const std::string& body) {
        return dir.Write("fake-ssh", "#!/bin/sh\nD='" + dir.path() + "'\n" + body, 0755);
    }

    bool Run(const std::string& program, const char* host = "testhost") {
        RemoteOptions options;
        options.program = program.c_str();
        options.wait_for_key = false;
        return RunRemote(host, options);
    }

    std::string Screen() {
        std::string all;
        for (int y = 0; y < 25; y++) all += hc.RowText(y) + "\n";
        return all;
    }

    CHeadlessConsole hc;
    CTempDir dir;
};

TEST_F(RemoteSessionTest, ServesTheRemoteEndAndSaysWhenItCloses) {
    CParameterList params;
    std::string messages = EncodeCommand(RemoteCommand::Init, [] {
        CParameterList p;
        p.AddInteger(1);
        return p;
    }());
    params.AddInteger(3);
    params.AddInteger(2);
    CellString cells;
    cells += ScreenCell(L'R', 0x1F);
    cells += ScreenCell(L'\u00e9', 0x2E);
    cells += ScreenCell(L'M', 0x4A);
    params.AddCellString(cells.cells(), 3);
    messages += EncodeCommand(RemoteCommand::PutStringAt, params);
    dir.Write("messages", messages);
    // The prompt goes to the terminal, the protocol to standard output.
    std::string script = Script(
        "[ -t 2 ] && echo terminal > \"$D/stderr\"\n"
        "[ -p /dev/stdin ] && [ -p /dev/stdout ] && echo pipes > \"$D/pipes\"\n"
        "echo \"$TERM\" > \"$D/term\"\n"
        "printf '%s\\n' \"$@\" > \"$D/args\"\n"
        "printf 'Password: ' >&2\n"
        "cat \"$D/messages\"\n");

    EXPECT_TRUE(Run(script, "-oProxyCommand=evil"));
    // The host comes after "--": no option, however it begins.
    EXPECT_EQ(ReadFile(dir.path() + "/args"), "--\n-oProxyCommand=evil\nvi-vizevu\n");
    EXPECT_EQ(ReadFile(dir.path() + "/term"), "xterm\n");
    EXPECT_EQ(ReadFile(dir.path() + "/stderr"), "terminal\n");
    EXPECT_EQ(ReadFile(dir.path() + "/pipes"), "pipes\n");
    EXPECT_EQ(console->cell(3, 2), ScreenCell(L'R', 0x1F));
    EXPECT_EQ(console->cell(4, 2), ScreenCell(L'\u00e9', 0x2E));
    EXPECT_EQ(console->cell(5, 2), ScreenCell(L'M', 0x4A));
    EXPECT_NE(Screen().find("Connection to -oProxyCommand=evil closed."), std::string::npos) << Screen();
}

// A remote end that lets go of the terminal (as ours does once it talks
// over the pipes) must not be hung up by the window closing its side.
TEST_F(RemoteSessionTest, ARemoteEndThatLetsGoOfTheTerminalIsNotHungUp) {
    CParameterList version;
    version.AddInteger(1);
    dir.Write("messages", EncodeCommand(RemoteCommand::Init, version));
    EXPECT_TRUE(Run(Script("exec 2>&-\nsleep 0.3\ncat \"$D/messages\"\n")));
    EXPECT_NE(Screen().find("Connection to testhost closed."), std::string::npos) << Screen();
}

TEST_F(RemoteSessionTest, AMissingRemoteEndIsExplained) {
    std::string script = Script(
        "echo 'Welcome to testhost' >&2\n"
        "echo 'sh: 1: vi-vizevu: not found' >&2\n"
        "exit 127\n");
    EXPECT_FALSE(Run(script));
    std::string screen = Screen();
    EXPECT_NE(screen.find("Ran: " + script + " -- testhost vi-vizevu"), std::string::npos) << screen;
    EXPECT_NE(screen.find("could not find a program to run (exit status 127)"), std::string::npos) << screen;
    EXPECT_NE(screen.find("  sh: 1: vi-vizevu: not found"), std::string::npos) << screen;
    EXPECT_NE(screen.find("Connection to testhost closed (exit status 127)."), std::string::npos) << screen;
}

TEST_F(RemoteSessionTest, AProgramThatCannotRunIsExplained) {
    std::string missing = dir.path() + "/no-such-ssh";
    EXPECT_FALSE(Run(missing));
    std::string screen = Screen();
    EXPECT_NE(screen.find("Ran: " + missing + " -- testhost vi-vizevu"), std::string::npos) << screen;
    EXPECT_NE(screen.find("exit status 127"), std::string::npos) << screen;
    // Text that never became the protocol is shown too.
    std::string chatty = Script("echo 'motd: hello'\nexit 0\n");
    console->Clear();
    EXPECT_FALSE(Run(chatty));
    screen = Screen();
    EXPECT_NE(screen.find("ended (exit status 0) before it spoke the protocol"), std::string::npos) << screen;
    EXPECT_NE(screen.find("  motd: hello"), std::string::npos) << screen;
}

TEST_F(RemoteSessionTest, ClosingTheWindowBeforeTheProtocolEndsTheSession) {
    // The window's close button, pressed while ssh still waits for a password.
    CConsole::TEvent close;
    close.key = KEY_F10;
    hc.Post(close);
    EXPECT_FALSE(Run(Script("printf 'Password: ' >&2\nexec sleep 600\n")));
    std::string screen = Screen();
    EXPECT_NE(screen.find("Connection to testhost closed (ended by signal 1)."), std::string::npos) << screen;
    EXPECT_EQ(screen.find("did not start"), std::string::npos) << screen;
}

}  // namespace
