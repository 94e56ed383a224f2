// Input from the view: keys, committed text, the mouse with its selection,
// and the window's own requests. These run on the toolkit thread with the
// toolkit lock held; they queue events for the program or hand keys to an
// attached terminal emulator.
#include "console/console.h"

#include <algorithm>
#include <cwctype>

#include "console/consoleview.h"
#include "console/keysyms.h"
#include "console/toolkitlock.h"

namespace {

// The modifier bit a modifier key itself stands for, 0 for other keys.
unsigned modifier_bit(unsigned keyval) {
    switch (keyval) {
    case keysym::Shift_L:
    case keysym::Shift_R: return keystate::Shift;
    case keysym::Control_L:
    case keysym::Control_R: return keystate::Control;
    case keysym::Alt_L:
    case keysym::Alt_R:
    case keysym::Meta_L:
    case keysym::Meta_R: return keystate::Alt;
    default: return 0;
    }
}

// The event's button: the toolkit numbers left 1, middle 2, right 3.
int event_button(int toolkit_button) { return toolkit_button == 1 ? 1 : toolkit_button == 3 ? 2 : 3; }

}  // namespace

void CConsole::QueueEvent(int type, int key, int shift, int x, int y, int unicode) {
    TEvent* event = new TEvent;
    event->type = type;
    event->key = key;
    event->shift = shift;
    event->x = x;
    event->y = y;
    event->unicode = unicode;
    queue_.Add(event);
}

void CConsole::PostEvent(const TEvent& event) { queue_.Add(new TEvent(event)); }

bool CConsole::GetEvent(TEvent& event, int timeout_ms) {
    TEvent* queued = queue_.Get(timeout_ms);
    if (!queued) return false;
    event = *queued;
    delete queued;
    return true;
}

int CConsole::GetEventQueueLen() { return queue_.Length(); }

// ---------------------------------------------------------------- keys

bool CConsole::OnKey(unsigned keyval, unsigned state, int hardware_keycode, bool press) {
    CToolkitLock lock;
    // The toolkit reports the modifiers from before the key itself.
    unsigned modifier = modifier_bit(keyval);
    state ^= modifier;

    if (keyval == keysym::Break) {
        if (press) BreakHandler();
        return true;
    }
    if (keyval == keysym::Scroll_Lock) {
        if (press && !scroll_lock_held_) scroll_lock_toggled_ = !scroll_lock_toggled_;
        scroll_lock_held_ = press;
        return true;
    }
    if (!press && !modifier) return true;  // releases matter only for modifiers

    lastShiftState = ToTEventShift(state);
    int unicode = 0;
    int code = TranslateKey(keyval, state, hardware_keycode, unicode);
    if (code == 0) return false;  // for the input method

    if (terminal_) terminal_->Key(code);
    else QueueEvent(TEvent::Key, code, ToTEventShift(state), 0, 0, unicode);
    RestartBlink();
    return true;
}

void CConsole::OnCommit(const char* utf8) {
    if (!utf8) return;
    CToolkitLock lock;
    Westring text(utf8);
    for (const wchar_t* p = text.c_str(); *p; p++) {
        int ch = static_cast<int>(*p);
        if (terminal_) terminal_->Key(ch);
        else QueueEvent(TEvent::Key, ch, 0, 0, 0, ch);
    }
    RestartBlink();
}

// ---------------------------------------------------------------- keyboard locks

bool CConsole::ScrollLock() {
    CToolkitLock lock;
    const int state = view_->ScrollLockState();
    return state < 0 ? scroll_lock_toggled_ : state != 0;
}

void CConsole::SwitchNumLockOn() {
    CToolkitLock lock;
    view_->SwitchNumLockOn();
}

// ---------------------------------------------------------------- mouse

namespace {

struct Cell {
    int x, y;
};

Cell to_cell(int px, int py, int cell_width, int cell_height) {
    return {px / std::max(cell_width, 1), py / std::max(cell_height, 1)};
}

}  // namespace

void CConsole::OnButtonPress(int px, int py, int button, unsigned state, bool double_click) {
    CToolkitLock lock;
    Cell c = to_cell(px, py, cell_width_, cell_height_);
    int shift = ToTEventShift(state);
    if (double_click) {
        if (!terminal_) QueueEvent(TEvent::DoubleClick, event_button(button), shift, c.x, c.y, 0);
        return;
    }
    if (zone_active_ && selection_zone_.Includes(c.x, c.y)) {
        if (selection_shown_) {
            selection_shown_ = false;
            RequestPaint(selection_.left, selection_.top, selection_.right + 1, selection_.bottom + 1);
        }
        selection_ = Rect{c.x, c.y, c.x, c.y};
        anchor_left_ = false;
        anchor_top_ = false;
        return;
    }
    if (!terminal_) QueueEvent(TEvent::ButtonPress, event_button(button), shift, c.x, c.y, 0);
}

void CConsole::OnButtonRelease(int px, int py, int button, unsigned state) {
    CToolkitLock lock;
    Cell c = to_cell(px, py, cell_width_, cell_height_);
    if (selection_shown_) {
        CopySelection();
        selection_shown_ = false;
        RequestPaint(selection_.left, selection_.top, selection_.right + 1, selection_.bottom + 1);
    }
    if (!terminal_) QueueEvent(TEvent::ButtonRelease, event_button(button), ToTEventShift(state), c.x, c.y, 0);
}

