// The real program in a real window: start-up shows the panels with the
// files of the directories named on the command line, keys typed with
// xdotool move, tag and switch, F10 and Enter quit, and the run leaves its
// configuration (AutoSave) and the -x file behind.
//
// The screen is read back through the program's test-only screen dump
// (DV_SCREEN_DUMP), so nothing depends on reading pixels as text.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/xsession.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int kStartMs = 120000;
constexpr int kEventMs = 30000;
constexpr int kToolMs = 30000;

class DvE2E : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"xdotool", "Xvfb"})
            ASSERT_FALSE(FindProgram(tool).empty())
                << tool << " is not installed; scripts/deps installs the packages the end-to-end tests need";
        ASSERT_FALSE(scratch_.path().empty());
        std::string error;
        ASSERT_TRUE(UseTestDisplay(xserver_, error)) << error;
        setenv("LSAN_OPTIONS", "suppressions=" DV_LSAN_SUPPRESSIONS ":print_suppressions=0", 0);

        home_ = scratch_ / "home";
        left_ = scratch_ / "left dir";
        right_ = scratch_ / "right";
        for (const std::string& dir : {home_, home_ + "/.dvl", left_, right_}) ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
        WriteFile(left_ + "/left_one.txt", "1");
        WriteFile(left_ + "/left_two.txt", "22");
        WriteFile(right_ + "/right.txt", "333");
        // The configuration file where the program looks by default.
        ini_ = home_ + "/.dvl/dv.ini";
        WriteFile(ini_, "AutoSave=on\r\n");
        dump_ = scratch_ / "screen.txt";
        dir_file_ = scratch_ / "cd.sh";
        setenv("HOME", home_.c_str(), 1);
        setenv("DV_SCREEN_DUMP", dump_.c_str(), 1);
    }
    void TearDown() override {
        if (dv_.Running()) dv_.Stop(30000);
        unsetenv("DV_SCREEN_DUMP");
    }

    bool StartDv() {
        return dv_.Start({DV_PROGRAM_PATH, "-l", left_, "-r", right_, "-x", dir_file_}, false);
    }

    // Waits until the screen dump satisfies wanted; the last dump in screen.
    bool WaitForScreen(const std::function<bool(const std::string&)>& wanted, int timeout_ms, std::string* screen) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
        do {
            *screen = ReadFile(dump_);
            if (wanted(*screen)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        } while (std::chrono::steady_clock::now() < deadline && dv_.Running());
        *screen = ReadFile(dump_);
        return wanted(*screen);
    }
    bool WaitForText(const std::string& text, std::string* screen, int timeout_ms = kEventMs) {
        return WaitForScreen([&](const std::string& s) { return s.find(text) != std::string::npos; }, timeout_ms,
                             screen);
    }

    // The screen's row y of the dump (rows end with "\n").
    static std::string Row(const std::string& screen, int y) {
        std::istringstream lines(screen);
        std::string line;
        for (int i = 0; i <= y && std::getline(lines, line); i++) {
            if (i == y) return line;
        }
        return std::string();
    }

    bool FindWindow() {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartMs);
        while (std::chrono::steady_clock::now() < deadline) {
            std::string ids;
            if (RunCapture({"xdotool", "search", "--onlyvisible", "--name", "^DV/L"}, kToolMs, &ids) == 0 &&
                !ids.empty()) {
                window_ = ids.substr(0, ids.find('\n'));
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }

    bool Xdo(std::vector<std::string> args) {
        args.insert(args.begin(), "xdotool");
        return RunCapture(args, kToolMs) == 0;
    }

    // Starts the program and waits for its first screen.
    void StartAndShow(std::string* screen) {
        ASSERT_TRUE(StartDv()) << "cannot start " << DV_PROGRAM_PATH;
        ASSERT_TRUE(WaitForText("left_one.txt", screen, kStartMs)) << "no first screen:\n" << *screen;
        ASSERT_TRUE(FindWindow()) << "no window titled DV/L";
        ASSERT_TRUE(Xdo({"windowfocus", "--sync", window_}));
    }

    CXServer xserver_;  // declared first: it goes last, after the program
    CTempDir scratch_;
    CChildProcess dv_;
    std::string home_, left_, right_, ini_, dump_, dir_file_, window_;
};

