// The panel cursor: drawing it, moving it with line scrolling, following the
// mouse held below or above the list, and making a panel the current one.
#include <unistd.h>

#include <algorithm>

#include "config/config.h"
#include "console/console.h"
#include "console/dialog.h"
#include "console/keys.h"
#include "lib/fsname.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"
#include "panels/panelentry.h"
#include "panels/panelgeometry.h"

namespace {

// Draws what scrolled into view after the entry rows moved by one line
// (shift +1: up, a new bottom row; -1: down, a new top row).
void draw_scrolled_row(PANEL* panel, int shift) {
    const int rows = panel_rows();
    const int y = shift > 0 ? rows - 1 : 0;
    Win* win = panel->window.get();
    win->Scroll(0, 0, panel_inner_width(), rows, shift);
    CellString blank;
    blank.set_default_attr(colours[CLR_PANEL]);
    make_line(panel->detail, blank, L' ', 0x2502, 0, 0);
    if (!is_brief(panel->detail)) {
        const int index = panel->top + y;
        if (index < panel->num_files) print_entry(0, y, panel, index, 0, nullptr);
        else win->putcs_at(0, y, blank);
        return;
    }
    // The blank row keeps the column separators; then each column's entry.
    win->putcs_at(0, y, blank);
    const int columns = panel->detail == DETAIL_BRIEF ? 3 : 2;
    for (int c = columns - 1; c >= 0; c--) {
        const int index = panel->top + c * rows + y;
        if (index < panel->num_files) print_entry(panel, index, 0, nullptr);
    }
}

}  // namespace

void draw_cursor(PANEL* panel, bool on) {
    if (!panel_shown(panel) || panel->type != PANEL_FILES) return;
    const int index = panel->top + panel->cur;
    if (index >= 0 && index < panel->num_files) {
        if (on) {
            panel->name_shift_index = index;
            print_entry(panel, index, cursor_colour(panel->files[index]), &panel->name_shift);
        } else {
            print_entry(panel, index, 0, nullptr);
        }
    }
    print_status(panel);
}

void show_cursor(PANEL* panels, int side, bool on) { draw_cursor(panels + side, on); }

void move_cursor(PANEL* panel, int delta) {
    if (!panel->visible || panel->type != PANEL_FILES) return;
    if (panel->page_size <= 0) panel->page_size = page_size_of(panel->detail);
    const int page = panel->page_size;
    const bool scroll_lock = scroll_lock_on();

    panel->cur += delta;
    if (panel->top + panel->cur >= panel->num_files) panel->cur = panel->num_files - panel->top - 1;
    if (panel->cur >= 0 && panel->cur < page && !scroll_lock) return;
    if (panel->top == 0 && panel->cur < 0) {
        panel->cur = 0;
        return;
    }

    int shift;
    if (scroll_lock) {
        shift = panel->cur - page / 2;
        if (panel->top + shift + page > panel->num_files) shift = panel->num_files - page - panel->top;
        if (panel->top + shift < 0) shift = -panel->top;
    } else {
        shift = panel->cur < 0 ? panel->cur : panel->cur - page + 1;
    }
    if (shift == 0) return;

    if (shift == 1 || shift == -1) {
        panel->top += shift;
        panel->cur -= shift;
        if (panel_shown(panel)) {
            console->BeginPaint();
            draw_scrolled_row(panel, shift);
            console->EndPaint();
        }
    } else {
        const int index = panel->top + panel->cur;
        const int new_top = std::max(0, panel->top + shift);
        panel->top = new_top;
        panel->cur = std::max(0, index - new_top);
        paint_panel(panel);
    }
    DrawScrollBar(panel);
}

void make_curr(PANEL* panels, int side) {
    PANEL* panel = panels + side;
    PANEL* other = panels + (1 - side);
    if (side != currpanel) {
        currpanel = side;
        if (console) console->BeginPaint();
        topline(panel->dir, true, side == 1, panel);
        topline(other->dir, false, side == 0, other);
        if (console) console->EndPaint();
        set_panel_title(panel);
    }
    // Commands run in the directory of the panel, or of the other one when
    // this one shows information or a tree.
    const PANEL* source = panel;
    if (panel->type == PANEL_INFO || panel->detail == DETAIL_TREE) source = other;
    if (source->type == PANEL_FILES && source->read_error == 0) {
        if (chdir(EncodeFileName(source->GetWD()).c_str()) != 0) {
            // The directory may be gone; commands then run where the process is.
        }
        config.StartupSide = side == 1 ? 'R' : 'L';
    }
}

void scroll_panel(PANEL* panel, int direction, int tagging) {
    if (!panel->visible || panel->type != PANEL_FILES || panel->num_files == 0 || direction == 0) return;
    const int rows = panel_rows();
    const int step = direction > 0 ? 1 : -1;
    for (;;) {
        const int before = panel->top + panel->cur;
        const int top_before = panel->top;
        draw_cursor(panel, false);
        move_cursor(panel, step);
        const int now = panel->top + panel->cur;
        if (now != before && tagging) tag(panel, now, tagging);
        draw_cursor(panel, true);
        if (now == before) return;
        if (panel->top != top_before && dialog_scroll_delay > 0) usleep(static_cast<useconds_t>(dialog_scroll_delay) * 1000);

        // Whatever the mouse did meanwhile decides whether to go on.
        while (CheckEvent()) {
            _MEVENT event;
            const int key = getkey(&event, 0);
            if (key == KEY_QUIT) {
                CConsole::TEvent quit;
                quit.type = CConsole::TEvent::Quit;
                console->PostEvent(quit);
                return;
            }
            if (key != KEY_MOUSE) continue;
            if (event.kind == (tagging ? _MEVENT::RightUp : _MEVENT::LeftUp)) return;
            if (event.kind == _MEVENT::WheelMoved) continue;
            const bool keeps_going = step > 0 ? event.y >= rows + 1 && event.y <= rows + 3 : event.y == 0;
            if (!keeps_going) return;
        }
    }
}
