// Opening the desktop's file manager.
#include "fileops/query/shellwindow.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "lib/fsname.h"
#include "shell/config.h"
#include "tests/fileops/env_guard.h"
#include "tests/fileops/temp_dir.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

// Waits (generously) for a file the detached program writes.
bool WaitForFile(const std::string& path) {
    for (int i = 0; i < 1000; i++) {
        if (access(path.c_str(), F_OK) == 0) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

class ShellWindowTest : public ::testing::Test {
protected:
    void SetUp() override { config.PathAppend = L""; }
    void TearDown() override { config.PathAppend = saved_append_; }

    // A stand-in for xdg-open that notes its arguments, its session and
    // whether its input is a terminal.
    void InstallFake(const std::string& bin) {
        ASSERT_EQ(mkdir(bin.c_str(), 0755), 0);
        std::string script = bin + "/xdg-open";
        std::ofstream out(script);
        out << "#!/bin/sh\n"
            << "printf '%s|%s' \"$#\" \"$1\" > '" << dir_.path() << "/args.tmp'\n"
            << "/usr/bin/readlink /proc/$$/fd/0 > '" << dir_.path() << "/stdin'\n"
            << "/usr/bin/cut -d' ' -f6 /proc/$$/stat > '" << dir_.path() << "/session'\n"
            << "exec 3> '" << dir_.path() << "/args.done'\n";
        out.close();
        ASSERT_EQ(chmod(script.c_str(), 0755), 0);
    }

    CTempDir dir_;
    Westring saved_append_ = config.PathAppend;
};

TEST_F(ShellWindowTest, StartsXdgOpenOnTheDirectory) {
    std::string bin = dir_ / "bin";
    InstallFake(bin);
    CEnvGuard path("PATH", ("/nonexistent:" + bin).c_str());
    std::string target = dir_ / "my dir \xe9";
    ASSERT_TRUE(OpenShellWindow(DecodeFileName(target.c_str())));
    ASSERT_TRUE(WaitForFile(dir_ / "args.done"));
    EXPECT_EQ(ReadFile(dir_ / "args.tmp"), "1|" + target);
    // Detached: no input, and a session of its own.
    EXPECT_EQ(ReadFile(dir_ / "stdin"), "/dev/null\n");
    EXPECT_NE(ReadFile(dir_ / "session"), std::to_string(getsid(0)) + "\n");
    EXPECT_FALSE(ReadFile(dir_ / "session").empty());
}

TEST_F(ShellWindowTest, DirectoryStartingWithDashIsNoOption) {
    std::string bin = dir_ / "bin";
    InstallFake(bin);
    CEnvGuard path("PATH", bin.c_str());
    ASSERT_TRUE(OpenShellWindow(L"-rf"));
    ASSERT_TRUE(WaitForFile(dir_ / "args.done"));
    EXPECT_EQ(ReadFile(dir_ / "args.tmp"), "1|./-rf");
}

TEST_F(ShellWindowTest, NoXdgOpen) {
    std::string bin = dir_ / "bin";
    ASSERT_EQ(mkdir(bin.c_str(), 0755), 0);
    // Not executable, and a directory of that name: neither counts.
    std::ofstream(bin + "/xdg-open") << "#!/bin/sh\n";
    ASSERT_EQ(mkdir((dir_ / "other").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((dir_ / "other/xdg-open").c_str(), 0755), 0);
    CEnvGuard path("PATH", (bin + ":" + dir_.path() + "/other").c_str());
    EXPECT_FALSE(OpenShellWindow(L"/tmp"));
}

}  // namespace
