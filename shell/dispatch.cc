// The main loop's dispatch: the key table and the mouse.
#include <errno.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cwctype>
#include <vector>

#include "config/config.h"
#include "console/cells.h"
#include "console/cliplines.h"
#include "console/dialog.h"
#include "console/msgbox.h"
#include "exec/chdir.h"
#include "exec/environment.h"
#include "exec/histories.h"
#include "fileops/query/links.h"
#include "fileops/query/paths.h"
#include "lib/fsname.h"
#include "lib/oserror.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"
#include "shell/clock.h"
#include "shell/completion.h"
#include "shell/configfile.h"
#include "shell/filecommands.h"
#include "shell/keybar.h"
#include "shell/mainloop.h"
#include "shell/manual.h"
#include "shell/screen.h"

namespace {

// ---------------------------------------------------------------- helpers

PANEL* current_panel() { return panel_base + currpanel; }
PANEL* other_side_panel() { return panel_base + (1 - currpanel); }

bool panels_hidden() { return !panel_base[0].visible && !panel_base[1].visible; }

// A visible file list (any style but the tree) with entries.
bool file_list(const PANEL* panel) {
    return panel->visible && panel->type == PANEL_FILES && panel->detail != DETAIL_TREE;
}

bool brief_style(const PANEL* panel) { return panel->detail == DETAIL_BRIEF || panel->detail == DETAIL_BRIEFWIDE; }

int cursor_index(const PANEL* panel) { return panel->top + panel->cur; }

// The panel a command that works on directories uses: the other one when the
// current shows a tree or information.
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

// Changes a panel to dir; an unusable directory is reported with its name.
void change_to(PANEL* panel, const Westring& dir, const wchar_t* cursor_name = nullptr) {
    int code = goto_directory(panel, dir, cursor_name);
    if (code != 0) error(GetOSErrorMessage(code), dir, MB_OK);
}

// ---------------------------------------------------------------- panel keys

void key_enter(CMainLoop& loop, int, _MEVENT&) {
    // Running a typed command belongs to command execution; an empty line
    // acts on the cursor entry.
    if (loop.cmd().empty()) EnterCursorEntry(loop);
}

void key_tab(CMainLoop& loop, int, _MEVENT&) {
    if (other_side_panel()->visible || !current_panel()->visible) {
        make_curr(panel_base, 1 - currpanel);
        loop.RequestRedraw(CMainLoop::REDRAW_ALL);
    }
}

void key_up_down(CMainLoop& loop, int key, _MEVENT&) {
    const bool up = key == KEY_UP;
    if (panels_hidden()) {
        if (up) loop.cmd().Older(history);
        else loop.cmd().Newer(history);
        return;
    }
    move_by(current_panel(), up ? -1 : 1);
}

void key_page_up(CMainLoop&, int, _MEVENT&) {
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
    }
    if (panel->cur > page - 1) panel->cur = page - 1;
    if (panel->cur < 0) panel->cur = 0;
    paint_panel(panel);
}

void key_page_down(CMainLoop&, int, _MEVENT&) {
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
    }
    paint_panel(panel);
}

void key_home_end(CMainLoop& loop, int key, _MEVENT&) {
    const bool home = key == KEY_HOME;
    if (panels_hidden()) {
        if (home) loop.cmd().Home();
        else loop.cmd().End();
        return;
    }
    PANEL* panel = current_panel();
    move_to(panel, home ? 0 : panel->num_files - 1);
}

void name_shift_by(CMainLoop& loop, int delta) {
    PANEL* panel = current_panel();
    if (!file_list(panel) || panel->num_files == 0) return;
    if (panel->name_shift_index != cursor_index(panel)) panel->name_shift = 0;
    panel->name_shift += delta;
    if (panel->name_shift < 0) panel->name_shift = 0;
    panel->name_shift_index = cursor_index(panel);
    loop.ShowCursorAgain();
}

void key_alt_left(CMainLoop& loop, int, _MEVENT&) {
    if (!loop.cmd().empty()) loop.cmd().Left();
    else name_shift_by(loop, -1);
}

void key_ctrl_d(CMainLoop& loop, int, _MEVENT&) {
    if (!loop.cmd().empty()) loop.cmd().Right();
    else name_shift_by(loop, 1);
}

