#include "tools/historywindow.h"

#include <algorithm>
#include <memory>

#include "console/cells.h"
#include "console/console.h"
#include "console/dialog.h"
#include "console/helptopics.h"
#include "console/keys.h"
#include "console/msgbox.h"
#include "exec/chdir.h"
#include "exec/histories.h"
#include "exec/run.h"
#include "lib/cellwidth.h"
#include "lib/oserror.h"
#include "panels/panel.h"
#include "tools/historyfile.h"
#include "viewer/fileviewer.h"

namespace {

constexpr int kMinCommandWidth = 8;
constexpr int kMinDirectoryWidth = 21;
constexpr int kSearchDialogWidth = 60;
constexpr int kSearchDialogHeight = 4;
constexpr int kSearchFieldWidth = 55;

int longest(const WestringStore& store) {
    int cells = 0;
    for (int i = 0; i < store.count(); i++) cells = std::max(cells, TextCells(store[i]->c_str()));
    return cells;
}

// The title on the top edge of a dialog whose inside is inner columns wide.
void put_title(Dialog& dialog, int inner, const wchar_t* title) {
    const int cells = TextCells(title);
    dialog.puts_at(std::max(0, (inner - cells) / 2), -1, title);
}

// A list dialog over items, newest (last) item current: the list list_width
// wide and list_rows high with a blank column on each side inside the frame,
// centred across the screen and rows_above_middle rows above its middle.
struct ListDialog {
    int selected;
    std::unique_ptr<Dialog> dialog;
    int box;

    ListDialog(WestringStore& items, int list_width, int list_rows, int rows_above_middle, const wchar_t* title)
        : selected(items.count() - 1) {
        const int width = list_width + 4, height = list_rows + 2;
        const int left = std::max(0, (console->columns() - width) / 2);
        const int top = std::max(0, (console->rows() - height) / 2 - rows_above_middle);
        dialog = std::make_unique<Dialog>(left, top, left + width - 1, top + height - 1, colours[CLR_MENU]);
        put_title(*dialog, width - 2, title);
        box = dialog->AddListBox(1, 0, 1, list_width, list_rows, items, selected);
        dialog->ChangeFocus(box);
    }
    // The list box keeps a reference to selected.
    ListDialog(const ListDialog&) = delete;
    ListDialog& operator=(const ListDialog&) = delete;

