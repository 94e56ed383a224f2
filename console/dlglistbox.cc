// List boxes of dialogs and the colour selector.
#include <chrono>
#include <thread>

#include "console/dialog.h"
#include "console/keys.h"
#include "lib/cellwidth.h"

int dialog_scroll_delay = 10;

// ---- ListBoxBase

ListBoxBase::ListBoxBase(Dialog* owner, int lx, int ly, int width, int height, int count, int& selected,
                         int own_result)
    : DialogElement(owner, lx, ly, true),
      width_(width < 1 ? 1 : width),
      height_(height < 1 ? 1 : height),
      count_(count < 0 ? 0 : count),
      selected_(&selected),
      own_result_(own_result) {}

ListBoxBase::~ListBoxBase() = default;

Westring ListBoxBase::SeekString(int) { return Westring(); }

void ListBoxBase::PutLine(int line, const Westring& text, unsigned char attr) {
    dialog->puts_at(x, y + line, FitCells(text.c_str(), width_).c_str(), attr);
}

void ListBoxBase::Draw() {
    int& selected = *selected_;
    if (selected >= count_) selected = count_ - 1;
    if (selected < 0) selected = 0;
    if (selected < top_) top_ = selected;
    if (selected >= top_ + height_) top_ = selected - height_ + 1;
    if (top_ < 0) top_ = 0;
    bool focused = HasFocus();
    unsigned char normal = colours[CLR_MENU], highlight = colours[CLR_MENU_HIGHLIGHT];
    auto draw_line = [&](int line) {
        int item = top_ + line;
        if (item < count_) DrawLine(line, item, item == selected && focused ? highlight : normal);
        else PutLine(line, Westring(), normal);
    };
    console->BeginPaint();
    if (full_redraw_ || top_ != drawn_top_ || focused != drawn_focus_) {
        for (int line = 0; line < height_; line++) draw_line(line);
    } else if (selected != drawn_selected_) {
        // The view did not scroll: only the old and the new cursor lines change.
        if (drawn_selected_ >= top_ && drawn_selected_ < top_ + height_) draw_line(drawn_selected_ - top_);
        draw_line(selected - top_);
    }
    console->EndPaint();
    full_redraw_ = false;
    drawn_top_ = top_;
    drawn_selected_ = selected;
    drawn_focus_ = focused;
}

void ListBoxBase::FocusChange(bool gained) {
    if (!gained) set_search(Westring());
}

int ListBoxBase::enter_result() const { return own_result_ > 0 ? own_result_ : dialog->EnterResult(); }

bool ListBoxBase::Seek(const Westring& text) {
    int length = text.strlen();
    if (length == 0 || count_ == 0) return false;
    int start = *selected_;
    if (start < 0 || start >= count_) start = 0;
    for (int n = 0; n < count_; n++) {
        int item = (start + n) % count_;
        if (SeekString(item).left(length) == text) {
            *selected_ = item;
            Draw();
            return true;
        }
    }
    return false;
}

// Shows the search text in a small popup at the bottom right of the dialog.
void ListBoxBase::set_search(const Westring& text) {
    if (text.empty() && search_.empty() && !search_popup_) return;
    search_popup_.reset();
    search_ = text;
    if (search_.empty()) return;
    int room = dialog->width() - 4;
    if (room < 1) return;
    // The end of the search text, as much as fits.
    int first = search_.strlen();
    int cells = 0;
    while (first > 0 && cells + CellWidth(search_[first - 1]) <= room - 2) cells += CellWidth(search_[--first]);
    Westring shown = search_.mid(first);
    int w = cells + 2;
    int right = dialog->right() - 2;
    int left = right - w + 1;
    search_popup_ = std::make_unique<Win>(left, dialog->bottom(), right, dialog->bottom(), colours[CLR_INPUT_FIELDS], -1);
    search_popup_->puts_at(1, 0, shown.c_str());
}

int ListBoxBase::key(Event& event) {
    int& selected = *selected_;
    int code = event.key;
    switch (code) {
        case KEY_ENTER: dialog->SetResult(enter_result()); break;
        case KEY_UP:
            if (selected > 0) selected--;
            break;
        case KEY_DOWN:
            if (selected < count_ - 1) selected++;
            break;
        case KEY_PGUP:
            if (top_ < height_) {
                selected = 0;
            } else {
                top_ -= height_;
                selected -= height_;
            }
            break;
        case KEY_PGDN:
            if (top_ + height_ < count_) {
                top_ += height_;
                selected += height_;
                if (selected > count_ - 1) selected = count_ - 1;
            } else {
                selected = count_ - 1;
            }
            break;
        case KEY_HOME: selected = 0; break;
        case KEY_END:
            selected = count_ - 1;
            top_ = count_ - height_;
            if (top_ < 0) top_ = 0;
            break;
        default:
            if (own_result_ == -1) {  // a menu ends on any other key
                set_search(Westring());
                dialog->SetResult(code);
                return 1;
            }
            if (code >= 32 && code <= 0xFFFF) {
                Westring wanted = search_ + String(static_cast<wchar_t>(code), 1);
                if (Seek(wanted)) set_search(wanted);
                return 1;
            }
            set_search(Westring());
            return 0;
    }
    set_search(Westring());
    if (selected < 0) selected = 0;
    Draw();
    return 1;
}

