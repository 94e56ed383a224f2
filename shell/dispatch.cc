#include "shell/dispatch.h"

#include "config/config.h"
#include "console/keys.h"
#include "panels/paneldisplay.h"
#include "shell/dirkeys.h"
#include "shell/keytable.h"
#include "shell/mainloop.h"
#include "shell/menucommands.h"
#include "shell/panelaccess.h"
#include "shell/screen.h"

namespace {

// Ctrl (and Shift-Ctrl) with a keypad digit.
bool is_hot_directory_key(int key) {
    const int digit = key & 0xFF;
    return (key & ~(KEY_SHIFTED | 0xFF)) == KEY_CTRL_PAD && digit >= '0' && digit <= '9';
}

// A character to insert into the command line.
bool is_typed_character(int key) { return key >= ' ' && key != KEY_CTRL_BACKSPACE && key < KEY_EXTENDED; }

}  // namespace

bool IsCursorNeutralKey(int key) {
    switch (key) {
    case KEY_CTRL_H:
    case KEY_DEL:
    case KEY_ALT_LEFT:
    case KEY_ALT_RIGHT:
    case KEY_CTRL_LEFT:
    case KEY_CTRL_RIGHT:
    case KEY_CTRL_S:
    case KEY_CTRL_D:
    case KEY_SHIFTSTATE: return true;
    default: return key < 0;
    }
}

bool HasCommand(int key) { return (key & KEY_MENU) ? HasMenuCommand(key) : FindKeyHandler(key) != nullptr; }

void DispatchKey(CMainLoop& loop, int key, _MEVENT& event) {
    loop.RequestRedraw(CMainLoop::REDRAW_LINE);
    if (key == KEY_QUIT) {
        loop.RequestExit();
        return;
    }
    if (key == KEY_GREY_STAR && config.DisableInvert) key = '*';

    PANEL* panel = current_panel();
    if ((key == KEY_GREY_PLUS || key == KEY_GREY_MINUS || key == KEY_GREY_STAR) && file_list(panel)) {
        hide_cursor_entry(loop);
        if (key == KEY_GREY_PLUS) wild_tag(panel, 1, event.shift);
        else if (key == KEY_GREY_MINUS) wild_tag(panel, -1, event.shift);
        else tag_all(panel, 0, event.shift);
        return;
    }

    if (is_hot_directory_key(key)) {
        hot_directory(loop, key, event);
        loop.ShowCursorAgain();
        return;
    }

    if (key >= KEY_CTRL_F3 && key <= KEY_CTRL_F8) {
        hide_cursor_entry(loop);
        if (panel->visible && panel->type == PANEL_FILES) set_sort(panel, next_sort(panel->sort, key - KEY_CTRL_F3));
        return;
    }

    if (is_typed_character(key)) {
        // A full line takes no more characters: the key does nothing.
        static_cast<void>(loop.cmd().Insert(static_cast<wchar_t>(key)));
        return;
    }

    const bool neutral = IsCursorNeutralKey(key) ||
                         ((key == KEY_LEFT || key == KEY_RIGHT) && !(file_list(panel) && brief_style(panel)));
    if (!neutral) hide_cursor_entry(loop);

    if ((key & KEY_MENU) && key > 0) {
        // A code the program has no command for does nothing.
        static_cast<void>(RunMenuCommand(loop, key));
        return;
    }
    if (KeyHandler handler = FindKeyHandler(key)) {
        handler(loop, key, event);
        return;
    }

    // Unbound keys: the character typed with Alt goes to the quick search;
    // a backslash changes to the other panel's directory.
    const int ch = un_alt(key, &event);
    if (ch == '\\') {
        if (panel->visible && panel->type == PANEL_FILES) change_to(panel, other_side_panel()->GetWD());
        loop.RequestRedraw(CMainLoop::REDRAW_ALL);
    } else if (ch > ' ' && !(ch == 'l' && panel->type == PANEL_INFO) && file_list(panel)) {
        quick_search(loop, panel, ch, event, 1);
    }
}
