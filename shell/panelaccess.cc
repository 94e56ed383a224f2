#include "shell/panelaccess.h"

#include "config/config.h"
#include "console/msgbox.h"
#include "exec/chdir.h"
#include "lib/oserror.h"
#include "panels/paneldisplay.h"
#include "shell/mainloop.h"

PANEL* current_panel() { return panel_base + currpanel; }
PANEL* other_side_panel() { return panel_base + (1 - currpanel); }

bool panels_hidden() { return !panel_base[0].visible && !panel_base[1].visible; }

bool file_list(const PANEL* panel) {
    return panel->visible && panel->type == PANEL_FILES && panel->detail != DETAIL_TREE;
}

bool brief_style(const PANEL* panel) { return panel->detail == DETAIL_BRIEF || panel->detail == DETAIL_BRIEFWIDE; }

int cursor_index(const PANEL* panel) { return panel->top + panel->cur; }

PANEL* directory_target() {
    PANEL* panel = current_panel();
    if (panel->type == PANEL_INFO || panel->detail == DETAIL_TREE) panel = other_side_panel();
    return panel;
}

void move_by(PANEL* panel, int delta) {
    if (file_list(panel) && panel->num_files > 0 && delta != 0) move_cursor(panel, delta);
}

void move_to(PANEL* panel, int index) {
    if (!file_list(panel) || panel->num_files == 0) return;
    if (index < 0) index = 0;
    if (index >= panel->num_files) index = panel->num_files - 1;
    move_cursor(panel, index - cursor_index(panel));
}

void change_to(PANEL* panel, const Westring& dir, const wchar_t* cursor_name) {
    int code = goto_directory(panel, dir, cursor_name);
    if (code != 0) error(GetOSErrorMessage(code), dir, MB_OK);
}

void reread_and_paint(PANEL* panel) {
    if (!panel->visible || panel->type != PANEL_FILES) return;
    read_panel(panel);
    paint_panel(panel);
}

void toggle_hidden() {
    config.Hidden = !config.Hidden;
    reread_and_paint(panel_base);
    reread_and_paint(panel_base + 1);
}

void hide_cursor_entry(CMainLoop& loop) {
    if (current_panel()->visible) show_cursor(panel_base, currpanel, false);
    loop.ShowCursorAgain();
}

void quick_search(CMainLoop& loop, PANEL* panel, int key, _MEVENT& event, int step) {
    int key_out = 0;
    if (name_seek(key, panel, key_out, event, step) && key_out) loop.SetPendingKey(key_out, event);
    print_status(panel);
}
