// The dialog, its modal loop and focus movement.
#include "console/dialog.h"

#include <algorithm>
#include <cwctype>
#include <mutex>
#include <vector>

#include "console/keys.h"
#include "lib/cellwidth.h"

// ---- Event

void Event::GetEvent(int timeout_ms, void (*on_shift_state)(int state)) {
    for (;;) {
        mevent = _MEVENT();
        int code = getkey(&mevent, timeout_ms);
        if (code == KEY_SHIFTSTATE) {
            if (on_shift_state) on_shift_state(mevent.shift);
            continue;
        }
        if (code == 0) {
            if (timeout_ms < 0) continue;  // an unreported mouse event
            type = Timeout;
            key = 0;
            return;
        }
        if (code != KEY_MOUSE) {
            type = Key;
            key = code;
            return;
        }
        key = 0;
        switch (mevent.kind) {
            case _MEVENT::LeftDown: type = LeftDown; break;
            case _MEVENT::RightDown: type = RightDown; break;
            case _MEVENT::LeftDrag: type = LeftDrag; break;
            case _MEVENT::RightDrag: continue;  // dropped
            case _MEVENT::LeftDouble: type = LeftDouble; break;
            case _MEVENT::LeftUp: type = LeftUp; break;
            case _MEVENT::RightUp: type = RightUp; break;
            case _MEVENT::WheelMoved:
                type = Wheel;
                key = mevent.wheel;
                break;
            default: continue;
        }
        x = mevent.x;
        y = mevent.y;
        return;
    }
}

int Event::UnAlt() const { return type == Key ? un_alt(key, &mevent) : -1; }

// ---- DialogElement

DialogElement::DialogElement(Dialog* owner, int ex, int ey, bool can_focus)
    : dialog(owner), x(ex), y(ey), focusable(can_focus) {}

int DialogElement::ProcessEvent(Event&) { return 0; }

void DialogElement::ProcessHotKey() { dialog->ChangeFocus(index); }

void DialogElement::FocusChange(bool) {}

void DialogElement::Draw() {}

void DialogElement::SaveToHistory() {}

bool DialogElement::HasFocus() const { return dialog->focus() == index; }

void DialogElement::DrawLabel(int lx, int ly, const Westring& label, int hot_pos, unsigned char attr) {
    wchar_t letter = dialog->accelerator(index);
    if (hot_pos < 0 && letter) {
        // No marked position: the first upper-case form of the letter, else the lower-case one.
        hot_pos = label.chr(static_cast<wchar_t>(std::towupper(letter)));
        if (hot_pos < 0) hot_pos = label.chr(static_cast<wchar_t>(std::towlower(letter)));
    }
    dialog->puts_at(lx, ly, label.c_str(), attr);
    if (hot_pos >= 0 && hot_pos < label.strlen()) {
        wchar_t hot[2] = {label[hot_pos], 0};
        dialog->puts_at(lx + TextCells(label.c_str(), hot_pos), ly, hot, hot_attr(attr));
    }
}

// ---- Dialog

WestringStore Dialog::FieldHistory[Dialog::kHistories];

void (*refit_screen_hook)(int columns, int rows) = nullptr;

namespace {

// The dialogs on the screen, the first opened first.
std::vector<Dialog*>& open_dialogs() {
    static std::vector<Dialog*> dialogs;
    return dialogs;
}

}  // namespace

Dialog::Dialog(int left, int top, int right, int bottom, int attr) : Win(left, top, right, bottom, attr, attr) {
    colours_[CC_TEXT] = static_cast<unsigned char>(attr);
    colours_[CC_INPUT] = colours[CLR_INPUT_FIELDS];
    colours_[CC_BUTTON_FOCUS] = colours[CLR_INPUT_FIELDS];
    open_dialogs().push_back(this);
}

