// Text and number fields of dialogs, and their history lists.
#include <climits>
#include <cwchar>

#include "console/cliplines.h"
#include "console/dialog.h"
#include "console/keys.h"
#include "console/wordedit.h"
#include "lib/cellwidth.h"

namespace {

enum : int {
    KEY_CTRL_SHIFT_LEFT = 0x30073,
    KEY_CTRL_SHIFT_RIGHT = 0x30074,
};

bool is_shift_move(int code) {
    switch (code) {
        case KEY_SHIFT_HOME:
        case KEY_SHIFT_END:
        case KEY_SHIFT_LEFT:
        case KEY_SHIFT_RIGHT:
        case KEY_CTRL_SHIFT_LEFT:
        case KEY_CTRL_SHIFT_RIGHT: return true;
        default: return false;
    }
}

unsigned char swap_colours(unsigned char attr) { return static_cast<unsigned char>((attr << 4) | (attr >> 4)); }

}  // namespace

// ---- StringField

StringField::StringField(Dialog* owner, int fx, int fy, Westring& text, int width, int max_length, int history)
    : DialogElement(owner, fx, fy, true),
      text_(&text),
      width_(width < 1 ? 1 : width),
      max_length_(max_length < 0 ? 32767 : max_length),
      history_(history) {
    pos_ = text.strlen();
    last_drawn_ = text;
}

// Not delegated with own_ as the text: own_ would be named before its life begins.
StringField::StringField(Dialog* owner, int fx, int fy, int width, int max_length, int history)
    : DialogElement(owner, fx, fy, true),
      text_(&own_),
      width_(width < 1 ? 1 : width),
      max_length_(max_length < 0 ? 32767 : max_length),
      history_(history) {}

bool StringField::Accepts(wchar_t) const { return true; }

void StringField::SetText(const Westring& text) {
    *text_ = text;
    int length = text_->strlen();
    if (pos_ > length) pos_ = length;
    if (anchor_ > length) anchor_ = length;
}

void StringField::SetCursor(int pos) {
    int length = text_->strlen();
    pos_ = pos < 0 ? 0 : pos > length ? length : pos;
    selecting_ = false;
}

void StringField::delete_selection() {
    if (!HasSelection()) return;
    int start = selection_start(), end = selection_end();
    *text_ = text_->left(start) + text_->mid(end);
    pos_ = start;
    selecting_ = false;
}

// Puts piece at the cursor in place of the selection, or of the whole text
// when replace_all; nothing happens when the text would grow too long.
void StringField::insert(const Westring& piece, bool replace_all) {
    Westring text = *text_;
    int at = pos_;
    if (replace_all) {
        text = Westring();
        at = 0;
    } else if (HasSelection()) {
        at = selection_start();
        text = text.left(at) + text.mid(selection_end());
    }
    int length = text.strlen() + piece.strlen();
    if (length > max_length_) return;
    *text_ = text.left(at) + piece + text.mid(at);
    pos_ = at + piece.strlen();
    selecting_ = false;
}

void StringField::move(int to, bool extend) {
    int length = text_->strlen();
    if (to < 0) to = 0;
    if (to > length) to = length;
    if (extend) {
        if (!selecting_) {
            selecting_ = true;
            anchor_ = pos_;
        }
    } else {
        selecting_ = false;
    }
    pos_ = to;
}

