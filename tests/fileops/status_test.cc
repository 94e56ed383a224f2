// The progress window of a copy: its bar, its time line and the paths, drawn
// by the update thread.
#include "fileops/copystatus.h"
#include "lib/timestamp.h"
#include "tests/fileops/fileops_fixture.h"

namespace {

class StatusTest : public FileOpsTest {
protected:
    int Count(const CUiTest::Screen& screen, wchar_t ch) {
        int n = 0;
        for (const ScreenCell& cell : screen.cells) n += cell.ch == ch;
        return n;
    }
};

TEST_F(StatusTest, BarTimeLineAndPaths) {
    Win window(-1, -4, 50, 9, colours[CLR_MESSAGES], colours[CLR_MESSAGES]);
    copy_status status;
    status.total_bytes = 1000;
    status.bytes_done = 500;
    status.start_time = TimeStamp::GetRelativeTime() - 10.5;
    status.SetPaths(L"/from/here", L"/to/there", "(1 of 2)");
    status.StartUpdate(&window);
    progressUpdate(&status);
    status.StopUpdate();  // draws once more before it ends
    CUiTest::Screen screen = ui.Current();
    // Half of a bar 47 cells wide.
    EXPECT_EQ(Count(screen, 0x2588), 23) << screen.Dump();
    EXPECT_EQ(Count(screen, 0x2591), 24) << screen.Dump();
    EXPECT_TRUE(screen.Find("/from/here")) << screen.Dump();
    EXPECT_TRUE(screen.Find("/to/there")) << screen.Dump();
    EXPECT_TRUE(screen.Find("(1 of 2)")) << screen.Dump();
    EXPECT_TRUE(screen.Find("Time: 0:1")) << screen.Dump();
    EXPECT_TRUE(screen.Find("  BPS: ")) << screen.Dump();
    EXPECT_TRUE(screen.Find("  ETA: 0:1")) << screen.Dump();

    // All done: a full bar.
    status.bytes_done = 1000;
    status.ProgressUpdate();
    EXPECT_EQ(Count(ui.Current(), 0x2588), 47);
    // More than the total (a total that was counted too low) stays full.
    status.bytes_done = 5000;
    status.ProgressUpdate();
    EXPECT_EQ(Count(ui.Current(), 0x2588), 47);
}

TEST_F(StatusTest, NothingWithoutATotal) {
    Win window(-1, -4, 50, 9, colours[CLR_MESSAGES], colours[CLR_MESSAGES]);
    copy_status status;
    status.bytes_done = 10;
    status.StartUpdate(&window);
    progressUpdate(&status);
    status.StopUpdate();
    EXPECT_EQ(Count(ui.Current(), 0x2588) + Count(ui.Current(), 0x2591), 0);
    // Stopping twice, or without a thread, is harmless; a null status too.
    status.StopUpdate();
    progressUpdate(nullptr);
}

}  // namespace