// Moves the cursor one item at a time while the mouse button is held next
// to the box, until another event arrives or the list ends.
void ListBoxBase::hold_scroll(int direction) {
    int& selected = *selected_;
    for (;;) {
        int next = selected + direction;
        if (next < 0 || next >= count_) return;
        selected = next;
        Draw();
        if (CheckEvent()) return;
        if (dialog_scroll_delay > 0) std::this_thread::sleep_for(std::chrono::milliseconds(dialog_scroll_delay));
        if (CheckEvent()) return;
    }
}

int ListBoxBase::mouse(Event& event) {
    bool in_columns = event.x >= x && event.x < x + width_;
    if (!in_columns) return 0;
    if (event.y == y - 1 || event.y == y + height_) {
        if (event.type != Event::LeftDown && event.type != Event::LeftDrag) return 0;
        dialog->ChangeFocus(index);
        hold_scroll(event.y < y ? -1 : 1);
        return 1;
    }
    if (event.y < y || event.y >= y + height_) return 0;
    dialog->ChangeFocus(index);
    set_search(Westring());
    int item = top_ + (event.y - y);
    bool on_item = item < count_;
    if (on_item) *selected_ = item;
    Draw();
    if (on_item && (event.type == Event::LeftDouble || (event.type == Event::LeftUp && own_result_ == -1)))
        dialog->SetResult(enter_result());
    return 1;
}

int ListBoxBase::ProcessEvent(Event& event) {
    switch (event.type) {
        case Event::Key: return key(event);
        case Event::LeftDown:
        case Event::LeftDouble:
        case Event::LeftUp:
        case Event::LeftDrag: return mouse(event);
        case Event::SetCount: {
            int count = event.key < 0 ? 0 : event.key;
            if (top_ + height_ > count_ || top_ + height_ > count) full_redraw_ = true;
            count_ = count;
            Draw();
            return 1;
        }
        case Event::Redraw:
            full_redraw_ = true;
            Draw();
            return 1;
        default: return 0;
    }
}

// ---- the list boxes over texts

ListBoxString::ListBoxString(Dialog* owner, int lx, int ly, int width, int height, const char* const* items,
                             int count, int& selected, int own_result)
    : ListBoxBase(owner, lx, ly, width, height, items ? count : 0, selected, own_result), items_(items) {}

Westring ListBoxString::SeekString(int item) { return items_[item] ? Westring(items_[item]) : Westring(); }

void ListBoxString::DrawLine(int line, int item, unsigned char attr) { PutLine(line, SeekString(item), attr); }

ListBoxEstring::ListBoxEstring(Dialog* owner, int lx, int ly, int width, int height, EstringStore& items,
                               int& selected, int own_result)
    : ListBoxBase(owner, lx, ly, width, height, items.count(), selected, own_result), items_(items) {}

Westring ListBoxEstring::SeekString(int item) {
    const Estring* s = static_cast<const EstringStore&>(items_)[item];
    return s ? Westring(s->c_str()) : Westring();
}

void ListBoxEstring::DrawLine(int line, int item, unsigned char attr) { PutLine(line, SeekString(item), attr); }

ListBoxWestring::ListBoxWestring(Dialog* owner, int lx, int ly, int width, int height, WestringStore& items,
                                 int& selected, int own_result)
    : ListBoxBase(owner, lx, ly, width, height, items.count(), selected, own_result), items_(items) {}

Westring ListBoxWestring::SeekString(int item) {
    const Westring* s = static_cast<const WestringStore&>(items_)[item];
    return s ? *s : Westring();
}

void ListBoxWestring::DrawLine(int line, int item, unsigned char attr) { PutLine(line, SeekString(item), attr); }

// ---- ColourSelector

ColourSelector::ColourSelector(Dialog* owner, int lx, int ly, int width, int height, const char* const* names,
                               unsigned char* attrs, int count, int& selected, int own_result)
    : ListBoxBase(owner, lx, ly, width, height, names && attrs ? count : 0, selected, own_result),
      names_(names),
      attrs_(attrs) {}

Westring ColourSelector::SeekString(int item) { return names_[item] ? Westring(names_[item]) : Westring(); }

void ColourSelector::DrawLine(int line, int item, unsigned char) {
    bool current = item == selected();
    unsigned char text = dialog->Colour(CC_TEXT);
    dialog->puts_at(x, y + line, current ? L">" : L" ", text);
    int inner = width_ - 2;
    if (inner > 0) dialog->puts_at(x + 1, y + line, FitCells(SeekString(item).c_str(), inner).c_str(), attrs_[item]);
    if (width_ > 1) dialog->puts_at(x + width_ - 1, y + line, current ? L"<" : L" ", text);
}

int ColourSelector::ProcessEvent(Event& event) {
    if (event.type == Event::Key && item_count() > 0) {
        int item = selected();
        if (item >= 0 && item < item_count()) {
            unsigned char& attr = attrs_[item];
            int fg = attr & 0x0F, bg = attr >> 4;
            switch (event.key) {
                case 'f': fg = (fg + 1) & 15; break;
                case 'F': fg = (fg + 15) & 15; break;
                case 'b': bg = (bg + 1) & 15; break;
                case 'B': bg = (bg + 15) & 15; break;
                default: return ListBoxBase::ProcessEvent(event);
            }
            attr = static_cast<unsigned char>((bg << 4) | fg);
            Redraw();
            Draw();
            return 1;
        }
    }
    return ListBoxBase::ProcessEvent(event);
}
