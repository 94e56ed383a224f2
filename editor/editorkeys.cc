// The editor's key loop: each key and mouse action mapped onto the model's
// commands, the clipboard and the dialogs.
#include <algorithm>

#include "config/config.h"
#include "console/cliplines.h"
#include "console/dialog.h"
#include "console/keys.h"
#include "editor/editclip.h"
#include "editor/editor.h"
#include "editor/edittext.h"

namespace {

constexpr int kShiftBit = 0x20000;

// The keypad's navigation keys with Ctrl (and Shift) as the keys they are
// marked with.
int KeypadAsMarked(int key) {
    const int kind = key & ~0xFF;
    if (kind != 0x40000 && kind != 0x60000) return key;
    static const int kCtrl[10] = {KEY_CTRL_INS, KEY_CTRL_END, KEY_CTRL_DOWN, KEY_CTRL_PGDN, KEY_CTRL_LEFT,
                                  0,            KEY_CTRL_RIGHT, KEY_CTRL_HOME, KEY_CTRL_UP, KEY_CTRL_PGUP};
    const int digit = (key & 0xFF) - '0';
    if (digit < 0 || digit > 9 || kCtrl[digit] == 0) return key;
    return kCtrl[digit] | (kind == 0x60000 ? kShiftBit : 0);
}

// Keys after which a selection stays.
bool KeepsSelection(int key) {
    switch (key) {
    case KEY_CTRL_C: case KEY_CTRL_W: case KEY_ESC: case 0x10033: case 0x10034: case KEY_F1: case KEY_F7:
    case KEY_SHIFT_F7: case KEY_ALT_F7: case KEY_CTRL_INS: case KEY_CTRL_INS | kShiftBit: case KEY_ALT_LEFT:
    case KEY_ALT_RIGHT: case KEY_SHIFTSTATE:
        return true;
    default: return false;
    }
}

struct MoveKey {
    int key;
    EditModel::Move move;
};
const MoveKey kMoveKeys[] = {
    {KEY_LEFT, EditModel::Move::kLeft},           {KEY_RIGHT, EditModel::Move::kRight},
    {KEY_UP, EditModel::Move::kUp},               {KEY_DOWN, EditModel::Move::kDown},
    {KEY_HOME, EditModel::Move::kHome},           {KEY_END, EditModel::Move::kEnd},
    {KEY_PGUP, EditModel::Move::kPageUp},         {KEY_PGDN, EditModel::Move::kPageDown},
    {KEY_CTRL_PGUP, EditModel::Move::kTextStart}, {KEY_CTRL_PGDN, EditModel::Move::kTextEnd},
    {KEY_CTRL_LEFT, EditModel::Move::kWordLeft},  {KEY_CTRL_RIGHT, EditModel::Move::kWordRight},
};

// Alt with a digit and Shift+Alt with a digit: their codes run 1-9, 0.
int DigitOfAltKey(int key, int base) {
    const int i = key - base;
    if (i < 0 || i > 9) return -1;
    return i == 9 ? 0 : i + 1;
}

constexpr int kAltDigitBase = 0x10078;       // Alt+1
constexpr int kShiftAltDigitBase = 0x30078;  // Shift+Alt+1

}  // namespace

void DVEditor::Report(EditStatus status) {
    switch (status) {
    case EditStatus::kLineTooLong:
    case EditStatus::kTooManyLines:
    case EditStatus::kNoMemory:
        if (console) console->Beep();
        break;
    default: break;
    }
}

bool DVEditor::MoveKey(int key) {
    const bool shifted = (key & kShiftBit) != 0 && (key & KEY_EXTENDED) != 0;
    const int base = shifted ? key & ~kShiftBit : key;
    const bool extend = shifted || mark_mode_;
    for (const auto& entry : kMoveKeys) {
        if (entry.key != base) continue;
        model_.MoveCursor(entry.move, extend, std::max(1, rows_ - 4));
        return true;
    }
    if (base == KEY_CTRL_HOME) {
        model_.MoveTo({model_.top, 0}, extend);
        return true;
    }
    if (base == KEY_CTRL_END) {
        const int line = std::min(model_.text.LineCount() - 1, model_.top + text_rows() - 1);
        model_.MoveTo({line, model_.text.LineLength(line)}, extend);
        return true;
    }
    return false;
}