void Dialog::RefitScreen(int columns, int rows) {
    std::vector<Dialog*>& dialogs = open_dialogs();
    console->BeginPaint();
    // The last opened is on top: it comes off first, so that each dialog's
    // cells are its own and the screen beneath is the program's.
    std::vector<std::unique_ptr<ScreenCell[]>> faces(dialogs.size());
    for (size_t i = dialogs.size(); i-- > 0;) faces[i] = dialogs[i]->Lift();
    if (refit_screen_hook) refit_screen_hook(columns, rows);
    else set_lines(rows, columns);
    for (size_t i = 0; i < dialogs.size(); i++) dialogs[i]->Land(faces[i].get());
    console->EndPaint();
}

Dialog::~Dialog() {
    std::vector<Dialog*>& dialogs = open_dialogs();
    dialogs.erase(std::remove(dialogs.begin(), dialogs.end(), this), dialogs.end());
    console->BeginPaint();
    for (int i = 0; i < count_; i++) {
        if (result_ != 27) elements_[i]->SaveToHistory();
        elements_[i].reset();
    }
    console->SetCursorType(0);
    console->EndPaint();
}

DialogElement* Dialog::element(int index) const {
    return index >= 0 && index < count_ ? elements_[index].get() : nullptr;
}

wchar_t Dialog::accelerator(int index) const {
    return index >= 0 && index < accelerator_count_ ? accelerators_[index] : 0;
}

int Dialog::add(DialogElement* element, int group) {
    if (count_ >= kMaxElements) {
        delete element;
        return -1;
    }
    int index = count_++;
    element->index = index;
    if (group != 0 || index == 0) {
        element->group_leader = index;
        element->leader_takes_focus = (group & 1) != 0;
    } else {
        element->group_leader = elements_[index - 1]->group_leader;
    }
    element->group_current = index;
    elements_[index].reset(element);
    return index;
}

int Dialog::AddElement(DialogElement* element, int group) {
    int index = add(element, group);
    if (index >= 0) Draw(index);
    return index;
}

Westring Dialog::AddHotKey(int index, const Westring& label, int* hot_pos) {
    if (hot_pos) *hot_pos = -1;
    int at = label.chr(L'_');
    if (at < 0 || label[at + 1] == 0) return label;
    if (index >= 0 && index < kMaxElements) {
        accelerators_[index] = static_cast<wchar_t>(std::towlower(label[at + 1]));
        if (accelerator_count_ < index + 1) accelerator_count_ = index + 1;
    }
    if (hot_pos) *hot_pos = at;
    return label.left(at) + label.mid(at + 1);
}

int Dialog::AddStaticText(int x, int y, const Westring& text, int attr) {
    if (x < 0) {
        x = (inner_width() - TextCells(text.c_str())) / 2;
        if (x < 0) x = 0;
    }
    return AddElement(new StaticText(this, x, y, text, attr), 0);
}

int Dialog::AddFieldLabel(int x, int y, int field, const Westring& label) {
    return AddElement(new FieldLabel(this, x, y, field, label), 0);
}

int Dialog::AddPushButton(int x, int y, int group, int value, const Westring& label) {
    PushButton* button = new PushButton(this, x, y, value, label);
    int index = add(button, group);
    if (index < 0) return -1;
    if (default_result_ == 0) default_result_ = value;
    Draw(index);
    return index;
}

int Dialog::AddPushButtonGroup(int x, int y, int group, const ButtonDef* buttons) {
    if (!buttons || buttons[0].value == 0) return -1;
    int total = 0;
    for (int i = 0; buttons[i].value != 0; i++) {
        Westring label = AddHotKey(-1, Westring(buttons[i].label), nullptr);
        total += (i > 0 ? 2 : 0) + TextCells(label.c_str()) + 4;
    }
    if (x < 0) {
        x = (inner_width() - total) / 2;
        if (x < 0) x = 0;
    }
    if (y < 0) y += inner_height();
    int first = -1;
    for (int i = 0; buttons[i].value != 0; i++) {
        int index = AddPushButton(x, y, i == 0 ? group : 0, buttons[i].value, Westring(buttons[i].label));
        if (index < 0) break;
        if (first < 0) first = index;
        x += static_cast<PushButton*>(elements_[index].get())->width() + 2;
    }
    return first;
}

