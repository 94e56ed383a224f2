// Headless user-interface tests: a console of a given size, input queued by
// the program's key names and by mouse cells, a runner that turns input
// running dry into a test failure instead of a hang, and the screen read back
// as text and attributes:
//
//   ui.Keys("End BackSpace");
//   ui.Type("t!");
//   int result = ui.Run([&] { return dialog.Process(); });
//   EXPECT_TRUE(ui.Find("draft!")) << ui.Dump();
//
// Input is queued before the run and read by the code under test as it
// would read the user's. Code that polls (getkey or Process with a time-out
// of 0 or more) meets an empty queue on purpose: call AllowIdle(true) first.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "console/cells.h"
#include "tests/support/headless_console.h"

class CUiTest {
public:
    // The screen's cells at one moment.
    struct Screen {
        int columns = 0, rows = 0;
        std::vector<ScreenCell> cells;
        int cursor_x = 0, cursor_y = 0;
        bool cursor_shown = false;

        std::string Row(int y) const;  // the whole row as UTF-8
        std::string Line(int y) const;  // the row with trailing blanks removed
        // n cells from (x, y) as UTF-8 (cut at the row's end).
        std::string Text(int x, int y, int n) const;
        wchar_t Char(int x, int y) const;
        unsigned char Attr(int x, int y) const;
        // Where text first appears (row by row), or false.
        bool Find(const std::string& text, int* x = nullptr, int* y = nullptr) const;
        // Every row numbered and framed, with the cursor.
        std::string Dump() const;
    };

    // Creates the program-wide console, columns x rows cells.
    explicit CUiTest(int columns = 80, int rows = 25);
    ~CUiTest();
    CUiTest(const CUiTest&) = delete;
    CUiTest& operator=(const CUiTest&) = delete;

    CHeadlessConsole& Headless() { return headless_; }
    CConsole& Console() const { return headless_.Console(); }

    // ---- keyboard: queued now, read when the code under test runs
    // Key names separated by blanks, as the program's menus write them:
    // "Down Down Enter", "Alt-x", "Shift-F6", "Ctrl-Shift-Left", "Grey +",
    // "Shift-Tab", "Space", or one character ("a", "#", "é"). An unknown name
    // fails the test.
    void Keys(const std::string& names);
    // Text typed character by character, committed as the input method does.
    void Type(const std::string& utf8);
    // A key code queued as it is (shift bits and the Alt character as given).
    void RawKey(int code, int shift = 0, int unicode = 0);

    // ---- mouse, at screen cells
    void Click(int x, int y);
    void RightClick(int x, int y);
    // Down, up, down, double click, up: what the desktop sends. When the double
    // click ends a dialog, its final release stays queued.
    void DoubleClick(int x, int y);
    void ButtonDown(int x, int y, int button = 1);
    void ButtonUp(int x, int y, int button = 1);
    void Drag(int x, int y);  // moved with the left button held
    void WheelUp(int x, int y);
    void WheelDown(int x, int y);

    // ---- running the code under test on this thread
    // Runs body until it returns and gives its result. When the code would
    // wait for input with nothing queued, the test fails once (with the
    // screen) and the wait is ended with a Quit event, which dialogs take as
    // Escape; so does a run that lasts longer than the time-out.
    int Run(const std::function<int()>& body);
    void RunVoid(const std::function<void()>& body);
    // Lets the code wait on an empty queue (for time-outs it polls with).
    void AllowIdle(bool allow) { allow_idle_ = allow; }
    void SetTimeout(int seconds) { timeout_seconds_ = seconds; }
    // Keeps a copy of the screen each time the code under test asks for
    // input (Screens()[n] is the screen at the n-th request of the runs since).
    void RecordScreens(bool on);
    const std::vector<Screen>& Screens() const { return screens_; }
    // Whether the last run ran out of time.
    bool TimedOut() const { return timed_out_; }
    // Events still queued (input the code under test did not read).
    int QueueLength() const;
    // Drops the queued events.
    void ClearQueue();

    // ---- the screen
    Screen Current() const;
    // n cells from (x, y) as UTF-8 (cut at the row's end).
    std::string Text(int x, int y, int n) const;
    // Row y with trailing blanks removed.
    std::string Line(int y) const;
    unsigned char Attr(int x, int y) const;
    // Where text first appears (row by row), or false.
    bool Find(const std::string& text, int* x = nullptr, int* y = nullptr) const;
    // Every row numbered and framed, with the cursor, for failure messages.
    std::string Dump() const;
    // All cells, row by row, to compare screens.
    std::vector<ScreenCell> Snapshot() const;
    // Fills the screen with a pattern of varied characters and attributes,
    // so that restoring it can be checked cell by cell.
    void FillPattern();

private:
    void Key(const std::string& name);
    static void OnIdle();
    void Watch();

    CHeadlessConsole headless_;
    bool allow_idle_ = false;
    int timeout_seconds_ = 20;
    std::atomic<bool> timed_out_{false};
    bool reported_ = false;
    bool recording_ = false;
    std::vector<Screen> screens_;
    void (*saved_update_clock_)() = nullptr;

    // The watchdog: ends a run that takes too long.
    std::thread watchdog_;
    std::mutex watch_mutex_;
    std::condition_variable watch_done_;
    bool running_ = false;
};

// Whether any recorded screen showed text.
inline bool AnyScreenShows(const CUiTest& ui, const std::string& text) {
    for (const CUiTest::Screen& s : ui.Screens())
        if (s.Find(text)) return true;
    return false;
}
