// Both ends of remote operation: the program as the remote end in a child
// process, and the window's console server on a headless console here. The
// window's console must show the remote side's panels, and its keys must
// work on the remote side's files.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "remote/consoleserver.h"
#include "remote/remoteend.h"
#include "tests/remote/remoteend_window.h"
#include "tests/support/headless_console.h"
#include "tests/support/temp_dir.h"

namespace {

class RemoteEndServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(pipe2(to_remote_, O_CLOEXEC), 0);
        ASSERT_EQ(pipe2(from_remote_, O_CLOEXEC), 0);
    }
    void TearDown() override {
        if (child_ > 0) {
            kill(child_, SIGKILL);
            waitpid(child_, nullptr, 0);
        }
        if (reader_.joinable()) reader_.join();
        server_.reset();
        for (int fd : {to_remote_[1], from_remote_[0]}) close(fd);
    }

    // Starts the program in a child on the left and right folders, then
    // serves its console.
    void Start() {
        child_ = fork();
        ASSERT_GE(child_, 0);
        if (child_ == 0) {
            if (dup2(to_remote_[0], STDIN_FILENO) < 0 || dup2(from_remote_[1], STDOUT_FILENO) < 0) _exit(120);
            setenv("HOME", home_.path().c_str(), 1);
            unsetenv("DISPLAY");
            std::vector<std::string> args = {"dv", kRemoteEndSwitch, "-l", left_.path(), "-r", right_.path()};
            std::vector<char*> argv;
            for (std::string& arg : args) argv.push_back(arg.data());
            argv.push_back(nullptr);
            _exit(RunRemoteEnd(static_cast<int>(args.size()), argv.data()));
        }
        close(to_remote_[0]);
        close(from_remote_[1]);
        server_ = std::make_unique<CConsoleServer>(to_remote_[1], &window_.Console());
        reader_ = std::thread([this] {
            char chunk[16384];
            for (;;) {
                ssize_t n = read(from_remote_[0], chunk, sizeof chunk);
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) break;
                server_->ProcessData(chunk, static_cast<size_t>(n));
            }
        });
    }

    bool Shows(const std::string& text, int from_column = 0) {
        for (int y = 0; y < window_.Console().rows(); y++) {
            if (CellsText(&window_.Console().cell(from_column, y), window_.Console().columns() - from_column)
                    .find(text) != std::string::npos)
                return true;
        }
        return false;
    }

    CTempDir home_, left_, right_;
    CHeadlessConsole window_{120, 40};
    int to_remote_[2] = {-1, -1}, from_remote_[2] = {-1, -1};
    pid_t child_ = -1;
    std::unique_ptr<CConsoleServer> server_;
    std::thread reader_;
};

TEST_F(RemoteEndServerTest, WindowShowsRemotePanelsAndItsKeysCopyAndQuit) {
    left_.Write("report.txt", "remote contents\n");
    left_.Write("zeta.bin", std::string(4096, 'z'));
    Start();
    ASSERT_TRUE(WaitUntil([&] { return Shows("report.txt") && Shows("zeta.bin"); }))
        << "the window's console never showed the remote files";
    EXPECT_EQ(window_.Console().columns(), 120) << "the program did not take the window's size";

    window_.PostKey(KEY_DOWN);
    window_.PostKey(KEY_F5);
    window_.PostKey(KEY_ENTER);
    ASSERT_TRUE(WaitUntil([&] { return ReadFile(right_ / "report.txt") == "remote contents\n"; }));
    EXPECT_TRUE(WaitUntil([&] { return Shows("report.txt", 60); })) << "the right panel does not list the copy";

    window_.PostKey(KEY_F10);
    window_.PostKey(KEY_ENTER);
    EXPECT_EQ(WaitForChildExit(child_), 0);
    EXPECT_TRUE(server_->Active());
    EXPECT_EQ(server_->Failure(), nullptr);
}

}  // namespace
