// The progress window of a copy: its bar, its time line and the paths, drawn
// by the update thread.
#include "fileops/copystatus.h"
#include "lib/timestamp.h"
#include "tests/fileops/fileops_fixture.h"

namespace {

class StatusTest : public FileOpsTest {
protected:
    int Count(wchar_t ch) {
        int n = 0;
        for (const ScreenCell& cell : ui.Current().cells) n += cell.ch == ch;
        return n;
    }
    Win window_{-1, -4, 50, 9, colours[CLR_MESSAGES], colours[CLR_MESSAGES]};
    copy_status status_;
};

TEST_F(StatusTest, BarTimeLineAndPaths) {
    status_.total_bytes = 1000;
    status_.bytes_done = 500;
    status_.start_time = TimeStamp::GetRelativeTime() - 10.5;
    status_.SetPaths(L"/from/here", L"/to/there", "(1 of 2)");
    status_.StartUpdate(&window_);
    progressUpdate(&status_);
    status_.StopUpdate();  // draws once more before it ends
    // Half of a bar 47 cells wide.
    EXPECT_EQ(Count(0x2588), 23) << ui.Dump();
    EXPECT_EQ(Count(0x2591), 24) << ui.Dump();
    for (const char* text : {"/from/here", "/to/there", "(1 of 2)", "Time: 0:1", "  ETA: 0:1"})
        EXPECT_TRUE(ui.Find(text)) << text << "\n" << ui.Dump();
    // All done, or more than a total counted too low: a full bar.
    for (uint64_t done : {1000, 5000}) {
        status_.bytes_done = done;
        status_.ProgressUpdate();
        EXPECT_EQ(Count(0x2588), 47);
    }
}

}  // namespace
