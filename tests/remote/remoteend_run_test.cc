// The whole program as the remote end, in a child process, its console
// served to a test window over pipes: what it paints must reach the window
// whole, and the program ends when the window goes away or refuses it.
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
        return WaitUntil([&] {
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
    void Key(int code) { window_->SendEvent(CConsole::TEvent::Key, code, 0, 0, 0, code < KEY_EXTENDED ? code : 0); }

    CTempDir home_, left_, right_;
    std::unique_ptr<CTestWindow> window_;
    pid_t child_ = -1;
};

// Every message the real program writes is one the window reads whole,
// and a window that goes away ends the program.
TEST_F(RemoteEndRunTest, PanelsArriveWholeAndTheProgramEndsWithTheWindow) {
    left_.Write("alpha.txt", "the first file\n");
    left_.Write("beta.dat", std::string(100000, 'b'));
    Start();
    ASSERT_TRUE(WaitForText("alpha.txt")) << "the panel never showed the file";
    EXPECT_TRUE(WaitForText("beta.dat"));
    EXPECT_EQ(window_->Columns(), 100);
    EXPECT_EQ(window_->Rows(), 30);
    Key(KEY_DOWN);
    Key(KEY_F3);  // the viewer, full screen
    EXPECT_TRUE(WaitForText("the first file"));
    EXPECT_EQ(window_->Faults(), 0);
    window_->CloseInput();
    EXPECT_EQ(WaitForChildExit(child_), 0);
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
    EXPECT_EQ(WaitForChildExit(child_), 1);
}

}  // namespace