void CConsole::OnMotion(int px, int py, unsigned state) {
    CToolkitLock lock;
    Cell c = to_cell(px, py, cell_width_, cell_height_);
    if (zone_active_ && selection_zone_.Includes(c.x, c.y)) {
        Rect old = selection_;
        if (c.x < selection_.left) {
            selection_.left = c.x;
            anchor_left_ = true;
        } else if (c.x > selection_.right) {
            selection_.right = c.x;
            anchor_left_ = false;
        } else if (anchor_left_) {
            selection_.left = c.x;
        } else {
            selection_.right = c.x;
        }
        if (c.y < selection_.top) {
            selection_.top = c.y;
            anchor_top_ = true;
        } else if (c.y > selection_.bottom) {
            selection_.bottom = c.y;
            anchor_top_ = false;
        } else if (anchor_top_) {
            selection_.top = c.y;
        } else {
            selection_.bottom = c.y;
        }
        selection_shown_ = true;
        PaintSelectionUnion(old, selection_);
        return;
    }
    int held = (state & keystate::Button1) ? 1 : (state & keystate::Button3) ? 2 : 0;
    if (!terminal_) QueueEvent(TEvent::Motion, held, ToTEventShift(state), c.x, c.y, 0);
}

void CConsole::OnScroll(int px, int py, bool up, unsigned state) {
    CToolkitLock lock;
    Cell c = to_cell(px, py, cell_width_, cell_height_);
    QueueEvent(TEvent::Wheel, up ? 1 : -1, ToTEventShift(state), c.x, c.y, 0);
}

void CConsole::PaintSelectionUnion(const Rect& a, const Rect& b) {
    RequestPaint(std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right) + 1,
                 std::max(a.bottom, b.bottom) + 1);
}

// Puts the selected text on the clipboard: each row without its trailing
// white space, and a line end after every row when there are several.
void CConsole::CopySelection() {
    int left = std::max(selection_.left, 0), right = std::min(selection_.right, columns_ - 1);
    int top = std::max(selection_.top, 0), bottom = std::min(selection_.bottom, rows_ - 1);
    Westring text;
    for (int y = top; y <= bottom; y++) {
        Westring line;
        for (int x = left; x <= right; x++) line += cell(x, y).ch ? cell(x, y).ch : L' ';
        text += line.rtrim();
        if (selection_.bottom > selection_.top) text += L'\n';
    }
    PutClipTextNoLock(text.c_str());
}

// ---------------------------------------------------------------- selection zone

void CConsole::SetSelectionZone(const Rect& zone) {
    CToolkitLock lock;
    selection_zone_ = zone;
    zone_active_ = true;
    if (selection_shown_) {
        selection_shown_ = false;
        RequestPaint(selection_.left, selection_.top, selection_.right + 1, selection_.bottom + 1);
    }
}

void CConsole::SetSelectionZone(int x, int y, int width, int height) {
    SetSelectionZone(Rect{x, y, x + width - 1, y + height - 1});
}

void CConsole::GetSelectionZone(Rect& zone) const { zone = selection_zone_; }

void CConsole::ResetSelectionZone() {
    CToolkitLock lock;
    selection_zone_ = Rect{0, 0, 0, 0};
    zone_active_ = false;
}

// ---------------------------------------------------------------- the window

void CConsole::OnDeleteRequest() {
    CToolkitLock lock;
    QueueEvent(TEvent::Key, KEY_F10, 0, 0, 0, 0);
}

void CConsole::OnRemoteEvent(const TEvent& event) {
    CToolkitLock lock;
    switch (event.type) {
    case TEvent::Key:
        if (event.key == kRemoteBreakKey) {
            BreakHandler();
            return;
        }
        lastShiftState = event.shift;
        if (terminal_) terminal_->Key(event.key);
        else PostEvent(event);
        return;
    case TEvent::ButtonPress:
    case TEvent::ButtonRelease:
    case TEvent::Motion:
    case TEvent::DoubleClick:
        // The emulator takes no mouse, as in the desktop window.
        if (!terminal_) PostEvent(event);
        return;
    case TEvent::Resize: {
        // Kept as the window's size, so that FittedSize names the latest one.
        TEvent resize = event;
        resize.x = fitted_columns_ = std::max(event.x, kMinColumns);
        resize.y = fitted_rows_ = std::max(event.y, kMinRows);
        PostEvent(resize);
        return;
    }
    case TEvent::Wheel:
    case TEvent::Quit: PostEvent(event); return;
    default: return;  // a kind this program does not know
    }
}

void CConsole::OnAreaResized(int width, int height) {
    CToolkitLock lock;
    if (cell_width_ <= 0 || cell_height_ <= 0) return;
    int columns = std::max(width / cell_width_, kMinColumns);
    int rows = std::max(height / cell_height_, kMinRows);
    if (columns == fitted_columns_ && rows == fitted_rows_) return;
    fitted_columns_ = columns;
    fitted_rows_ = rows;
    if (columns == columns_ && rows == rows_) return;
    QueueEvent(TEvent::Resize, 0, 0, columns, rows, 0);
}

bool CConsole::FittedSize(int& columns, int& rows) const {
    CToolkitLock lock;
    if (fitted_columns_ <= 0 || fitted_rows_ <= 0) return false;
    columns = fitted_columns_;
    rows = fitted_rows_;
    return true;
}

void CConsole::OnUnmap() {
    CToolkitLock lock;
    if (minimised_) return;
    minimised_ = true;
    BeginPaint();
}

void CConsole::OnMap() {
    CToolkitLock lock;
    if (!minimised_) return;  // the first showing of the window
    minimised_ = false;
    EndPaint();
}
