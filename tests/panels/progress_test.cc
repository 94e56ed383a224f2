// The progress windows of directory reading and file loading.
#include "panels/progress.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "console/cells.h"
#include "panels/panel.h"
#include "tests/panels/panel_test_util.h"
#include "tests/support/uitest.h"

namespace {

// Counts its updates and lets a test wait for them.
class CCountingProgress : public ProgressIndicatorThread {
public:
    CCountingProgress(int first_delay_ms, int interval_ms) : ProgressIndicatorThread(first_delay_ms, interval_ms) {
        Start();
    }
    ~CCountingProgress() override { Stop(); }

    // Waits (generously) until at least n updates happened.
    bool WaitFor(int n) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(20), [&] { return updates_ >= n; });
    }
    int updates() {
        std::lock_guard<std::mutex> lock(mutex_);
        return updates_;
    }
    int finishes = 0;

protected:
    void Update() override {
        std::lock_guard<std::mutex> lock(mutex_);
        updates_++;
        changed_.notify_all();
    }
    void Finish() override { finishes++; }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int updates_ = 0;
};

}  // namespace

TEST(ProgressIndicatorThread, QuickWorkShowsNothing) {
    CCountingProgress progress(ProgressIndicatorThread::kFirstDelayMs, ProgressIndicatorThread::kIntervalMs);
    progress.Stop();
    EXPECT_EQ(progress.updates(), 0);
    EXPECT_EQ(progress.finishes, 1);
    progress.Stop();  // again: nothing more happens
    EXPECT_EQ(progress.updates(), 0);
}

TEST(ProgressIndicatorThread, LongWorkUpdatesRepeatedlyUntilStopped) {
    CCountingProgress progress(5, 5);
    ASSERT_TRUE(progress.WaitFor(3));
    progress.Stop();
    int after_stop = progress.updates();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(progress.updates(), after_stop);
}

TEST(DirReadProgress, ShowsTheCountAndRestoresTheScreen) {
    CUiTest ui;
    ui.FillPattern();
    std::vector<ScreenCell> before = ui.Snapshot();
    std::atomic<int> count{1234567};
    {
        DirReadProgress progress(count, 1, 1);
        ASSERT_TRUE(WaitForScreen(ui, "Files:    1,234,567")) << ui.Dump();
        int x = 0, y = 0;
        ASSERT_TRUE(ui.Find("Reading directory:", &x, &y));
        EXPECT_NE(std::wstring(L"-\\|/").find(ui.Char(x + 19, y)), std::wstring::npos) << ui.Dump();
        EXPECT_EQ(ui.Find("Files:", &x, &y) ? x : -1, x);
        EXPECT_EQ(ui.Attr(x, y), colours[CLR_MESSAGES]);
        // Centred: a 35 x 6 box on the 80 x 25 screen, text at column 4 inside the frame.
        EXPECT_EQ(x, (80 - 35) / 2 + 1 + 4);
        EXPECT_EQ(y, (25 - 6) / 2 + 1 + 2);
        count = 2000;
        ASSERT_TRUE(WaitForScreen(ui, "Files:        2,000")) << ui.Dump();
    }
    EXPECT_EQ(ui.Snapshot(), before);
}

// A bar of full blocks followed by light shade, as UTF-8.
std::string Bar(int full, int light) {
    std::string bar;
    for (int i = 0; i < full; i++) bar += "\xe2\x96\x88";
    for (int i = 0; i < light; i++) bar += "\xe2\x96\x91";
    return bar;
}

TEST(FileReadProgress, ShowsTheTitleAndThePartRead) {
    CUiTest ui;
    std::vector<ScreenCell> before = ui.Snapshot();
    {
        FileReadProgress progress(L"Loading notes.txt", 1, 1);
        progress.SetProgress(50, 100);
        ASSERT_TRUE(WaitForScreen(ui, Bar(18, 18))) << ui.Dump();
        int x = 0, y = 0;
        ASSERT_TRUE(ui.Find("Loading notes.txt", &x, &y));
        EXPECT_EQ(x, (80 - 17) / 2);
        progress.SetProgress(200, 100);  // more than the total: a full bar
        ASSERT_TRUE(WaitForScreen(ui, Bar(36, 0))) << ui.Dump();
    }
    EXPECT_EQ(ui.Snapshot(), before);
}

// ---------------------------------------------------------------- inside a read

class ReadProgressTest : public PanelTest {};

TEST_F(ReadProgressTest, SlowReadShowsTheWindowAndTakesItAwayAfterwards) {
    CUiTest ui;
    for (int i = 0; i < 20; i++) Touch(tmp / ("f" + std::to_string(i)));
    ui.FillPattern();
    std::vector<ScreenCell> before = ui.Snapshot();
    static CUiTest* active;
    static bool shown;
    active = &ui;
    shown = false;
    // The read stalls at its tenth entry until the window has appeared.
    panel_hooks.each_entry = [](PANEL*, int taken) {
        if (taken == 10) shown = WaitForScreen(*active, "Reading directory:");
    };
    PANEL panel;
    SetUpPanel(panel, tmp.path());
    read_panel(&panel);
    EXPECT_TRUE(shown);
    EXPECT_EQ(panel.num_files, 21);
    EXPECT_EQ(ui.Snapshot(), before);
}

TEST_F(ReadProgressTest, QuickReadDrawsNothing) {
    CUiTest ui;
    Touch(tmp / "one");
    static CUiTest* active;
    static bool drawn;
    active = &ui;
    drawn = false;
    panel_hooks.each_entry = [](PANEL*, int) { drawn = drawn || active->Find("Reading directory:"); };
    PANEL panel;
    SetUpPanel(panel, tmp.path());
    std::vector<ScreenCell> before = ui.Snapshot();
    read_panel(&panel);
    EXPECT_FALSE(drawn);
    EXPECT_EQ(ui.Snapshot(), before);
}
