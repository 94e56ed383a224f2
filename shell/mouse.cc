#include "shell/mouse.h"

#include "config/config.h"
#include "panels/paneldisplay.h"
#include "shell/dispatch.h"
#include "shell/infokeys.h"
#include "shell/keybar.h"
#include "shell/mainloop.h"
#include "shell/panelaccess.h"
#include "shell/pulldown.h"

namespace {

// The entry at column x (from the panel's left edge) of entry row row.
int entry_at(const PANEL* panel, int x, int row) {
    const int width = console->columns() / 2;
    int column = 0;
    if (panel->detail == DETAIL_BRIEF) {
        column = width > 2 ? (x * 3 - 3) / (width - 2) : 0;
        if (column > 2) column = 2;  // the right frame counts as the last column
        if (column < 0) column = 0;
    } else if (panel->detail == DETAIL_BRIEFWIDE) {
        column = x >= width / 2 ? 1 : 0;
    }
    return panel->top + column * config.panel_rows + row;
}

void mouse_on_entries(CMainLoop& loop, PANEL* panel, int side, _MEVENT& event) {
    const int kind = event.kind;
    if (kind != _MEVENT::LeftDown && kind != _MEVENT::RightDown && kind != _MEVENT::LeftDrag &&
        kind != _MEVENT::RightDrag && kind != _MEVENT::LeftDouble)
        return;
    hide_cursor_entry(loop);
    if (side != currpanel) {
        make_curr(panel_base, side);
        loop.RequestRedraw(CMainLoop::REDRAW_ALL);
    }
    if (!file_list(panel)) return;
    const int left = side == 0 ? 0 : console->columns() / 2;
    const int index = entry_at(panel, event.x - left, event.y - 1);
    if (index < 0 || index >= panel->num_files || index >= panel->top + panel->page_size) return;
    move_to(panel, index);
    panel->search = Westring();
    if (kind == _MEVENT::LeftDouble) {
        EnterCursorEntry(loop);
    } else if (kind == _MEVENT::RightDown) {
        tag(panel, index, 0);
        loop.drag_anchor = index;
        loop.drag_how = panel->files[index]->tagged ? 1 : -1;
    } else if (kind == _MEVENT::RightDrag && loop.drag_anchor >= 0 && loop.drag_anchor < panel->num_files) {
        const int from = loop.drag_anchor < index ? loop.drag_anchor : index;
        const int to = loop.drag_anchor < index ? index : loop.drag_anchor;
        for (int i = from; i <= to; i++) tag(panel, i, loop.drag_how);
    }
}

}  // namespace

int DispatchMouse(CMainLoop& loop, _MEVENT& event) {
    if (!console) return 0;
    const int columns = console->columns(), rows = console->rows();
    const int kind = event.kind;

    // The key bar: a function key when the button goes up over the slot it went down on.
    if (event.y == rows - 1 && FunctionKeyBar && !FunctionKeyBar->hidden()) {
        if (kind == _MEVENT::LeftDown || kind == _MEVENT::RightDown) {
            loop.keybar_slot = key_bar_slot(event.x);
            return 0;
        }
        if (kind == _MEVENT::LeftUp || kind == _MEVENT::RightUp) {
            const bool same = loop.keybar_slot == key_bar_slot(event.x);
            loop.keybar_slot = -1;
            return same ? key_bar_value(event) : 0;
        }
    }
    if (kind == _MEVENT::LeftUp || kind == _MEVENT::RightUp) {
        loop.keybar_slot = -1;
        return 0;
    }

    if (kind == _MEVENT::WheelMoved) {
        PANEL* panel = current_panel();
        if (file_list(panel)) {
            hide_cursor_entry(loop);
            move_by(panel, event.wheel < 0 ? 3 : -3);
        }
        return 0;
    }

    // A right press on the top row opens the menu on the column under it.
    if (event.y == 0 && kind == _MEVENT::RightDown) {
        loop.RequestRedraw(CMainLoop::REDRAW_ALL);
        return menu(currpanel, MenuOpening::kClick, event.x);
    }

    const int side = event.x < columns / 2 ? 0 : 1;
    PANEL* panel = panel_base + side;
    if (!panel->visible) return 0;
    if (info_panel_double_click(loop, event)) return 0;
    const int entry_rows = config.panel_rows;
    if (event.y >= 1 && event.y <= entry_rows) {
        mouse_on_entries(loop, panel, side, event);
        return 0;
    }
    const bool press_or_drag = kind == _MEVENT::LeftDown || kind == _MEVENT::RightDown || kind == _MEVENT::LeftDrag ||
                               kind == _MEVENT::RightDrag;
    if (!press_or_drag) return 0;
    int direction = 0;
    if (event.y == 0) direction = -1;
    else if (event.y >= entry_rows + 1 && event.y <= entry_rows + 3) direction = 1;
    if (direction == 0 || !file_list(panel)) return 0;
    hide_cursor_entry(loop);
    if (side != currpanel) make_curr(panel_base, side);
    const int tagging = kind == _MEVENT::RightDrag ? (loop.drag_how ? loop.drag_how : 1) : 0;
    scroll_panel(panel, direction, tagging);
    return 0;
}
