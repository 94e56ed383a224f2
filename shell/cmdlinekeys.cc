#include "shell/cmdlinekeys.h"

#include <cwctype>

#include "config/config.h"
#include "console/cliplines.h"
#include "console/keys.h"
#include "exec/histories.h"
#include "panels/paneldisplay.h"
#include "shell/cmdedit.h"
#include "shell/completion.h"
#include "shell/mainloop.h"
#include "shell/panelaccess.h"
#include "shell/screenkeys.h"

namespace {

void paste(CMainLoop& loop, const Westring& text) {
    Westring line = loop.cmd().text();
    int pos = loop.cmd().pos();
    if (CLPaste(line, text, pos)) {
        loop.cmd().Set(line);
        loop.cmd().SetPos(pos);
    }
}

void insert_panel_dir(CMainLoop& loop, int side) { paste(loop, panel_base[side].dir.AppendBackslash()); }

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

}  // namespace

void clear_line(CMainLoop& loop, int key, _MEVENT& event) {
    if (event.shift & CConsole::TEvent::Ctrl) {  // Ctrl-[ comes as Esc with Ctrl held
        insert_panel_dir(loop, 0);
        return;
    }
    const bool was_empty = loop.cmd().empty();
    loop.cmd().Clear();
    current_panel()->search = Westring();
    print_status(current_panel());
    if (was_empty && config.EscPanelSwitch) toggle_panels(loop, key, event);
}

void insert_right_directory(CMainLoop& loop, int, _MEVENT&) { insert_panel_dir(loop, 1); }

void insert_name_or_search_history(CMainLoop& loop, int key, _MEVENT&) {
    const bool shifted = key != KEY_CTRL_ENTER;
    if (key != KEY_SHIFT_CTRL_J && letter_or_digit_before_cursor(loop)) {
        loop.cmd().SearchHistory(history, !shifted);
        return;
    }
    Westring name;
    if (!cursor_entry_text(false, name)) return;
    if (shifted) putclipline(name);
    else paste(loop, name);
}

void insert_path(CMainLoop& loop, int key, _MEVENT&) {
    Westring path;
    if (!cursor_entry_text(true, path)) return;
    if (key & KEY_SHIFTED) putclipline(path);
    else paste(loop, path);
}

void complete_file_name(CMainLoop& loop, int, _MEVENT&) {
    Westring line = loop.cmd().text();
    int pos = loop.cmd().pos();
    if (FileCompletion(line, pos, directory_target())) {
        loop.cmd().Set(line);
        loop.cmd().SetPos(pos);
    }
}

void copy_line(CMainLoop& loop, int, _MEVENT&) { putclipline(loop.cmd().text()); }

void paste_clipboard(CMainLoop& loop, int, _MEVENT&) {
    GetGlobalClip(clip);
    if (clip.count() == 0) return;
    // Text that would overflow the line is not pasted at all.
    static_cast<void>(loop.cmd().InsertText(*clip[0]));
}

void delete_left(CMainLoop& loop, int, _MEVENT&) { loop.cmd().BackSpace(); }
void delete_word_left(CMainLoop& loop, int, _MEVENT&) { loop.cmd().DeleteWordLeft(); }
void delete_right(CMainLoop& loop, int, _MEVENT&) { loop.cmd().Delete(); }
void delete_word_right(CMainLoop& loop, int, _MEVENT&) { loop.cmd().DeleteWordRight(); }
void word_left(CMainLoop& loop, int, _MEVENT&) { loop.cmd().WordLeft(); }
void word_right(CMainLoop& loop, int, _MEVENT&) { loop.cmd().WordRight(); }
void line_start(CMainLoop& loop, int, _MEVENT&) { loop.cmd().Home(); }
void line_end(CMainLoop& loop, int, _MEVENT&) { loop.cmd().End(); }
void older_command(CMainLoop& loop, int, _MEVENT&) { loop.cmd().Older(history); }
void newer_command(CMainLoop& loop, int, _MEVENT&) { loop.cmd().Newer(history); }
