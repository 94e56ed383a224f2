// Starting programs apart from the window, and finding programs to run.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "exec/detached.h"
#include "exec/pathsearch.h"
#include "tests/support/temp_dir.h"

namespace {

const std::string kEnvironment("PATH=/usr/bin:/bin\0SHELL=/bin/sh\0", 34);

TEST(StartDetachedTest, TheProgramRunsInItsOwnSessionAndIsNoChildOfOurs) {
    CTempDir dir;
    std::string report = dir / "report";
    // Its output goes nowhere: a test runner waits for all holding its pipes.
    std::string command = "exec >/dev/null 2>&1; { echo $$; readlink /proc/$$/fd/0; } > '" + report +
                          ".tmp'; mv '" + report + ".tmp' '" + report + "'; sleep 2";
    ASSERT_EQ(StartDetached(command.c_str(), kEnvironment.c_str()), 0);
    // The intermediate child is already reaped, and the program is not ours.
    int status = 0;
    EXPECT_EQ(waitpid(-1, &status, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);

    for (int tries = 0; tries < 200 && !std::filesystem::exists(report); tries++)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::ifstream in(report);
    pid_t pid = 0;
    std::string input;
    in >> pid >> input;
    ASSERT_GT(pid, 0);
    EXPECT_EQ(input, "/dev/null");
    EXPECT_EQ(getsid(pid), pid);  // sleep 2 keeps it alive meanwhile
    EXPECT_NE(getpgid(pid), getpgid(0));
}

TEST(PathSearchTest, FindsExecutableFilesAlongThePath) {
    CTempDir dir;
    std::string bin = dir.MakeDir("bin");
    dir.MakeDir("other");
    dir.Write("bin/prog", "#!/bin/sh\n", 0755);
    dir.Write("other/prog", "#!/bin/sh\n", 0644);  // not executable: passed over
    dir.MakeDir("other/tool");                     // a directory is no program
    dir.Write("bin/tool", "#!/bin/sh\n", 0755);

    std::string path = "/nonexistent:" + (dir / "other") + ":" + bin;
    std::string found;
    ASSERT_TRUE(PathSearch("prog", found, path.c_str()));
    EXPECT_EQ(found, bin + "/prog");
    ASSERT_TRUE(PathSearch("tool", found, path.c_str()));
    EXPECT_EQ(found, bin + "/tool");
    EXPECT_FALSE(PathSearch("absent", found, path.c_str()));
    EXPECT_FALSE(PathSearch("", found, path.c_str()));

    // An empty element is the current directory.
    std::string saved = std::filesystem::current_path();
    ASSERT_EQ(chdir(bin.c_str()), 0);
    EXPECT_TRUE(PathSearch("prog", found, "/nonexistent::/also-nonexistent"));
    EXPECT_EQ(found, "./prog");
    EXPECT_TRUE(PathSearch("prog", found, "/nonexistent:"));
    EXPECT_FALSE(PathSearch("prog", found, "/nonexistent"));
    ASSERT_EQ(chdir(saved.c_str()), 0);

    // A name with a slash is not searched for.
    EXPECT_TRUE(PathSearch((bin + "/prog").c_str(), found, "/nonexistent"));
    EXPECT_FALSE(PathSearch((dir / "other/prog").c_str(), found, path.c_str()));
}

TEST(PathSearchTest, OnlyProgramsAndScriptsAreRunnable) {
    CTempDir dir;
    EXPECT_TRUE(IsRunnableProgram("/bin/true"));
    EXPECT_TRUE(IsRunnableProgram(dir.Write("script", "#!/bin/sh\necho hi\n", 0755).c_str()));
    EXPECT_FALSE(IsRunnableProgram(dir.Write("notes.txt", "shopping list\n", 0755).c_str()));
    EXPECT_FALSE(IsRunnableProgram(dir.Write("plain", "#!/bin/sh\n", 0644).c_str()));
    EXPECT_FALSE(IsRunnableProgram(dir.Write("empty", "", 0755).c_str()));
    EXPECT_FALSE(IsRunnableProgram(dir.MakeDir("directory").c_str()));
    EXPECT_FALSE(IsRunnableProgram((dir / "absent").c_str()));
}

}  // namespace