int Dialog::AddOkCancel(int x, int y, int group) {
    static const ButtonDef kOkCancel[] = {{13, "_OK"}, {27, "Cancel"}, {0, nullptr}};
    return AddPushButtonGroup(x, y, group, kOkCancel);
}

int Dialog::AddStringField(int x, int y, int group, Westring& text, int width, int max_length, int history) {
    if (max_length < 0) max_length = 32767;
    return AddElement(new StringField(this, x, y, text, width, max_length, history), group);
}

int Dialog::AddIntField(int x, int y, int group, int& value, int width, bool keep_text, int history) {
    return AddElement(new IntegerField(this, x, y, &value, nullptr, width, keep_text, history), group);
}

int Dialog::AddIntField(int x, int y, int group, int64_t& value, int width, bool keep_text, int history) {
    return AddElement(new IntegerField(this, x, y, nullptr, &value, width, keep_text, history), group);
}

int Dialog::AddCheckBox(int x, int y, int group, bool& flag, const Westring& label, bool label_right) {
    return AddElement(new CheckBox(this, x, y, flag, label, label_right), group);
}

int Dialog::AddCheckBox3S(int x, int y, int group, unsigned char& state, const Westring& label, bool label_right) {
    return AddElement(new CheckBox3S(this, x, y, state, label, label_right), group);
}

int Dialog::AddRadioButton(int x, int y, int group, int& variable, int value, const Westring& label) {
    RadioButton* button = new RadioButton(this, x, y, variable, value, label);
    int index = add(button, group);
    if (index < 0) return -1;
    // Tab into the group returns to the selected button.
    if (button->selected()) elements_[button->group_leader]->group_current = index;
    Draw(index);
    return index;
}

int Dialog::AddListBox(int x, int y, int group, int width, int height, const char* const* items, int count,
                       int& selected, int own_result) {
    return AddElement(new ListBoxString(this, x, y, width, height, items, count, selected, own_result), group);
}

int Dialog::AddListBox(int x, int y, int group, int width, int height, EstringStore& items, int& selected,
                       int own_result) {
    return AddElement(new ListBoxEstring(this, x, y, width, height, items, selected, own_result), group);
}

int Dialog::AddListBox(int x, int y, int group, int width, int height, WestringStore& items, int& selected,
                       int own_result) {
    return AddElement(new ListBoxWestring(this, x, y, width, height, items, selected, own_result), group);
}

int Dialog::AddColourSelector(int x, int y, int group, int width, int height, const char* const* names,
                              unsigned char* attrs, int count, int& selected, int own_result) {
    return AddElement(new ColourSelector(this, x, y, width, height, names, attrs, count, selected, own_result),
                      group);
}

int Dialog::AddExitKey(int key) { return AddElement(new ExitKey(this, key), 0); }

int Dialog::AddProgressIndicator(int x, int y, int width, double& fraction) {
    return AddElement(new ProgressIndicator(this, x, y, width, fraction), 0);
}

void Dialog::SetAccelerators(const char* letters, int n) {
    if (!letters) return;
    if (n > kMaxElements) n = kMaxElements;
    for (int i = 0; i < n && letters[i]; i++) {
        accelerators_[i] = static_cast<wchar_t>(std::towlower(static_cast<unsigned char>(letters[i])));
        if (accelerator_count_ < i + 1) accelerator_count_ = i + 1;
    }
    Draw(-1);
}

void Dialog::SetDefault(int index) {
    DialogElement* e = element(index);
    if (!e || e->GetElementType() != ElementType::PushButton) return;
    default_result_ = static_cast<PushButton*>(e)->value();
    Draw(-1);
}

