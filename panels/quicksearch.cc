// Quick search: typing the beginning of a name moves the cursor to the first
// entry that has it.
#include <algorithm>
#include <cwctype>

#include "config/config.h"
#include "console/keys.h"
#include "lib/nls.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"
#include "panels/panelgeometry.h"

namespace {

bool begins_with(const wchar_t* name, const Westring& text) {
    const int n = text.strlen();
    return n == 0 || nls_strnicmp(name, text.c_str(), static_cast<size_t>(n)) == 0;
}

int cursor_index(const PANEL* panel) { return std::clamp(panel->top + panel->cur, 0, panel->num_files - 1); }

// The first entry from start on, step by step, that begins with the text; -1.
int find_from(const PANEL* panel, int start, int step) {
    for (int i = start; i >= 0 && i < panel->num_files; i += step) {
        if (begins_with(panel->files[i]->name, panel->search)) return i;
    }
    return -1;
}

void move_to(PANEL* panel, int index) {
    const int now = cursor_index(panel);
    if (index == now) return;
    draw_cursor(panel, false);
    move_cursor(panel, index - now);
}

// A typed character the search takes: printable, and for an Alt key its
// plain character unless that is a backslash.
int search_character(int key, const _MEVENT& event) {
    if (key >= 32 && key != 127 && key < KEY_EXTENDED) return key;
    if (key & KEY_EXTENDED) {
        const int ch = un_alt(key, &event);
        if (ch >= 32 && ch != 127 && ch != L'\\' && std::iswprint(static_cast<wint_t>(ch))) return ch;
    }
    return 0;
}

// Puts the console cursor as a block after the search text on the status line.
void place_search_cursor(PANEL* panel) {
    if (!panel_shown(panel)) return;
    const int x = std::min(8 + panel->search.strlen(), panel_inner_width());
    panel->window->Goto(x, panel_rows() + 1);
    console->SetCursorType(100);
}

}  // namespace

void AutoFillSeek(PANEL* panel) {
    if (panel->num_files == 0) return;
    const int typed = panel->search.strlen();
    Westring candidate = panel->files[cursor_index(panel)]->name;
    for (int i = 0; i < panel->num_files; i++) {
        const wchar_t* name = panel->files[i]->name;
        if (!begins_with(name, panel->search)) continue;
        int n = typed;
        while (n < candidate.strlen() && name[n] && nls_toupper(name[n]) == nls_toupper(candidate[n])) n++;
        candidate = candidate.left(n);
    }
    // The cursor entry may not match at all; the text never gets shorter.
    if (candidate.strlen() >= typed) panel->search = candidate;
}

bool name_seek(int key, PANEL* panel, int& key_out, _MEVENT& event, int step) {
    key_out = key;
    if (panel->num_files == 0) return false;
    for (;;) {
        if (!begins_with(panel->files[cursor_index(panel)]->name, panel->search)) panel->search = Westring();
        if (key > 0) {
            panel->search += static_cast<wchar_t>(key);
            int found = find_from(panel, cursor_index(panel), 1);
            if (found < 0) found = find_from(panel, 0, 1);
            if (found >= 0) move_to(panel, found);
            else panel->search = panel->search.chop(1);
        } else if (key == 0) {
            if (step == 0) step = 1;
            const int found = find_from(panel, cursor_index(panel) + step, step);
            if (found >= 0) move_to(panel, found);
            step = 1;
        }

        if (!config.StickyAlt || panel->search.empty()) {
            draw_cursor(panel, true);
            break;
        }
        // The search stays open and reads the next key itself.
        draw_cursor(panel, true);
        place_search_cursor(panel);
        int next;
        do {
            next = getkey(&event, -1);
        } while (next == KEY_SHIFTSTATE);
        if (console) console->SetCursorType(0);
        key_out = next;
        if (const int ch = search_character(next, event)) {
            key = ch;
        } else if (next == KEY_ALT_UP || next == KEY_ALT_DOWN) {
            key = 0;
            step = next == KEY_ALT_UP ? -1 : 1;
        } else if (next == KEY_BACKSPACE || next == KEY_ALT_BACKSPACE) {
            panel->search = panel->search.chop(1);
            key = -1;
        } else if (next == KEY_SHIFT_TAB || (next == KEY_TAB && (event.shift & CConsole::TEvent::Shift))) {
            AutoFillSeek(panel);
            key = -1;
        } else {
            break;
        }
    }
    if (config.StickyAlt && !panel->search.empty()) {
        panel->search = Westring();
        print_status(panel);
        return key_out != KEY_ESC;
    }
    return false;
}
