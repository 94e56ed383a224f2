#include "shell/mainloop.h"

#include "config/config.h"
#include "console/cells.h"
#include "console/dialog.h"
#include "exec/run.h"
#include "lib/collapsepath.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"
#include "shell/clock.h"
#include "shell/dispatch.h"
#include "shell/keybar.h"
#include "shell/mouse.h"
#include "shell/screen.h"

namespace {

constexpr int kTitleLength = 50;
constexpr int kBlockCursor = 100;

// The loop that runs, for the screen's refit under an open dialog.
CMainLoop* running_loop = nullptr;

// A resize while a dialog is open: the program beneath is laid out again
// with its command line, which the loop otherwise draws only between keys.
void refit_under_dialog(int columns, int rows) {
    refit_screen(columns, rows);
    if (running_loop) running_loop->DrawCommandLine();
}

}  // namespace

void CMainLoop::Run() {
    CMainLoop* outer_loop = running_loop;
    void (*outer_hook)(int, int) = refit_screen_hook;
    running_loop = this;
    refit_screen_hook = refit_under_dialog;
    while (!exit_requested_) Pass();
    running_loop = outer_loop;
    refit_screen_hook = outer_hook;
}

int CMainLoop::DrawCommandLine() {
    if (!console) return 0;
    const int columns = console->columns(), rows = console->rows();
    Westring prompt = CommandPrompt(panel_base, currpanel, columns);
    return cmd_.Draw(prompt, rows - 2, columns, colours[CLR_COMMAND_LINE]);
}

// Steps 1 to 7 of a pass: everything on the screen brought up to date.
void CMainLoop::Refresh() {
    EnablePanels(true);
    if (config.Clock) init_clock();
    if (FunctionKeyBar) FunctionKeyBar->Show();

    PANEL* current = panel_base + currpanel;
    PANEL* other = panel_base + (1 - currpanel);
    if (!current->visible && other->visible) {
        make_curr(panel_base, 1 - currpanel);
        current = panel_base + currpanel;
        other = panel_base + (1 - currpanel);
        show_cursor_ = true;
        RequestRedraw(REDRAW_ALL);
    } else if (redraw_ != REDRAW_NONE && current->visible) {
        make_curr(panel_base, currpanel);
    }

    if (current->top + current->cur != current->name_shift_index) current->name_shift = 0;

    if (show_cursor_) {
        if (current->visible) show_cursor(panel_base, currpanel, true);
        if (other->visible) print_status(other);
        show_cursor_ = false;
    }

    if ((alt_on & 7) != key_bar) RequestRedraw(REDRAW_ALL);

    if (console) {
        cursor_x_ = DrawCommandLine();
        if (redraw_ == REDRAW_ALL) {
            draw_key_bar(alt_on & 7);
            Westring title = current->dir;
            collapse_path(title, kTitleLength);
            set_title(title.c_str());
        }
    }
    redraw_ = REDRAW_NONE;

    current->read_pos[0] = current->top;
    current->read_pos[1] = current->cur;
}

int CMainLoop::ReadKey(_MEVENT& event) {
    if (pending_key_) {
        int key = pending_key_;
        event = pending_event_;
        pending_key_ = 0;
        return key;
    }
    if (!console) {
        exit_requested_ = true;
        return 0;
    }
    console->SetCursorPos(cursor_x_, console->rows() - 2);
    console->SetCursorType(kBlockCursor);
    int key = getkey(&event, -1);
    console->SetCursorType(0);
    return key;
}

void CMainLoop::Pass() {
    Refresh();
    _MEVENT event;
    int key = ReadKey(event);
    if (key == 0) return;
    Dispatch(key, event);
}

void CMainLoop::Dispatch(int key, _MEVENT& event) {
    if (key == KEY_SHIFTSTATE) return;  // the key bar follows in the next pass
    if (key == KEY_MOUSE) {
        key = DispatchMouse(*this, event);
        RequestRedraw(REDRAW_LINE);
        if (key == 0) return;
    }
    DispatchKey(*this, key, event);
}

void MainLoop() {
    CMainLoop loop;
    loop.Run();
}