void Dialog::SetColour(int colour_class, unsigned char attr) {
    if (colour_class >= 0 && colour_class < 3) colours_[colour_class] = attr;
}

unsigned char Dialog::Colour(int colour_class) const {
    return colour_class >= 0 && colour_class < 3 ? colours_[colour_class] : colours_[0];
}

void Dialog::Draw(int index) {
    if (hidden()) return;
    if (index >= 0) {
        if (DialogElement* e = element(index)) e->Draw();
        return;
    }
    console->BeginPaint();
    for (int i = 0; i < count_; i++) elements_[i]->Draw();
    console->EndPaint();
}

void Dialog::PlaceCursor(int x, int y) {
    cursor_wanted_ = true;
    Goto(x, y);
}

int Dialog::SendMessage(int index, Event event) {
    DialogElement* e = element(index);
    if (!e) return 0;
    std::lock_guard hold(lock_);
    return e->ProcessEvent(event);
}

void Dialog::SetSeekValue(int index, const Westring& text) {
    DialogElement* e = element(index);
    if (!e || (e->GetElementType() != ElementType::ListBox && e->GetElementType() != ElementType::ColourSelector))
        return;
    static_cast<ListBoxBase*>(e)->Seek(text);
}

bool Dialog::OnFocusChange(int, int&) { return true; }

void Dialog::PostFocusChange() {}

void Dialog::ChangeFocus(int index) {
    if (index < 0 || index >= count_ || index == focus_) return;
    int target = index;
    if (!OnFocusChange(focus_, target)) return;
    if (target < 0 || target >= count_ || target == focus_) return;
    int old = focus_;
    int old_current = elements_[elements_[old]->group_leader]->group_current;
    focus_ = target;
    elements_[elements_[focus_]->group_leader]->group_current = focus_;
    elements_[focus_]->FocusChange(true);
    elements_[old]->FocusChange(false);
    if (old_current != old && old_current != focus_ && old_current < count_) {
        elements_[old_current]->FocusChange(false);
        Draw(old_current);
    }
    Draw(old);  // in its unfocused look
    Draw(focus_);
    PostFocusChange();
}

int Dialog::NextFocusable(int step, bool same_group) const {
    int leader = elements_[focus_]->group_leader;
    for (int n = 1; n < count_; n++) {
        int i = ((focus_ + n * step) % count_ + count_) % count_;
        const DialogElement* e = elements_[i].get();
        if (e->focusable && (e->group_leader == leader) == same_group) return i;
    }
    return -1;
}

void Dialog::MoveIntraGroup(int direction) {
    if (count_ == 0) return;
    int i = NextFocusable(direction < 0 ? -1 : 1, true);
    if (i >= 0) ChangeFocus(i);
}

void Dialog::MoveInterGroup(int direction) {
    if (count_ == 0) return;
    int step = direction < 0 ? -1 : 1;
    int i = NextFocusable(step, false);
    if (i < 0) return;
    int leader = elements_[i]->group_leader;
    const DialogElement* group = elements_[leader].get();
    ChangeFocus(group->leader_takes_focus ? leader : group->group_current);
    if (!elements_[focus_]->focusable) MoveIntraGroup(step);
}

void Dialog::SaveToHistory() {
    for (int i = 0; i < count_; i++) elements_[i]->SaveToHistory();
}

void Dialog::fix_focus() {
    int current = elements_[elements_[focus_]->group_leader]->group_current;
    if (current != focus_) ChangeFocus(current);
    if (!elements_[focus_]->focusable) {
        MoveIntraGroup(1);
        if (!elements_[focus_]->focusable) MoveInterGroup(1);
    }
}

void Dialog::draw_focused() {
    console->BeginPaint();
    cursor_wanted_ = false;
    elements_[focus_]->Draw();
    int type = cursor_wanted_ ? 15 : 0;
    if (console->GetCursorType() != type) console->SetCursorType(type);
    console->EndPaint();
}

