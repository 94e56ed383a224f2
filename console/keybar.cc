#include "console/keybar.h"

#include "console/cells.h"
#include "lib/cellwidth.h"

namespace {

int screen_columns() {
    int columns = 80, rows = 25;
    if (console) console->GetSize(columns, rows);
    return columns;
}

}  // namespace

CFunctionKeyBar::CFunctionKeyBar()
    : Win(0, console->rows() - 1, console->columns() - 1, console->rows() - 1, colours[CLR_MENU_BAR], -1) {}

// Each label fills a slot of columns / 10 cells: its key number in the
// number colour, the rest cut to the slot (never half a wide character) and
// padded with blanks; the last cell before each slot is in the number colour.
void CFunctionKeyBar::SetKeys(const char* const* labels) {
    const int columns = width();
    const int slot_width = columns / 10;
    const unsigned char bar = colours[CLR_MENU_BAR];
    const unsigned char number = colours[CLR_COMMAND_LINE];
    CellString row(columns);
    for (int slot = 0; slot < 10 && slot_width > 0; slot++) {
        if (row.length() > 0) row[row.length() - 1].attr = number;  // the cell before the slot
        const int digits = slot == 9 ? 2 : 1;
        Westring label(labels[slot]);
        int used = 0;
        const int fit = CharsThatFit(label.c_str(), slot_width, &used);
        const int numbered = fit < digits ? fit : digits;
        row.Append(label.c_str(), number, numbered);
        row.Append(label.c_str() + numbered, bar, fit - numbered);
        row.Append(String(L' ', slot_width - used).c_str(), bar);
    }
    row.Append(String(L' ', columns - row.length()).c_str(), bar);
    console->BeginPaint();
    putcs_at(0, 0, row);
    console->EndPaint();
}

int key_bar_slot(int x) {
    int slot_width = screen_columns() / 10;
    if (slot_width <= 0) return 0;
    int slot = (x + 1) / slot_width;
    return slot < 0 ? 0 : slot > 9 ? 9 : slot;
}

int key_bar_value(const _MEVENT& event) {
    const int slot = key_bar_slot(event.x);
    const bool right = event.kind == _MEVENT::RightDown || event.kind == _MEVENT::RightUp ||
                       event.kind == _MEVENT::RightDrag;
    if (right || (event.shift & CConsole::TEvent::Alt)) return KEY_ALT_F1 + slot;
    if (event.shift & CConsole::TEvent::Shift) return KEY_SHIFT_F1 + slot;
    if (event.shift & CConsole::TEvent::Ctrl) return KEY_CTRL_F1 + slot;
    return KEY_F1 + slot;
}