TEST_F(DvE2E, PanelsKeysQuitAndWhatTheRunLeavesBehind) {
    std::string screen;
    StartAndShow(&screen);
    // Both panels with their files, the left one current.
    EXPECT_NE(Row(screen, 2).substr(0, 40).find("left_one.txt"), std::string::npos) << screen;
    EXPECT_NE(screen.find("left_two.txt"), std::string::npos) << screen;
    EXPECT_NE(screen.find("right.txt"), std::string::npos) << screen;
    EXPECT_EQ(Row(screen, 23).substr(0, left_.size() + 1), left_ + ">") << screen;

    // Down to left_one.txt, tag it (the cursor moves on), then the other panel.
    ASSERT_TRUE(Xdo({"key", "Down", "Insert"}));
    EXPECT_TRUE(WaitForText("1 bytes in 1 selected file", &screen)) << screen;
    ASSERT_TRUE(Xdo({"key", "Tab"}));
    EXPECT_TRUE(WaitForScreen(
        [&](const std::string& s) { return Row(s, 23).compare(0, right_.size() + 1, right_ + ">") == 0; }, kEventMs,
        &screen))
        << screen;

    // Typing goes to the command line.
    ASSERT_TRUE(Xdo({"type", "hello"}));
    EXPECT_TRUE(WaitForText(right_ + ">hello", &screen)) << screen;
    ASSERT_TRUE(Xdo({"key", "Escape"}));

    ASSERT_TRUE(Xdo({"key", "F10"}));
    EXPECT_TRUE(WaitForText("Are you sure you want to exit DV/L ?", &screen)) << screen;
    ASSERT_TRUE(Xdo({"key", "Return"}));
    EXPECT_EQ(dv_.Wait(kEventMs), 0);

    const std::string saved = ReadFile(ini_);
    EXPECT_NE(saved.find("AutoSave=on\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("StartupSide=R\r\n"), std::string::npos) << saved;
    EXPECT_EQ(ReadFile(dir_file_), "cd -- '" + right_ + "'\n");
}

TEST_F(DvE2E, TheWindowsCloseButtonAsksBeforeQuitting) {
    std::string screen;
    StartAndShow(&screen);
    ASSERT_EQ(0, RunCapture({DV_SEND_CLOSE_PATH, window_}, kToolMs));
    EXPECT_TRUE(WaitForText("Are you sure you want to exit DV/L ?", &screen)) << screen;
    ASSERT_TRUE(Xdo({"key", "Escape"}));
    // Still running; F10 and Enter end it.
    ASSERT_TRUE(WaitForScreen([](const std::string& s) { return s.find("Are you sure") == std::string::npos; },
                              kEventMs, &screen))
        << screen;
    EXPECT_TRUE(dv_.Running());
    ASSERT_TRUE(Xdo({"key", "F10"}));
    EXPECT_TRUE(WaitForText("Are you sure you want to exit DV/L ?", &screen)) << screen;
    ASSERT_TRUE(Xdo({"key", "Return"}));
    EXPECT_EQ(dv_.Wait(kEventMs), 0);
    EXPECT_EQ(ReadFile(dir_file_), "cd -- '" + left_ + "'\n");
}

// Polls until a file-system condition holds (the program acts asynchronously).
bool Eventually(const std::function<bool()>& condition, int timeout_ms) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

bool PathExists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

TEST_F(DvE2E, CopyMakeDirectoryAndDeleteChangeTheDisk) {
    std::string screen;
    StartAndShow(&screen);
    // F5 on left_one.txt: the dialog proposes the other panel; Enter copies.
    ASSERT_TRUE(Xdo({"key", "Down", "F5"}));
    EXPECT_TRUE(WaitForText("Copy \"left_one.txt\" to", &screen)) << screen;
    ASSERT_TRUE(Xdo({"key", "Return"}));
    EXPECT_TRUE(Eventually([&] { return ReadFile(right_ + "/left_one.txt") == "1"; }, kEventMs));
    EXPECT_TRUE(WaitForScreen([](const std::string& s) { return s.find("Copy \"") == std::string::npos; }, kEventMs,
                              &screen))
        << screen;

    // F7 makes a directory.
    ASSERT_TRUE(Xdo({"key", "F7"}));
    EXPECT_TRUE(WaitForText("Create the directory", &screen)) << screen;
    ASSERT_TRUE(Xdo({"type", "made by dv"}));
    ASSERT_TRUE(Xdo({"key", "Return"}));
    EXPECT_TRUE(Eventually([&] { return PathExists(left_ + "/made by dv"); }, kEventMs));

    // F8 deletes the cursor entry (the new directory) after the confirmation.
    ASSERT_TRUE(WaitForScreen([](const std::string& s) { return s.find("Create the directory") == std::string::npos; },
                              kEventMs, &screen))
        << screen;
    ASSERT_TRUE(Xdo({"key", "F8"}));
    EXPECT_TRUE(WaitForText("Do you wish to delete", &screen)) << screen;
    ASSERT_TRUE(Xdo({"key", "Return"}));
    EXPECT_TRUE(Eventually([&] { return !PathExists(left_ + "/made by dv"); }, kEventMs)) << ReadFile(dump_);
    EXPECT_TRUE(PathExists(left_ + "/left_one.txt"));

    ASSERT_TRUE(Xdo({"key", "F10"}));
    EXPECT_TRUE(WaitForText("Are you sure you want to exit DV/L ?", &screen)) << screen;
    ASSERT_TRUE(Xdo({"key", "Return"}));
    EXPECT_EQ(dv_.Wait(kEventMs), 0);
}

}  // namespace
