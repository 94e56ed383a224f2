// The headless UI test library itself: unknown key names and the runner's safety net.
#include "tests/support/uitest.h"

#include <gtest/gtest.h>
#include <gtest/gtest-spi.h>

#include "console/dialog.h"

TEST(UiTestKeys, AnUnknownNameFailsTheTest) {
    EXPECT_NONFATAL_FAILURE(
        {
            CUiTest ui;
            ui.Keys("Down Frobnicate");
        },
        "Unknown key name \"Frobnicate\"");
}

TEST(UiTestRun, InputRunningDryFailsInsteadOfHanging) {
    int result = -1;
    EXPECT_NONFATAL_FAILURE(
        {
            CUiTest ui;
            ui.Keys("Down");
            result = ui.Run([] {
                Dialog d(-1, -2, 30, 5, colours[CLR_MESSAGES]);
                d.AddOkCancel(-1, 1, 1);
                return d.Process();
            });
        },
        "waits for input, but none is queued");
    EXPECT_EQ(result, 27);  // the Quit that ended the wait counts as Escape
}

TEST(UiTestRun, ALoopThatNeverReadsItsInputIsEndedByTheWatchdog) {
    bool timed_out = false;
    EXPECT_NONFATAL_FAILURE(
        {
            CUiTest ui;
            ui.SetTimeout(1);
            ui.Run([] {
                // Polls without waiting, as a long operation does, until Quit arrives.
                for (;;) {
                    CConsole::TEvent e;
                    if (console->GetEvent(e, 50) && e.type == CConsole::TEvent::Quit) return 0;
                }
            });
            timed_out = ui.TimedOut();
        },
        "ran longer than 1 s");
    EXPECT_TRUE(timed_out);
}

