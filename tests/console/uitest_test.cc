// The headless UI test library itself: key names and the runner's safety net.
#include "tests/support/uitest.h"

#include <gtest/gtest.h>
#include <gtest/gtest-spi.h>

#include "console/dialog.h"
#include "console/keys.h"

TEST(UiTestKeys, NamesGiveTheProgramsKeyCodes) {
    CUiTest ui;
    struct { const char* name; int code; } cases[] = {
        {"Enter", KEY_ENTER}, {"Shift-Tab", KEY_SHIFT_TAB}, {"Ctrl-Shift-Left", 0x30073}, {"Grey +", KEY_GREY_PLUS},
        {"Alt-1", 0x10078}, {"Space", ' '}, {"é", 0xE9}, {"Shift-a", 'A'},
    };
    for (const auto& c : cases) EXPECT_EQ(CUiTest::KeyCode(c.name), c.code) << c.name;
    EXPECT_EQ(CUiTest::KeyCode("NoSuchKey"), 0);
}

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

