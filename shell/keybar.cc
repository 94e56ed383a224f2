#include "shell/keybar.h"

#include "console/cells.h"
#include "lib/cellwidth.h"

CFunctionKeyBar* FunctionKeyBar = nullptr;
int key_bar = -1;

// clang-format off
const char* const key_bar_text[8][10] = {
    // none
    {"1Help", "2Menu", "3View", "4Edit", "5Copy", "6RenMov", "7Mkdir", "8Delete", "9PullDn", "10Quit"},
    // Alt
    {"1Left", "2Right", "3View..", "4Edit..", "5DStore", "6Object", "7Find", "8Histry", "9EGA Ln", "10Tree"},
    // Ctrl
    {"1Left", "2Right", "3Name", "4Exten", "5Time", "6Size", "7Unsort", "8Revers", "9", "10"},
    // Alt+Ctrl
    {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"},
    // Shift
    {"1Manual", "2MnMenu", "3View..", "4Edit..", "5Copy", "6Rename", "7MkArch", "8DelOne", "9SavSet", "10MenuRe"},
    // Shift+Alt
    {"1Brief", "2Full", "3Wide", "4BriefW", "5Unix", "6", "7FindRC", "8DirHst", "9ColChg", "10"},
    // Shift+Ctrl
    {"1", "2", "3View..", "4Edit..", "5SymLnk", "6", "7", "8", "9Sync", "10"},
    // Shift+Ctrl+Alt
    {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"},
};
// clang-format on

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

void create_key_bar() {
    delete_key_bar();
    if (!console) return;
    FunctionKeyBar = new CFunctionKeyBar();
    key_bar = -1;
}

void delete_key_bar() {
    delete FunctionKeyBar;
    FunctionKeyBar = nullptr;
    key_bar = -1;
}

void draw_key_bar(int state) {
    state &= 7;
    if (!FunctionKeyBar) return;
    FunctionKeyBar->Show();
    FunctionKeyBar->SetKeys(key_bar_text[state]);
    key_bar = state;
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
