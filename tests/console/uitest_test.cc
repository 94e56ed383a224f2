// The headless UI test library itself: key names, the runner's safety net
// and reading the screen.
#include "tests/support/uitest.h"

#include <gtest/gtest.h>
#include <gtest/gtest-spi.h>

#include <utility>
#include <vector>

#include "console/dialog.h"
#include "console/keys.h"

TEST(UiTestKeys, NamesGiveTheProgramsKeyCodes) {
    CUiTest ui;
    struct {
        const char* name;
        int code;
    } cases[] = {
        {"Enter", KEY_ENTER}, {"Esc", KEY_ESC}, {"Tab", KEY_TAB}, {"Shift-Tab", KEY_SHIFT_TAB}, {"F10", KEY_F10},
        {"Shift-F6", KEY_SHIFT_F6}, {"Alt-F7", KEY_ALT_F7}, {"Ctrl-Shift-F1", 0x3005E}, {"Ctrl-Left", KEY_CTRL_LEFT},
        {"Ctrl-Shift-Left", 0x30073}, {"Shift-Home", KEY_SHIFT_HOME}, {"Grey +", KEY_GREY_PLUS},
        {"Grey -", KEY_GREY_MINUS}, {"Grey *", KEY_GREY_STAR}, {"Alt-x", 0x1002D}, {"Ctrl-v", 0x16}, {"Ctrl-1", '1'},
        {"Alt-1", 0x10078}, {"BackSpace", KEY_BACKSPACE}, {"Ctrl-BackSpace", KEY_CTRL_BACKSPACE}, {"Del", KEY_DEL},
        {"Ctrl-Del", KEY_CTRL_DEL}, {"Shift-Ins", KEY_SHIFT_INS}, {"PgDn", KEY_PGDN}, {"Alt-Down", KEY_ALT_DOWN},
        {"Space", ' '}, {"a", 'a'}, {"#", '#'}, {"é", 0xE9}, {"Shift-a", 'A'},
    };
    for (const auto& c : cases) EXPECT_EQ(CUiTest::KeyCode(c.name), c.code) << c.name;
    EXPECT_EQ(CUiTest::KeyCode("NoSuchKey"), 0);
}

TEST(UiTestKeys, QueuedKeysArriveInOrderWithTheAltCharacter) {
    CUiTest ui;
    ui.Keys("Down Grey + Alt-x Shift-Tab");
    ui.Type("hé");
    ui.AllowIdle(true);  // the loop below polls until the queue is empty
    std::vector<int> codes;
    int alt_char = 0;
    ui.Run([&] {
        for (;;) {
            _MEVENT m;
            int code = getkey(&m, 0);
            if (code == 0) break;
            if (code == KEY_SHIFTSTATE) continue;
            codes.push_back(code);
            if (code == 0x1002D) alt_char = un_alt(code, &m);
        }
        return 0;
    });
    EXPECT_EQ(codes, (std::vector<int>{KEY_DOWN, KEY_GREY_PLUS, 0x1002D, KEY_SHIFT_TAB, 'h', 0xE9}));
    EXPECT_EQ(alt_char, 'x');
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

TEST(UiTestRun, IdleWaitsCanBeAllowed) {
    CUiTest ui;
    ui.AllowIdle(true);
    EXPECT_EQ(ui.Run([] {
        Dialog d(-1, -2, 30, 5, colours[CLR_MESSAGES]);
        d.AddOkCancel(-1, 1, 1);
        return d.Process(10);
    }), 0);
    EXPECT_FALSE(ui.RanDry());
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

TEST(UiTestScreen, FindsTextAndReadsCells) {
    CUiTest ui(40, 10);
    console->PutStringAt(5, 3, L"Hello wörld", 0x1E);
    int x = -1, y = -1;
    ASSERT_TRUE(ui.Find("wörld", &x, &y));
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(11, 3));
    EXPECT_FALSE(ui.Contains("absent"));
    // Text is cut at the row's end.
    EXPECT_EQ(std::vector<std::string>({ui.Text(5, 3, 5), ui.Line(3), ui.Text(38, 3, 10)}),
              std::vector<std::string>({"Hello", "     Hello wörld", "  "}));
    EXPECT_EQ(std::vector<int>({ui.Char(11, 3), ui.Attr(11, 3), ui.Attrs(3)[5]}), std::vector<int>({L'w', 0x1E, 0x1E}));
    EXPECT_NE(ui.Dump().find(" 3|     Hello wörld"), std::string::npos);
}

TEST(UiTestRun, TheHeaderExampleWorks) {
    CUiTest ui(80, 25);
    Westring name = L"draft";
    ui.Keys("End BackSpace");
    ui.Type("t!");
    ui.Keys("Enter");
    ui.RecordScreens(true);
    int result = ui.Run([&] {
        Dialog d(-1, -2, 40, 6, colours[CLR_MESSAGES]);
        d.AddStringField(1, 1, 1, name, 30);
        return d.Process();
    });
    EXPECT_EQ(result, 13);
    EXPECT_STREQ(name.ToUTF8().c_str(), "draft!");
    ASSERT_EQ(ui.Screens().size(), 5u);  // one screen per key read
    EXPECT_TRUE(ui.Screens().back().Find("draft!")) << ui.Screens().back().Dump();
    EXPECT_FALSE(ui.Contains("draft!"));  // the dialog is gone again
    EXPECT_EQ(ui.QueueLength(), 0);
}