int Dialog::RunOkCancel() {
    for (;;) {
        const int result = Process();
        if (result == 13 || result == 27) return result;
    }
}

int Dialog::Process(int timeout_ms) {
    result_ = 0;
    console->SetCursorType(0);
    if (count_ == 0) AddExitKey(27);
    last_outside_type_ = Event::None;
    while (result_ == 0) {
        {
            std::lock_guard hold(lock_);
            fix_focus();
            draw_focused();
        }
        Event event;
        event.GetEvent(timeout_ms, shift_state_handler_);
        if (event.type == Event::Timeout) return 0;
        if (event.type == Event::Key && event.key == KEY_RESIZE) {
            std::lock_guard hold(lock_);
            RefitScreen(event.mevent.x, event.mevent.y);
            continue;
        }
        bool inside = true;
        if (event.type != Event::Key) {
            inside = click_in_win(event.mevent);
            event.x = event.mevent.x;
            event.y = event.mevent.y;
        }
        {
            std::lock_guard hold(lock_);
            handle(event, inside);
        }
    }
    return result_;
}

void Dialog::handle(Event& event, bool inside) {
    if (event.type == Event::Key) {
        handle_key(event);
        return;
    }
    if (event.IsLeftButton()) {
        for (int i = 0; i < count_; i++) {
            if (elements_[i]->ProcessEvent(event)) {
                last_outside_type_ = Event::None;
                return;
            }
        }
        if (inside) {
            last_outside_type_ = Event::None;
            return;
        }
        // A click outside the dialog (down and up outside) closes it.
        if (event.type == Event::LeftUp && last_outside_type_ == Event::LeftDown) result_ = 27;
        last_outside_type_ = event.type;
        return;
    }
    if (event.type == Event::RightUp) result_ = EnterResult();
}

void Dialog::handle_key(Event& event) {
    if (elements_[focus_]->ProcessEvent(event)) return;
    switch (event.key) {
        case KEY_TAB: MoveInterGroup(1); return;
        case KEY_SHIFT_TAB: MoveInterGroup(-1); return;
        case KEY_ENTER: result_ = EnterResult(); return;
        case KEY_ESC:
        case KEY_QUIT: result_ = 27; return;
        case KEY_UP:
        case KEY_LEFT: MoveIntraGroup(-1); return;
        case KEY_RIGHT:
        case KEY_DOWN: MoveIntraGroup(1); return;
        default: handle_hot_key(event); return;
    }
}

bool Dialog::handle_hot_key(const Event& event) {
    int code = event.key;
    for (int i = 0; i < count_; i++) {
        if (elements_[i]->hot_key == code) {
            elements_[i]->ProcessHotKey();
            return true;
        }
    }
    if (code < 256) {
        int lower = static_cast<int>(std::towlower(static_cast<wint_t>(code)));
        for (int i = 0; i < count_; i++) {
            if (elements_[i]->hot_key != 0 && elements_[i]->hot_key == lower) {
                elements_[i]->ProcessHotKey();
                return true;
            }
        }
    }
    if (code & KEY_EXTENDED) {
        int ch = event.UnAlt();
        if (ch <= 0) return false;
        wchar_t letter = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(ch)));
        for (int i = 0; i < accelerator_count_ && i < count_; i++) {
            if (accelerators_[i] == letter) {
                elements_[i]->ProcessHotKey();
                return true;
            }
        }
    }
    return false;
}

// ---- simple controls

StaticText::StaticText(Dialog* owner, int sx, int sy, const Westring& text, int attr)
    : DialogElement(owner, sx, sy, false), text_(text), attr_(attr) {}

void StaticText::Draw() { dialog->puts_at(x, y, text_.c_str(), attr_ ? attr_ : dialog->Colour(CC_TEXT)); }

FieldLabel::FieldLabel(Dialog* owner, int lx, int ly, int field, const Westring& label)
    : DialogElement(owner, lx, ly, false) {
    label_ = owner->AddHotKey(field, label, &hot_pos_);
}

