#include "shell/panelkeys.h"

#include "config/config.h"
#include "console/keys.h"
#include "exec/histories.h"
#include "panels/paneldisplay.h"
#include "shell/dispatch.h"
#include "shell/mainloop.h"
#include "shell/panelaccess.h"

void switch_panel(CMainLoop& loop, int, _MEVENT&) {
    if (other_side_panel()->visible || !current_panel()->visible) {
        make_curr(panel_base, 1 - currpanel);
        loop.RequestRedraw(CMainLoop::REDRAW_ALL);
    }
}

void move_line(CMainLoop& loop, int key, _MEVENT&) {
    const bool up = key == KEY_UP;
    if (panels_hidden()) {
        if (up) loop.cmd().Older(history);
        else loop.cmd().Newer(history);
        return;
    }
    move_by(current_panel(), up ? -1 : 1);
}

void page_up(CMainLoop&, int, _MEVENT&) {
    PANEL* panel = current_panel();
    if (!file_list(panel) || panel->num_files == 0) return;
    const int page = panel->page_size > 0 ? panel->page_size : 1;
    if (panel->top == 0) {
        panel->cur = 0;
    } else {
        panel->top -= page;
        panel->cur += page;
        if (panel->top < 0) {
            panel->cur += panel->top;
            panel->top = 0;
        }
        // Under Scroll Lock the cursor keeps to the middle of the page.
        if (scroll_lock_on()) panel->cur = page / 2;
    }
    if (panel->cur > page - 1) panel->cur = page - 1;
    if (panel->cur < 0) panel->cur = 0;
    paint_panel(panel);
}

void page_down(CMainLoop&, int, _MEVENT&) {
    PANEL* panel = current_panel();
    if (!file_list(panel) || panel->num_files == 0) return;
    const int page = panel->page_size > 0 ? panel->page_size : 1;
    if (panel->top + page >= panel->num_files) {
        panel->cur = panel->num_files - 1 - panel->top;
    } else {
        panel->top += page;
        panel->cur -= page;
        if (panel->top + page > panel->num_files) {
            int back = panel->top + page - panel->num_files;
            panel->top -= back;
            panel->cur += back;
        }
        if (panel->cur < 0) panel->cur = 0;
        if (scroll_lock_on()) panel->cur = page / 2;
    }
    paint_panel(panel);
}

void move_first_last(CMainLoop& loop, int key, _MEVENT&) {
    const bool home = key == KEY_HOME;
    if (panels_hidden()) {
        if (home) loop.cmd().Home();
        else loop.cmd().End();
        return;
    }
    PANEL* panel = current_panel();
    move_to(panel, home ? 0 : panel->num_files - 1);
}

namespace {

void name_shift_by(CMainLoop& loop, int delta) {
    PANEL* panel = current_panel();
    if (!file_list(panel) || panel->num_files == 0) return;
    if (panel->name_shift_index != cursor_index(panel)) panel->name_shift = 0;
    panel->name_shift += delta;
    if (panel->name_shift < 0) panel->name_shift = 0;
    panel->name_shift_index = cursor_index(panel);
    loop.ShowCursorAgain();
}

}  // namespace

void shift_name_left(CMainLoop& loop, int, _MEVENT&) {
    if (!loop.cmd().empty()) loop.cmd().Left();
    else name_shift_by(loop, -1);
}

void shift_name_right(CMainLoop& loop, int, _MEVENT&) {
    if (!loop.cmd().empty()) loop.cmd().Right();
    else name_shift_by(loop, 1);
}

void complete_search_or_shift_name(CMainLoop& loop, int key, _MEVENT& event) {
    PANEL* panel = current_panel();
    if (!panel->search.empty()) {
        AutoFillSeek(panel);
        print_status(panel);
        return;
    }
    shift_name_right(loop, key, event);
}

void move_column(CMainLoop& loop, int key, _MEVENT& event) {
    PANEL* panel = current_panel();
    const bool left = key == KEY_LEFT;
    if (!file_list(panel) || !brief_style(panel)) {
        if (left) shift_name_left(loop, key, event);
        else complete_search_or_shift_name(loop, key, event);
        return;
    }
    if (panel->num_files == 0) return;
    const int rows = config.panel_rows;
    if (left) {
        if (panel->top >= rows && panel->cur < rows) {
            panel->top -= rows;
            paint_panel(panel);
        } else {
            move_by(panel, -rows);
        }
    } else {
        if (cursor_index(panel) + rows < panel->num_files && panel->cur + rows >= panel->page_size) {
            panel->top += rows;
            paint_panel(panel);
        } else {
            move_by(panel, rows);
        }
    }
}

void next_tagged(CMainLoop& loop, int key, _MEVENT& event) {
    PANEL* panel = current_panel();
    if (!file_list(panel) || panel->num_files == 0) return;
    const int step = key == KEY_ALT_UP ? -1 : 1;
    if (!panel->search.empty()) {
        quick_search(loop, panel, 0, event, step);
        return;
    }
    for (int i = cursor_index(panel) + step; i >= 0 && i < panel->num_files; i += step) {
        if (panel->files[i]->tagged) {
            move_to(panel, i);
            return;
        }
    }
}

void tag_and_move_down(CMainLoop&, int, _MEVENT&) {
    PANEL* panel = current_panel();
    if (!file_list(panel) || panel->num_files == 0) return;
    tag(panel, cursor_index(panel), 0);
    move_by(panel, 1);
}

void tag_matching(CMainLoop&, int key, _MEVENT& event) {
    PANEL* panel = current_panel();
    if (!file_list(panel)) return;
    const int how = key == KEY_CTRL_T || key == KEY_SHIFT_CTRL_T ? 1 : -1;
    wild_tag(panel, how, event.shift);
}

void tag_every_entry(CMainLoop&, int key, _MEVENT& event) {
    PANEL* panel = current_panel();
    if (!file_list(panel)) return;
    const int how = key == KEY_CTRL_GREY_PLUS || key == KEY_SHIFT_CTRL_GREY_PLUS ? 1 : -1;
    tag_all(panel, how, event.shift);
}

void shorten_search(CMainLoop&, int, _MEVENT&) {
    PANEL* panel = current_panel();
    if (panel->search.empty()) return;
    panel->search = panel->search.chop(1);
    print_status(panel);
}
