// Finding the archiver programs: along PATH, quoted when their path needs
// it, and a plain message naming the program and its settings section
// when it is not installed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <string>

#include "archive/archiverprogram.h"
#include "config/archivers.h"
#include "exec/environment.h"
#include "lib/fsname.h"
#include "tests/archive/archive_oracle.h"
#include "tests/support/env_guard.h"

namespace {

TEST(ArchiverProgramTest, TheProgramIsReplacedByItsFullPathQuotedForTheShell) {
    CTempDir dir;
    const std::string bin = dir / "my bin";
    std::filesystem::create_directories(bin);
    dir.Write("my bin/packer", "#!/bin/sh\nexit 0\n", 0755);
    // Set in the session's own layer; removing it lets the process's PATH show again.
    SessionEnv.Set("PATH", (bin + ":/usr/bin:/bin").c_str());
    Westring command(L"packer x -y");
    const bool found = FindArchiver(command);
    SessionEnv.Set("PATH", nullptr);
    ASSERT_TRUE(found);
    // sh reads the quoted path back as the program's path.
    EXPECT_EQ(ShellOutput("printf '%s' " + std::string(EncodeFileName(command.mid(0, command.strlen() - 5)).c_str())),
              bin + "/packer");
    EXPECT_EQ(Narrow(command.mid(command.strlen() - 5)), " x -y");
}

TEST(ArchiverProgramTest, AMissingProgramLeavesTheCommandAndIsNamedInTheMessage) {
    Westring command(L"no-such-archiver-here a -r");
    EXPECT_FALSE(FindArchiver(command));
    EXPECT_EQ(Narrow(command), "no-such-archiver-here a -r");
    EXPECT_EQ(Narrow(ArchiverNotFoundMessage(Westring(L"rar x -std"), 1)),
              "rar: program not found; set [Archiver:RAR] in dv.ini");
    // The unace Debian ships cannot add: nothing is set, and that is said.
    EXPECT_EQ(Narrow(ArchiverNotFoundMessage(Westring(), 4)), "ACE: no command is set for this; set [Archiver:ACE] in dv.ini");
}

TEST(ArchiverProgramTest, TheArgumentRoomFitsOneShellArgument) {
    // The whole command reaches the shell as one argument: a line longer
    // than Linux takes for one (32 pages) would fail with E2BIG.
    const size_t room = ArchiverArgumentRoom();
    EXPECT_GT(room, 100000u);
    EXPECT_LE(room, 32u * static_cast<size_t>(sysconf(_SC_PAGESIZE)));
    std::string names;
    while (names.size() < room - 100) names += "member-name-of-some-length ";
    EXPECT_EQ(RunShell("true " + names), 0);
}

}  // namespace