int StringField::handle_key(int code, bool replace_all) {
    int length = text_->strlen();
    if (quote_next_) {
        quote_next_ = false;
        if (code < KEY_EXTENDED) {
            if (Accepts(static_cast<wchar_t>(code))) insert(String(static_cast<wchar_t>(code), 1), replace_all);
            return 1;
        }
    }
    bool extend = (code & KEY_SHIFTED) != 0;
    switch (code) {
        case KEY_HOME:
        case KEY_SHIFT_HOME: move(0, extend); return 1;
        case KEY_END:
        case KEY_SHIFT_END: move(length, extend); return 1;
        case KEY_LEFT:
        case KEY_SHIFT_LEFT: move(pos_ - 1, extend); return 1;
        case KEY_RIGHT:
        case KEY_SHIFT_RIGHT: move(pos_ + 1, extend); return 1;
        case KEY_CTRL_LEFT:
        case KEY_CTRL_SHIFT_LEFT: move(PrevWordStart(*text_, pos_), extend); return 1;
        case KEY_CTRL_RIGHT:
        case KEY_CTRL_SHIFT_RIGHT: move(pos_ + WordRight(text_->c_str() + pos_), extend); return 1;
        case KEY_BACKSPACE:
            if (HasSelection()) delete_selection();
            else if (pos_ > 0) {
                *text_ = text_->left(pos_ - 1) + text_->mid(pos_);
                pos_--;
            }
            return 1;
        case KEY_DEL:
            if (HasSelection()) delete_selection();
            else if (pos_ < length) *text_ = text_->left(pos_) + text_->mid(pos_ + 1);
            return 1;
        case KEY_CTRL_BACKSPACE: pos_ = DeleteWordLeft(*text_, pos_); return 1;
        case KEY_CTRL_DEL: DeleteWordRight(*text_, pos_); return 1;
        case KEY_CTRL_C:
        case KEY_CTRL_INS:
            if (HasSelection()) putclipline(text_->mid(selection_start(), selection_end() - selection_start()));
            return 1;
        case KEY_CTRL_X:
        case KEY_SHIFT_DEL:
            if (HasSelection()) {
                putclipline(text_->mid(selection_start(), selection_end() - selection_start()));
                delete_selection();
            }
            return 1;
        case KEY_CTRL_V:
        case KEY_SHIFT_INS: {
            Westring line = getclipline();
            bool fits = true;
            for (int i = 0; line[i]; i++) fits = fits && Accepts(line[i]);
            if (fits) insert(line, replace_all);
            return 1;
        }
        case KEY_CTRL_Q: quote_next_ = true; return 1;
        case KEY_ALT_DOWN:
            if (history_ < 0 || history_ >= Dialog::kHistories) return 0;
            OpenHistory();
            return 1;
        default: break;
    }
    if (code >= 32 && code < KEY_EXTENDED) {
        if (Accepts(static_cast<wchar_t>(code))) insert(String(static_cast<wchar_t>(code), 1), replace_all);
        return 1;
    }
    return 0;
}

int StringField::ProcessEvent(Event& event) {
    if (event.type == Event::Key) {
        int code = event.key;
        if (code == KEY_GREY_STAR || code == KEY_GREY_PLUS || code == KEY_GREY_MINUS) code &= 0xFFFF;
        bool replace_all = replace_first_;
        replace_first_ = false;
        int handled = handle_key(code, replace_all);
        if (code != KEY_CTRL_C && code != KEY_CTRL_INS && !is_shift_move(code)) selecting_ = false;
        if (handled) {
            AfterEdit();
            last_drawn_ = *text_;
            Draw();
        }
        return handled;
    }
    if (!event.IsLeftButton()) return 0;
    bool on_arrow = history_ >= 0 && history_ < Dialog::kHistories && event.y == y && event.x == x + width_;
    if (event.type == Event::LeftDown && on_arrow) {
        dialog->ChangeFocus(index);
        OpenHistory();
        return 1;
    }
    if (!in_field(event)) {
        if (event.type == Event::LeftUp) mouse_selecting_ = false;
        return 0;
    }
    // The character whose cells hold the click (the text's end past it).
    int at = first_ + CharsThatFit(text_->c_str() + first_, event.x - x);
    switch (event.type) {
        case Event::LeftDown:
        case Event::LeftDouble:
            dialog->ChangeFocus(index);
            replace_first_ = false;
            move(at, false);
            mouse_selecting_ = true;
            break;
        case Event::LeftDrag:
        case Event::LeftUp:
            if (mouse_selecting_) move(at, true);
            if (event.type == Event::LeftUp) mouse_selecting_ = false;
            break;
        default: break;
    }
    Draw();
    return 1;
}

bool StringField::in_field(const Event& event) const {
    return event.y == y && event.x >= x && event.x < x + width_;
}

void StringField::FocusChange(bool gained) {
    if (!gained) {
        selecting_ = false;
        mouse_selecting_ = false;
    }
}

// Scrolls the view so that the cursor's cell, and all of the character
// under it, lie within the view's cells; at the end of the text as much of
// it shows as fits.
void StringField::scroll_to_cursor() {
    if (pos_ == text_->strlen()) first_ = 0;  // from as far left as the end allows
    else if (pos_ < first_) first_ = pos_;
    first_ = ScrollToCursor(*text_, first_, pos_, ViewWidth());
}