void DVEditor::Copy() {
    if (!model_.sel.active) return;
    const TextPos a = std::min(model_.sel.start, model_.sel.end);
    const TextPos b = std::max(model_.sel.start, model_.sel.end);
    std::wstring scratch;
    clipcopy(
        [&](int line) { return Westring(model_.text.Line(line, scratch), model_.text.LineLength(line)); },
        ClipRange{a.line, a.pos, b.line, b.pos}, clip);
}

void DVEditor::Cut() {
    if (!model_.sel.active) return;
    Copy();
    Report(model_.DeleteSelection());
}

void DVEditor::Paste() {
    GetGlobalClip(clip);
    if (clip.count() == 0) return;
    TextBlock block;
    block.lines.clear();
    for (int i = 0; i < clip.count(); i++) {
        const Westring* line = clip[i];
        block.lines.emplace_back(line->c_str(), static_cast<size_t>(line->strlen()));
        if (i > 0) block.ends.push_back(LE_NONE);  // the file's usual line end
    }
    Report(model_.Paste(block));
}

void DVEditor::TypeLiteral(int key) {
    wchar_t c = 0;
    if (key == KEY_BACKSPACE) c = 8;
    else if (key == KEY_CTRL_I) c = 9;
    else if (key == KEY_CTRL_M) c = 13;
    else if (key > 0 && key < 0x10000) c = static_cast<wchar_t>(key);
    if (c) Report(model_.TypeChar(c));
}

bool DVEditor::ClipboardKey(int key) {
    switch (key) {
    case KEY_F4: case KEY_CTRL_X: case KEY_SHIFT_DEL: Cut(); break;
    case KEY_F5: case KEY_CTRL_C: case KEY_CTRL_INS: case KEY_CTRL_INS | kShiftBit: Copy(); break;
    case KEY_F6: case KEY_CTRL_V: case KEY_SHIFT_INS: Paste(); break;
    case KEY_CTRL_A: model_.SelectAll(); break;
    case KEY_CTRL_W:
        if (model_.MarkWord()) Copy();
        break;
    default: return false;
    }
    mark_mode_ = false;
    return true;
}

bool DVEditor::AltKey(int key) {
    const int tab = DigitOfAltKey(key, kAltDigitBase);
    if (tab >= 1 && tab <= 8) {
        model_.settings.tab_width = config.TabWidth = tab;
        Invalidate();
        return true;
    }
    const int mark = DigitOfAltKey(key, kShiftAltDigitBase);
    if (mark >= 0) {
        model_.SetBookmark(mark);
        return true;
    }
    switch (key) {
    case 0x10024: {  // Alt+J, then a digit: back to that bookmark
        Event next;
        next.GetEvent(-1);
        if (next.type == Event::Key && next.key >= '0' && next.key <= '9') model_.GotoBookmark(next.key - '0');
        return true;
    }
    case 0x1001A: case 0x10032: Report(model_.MatchBracket()); return true;  // Alt+[, Alt+M
    case 0x10026: {  // Alt+L
        int line = model_.cursor().line + 1;
        if (CGotoLineDlg(model_.text.LineCount(), line).Run() == 13) {
            line = std::clamp(line, 1, model_.text.LineCount()) - 1;
            model_.MoveTo({line, 0}, false);
            model_.top = std::max(0, line - 5);
        }
        Invalidate();
        return true;
    }
    case 0x10017: model_.settings.auto_indent = config.AutoIndent = !model_.settings.auto_indent; return true;
    case 0x10016:  // Alt+U
        model_.SetLineEnds(model_.text.default_end == LE_LF ? LE_CRLF : LE_LF);
        file_.line_end = model_.text.default_end == LE_LF ? 1 : 0;
        model_.modified = true;
        return true;
    case 0x1001F: mark_mode_ = !mark_mode_; return true;  // Alt+S
    case 0x10012: EncodingDialog(); return true;          // Alt+E
    case 0x1002E: CodePageMode(); return true;            // Alt+C
    case 0x10014: NextCodePage(); return true;            // Alt+T
    case 0x10023:                                         // Alt+H
        highlight_on_ = !highlight_on_ && !editor_hooks.syntax_file.empty() &&
                        highlighter_.LoadDef(editor_hooks.syntax_file, filename_);
        Invalidate();
        return true;
    case 0x10033: FindWordAtCursor(true); return true;   // Alt+comma
    case 0x10034: FindWordAtCursor(false); return true;  // Alt+period
    default: return false;
    }
}

