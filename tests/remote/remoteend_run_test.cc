// The whole program as the remote end, in a child process, its console
// served to a test window over pipes: the panels show the remote side's
// files, keys from the window work on them, and the program ends with F10
// or when the window goes away.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "remote/remoteend.h"
#include "tests/remote/remoteend_window.h"
#include "tests/support/headless_console.h"
#include "tests/support/temp_dir.h"

namespace {

class RemoteEndRunTest : public ::testing::Test {
protected:
    // Starts the program as the remote end on the left and right folders.
    void Start() {
        window_ = std::make_unique<CTestWindow>(100, 30);
        child_ = window_->ForkRemote([this] {
            setenv("HOME", home_.path().c_str(), 1);
            unsetenv("DISPLAY");  // it must not need one
            std::vector<std::string> args = {"vi-vizevu", kRemoteEndSwitch, "-l", left_.path(), "-r", right_.path()};
            std::vector<char*> argv;
            for (std::string& arg : args) argv.push_back(arg.data());
            argv.push_back(nullptr);
            return RunRemoteEnd(static_cast<int>(args.size()), argv.data());
        });
        ASSERT_GT(child_, 0);
    }
    void TearDown() override {
        if (child_ > 0) {
            kill(child_, SIGKILL);
            waitpid(child_, nullptr, 0);
        }
        window_.reset();
    }

    // Whether some row of the window shows text, waiting a while for it.
    bool WaitForText(const std::string& text) {
        return WaitFor([&] {
            for (int y = 0; y < window_->Rows(); y++) {
                if (RowText(y).find(text) != std::string::npos) return true;
            }
            return false;
        });
    }
    // The row's text from column `from` on.
    std::string RowText(int y, int from = 0) {
        std::vector<ScreenCell> row;
        for (int x = from; x < window_->Columns(); x++) row.push_back(window_->Cell(x, y));
        return CellsText(row.data(), static_cast<int>(row.size()));
    }
    template <class Condition>
    static bool WaitFor(Condition condition) {
        for (int i = 0; i < 600; i++) {
            if (condition()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return condition();
    }
    // The child's exit status once it ended, -1 when it does not end.
    int WaitForExit() {
        int status = 0;
        bool ended = WaitFor([&] { return waitpid(child_, &status, WNOHANG) == child_; });
        if (!ended) return -1;
        child_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    void Key(int code) { window_->SendEvent(CConsole::TEvent::Key, code, 0, 0, 0, code < KEY_EXTENDED ? code : 0); }

    CTempDir home_, left_, right_;
    std::unique_ptr<CTestWindow> window_;
    pid_t child_ = -1;
};

TEST_F(RemoteEndRunTest, PanelsShowTheRemoteFilesAndF5CopiesThere) {
    left_.Write("alpha.txt", "the first file\n");
    left_.Write("beta.dat", std::string(100000, 'b'));
    Start();
    ASSERT_TRUE(WaitForText("alpha.txt")) << "the panel never showed the file";
    EXPECT_TRUE(WaitForText("beta.dat"));
    // The program took the window's size.
    EXPECT_EQ(window_->Columns(), 100);
    EXPECT_EQ(window_->Rows(), 30);

    Key(KEY_DOWN);
    Key(KEY_F5);
    Key(KEY_ENTER);
    ASSERT_TRUE(WaitFor([&] { return ReadFile(right_ / "alpha.txt") == "the first file\n"; }))
        << "the copy did not arrive";
    // The other panel is read again and shows it.
    EXPECT_TRUE(WaitFor([&] {
        for (int y = 1; y < window_->Rows(); y++) {
            if (RowText(y, 50).find("alpha.txt") != std::string::npos) return true;
        }
        return false;
    })) << "the right panel does not show the copy";

    Key(KEY_F10);
    Key(KEY_ENTER);
    EXPECT_EQ(WaitForExit(), 0);
    EXPECT_EQ(window_->Faults(), 0);
}

TEST_F(RemoteEndRunTest, ProgramEndsWhenTheWindowGoesAway) {
    Start();
    ASSERT_TRUE(WaitForText("10Quit") || WaitForText("Quit"));
    window_->CloseInput();
    EXPECT_EQ(WaitForExit(), 0);
}

TEST_F(RemoteEndRunTest, RefusedGreetingEndsWithStatusOne) {
    window_ = std::make_unique<CTestWindow>(80, 25);
    window_->SetInitReply(0);
    child_ = window_->ForkRemote([] {
        char name[] = "vi-vizevu";
        char* argv[] = {name, nullptr};
        // The message goes to the test's standard error; keep it quiet.
        FILE* quiet = freopen("/dev/null", "w", stderr);
        (void)quiet;
        return RunRemoteEnd(1, argv);
    });
    EXPECT_EQ(WaitForExit(), 1);
}

}  // namespace