void StringField::Draw() {
    const Westring& text = *text_;
    int length = text.strlen();
    if (pos_ > length) pos_ = length;
    scroll_to_cursor();
    unsigned char attr = dialog->Colour(CC_INPUT);
    bool selection = HasSelection();
    auto attr_at = [&](int at) {
        bool selected = selection && at >= selection_start() && at < selection_end();
        return selected ? swap_colours(attr) : attr;
    };
    // The visible characters in runs of one colour, then blanks to the
    // field's last cell (the one a cut wide character would half fill).
    int used = 0;
    int end = first_ + CharsThatFit(text.c_str() + first_, width_, &used);
    CellString cells;
    for (int run = first_; run < end;) {
        int next = run + 1;
        while (next < end && attr_at(next) == attr_at(run)) next++;
        cells.Append(text.c_str() + run, attr_at(run), next - run);
        run = next;
    }
    cells += CellString(String(L' ', width_ - used).c_str(), attr);
    dialog->putcs_at(x, y, cells);
    if (history_ >= 0 && history_ < Dialog::kHistories) dialog->puts_at(x + width_, y, L"\x2193", attr);
    if (HasFocus()) dialog->PlaceCursor(x + TextCells(text.c_str() + first_, pos_ - first_), y);
    last_drawn_ = text;
}

void StringField::SaveToHistory() {
    if (history_ < 0 || history_ >= Dialog::kHistories || last_drawn_.empty()) return;
    AddFieldHist(last_drawn_, history_, false);
}

// A list of the field's history just below it; Enter takes the chosen entry.
void StringField::OpenHistory() {
    WestringStore& entries = Dialog::FieldHistory[history_];
    if (entries.count() == 0) return;
    int columns = 0, rows = 0;
    console->GetSize(columns, rows);
    const int lines = 6;
    int sx = dialog->origin_x() + x, sy = dialog->origin_y() + y;
    int width = width_;
    for (int i = 0; i < entries.count(); i++)
        if (TextCells(entries[i]->c_str()) > width) width = TextCells(entries[i]->c_str());
    if (sx + width + 1 > columns) width = columns - 1 - sx;  // not past the screen's right edge
    if (width < 1) width = 1;
    int top = sy + 1;
    if (top + lines + 2 > rows) top = sy - lines - 2;  // no room below: above the field
    if (top < 0) top = 0;
    int selected = entries.count() - 1;
    int result;
    {
        Dialog list(sx - 1, top, sx + width, top + lines + 1, dialog->Colour(CC_TEXT));
        list.AddListBox(0, 0, 1, width, lines, entries, selected, 0);
        result = list.Process();
    }
    if (result == KEY_ENTER && selected >= 0 && selected < entries.count()) {
        *text_ = *entries[selected];
        pos_ = text_->strlen();
        selecting_ = false;
        AfterEdit();
    }
    Draw();
}

// ---- IntegerField

IntegerField::IntegerField(Dialog* owner, int fx, int fy, int* value32, int64_t* value64, int width,
                           bool keep_text, int history)
    : StringField(owner, fx, fy, width, width < 18 ? width : 18, history),
      value32_(value32),
      value64_(value64),
      keep_text_(keep_text) {
    own_ = Westring(IntToStr(static_cast<long>(number())).c_str());
    MoveToEnd();
}

int64_t IntegerField::number() const {
    if (value64_) return *value64_;
    return value32_ ? *value32_ : 0;
}

void IntegerField::set_number(int64_t n) {
    if (value64_) *value64_ = n;
    if (value32_) *value32_ = n > INT_MAX ? INT_MAX : n < INT_MIN ? INT_MIN : static_cast<int>(n);
}

int64_t IntegerField::LeadingNumber(const Westring& text) {
    int i = 0;
    bool negative = false;
    if (text[0] == L'-' || text[0] == L'+') {
        negative = text[0] == L'-';
        i = 1;
    }
    int64_t n = 0;
    for (; text[i] >= L'0' && text[i] <= L'9'; i++) {
        int digit = text[i] - L'0';
        if (n > (INT64_MAX - digit) / 10) {
            n = INT64_MAX;
            break;
        }
        n = n * 10 + digit;
    }
    return negative ? -n : n;
}

bool IntegerField::Accepts(wchar_t ch) const { return ch >= L'0' && ch <= L'9'; }

void IntegerField::AfterEdit() { set_number(LeadingNumber(own_)); }

void IntegerField::Draw() {
    int64_t n = number();
    Westring digits(IntToStr(static_cast<long>(n)).c_str());
    if (std::wcscmp(digits.c_str(), own_.c_str()) != 0 && (!keep_text_ || LeadingNumber(own_) != n)) {
        // The cursor stays before the same digits, counted from the end.
        int from_end = own_.strlen() - cursor();
        own_ = digits;
        SetCursor(own_.strlen() - from_end);
    }
    StringField::Draw();
}