bool DVEditor::Key(int key) {
    if (literal_next_) {
        literal_next_ = false;
        TypeLiteral(key);
        return true;
    }
    key = KeypadAsMarked(key);
    // A move sets or drops the selection itself.
    if (MoveKey(key)) return true;
    bool go_on = true;
    if (key == KEY_TAB || (key >= 32 && key < 0x10000 && key != KEY_CTRL_BACKSPACE)) {
        Report(model_.TypeChar(static_cast<wchar_t>(key)));
        mark_mode_ = false;
    } else if (ClipboardKey(key) || AltKey(key)) {
    } else {
        switch (key) {
        case KEY_ENTER: Report(model_.BreakLine()); break;
        case KEY_ALT_ENTER: Report(model_.OpenLine()); break;
        case KEY_BACKSPACE: Report(model_.Backspace()); break;
        case KEY_CTRL_BACKSPACE: Report(model_.DeleteWordLeft()); break;
        case KEY_DEL: Report(model_.DeleteChar()); break;
        case KEY_CTRL_DEL: Report(model_.DeleteWordRight()); break;
        case KEY_CTRL_Y: Report(model_.DeleteLine()); break;
        case KEY_CTRL_D: Report(model_.DuplicateLine()); break;
        case KEY_INS: model_.settings.overstrike = config.OverStrike = !model_.settings.overstrike; break;
        case KEY_ALT_LEFT: Report(model_.IndentLines(-model_.settings.indent_width)); break;
        case KEY_ALT_RIGHT: Report(model_.IndentLines(model_.settings.indent_width)); break;
        case KEY_ALT_BACKSPACE: Report(model_.Undo()); break;
        case KEY_ALT_BACKSPACE | kShiftBit: Report(model_.Redo()); break;
        case KEY_CTRL_Q: literal_next_ = true; break;
        case KEY_F2: static_cast<void>(save_text()); break;
        case KEY_F3: static_cast<void>(SaveAs()); break;
        case KEY_F7: Find(true, false, false); break;
        case KEY_SHIFT_F7: Find(false, false, false); break;
        case KEY_ALT_F7: Find(false, false, true); break;
        case KEY_F8: Find(true, true, false); break;
        case KEY_F1:
            if (editor_hooks.help) {
                const Westring& name = filename_;
                const int n = name.strlen();
                const bool menu_file = n > 4 && Westring(name.c_str() + n - 4) == Westring(L".mnu");
                editor_hooks.help(menu_file                                 ? EditorHelpTopic::kMenuFile
                                  : SameChars(name, editor_hooks.config_file) ? EditorHelpTopic::kConfigFile
                                                                     : EditorHelpTopic::kEditor);
                Invalidate();
            }
            break;
        case KEY_ESC: case KEY_F10: go_on = !MayLeave(); break;
        case KEY_SHIFT_F10: go_on = model_.modified && !save_text(); break;
        case KEY_QUIT:
            quit_ = MayLeave();
            go_on = !quit_;
            break;
        default: break;
        }
    }
    if (!KeepsSelection(key)) model_.ClearSelection();
    return go_on;
}

bool DVEditor::Mouse(const Event& event) {
    const int y = event.mevent.y;
    const int x = event.mevent.x;
    if (y == rows_ - 1) {
        if (event.type == Event::LeftUp || event.type == Event::RightUp) return Key(key_bar_value(event.mevent));
        return true;
    }
    if (event.type == Event::Wheel) {
        const EditModel::Move move = event.key > 0 ? EditModel::Move::kUp : EditModel::Move::kDown;
        for (int i = 0; i < 3; i++) model_.MoveCursor(move, false);
        return true;
    }
    if (y < 1 || (event.type != Event::LeftDown && event.type != Event::LeftDrag && event.type != Event::LeftDouble))
        return true;
    const int line = std::min(model_.text.LineCount() - 1, model_.top + y - 1);
    std::wstring scratch;
    int col = x;
    const int pos = calc_pos(model_.text.Line(line, scratch), model_.text.LineLength(line), col, model_.left,
                             model_.settings.tab_width);
    model_.MoveTo({line, pos}, event.type == Event::LeftDrag);
    if (event.type == Event::LeftDouble && model_.MarkWord()) Copy();
    return true;
}

EditorExit DVEditor::Run() {
    for (;;) {
        if (console && (console->columns() != columns_ || console->rows() != rows_)) {
            key_bar_.reset();
            win_.reset();
            MakeWindows();
        }
        Paint();
        Event event;
        event.GetEvent(-1);
        if (event.type == Event::Key) {
            if (!Key(event.key)) break;
        } else if (!Mouse(event)) {
            break;
        }
    }
    return quit_ ? EditorExit::kQuit : EditorExit::kClosed;
}
