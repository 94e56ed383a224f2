#include "shell/commandkeys.h"

#include "config/config.h"
#include "console/keys.h"
#include "exec/exechooks.h"
#include "exec/run.h"
#include "fileops/query/shellwindow.h"
#include "panels/paneldisplay.h"
#include "shell/clock.h"
#include "shell/dispatch.h"
#include "shell/keybar.h"
#include "shell/mainloop.h"
#include "shell/panelaccess.h"
#include "shell/screen.h"

namespace {

ExecHooks saved_exec_hooks;

void hide_key_bar() {
    if (FunctionKeyBar) FunctionKeyBar->Hide();
}

// After a command the screen is drawn again from scratch, laid out anew
// when the window was resized while the command ran.
void after_command() {
    int columns = config.screen_columns, rows = config.screen_rows;
    if (console) static_cast<void>(console->GetSize(columns, rows));
    if (columns != config.screen_columns || rows != config.screen_rows) refit_screen(columns, rows);
    get_screen_size();
    set_title(nullptr);
}

// The directory Ctrl-W opens: the tree entry's in the tree style.
bool window_directory(const PANEL* panel, Westring& dir) {
    if (!panel->visible || panel->type != PANEL_FILES || panel->archive) return false;
    if (panel->detail == DETAIL_TREE) {
        entry* e = panel->CurrentEntry();
        TREENODE* node = e ? entry_tree_node(e) : nullptr;
        if (!node) return false;
        dir = tree_node_path(node);
        return true;
    }
    dir = panel->dir;
    return true;
}

}  // namespace

void run_command_or_entry(CMainLoop& loop, int key, _MEVENT&) {
    const bool background = key == KEY_ALT_ENTER;
    Westring command = loop.cmd().text();
    loop.cmd().Clear();
    static_cast<void>(execute(panel_base, currpanel, command.c_str(), background));
    loop.ShowCursorAgain();
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

void EnterCursorEntry(CMainLoop& loop) {
    _MEVENT event;
    loop.cmd().Clear();
    run_command_or_entry(loop, KEY_ENTER, event);
}

void open_file_window(CMainLoop&, int, _MEVENT&) {
    Westring dir;
    // Without a desktop file manager to start, the key does nothing.
    if (window_directory(current_panel(), dir)) static_cast<void>(OpenShellWindow(dir, config.PathAppend));
}

void install_exec_hooks() {
    saved_exec_hooks = exec_hooks;
    exec_hooks.hide_clock = hide_clock;
    exec_hooks.hide_key_bar = hide_key_bar;
    exec_hooks.after_command = after_command;
}

void restore_exec_hooks() { exec_hooks = saved_exec_hooks; }
