#include "shell/screenkeys.h"

#include "config/config.h"
#include "console/keys.h"
#include "console/msgbox.h"
#include "panels/paneldisplay.h"
#include "shell/configsave.h"
#include "shell/dispatch.h"
#include "shell/mainloop.h"
#include "shell/manual.h"
#include "shell/panelaccess.h"
#include "shell/pulldown.h"
#include "shell/screen.h"
#include "shell/scrollbackviewer.h"

void toggle_panels(CMainLoop& loop, int, _MEVENT&) {
    hide_panels(panel_base);
    loop.ShowCursorAgain();
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

void swap_sides(CMainLoop& loop, int, _MEVENT&) {
    swap_panels(panel_base);
    make_curr(panel_base, 1 - currpanel);
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

void toggle_other_panel(CMainLoop& loop, int, _MEVENT&) {
    toggle_panel(1 - currpanel);
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

void toggle_side_panel(CMainLoop& loop, int key, _MEVENT&) {
    toggle_panel(key == KEY_CTRL_F1 ? 0 : 1);
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

void choose_side_mount(CMainLoop& loop, int key, _MEVENT&) {
    ChooseMountPoint(panel_base + (key == KEY_ALT_F1 ? 0 : 1), false);
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

void choose_mount(CMainLoop& loop, int key, _MEVENT&) {
    ChooseMountPoint(current_panel(), (key & KEY_SHIFTED) != 0);
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

void show_scrollback(CMainLoop& loop, int, _MEVENT&) {
    ShowScrollBack();
    loop.ShowCursorAgain();
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

void show_manual(CMainLoop&, int, _MEVENT&) {
    // Without a browser to show it in, the key does nothing.
    static_cast<void>(open_manual());
}

void pull_down_menu(CMainLoop& loop, int key, _MEVENT& event) {
    const int chosen = menu(currpanel, key == KEY_SHIFT_F10 ? MenuOpening::kResume : MenuOpening::kStart);
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
    if (chosen) DispatchKey(loop, chosen, event);
}

void save_settings(CMainLoop&, int, _MEVENT&) {
    // A failure has been shown to the user; the settings stay in use.
    static_cast<void>(save_config());
}

void quit(CMainLoop& loop, int, _MEVENT&) {
    if (!(config.Confirmations & CONFIRM_QUIT)) {
        int answer = error(L"Are you sure you want to exit DV/L ?", Westring(), MB_OKCANCEL);
        if (answer != 'y' && answer != 'Y') return;
    }
    loop.RequestExit();
}

void change_rows(CMainLoop& loop, int, _MEVENT&) {
    ega_lines();
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

void change_width(CMainLoop& loop, int, _MEVENT&) {
    switch_width();
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

void fit_to_window(CMainLoop& loop, int, _MEVENT& event) {
    if (event.x == config.screen_columns && event.y == config.screen_rows) return;
    refit_screen(event.x, event.y);
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

void choose_style(CMainLoop& loop, int key, _MEVENT&) {
    static const paneldetail kStyles[] = {DETAIL_BRIEF, DETAIL_FULL, DETAIL_WIDE, DETAIL_BRIEFWIDE, DETAIL_UNIX};
    SetFilesPanelDetail(current_panel(), kStyles[key - KEY_SHIFT_ALT_F1], currpanel);
    loop.ShowCursorAgain();
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}