    // Tells the list box what changed under it.
    void Send(int type, int key = 0) {
        Event event;
        event.type = type;
        event.key = key;
        dialog->SendMessage(box, event);
    }
};

// The search word the program's searches share, asked for again; false
// when the user cancelled or left it empty.
bool ask_search_word() {
    Westring& word = viewer_search.word;
    Westring typed = word;
    Dialog dialog(-1, -2, kSearchDialogWidth, kSearchDialogHeight, colours[CLR_MESSAGES]);
    dialog.AddStaticText(1, 0, L"Search:");
    const int field = dialog.AddStringField(1, 1, 1, typed, kSearchFieldWidth);
    dialog.ChangeFocus(field);
    if (dialog.RunOkCancel() != KEY_ENTER || typed.empty()) return false;
    word = typed;
    return true;
}

// The nearest command from index from on, stepping by step, that holds the
// search word ignoring case; -1 when none does.
int find_command(int from, int step) {
    const Westring& word = viewer_search.word;
    if (word.empty()) return -1;
    for (int i = from; i >= 0 && i < history.count(); i += step)
        if (history[i]->instri(word) >= 0) return i;
    return -1;
}

// Removes command from the file and from the list.
void forget_command(const Westring& command) {
    // The list loses it even when the file cannot be rewritten: the user
    // asked for it to go, and the next start reads the file again.
    (void)RemoveFromHistory(command);
    for (int i = history.count() - 1; i >= 0; i--)
        if (SameChars(*history[i], command)) history.DestroyCurrent();  // [i] made it current
}

// What the user picked in the window.
struct HistoryChoice {
    int key = 0;  // KEY_ENTER, KEY_ALT_ENTER, KEY_CTRL_ENTER or 0
    Westring command;
};

HistoryChoice run_history_dialog() {
    const int columns = console->columns(), rows = console->rows();
    int list_width = std::max(longest(history), kMinCommandWidth);
    list_width += list_width & 1;
    list_width = std::max(1, std::min(list_width + 2, columns - 6));
    const int list_rows = std::max(1, std::min(history.count(), rows - 6));
    ListDialog list(history, list_width, list_rows, 3, L" History ");
    int& selected = list.selected;
    for (int key : {KEY_ALT_ENTER, KEY_CTRL_ENTER, KEY_DEL, KEY_F7, KEY_SHIFT_F7, KEY_ALT_F7, KEY_F1})
        list.dialog->AddExitKey(key);

    auto move_to = [&](int found) {
        if (found < 0) {
            (void)error(L"String not found", Westring(), MB_OK | MB_MESSAGE);
            return;
        }
        selected = found;
        list.Send(Event::Redraw);
    };

    for (;;) {
        const int key = list.dialog->Process();
        if (selected < 0 || selected >= history.count()) return {};
        const Westring command = *history[selected];
        switch (key) {
        case KEY_ENTER:
        case KEY_ALT_ENTER:
        case KEY_CTRL_ENTER: return {key, command};
        case KEY_DEL: {
            if (error(L"Remove command from history?", Westring(), MB_OKCANCEL | MB_MESSAGE) != 'y') break;
            forget_command(command);
            if (history.count() == 0) return {};
            selected = std::min(selected, history.count() - 1);
            list.Send(Event::SetCount, history.count());
            break;
        }
        case KEY_F7:
            if (ask_search_word()) move_to(find_command(selected, -1));
            break;
        case KEY_SHIFT_F7: move_to(find_command(selected - 1, -1)); break;
        case KEY_ALT_F7: move_to(find_command(selected + 1, 1)); break;
        case KEY_F1: ShowHelp(HELP_COMMAND_HISTORY); break;
        default: return {};
        }
    }
}

}  // namespace

HistoryPanelResult history_panel(int panel_index, Westring& command_line, int& cursor) {
    if (!console || history.count() == 0) return HISTORY_NOTHING;
    const HistoryChoice choice = run_history_dialog();  // the window is gone after it
    switch (choice.key) {
    case KEY_CTRL_ENTER:
        command_line = choice.command;
        cursor = command_line.strlen();
        return HISTORY_COPIED;
    case KEY_ENTER:
    case KEY_ALT_ENTER:
        (void)execute(panel_base, panel_index, choice.command.c_str(), choice.key == KEY_ALT_ENTER);
        return HISTORY_RAN;
    default: return HISTORY_NOTHING;
    }
}

Westring DirHistorySelect() {
    if (!console || DirectoryHistory.count() == 0) return Westring();
    const int columns = console->columns(), rows = console->rows();
    const int list_width = std::max(1, std::min(std::max(longest(DirectoryHistory), kMinDirectoryWidth), columns - 6));
    const int list_rows = std::max(1, std::min(DirectoryHistory.count(), rows - 5));
    ListDialog list(DirectoryHistory, list_width, list_rows, 0, L" Directory History ");
    list.dialog->AddExitKey(KEY_F1);
    int key;
    while ((key = list.dialog->Process()) == KEY_F1) ShowHelp(HELP_DIRECTORY_HISTORY);
    if (key != KEY_ENTER || list.selected < 0 || list.selected >= DirectoryHistory.count()) return Westring();
    return *DirectoryHistory[list.selected];
}

void DirHistoryBox(PANEL* panel) {
    if (!panel || !panel->visible || panel->type != PANEL_FILES) return;
    const Westring dir = DirHistorySelect();
    if (dir.empty()) return;
    // The panel's own directory change leaves any archive it shows.
    const int code = goto_directory(panel, dir);
    if (code != 0) (void)error(GetOSErrorMessage(code), dir, MB_OK);
}