void FieldLabel::Draw() { DrawLabel(x, y, label_, hot_pos_, dialog->Colour(CC_TEXT)); }

PushButton::PushButton(Dialog* owner, int bx, int by, int value, const Westring& label)
    : DialogElement(owner, bx, by, true), value_(value) {
    hot_key = value;
    label_ = owner->AddHotKey(owner->count(), label, &hot_pos_);
}

int PushButton::width() const { return TextCells(label_.c_str()) + 4; }

bool PushButton::hit(const Event& event) const {
    return event.y == y && event.x >= x && event.x < x + width();
}

int PushButton::ProcessEvent(Event& event) {
    switch (event.type) {
        case Event::Key:
            if (event.key == KEY_ENTER || event.key == ' ') {
                dialog->SetResult(value_);
                return 1;
            }
            return 0;
        case Event::LeftDown:
        case Event::LeftDouble:
            if (!hit(event)) return 0;
            dialog->ChangeFocus(index);
            return 1;
        case Event::LeftUp:
            if (!hit(event)) return 0;
            dialog->SetResult(value_);
            return 1;
        default: return 0;
    }
}

void PushButton::ProcessHotKey() { dialog->SetResult(value_); }

void PushButton::Draw() {
    bool focused = HasFocus();
    unsigned char attr = dialog->Colour(focused ? CC_BUTTON_FOCUS : CC_TEXT);
    dialog->puts_at(x, y, L"[ ", attr);
    DrawLabel(x + 2, y, label_, hot_pos_, attr);
    dialog->puts_at(x + 2 + TextCells(label_.c_str()), y, L" ]", attr);
    if (!focused && dialog->default_result() == value_) {
        dialog->puts_at(x, y, L"[", hot_attr(attr));
        dialog->puts_at(x + width() - 1, y, L"]", hot_attr(attr));
    }
}

CheckBox::CheckBox(Dialog* owner, int cx, int cy, bool& flag, const Westring& label, bool label_right)
    : DialogElement(owner, cx, cy, true), flag_(&flag), label_right_(label_right) {
    label_ = owner->AddHotKey(owner->count(), label, &hot_pos_);
}

CheckBox::CheckBox(Dialog* owner, int cx, int cy, unsigned char& flag, const Westring& label, bool label_right)
    : DialogElement(owner, cx, cy, true), byte_(&flag), label_right_(label_right) {
    label_ = owner->AddHotKey(owner->count(), label, &hot_pos_);
}

int CheckBox::label_x() const { return label_right_ ? x + 5 : x - TextCells(label_.c_str()) - 2; }

bool CheckBox::hit(const Event& event) const {
    if (event.y != y) return false;
    if (event.x >= x && event.x <= x + 2) return true;
    int lx = label_x();
    return event.x >= lx && event.x < lx + TextCells(label_.c_str());
}

void CheckBox::Toggle() {
    if (flag_) *flag_ = !*flag_;
    else *byte_ = *byte_ ? 0 : 1;
}

void CheckBox::Set(bool on) {
    if (flag_) *flag_ = on;
    else *byte_ = on ? 1 : 0;
}

wchar_t CheckBox::Mark() const { return (flag_ ? *flag_ : *byte_ != 0) ? L'X' : L' '; }

int CheckBox::ProcessEvent(Event& event) {
    switch (event.type) {
        case Event::Key:
            if (event.key == ' ') Toggle();
            else if (event.key == KEY_INS) Set(true);
            else if (event.key == KEY_DEL) Set(false);
            else return 0;
            Draw();
            return 1;
        case Event::LeftDown:
        case Event::LeftDouble:
            if (!hit(event)) return 0;
            dialog->ChangeFocus(index);
            return 1;
        case Event::LeftUp:
            if (!hit(event)) return 0;
            Toggle();
            Draw();
            return 1;
        default: return 0;
    }
}