void key_alt_right(CMainLoop& loop, int key, _MEVENT& event) {
    PANEL* panel = current_panel();
    if (!panel->search.empty()) {
        AutoFillSeek(panel);
        print_status(panel);
        return;
    }
    key_ctrl_d(loop, key, event);
}

void key_left_right(CMainLoop& loop, int key, _MEVENT& event) {
    PANEL* panel = current_panel();
    const bool left = key == KEY_LEFT;
    if (!file_list(panel) || !brief_style(panel)) {
        if (left) key_alt_left(loop, key, event);
        else key_alt_right(loop, key, event);
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

// Runs the quick search with key (0 searches again); a key that ended it is
// dispatched next.
void quick_search(CMainLoop& loop, PANEL* panel, int key, _MEVENT& event, int step) {
    int key_out = 0;
    if (name_seek(key, panel, key_out, event, step) && key_out) loop.SetPendingKey(key_out, event);
    print_status(panel);
}

void key_alt_up_down(CMainLoop& loop, int key, _MEVENT& event) {
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

void key_insert(CMainLoop&, int, _MEVENT&) {
    PANEL* panel = current_panel();
    if (!file_list(panel) || panel->num_files == 0) return;
    tag(panel, cursor_index(panel), 0);
    move_by(panel, 1);
}

void key_ctrl_pgdn(CMainLoop& loop, int, _MEVENT&) {
    PANEL* panel = current_panel();
    entry* e = file_list(panel) ? panel->CurrentEntry() : nullptr;
    if (!e || !e->is_dir()) return;
    change_dir(panel_base, currpanel, e->name, 0, -1, -1);
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

void key_ctrl_pgup(CMainLoop& loop, int, _MEVENT&) {
    PANEL* panel = directory_target();
    if (!panel->visible || IsRoot(panel->dir)) return;
    change_dir(panel_base, static_cast<int>(panel - panel_base), L"..", 0, -1, -1);
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

// Ctrl-\ and Shift-Ctrl-\: the root (out of an archive: the directory that
// holds it), or the other panel's directory.
void key_ctrl_backslash(CMainLoop& loop, int key, _MEVENT&) {
    PANEL* panel = current_panel();
    if (!panel->visible || panel->type != PANEL_FILES) return;
    if (key & KEY_SHIFTED) {
        change_to(panel, other_side_panel()->GetWD());
    } else if (panel->archive && panel_hooks.archive_outer_file) {
        Westring file = panel_hooks.archive_outer_file(panel);
        change_to(panel, panel->GetWD(), file.filename().c_str());
    } else {
        change_to(panel, Westring(L"/"));
    }
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

void key_ctrl_minus(CMainLoop& loop, int, _MEVENT&) {
    PANEL* panel = current_panel();
    if (!panel->visible || panel->type != PANEL_FILES || panel->prev_dir.empty()) return;
    const int top = panel->prev_pos[0], cur = panel->prev_pos[1];
    const Westring dir = panel->prev_dir;
    if (goto_directory(panel, dir) != 0) {
        error(L"Invalid Directory", dir, MB_OK);
        return;
    }
    if (top >= 0 && top < panel->num_files) {
        panel->top = top;
        panel->cur = cur < 0 ? 0 : cur;
        if (panel->top + panel->cur >= panel->num_files) panel->cur = panel->num_files - panel->top - 1;
        paint_panel(panel);
    }
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

void key_alt_home(CMainLoop& loop, int, _MEVENT&) {
    PANEL* panel = current_panel();
    if (!panel->visible || panel->type != PANEL_FILES) return;
    const char* home = std::getenv("HOME");
    if (!home || !*home) return;
    change_to(panel, DecodeFileName(home));
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

// Drops "." and ".." components of an absolute path.
Westring normalise_path(const Westring& path) {
    std::vector<Westring> parts;
    int start = 0;
    const int length = path.strlen();
    for (int i = 0; i <= length; i++) {
        if (i < length && path[i] != L'/') continue;
        // (mid with a length of 0 would give the rest of the path)
        Westring part = i > start ? path.mid(start, i - start) : Westring();
        start = i + 1;
        if (part.empty() || part == L".") continue;
        if (part == L"..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    Westring out;
    for (const Westring& part : parts) out += Westring(L"/") + part;
    return out.empty() ? Westring(L"/") : out;
}

void key_ctrl_g(CMainLoop& loop, int, _MEVENT&) {
    PANEL* panel = current_panel();
    entry* e = file_list(panel) && !panel->archive ? panel->CurrentEntry() : nullptr;
    if (!e || !(e->attr & FA_LINK)) return;
    Westring target = GetLinkTarget(panel->dir.AppendBackslash() + e->name);
    if (target.empty()) return;
    if (target[0] != L'/') target = panel->dir.AppendBackslash() + target;
    target = normalise_path(target);
    if (IsRoot(target)) {
        change_to(panel, target);
    } else {
        const int slash = target.rchr(L'/');
        Westring dir = slash <= 0 ? Westring(L"/") : target.left(slash);
        change_to(panel, dir, target.mid(slash + 1).c_str());
    }
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

void reread_and_paint(PANEL* panel) {
    if (!panel->visible || panel->type != PANEL_FILES) return;
    read_panel(panel);
    paint_panel(panel);
}

void key_ctrl_r(CMainLoop& loop, int, _MEVENT&) {
    PANEL* panel = current_panel();
    if (config.CtrlRDriveChng) {
        ChooseMountPoint(panel, false);
        loop.RequestRedraw(CMainLoop::REDRAW_ALL);
        return;
    }
    reread_and_paint(panel);
}

void toggle_hidden() {
    config.Hidden = !config.Hidden;
    reread_and_paint(panel_base);
    reread_and_paint(panel_base + 1);
}

void key_ctrl_h(CMainLoop&, int, _MEVENT&) { toggle_hidden(); }

void key_ctrl_o(CMainLoop& loop, int, _MEVENT&) {
    hide_panels(panel_base);
    loop.ShowCursorAgain();
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

// ---------------------------------------------------------------- command-line keys

void paste(CMainLoop& loop, const Westring& text) {
    Westring line = loop.cmd().text();
    int pos = loop.cmd().pos();
    if (CLPaste(line, text, pos)) {
        loop.cmd().Set(line);
        loop.cmd().SetPos(pos);
    }
}

void insert_panel_dir(CMainLoop& loop, int side) { paste(loop, panel_base[side].dir.AppendBackslash()); }

void key_esc(CMainLoop& loop, int key, _MEVENT& event) {
    if (event.shift & CConsole::TEvent::Ctrl) {  // Ctrl-[ comes as Esc with Ctrl held
        insert_panel_dir(loop, 0);
        return;
    }
    const bool was_empty = loop.cmd().empty();
    loop.cmd().Clear();
    current_panel()->search = Westring();
    print_status(current_panel());
    if (was_empty && config.EscPanelSwitch) key_ctrl_o(loop, key, event);
}

void key_ctrl_rbracket(CMainLoop& loop, int, _MEVENT&) { insert_panel_dir(loop, 1); }

// The cursor entry's name (or full path), for the command line or the clipboard.
bool cursor_entry_text(bool full_path, Westring& text) {
    PANEL* panel = current_panel();
    if (!panel->visible || panel->type != PANEL_FILES) return false;
    entry* e = panel->CurrentEntry();
    if (!e) return false;
    text = full_path ? panel->dir.AppendBackslash() + e->name : Westring(e->name);
    return true;
}

bool letter_or_digit_before_cursor(CMainLoop& loop) {
    const int pos = loop.cmd().pos();
    if (pos <= 0) return false;
    return std::iswalnum(static_cast<wint_t>(loop.cmd().text()[pos - 1]));
}

// Ctrl-J (Ctrl-Enter), Shift-Alt-Enter, Shift-Ctrl-J.
void key_ctrl_j(CMainLoop& loop, int key, _MEVENT&) {
    const bool shifted = key != KEY_CTRL_ENTER;
    if (key != 0x2000A && letter_or_digit_before_cursor(loop)) {
        loop.cmd().SearchHistory(history, !shifted);
        return;
    }
    Westring name;
    if (!cursor_entry_text(false, name)) return;
    if (shifted) putclipline(name);
    else paste(loop, name);
}

void key_ctrl_f(CMainLoop& loop, int key, _MEVENT&) {
    Westring path;
    if (!cursor_entry_text(true, path)) return;
    if (key & KEY_SHIFTED) putclipline(path);
    else paste(loop, path);
}

void key_ctrl_tab(CMainLoop& loop, int, _MEVENT&) {
    Westring line = loop.cmd().text();
    int pos = loop.cmd().pos();
    if (FileCompletion(line, pos, directory_target())) {
        loop.cmd().Set(line);
        loop.cmd().SetPos(pos);
    }
}

void key_ctrl_insert(CMainLoop& loop, int, _MEVENT&) { putclipline(loop.cmd().text()); }

void key_shift_insert(CMainLoop& loop, int, _MEVENT&) {
    GetGlobalClip(clip);
    if (clip.count() == 0) return;
    loop.cmd().InsertText(*clip[0]);
}

void key_backspace(CMainLoop& loop, int, _MEVENT&) { loop.cmd().BackSpace(); }
void key_ctrl_backspace(CMainLoop& loop, int, _MEVENT&) { loop.cmd().DeleteWordLeft(); }
void key_delete(CMainLoop& loop, int, _MEVENT&) { loop.cmd().Delete(); }
void key_ctrl_delete(CMainLoop& loop, int, _MEVENT&) { loop.cmd().DeleteWordRight(); }
void key_ctrl_left(CMainLoop& loop, int, _MEVENT&) { loop.cmd().WordLeft(); }
void key_ctrl_right(CMainLoop& loop, int, _MEVENT&) { loop.cmd().WordRight(); }
void key_ctrl_home(CMainLoop& loop, int, _MEVENT&) { loop.cmd().Home(); }
void key_ctrl_end(CMainLoop& loop, int, _MEVENT&) { loop.cmd().End(); }
void key_older(CMainLoop& loop, int, _MEVENT&) { loop.cmd().Older(history); }
void key_newer(CMainLoop& loop, int, _MEVENT&) { loop.cmd().Newer(history); }

void key_alt_backspace(CMainLoop&, int, _MEVENT&) {
    PANEL* panel = current_panel();
    if (panel->search.empty()) return;
    panel->search = panel->search.chop(1);
    print_status(panel);
}

// ---------------------------------------------------------------- tagging

void key_select(CMainLoop&, int key, _MEVENT& event) {
    PANEL* panel = current_panel();
    if (!file_list(panel)) return;
    const int how = (key & 0xFFFF) == 20 ? 1 : -1;  // Ctrl-T selects, Ctrl-Y unselects
    wild_tag(panel, how, event.shift);
}

void key_tag_all(CMainLoop&, int key, _MEVENT& event) {
    PANEL* panel = current_panel();
    if (!file_list(panel)) return;
    tag_all(panel, (key & 0xFFFF) == 0x90 ? 1 : -1, event.shift);
}

// ---------------------------------------------------------------- panels and screen

void key_ctrl_u(CMainLoop& loop, int, _MEVENT&) {
    swap_panels(panel_base);
    make_curr(panel_base, 1 - currpanel);
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

void key_ctrl_p(CMainLoop& loop, int, _MEVENT&) {
    toggle_panel(1 - currpanel);
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

void key_ctrl_f1_f2(CMainLoop& loop, int key, _MEVENT&) {
    toggle_panel(key == KEY_CTRL_F1 ? 0 : 1);
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

void key_alt_f1_f2(CMainLoop& loop, int key, _MEVENT&) {
    ChooseMountPoint(panel_base + (key == KEY_ALT_F1 ? 0 : 1), false);
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

void key_ctrl_m(CMainLoop& loop, int key, _MEVENT&) {
    ChooseMountPoint(current_panel(), (key & KEY_SHIFTED) != 0);
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

void key_shift_f1(CMainLoop&, int, _MEVENT&) { open_manual(); }

void key_shift_f9(CMainLoop&, int, _MEVENT&) { save_config(); }

void key_f10(CMainLoop& loop, int, _MEVENT&) {
    if (!(config.Confirmations & CONFIRM_QUIT)) {
        int answer = error(L"Are you sure you want to exit DV/L ?", Westring(), MB_OKCANCEL);
        if (answer != 'y' && answer != 'Y') return;
    }
    loop.RequestExit();
}

void key_alt_f9(CMainLoop& loop, int, _MEVENT&) {
    ega_lines();
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

void key_shift_alt_f9(CMainLoop& loop, int, _MEVENT&) {
    switch_width();
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

void key_style(CMainLoop& loop, int key, _MEVENT&) {
    static const paneldetail kStyles[] = {DETAIL_BRIEF, DETAIL_FULL, DETAIL_WIDE, DETAIL_BRIEFWIDE, DETAIL_UNIX};
    SetFilesPanelDetail(current_panel(), kStyles[key - 0x30068], currpanel);
    loop.ShowCursorAgain();
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

// ---------------------------------------------------------------- the table

using KeyAction = void (*)(CMainLoop& loop, int key, _MEVENT& event);

struct KEY_BINDING {
    int key;
    KeyAction action;
};

const KEY_BINDING kKeyTable[] = {
    {KEY_ENTER, key_enter},
    {KEY_TAB, key_tab},
    {KEY_SHIFT_TAB, key_tab},
    {KEY_UP, key_up_down},
    {KEY_DOWN, key_up_down},
    {KEY_PGUP, key_page_up},
    {KEY_PGDN, key_page_down},
    {KEY_HOME, key_home_end},
    {KEY_END, key_home_end},
    {KEY_LEFT, key_left_right},
    {KEY_RIGHT, key_left_right},
    {KEY_ALT_LEFT, key_alt_left},
    {19, key_alt_left},  // Ctrl-S
    {KEY_ALT_RIGHT, key_alt_right},
    {4, key_ctrl_d},  // Ctrl-D
    {KEY_ALT_UP, key_alt_up_down},
    {KEY_ALT_DOWN, key_alt_up_down},
    {KEY_INS, key_insert},
    {KEY_CTRL_PGDN, key_ctrl_pgdn},
    {KEY_CTRL_PGUP, key_ctrl_pgup},
    {0x1C, key_ctrl_backslash},     // Ctrl-\ .
    {0x2001C, key_ctrl_backslash},  // Shift-Ctrl-\ .
    {31, key_ctrl_minus},
    {0x10097, key_alt_home},
    {7, key_ctrl_g},
    {18, key_ctrl_r},
    {8, key_ctrl_h},
    {15, key_ctrl_o},
    {KEY_ESC, key_esc},
    {29, key_ctrl_rbracket},
    {KEY_CTRL_ENTER, key_ctrl_j},
    {0x3001C, key_ctrl_j},  // Shift-Alt-Enter
    {0x2000A, key_ctrl_j},  // Shift-Ctrl-J
    {6, key_ctrl_f},
    {0x20006, key_ctrl_f},
    {KEY_CTRL_TAB, key_ctrl_tab},
    {KEY_CTRL_INS, key_ctrl_insert},
    {KEY_SHIFT_INS, key_shift_insert},
    {KEY_BACKSPACE, key_backspace},
    {KEY_CTRL_BACKSPACE, key_ctrl_backspace},
    {KEY_DEL, key_delete},
    {KEY_CTRL_DEL, key_ctrl_delete},
    {KEY_CTRL_LEFT, key_ctrl_left},
    {KEY_CTRL_RIGHT, key_ctrl_right},
    {KEY_CTRL_HOME, key_ctrl_home},
    {KEY_CTRL_END, key_ctrl_end},
    {5, key_older},  // Ctrl-E
    {KEY_CTRL_UP, key_older},
    {24, key_newer},  // Ctrl-X
    {KEY_CTRL_DOWN, key_newer},
    {KEY_ALT_BACKSPACE, key_alt_backspace},
    {20, key_select},       // Ctrl-T
    {0x20014, key_select},  // Shift-Ctrl-T
    {25, key_select},       // Ctrl-Y
    {0x20019, key_select},  // Shift-Ctrl-Y
    {0x10090, key_tag_all},  // Ctrl-Grey +
    {0x30090, key_tag_all},
    {0x1008E, key_tag_all},  // Ctrl-Grey -
    {0x3008E, key_tag_all},
    {21, key_ctrl_u},
    {16, key_ctrl_p},
    {KEY_CTRL_F1, key_ctrl_f1_f2},
    {KEY_CTRL_F2, key_ctrl_f1_f2},
    {KEY_ALT_F1, key_alt_f1_f2},
    {KEY_ALT_F2, key_alt_f1_f2},
    {0x10103, key_ctrl_m},
    {0x30103, key_ctrl_m},
    {KEY_SHIFT_F1, key_shift_f1},
    {KEY_SHIFT_F9, key_shift_f9},
    {KEY_F5, key_copy_move},
    {KEY_F6, key_copy_move},
    {KEY_SHIFT_F5, key_copy_move},
    {KEY_SHIFT_F6, key_copy_move},
    {KEY_F7, key_make_dir},
    {KEY_F8, key_delete_files},
    {KEY_SHIFT_F8, key_delete_files},
    {KEY_ALT_F6, key_make_objects},
    {0x1004E, key_restore_selection},  // Alt-Grey +
    {KEY_F10, key_f10},
    {KEY_ALT_F9, key_alt_f9},
    {0x30070, key_shift_alt_f9},
    {0x30068, key_style},
    {0x30069, key_style},
    {0x3006A, key_style},
    {0x3006B, key_style},
    {0x3006C, key_style},
};

KeyAction find_action(int key) {
    for (const KEY_BINDING& binding : kKeyTable)
        if (binding.key == key) return binding.action;
    return nullptr;
}

// ---------------------------------------------------------------- menu commands

void sort_command(int side, int order) {
    PANEL* panel = panel_base + side;
    set_sort(panel, next_sort(panel->sort, order));
}

void style_command(CMainLoop& loop, int side, paneldetail detail) {
    SetFilesPanelDetail(panel_base + side, detail, side);
    loop.ShowCursorAgain();
}

void filter_command(int side) {
    if (edit_filter(side)) reread_and_paint(panel_base + side);
}

// Commands only the pull-down menu sends. False for codes whose commands
// the program does not have.
bool menu_command(CMainLoop& loop, int key) {
    const int code = key & ~KEY_MENU;
    if (code >= 1 && code <= 6) {
        sort_command(0, code - 1);
    } else if (code >= 7 && code <= 12) {
        sort_command(1, code - 7);
    } else {
        switch (code) {
        case 0x0D: style_command(loop, 0, DETAIL_BRIEF); break;
        case 0x0E: style_command(loop, 1, DETAIL_BRIEF); break;
        case 0x0F: style_command(loop, 0, DETAIL_FULL); break;
        case 0x10: style_command(loop, 1, DETAIL_FULL); break;
        case 0x14: style_command(loop, 0, DETAIL_WIDE); break;
        case 0x15: style_command(loop, 1, DETAIL_WIDE); break;
        case 0x18: style_command(loop, 0, DETAIL_BRIEFWIDE); break;
        case 0x19: style_command(loop, 1, DETAIL_BRIEFWIDE); break;
        case 0x1A: style_command(loop, 0, DETAIL_UNIX); break;
        case 0x1B: style_command(loop, 1, DETAIL_UNIX); break;
        case 0x12: filter_command(0); break;
        case 0x19C: filter_command(1); break;
        case 0x13: reread_and_paint(panel_base); break;
        case 0x19B: reread_and_paint(panel_base + 1); break;
        case 0x12C: edit_config(); break;
        case 0x12D:
            if (change_colours() == 0) remake_panels();
            break;
        case 0x12E: toggle_hidden(); break;
        case 0x12F: config.PathPrompt = !config.PathPrompt; break;
        case 0x131: full_screen(); break;
        case 0x132:
            config.Clock = !config.Clock;
            if (!config.Clock) {
                hide_clock();
                if (!panel_base[1].visible && console) {
                    int columns = console->columns();
                    console->Clear(columns - 10, 0, 10, 1, colours[CLR_COMMAND_LINE]);
                }
            }
            break;
        case 0x133: config.TagDirs = !config.TagDirs; break;
        case 0x72: {
            _MEVENT none;
            key_restore_selection(loop, key, none);
            break;
        }
        case 0x134: save_config(); break;
        case 0x136:
            config.ThousandSep = !config.ThousandSep;
            for (int side = 0; side < 2; side++) paint_panel(panel_base + side);
            break;
        case 0x137:
            config.RetainCount = !config.RetainCount;
            panel_refresh();
            break;
        default: return false;
        }
    }
    loop.ShowCursorAgain();
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
    return true;
}

// ---------------------------------------------------------------- hot directories

void hot_directory(CMainLoop& loop, int key, const _MEVENT& event) {
    if (event.shift & CConsole::TEvent::Mod2) return;  // Num Lock on: the keypad types digits
    const int slot = (key & 0xFF) - '0';
    if (key & KEY_SHIFTED) {
        dirstore[slot] = current_panel()->GetWD();
        return;
    }
    PANEL* panel = directory_target();
    Westring dir = dirstore[slot];
    if (dir.empty()) return;
    SubstEnvVars(dir);
    if (goto_directory(panel, dir) != 0) {
        error(L"Invalid Directory", dir, MB_OK);
        return;
    }
    panel->type = PANEL_FILES;
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

// ---------------------------------------------------------------- mouse

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

void hide_cursor_entry(CMainLoop& loop) {
    if (current_panel()->visible) show_cursor(panel_base, currpanel, false);
    loop.ShowCursorAgain();
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

bool IsCursorNeutralKey(int key) {
    switch (key) {
    case 8:  // Ctrl-H
    case KEY_DEL:
    case KEY_ALT_LEFT:
    case KEY_ALT_RIGHT:
    case KEY_CTRL_LEFT:
    case KEY_CTRL_RIGHT:
    case 19:  // Ctrl-S
    case 4:   // Ctrl-D
    case KEY_SHIFTSTATE: return true;
    default: return key < 0;
    }
}

void EnterCursorEntry(CMainLoop& loop) {
    PANEL* panel = current_panel();
    if (!file_list(panel)) return;
    entry* e = panel->CurrentEntry();
    if (!e || !e->is_dir()) return;  // running files belongs to command execution
    change_dir(panel_base, currpanel, e->name, 0, -1, -1);
    loop.cmd().Clear();
    loop.ShowCursorAgain();
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

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

    if ((key & ~(KEY_SHIFTED | 0xFF)) == KEY_CTRL_PAD && (key & 0xFF) >= '0' && (key & 0xFF) <= '9') {
        hot_directory(loop, key, event);
        loop.ShowCursorAgain();
        return;
    }

    if (key >= KEY_CTRL_F3 && key <= KEY_CTRL_F8) {
        hide_cursor_entry(loop);
        if (panel->visible && panel->type == PANEL_FILES) set_sort(panel, next_sort(panel->sort, key - KEY_CTRL_F3));
        return;
    }

    if (key >= 32 && key != 127 && key < KEY_EXTENDED) {
        loop.cmd().Insert(static_cast<wchar_t>(key));
        return;
    }

    const bool neutral = IsCursorNeutralKey(key) ||
                         ((key == KEY_LEFT || key == KEY_RIGHT) && !(file_list(panel) && brief_style(panel)));
    if (!neutral) hide_cursor_entry(loop);

    if ((key & KEY_MENU) && key > 0) {
        menu_command(loop, key);
        return;
    }
    if (KeyAction action = find_action(key)) {
        action(loop, key, event);
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

    const int side = event.x < columns / 2 ? 0 : 1;
    PANEL* panel = panel_base + side;
    if (!panel->visible) return 0;
    const int entry_rows = config.panel_rows;
    if (event.y >= 1 && event.y <= entry_rows) {
        mouse_on_entries(loop, panel, side, event);
        return 0;
    }
    const bool press_or_drag = kind == _MEVENT::LeftDown || kind == _MEVENT::RightDown || kind == _MEVENT::LeftDrag ||
                               kind == _MEVENT::RightDrag;
    if (!press_or_drag) return 0;
    int direction = 0;
    if (event.y == 0 && kind != _MEVENT::RightDown) direction = -1;  // a right press up there is the menu's
    else if (event.y >= entry_rows + 1 && event.y <= entry_rows + 3) direction = 1;
    if (direction == 0 || !file_list(panel)) return 0;
    hide_cursor_entry(loop);
    if (side != currpanel) make_curr(panel_base, side);
    const int tagging = kind == _MEVENT::RightDrag ? (loop.drag_how ? loop.drag_how : 1) : 0;
    scroll_panel(panel, direction, tagging);
    return 0;
}
