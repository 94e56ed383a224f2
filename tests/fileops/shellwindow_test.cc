// Opening the desktop's file manager.
#include "fileops/query/shellwindow.h"

#include <unistd.h>

#include <chrono>
#include <thread>

#include "config/config.h"
#include "lib/fsname.h"
#include "tests/support/env_guard.h"
#include "tests/support/temp_dir.h"

namespace {

class ShellWindowTest : public ::testing::Test {
protected:
    void SetUp() override { config.PathAppend = L""; }
    void TearDown() override { config.PathAppend = saved_append_; }

    // A stand-in for xdg-open in dir_/bin that notes its arguments, its
    // session and whether its input is a terminal; returns the directory.
    std::string InstallFake() {
        std::string bin = dir_.MakeDir("bin");
        std::string out = dir_.path();
        dir_.Write("bin/xdg-open",
                   "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > '" + out + "/args.tmp'\n"
                   "/usr/bin/readlink /proc/$$/fd/0 > '" + out + "/stdin'\n"
                   "/usr/bin/cut -d' ' -f6 /proc/$$/stat > '" + out + "/session'\n"
                   "exec 3> '" + out + "/args.done'\n", 0755);
        return bin;
    }
    // The arguments the fake noted, once it is done (a generous wait).
    std::string Arguments() {
        for (int i = 0; i < 1000 && !PathExists(dir_ / "args.done"); i++)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return ReadFile(dir_ / "args.tmp");
    }

    CTempDir dir_;
    Westring saved_append_ = config.PathAppend;
};

TEST_F(ShellWindowTest, StartsXdgOpenOnTheDirectory) {
    CEnvGuard path("PATH", ("/nonexistent:" + InstallFake()).c_str());
    std::string target = dir_ / "my dir \xe9";
    ASSERT_TRUE(OpenShellWindow(DecodeFileName(target.c_str())));
    EXPECT_EQ(Arguments(), "1|" + target);
    // Detached: no input, and a session of its own.
    EXPECT_EQ(ReadFile(dir_ / "stdin"), "/dev/null\n");
    EXPECT_NE(ReadFile(dir_ / "session"), std::to_string(getsid(0)) + "\n");
    EXPECT_FALSE(ReadFile(dir_ / "session").empty());
}

TEST_F(ShellWindowTest, DirectoryStartingWithDashIsNoOption) {
    CEnvGuard path("PATH", InstallFake().c_str());
    ASSERT_TRUE(OpenShellWindow(L"-rf"));
    EXPECT_EQ(Arguments(), "1|./-rf");
}

TEST_F(ShellWindowTest, NoXdgOpen) {
    // A file that is not executable does not count.
    dir_.MakeDir("bin");
    dir_.Write("bin/xdg-open", "#!/bin/sh\n");
    CEnvGuard path("PATH", (dir_ / "bin").c_str());
    EXPECT_FALSE(OpenShellWindow(L"/tmp"));
}

}  // namespace