void CheckBox::ProcessHotKey() {
    dialog->ChangeFocus(index);
    Toggle();
    Draw();
}

void CheckBox::Draw() {
    unsigned char attr = dialog->Colour(CC_TEXT);
    wchar_t box[4] = {L'[', Mark(), L']', 0};
    dialog->puts_at(x, y, box, attr);
    DrawLabel(label_x(), y, label_, hot_pos_, attr);
    if (HasFocus()) dialog->PlaceCursor(x + 1, y);
}

CheckBox3S::CheckBox3S(Dialog* owner, int cx, int cy, unsigned char& state, const Westring& label,
                       bool label_right)
    : CheckBox(owner, cx, cy, state, label, label_right) {}

void CheckBox3S::Toggle() { *byte_ = static_cast<unsigned char>(*byte_ >= 2 ? 0 : *byte_ + 1); }

void CheckBox3S::Set(bool on) {
    if (on) Toggle();  // Ins advances like Space; Del leaves the state alone
}

wchar_t CheckBox3S::Mark() const { return *byte_ == 1 ? 0x00B7 : *byte_ >= 2 ? L'X' : L' '; }

RadioButton::RadioButton(Dialog* owner, int rx, int ry, int& variable, int value, const Westring& label)
    : DialogElement(owner, rx, ry, true), variable_(&variable), value_(value) {
    label_ = owner->AddHotKey(owner->count(), label, &hot_pos_);
}

bool RadioButton::hit(const Event& event) const {
    return event.y == y && event.x >= x && event.x < x + 4 + TextCells(label_.c_str());
}

void RadioButton::Select() {
    if (*variable_ == value_) return;
    *variable_ = value_;
    // Every button on the same variable shows the new choice.
    for (int i = 0; i < dialog->count(); i++) {
        DialogElement* e = dialog->element(i);
        if (e->GetElementType() == ElementType::RadioButton && static_cast<RadioButton*>(e)->variable_ == variable_)
            e->Draw();
    }
}

void RadioButton::FocusChange(bool gained) {
    if (gained) Select();
}

int RadioButton::ProcessEvent(Event& event) {
    switch (event.type) {
        case Event::Key:
            if (event.key != ' ') return 0;
            Select();
            return 1;
        case Event::LeftDown:
        case Event::LeftDouble:
        case Event::LeftUp:
            if (!hit(event)) return 0;
            if (HasFocus()) Select();
            else dialog->ChangeFocus(index);
            return 1;
        default: return 0;
    }
}

void RadioButton::ProcessHotKey() {
    if (HasFocus()) Select();
    else dialog->ChangeFocus(index);
}

void RadioButton::Draw() {
    unsigned char attr = dialog->Colour(CC_TEXT);
    wchar_t mark[4] = {L'(', selected() ? wchar_t(0x2022) : L' ', L')', 0};
    dialog->puts_at(x, y, mark, attr);
    DrawLabel(x + 4, y, label_, hot_pos_, attr);
    if (HasFocus()) dialog->PlaceCursor(x + 1, y);
}

ExitKey::ExitKey(Dialog* owner, int key) : DialogElement(owner, 0, 0, false) { hot_key = key; }

void ExitKey::ProcessHotKey() { dialog->SetResult(hot_key); }

ProgressIndicator::ProgressIndicator(Dialog* owner, int px, int py, int width, double& fraction)
    : DialogElement(owner, px, py, false), width_(width < 0 ? 0 : width), fraction_(&fraction) {}

void ProgressIndicator::Draw() {
    double filled = width_ * *fraction_;
    int n = filled >= width_ ? width_ : filled > 0 ? static_cast<int>(filled) : 0;
    Westring bar = String(wchar_t(0x2588), n) + String(wchar_t(0x2591), width_ - n);
    dialog->puts_at(x, y, bar.c_str(), dialog->Colour(CC_TEXT));
}
