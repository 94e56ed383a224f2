// The program's main loop: draws the command line and the key bar, waits
// for the next key or mouse event and dispatches it to the panels, the
// command line and the commands.
#pragma once

#include "console/console.h"
#include "shell/cmdedit.h"

class CMainLoop {
public:
    enum Redraw { REDRAW_NONE = 0, REDRAW_LINE = 1, REDRAW_ALL = 2 };

    // Runs passes until the user quits.
    void Run();
    // One pass: the screen brought up to date, one event read and dispatched.
    void Pass();
    // Dispatches one key (mouse events come as KEY_MOUSE with their record).
    void Dispatch(int key, _MEVENT& event);

    CCommandLine& cmd() { return cmd_; }
    // Draws the command line with its prompt; the cursor's column.
    int DrawCommandLine();
    bool exit_requested() const { return exit_requested_; }
    void RequestExit() { exit_requested_ = true; }
    // Asks for the command line (and with REDRAW_ALL the key bar and the
    // window title) to be drawn again.
    void RequestRedraw(Redraw what) {
        if (what > redraw_) redraw_ = what;
    }
    // The cursor entry is drawn highlighted again at the next pass.
    void ShowCursorAgain() { show_cursor_ = true; }
    // A key the quick search read, to be dispatched before the next wait.
    void SetPendingKey(int key, const _MEVENT& event) {
        pending_key_ = key;
        pending_event_ = event;
    }

    // ---- mouse state, for the dispatcher
    int keybar_slot = -1;   // the key-bar slot a button went down on, or -1
    int drag_anchor = -1;   // the entry a right press tagged, or -1
    int drag_how = 0;       // what that press did: +1 tagged, -1 untagged

private:
    void Refresh();
    int ReadKey(_MEVENT& event);

    CCommandLine cmd_;
    Redraw redraw_ = REDRAW_ALL;
    bool show_cursor_ = true;
    bool exit_requested_ = false;
    int pending_key_ = 0;
    _MEVENT pending_event_;
    int cursor_x_ = 0;
};

// Runs the main loop until the user quits.
void MainLoop();
