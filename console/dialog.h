// Dialogs: a framed window holding controls (texts, buttons, text and number
// fields with histories, check boxes, radio buttons, list boxes, a colour
// selector, exit keys, progress bars) and a modal loop that runs them on the
// console's events. A dialog's result is a key code: 13 for OK and Enter, 27
// for Cancel and Escape, or a push button's own value.
#pragma once

#include <cstdint>
#include <memory>

#include "console/console.h"
#include "console/win.h"
#include "lib/mutexsem.h"
#include "lib/stringstore.h"
#include "lib/westring.h"

class Dialog;

// Milliseconds between the steps of a list box scrolled by holding the mouse
// button next to it; 0 does not pause (the configuration sets it: ScrollDelay).
extern int dialog_scroll_delay;

// One event as the dialog loop sees it.
struct Event {
    enum Type {
        None = 0,
        Key = 1,
        LeftDown = 2,
        LeftDouble = 3,
        LeftUp = 4,
        LeftDrag = 5,
        RightDown = 6,
        RightUp = 7,
        Wheel = 8,       // key = +1 up, -1 down
        SetCount = 10,   // a list box's new item count in key
        Redraw = 11,
        Timeout = 12,
    };
    int type = None;
    int key = 0;   // the key code, the wheel step or a message's value
    int x = 0, y = 0;  // mouse cell (relative to the dialog's inner origin inside the loop)
    _MEVENT mevent;

    // Reads the next event through getkey; modifier-state changes (handed
    // to on_shift_state with the new EShift bits, when given) and
    // right-button drags are skipped. With timeout_ms >= 0 an empty wait
    // gives Timeout.
    void GetEvent(int timeout_ms, void (*on_shift_state)(int state) = nullptr);
    // The character typed with Alt for a key event, -1 for other events.
    int UnAlt() const;
    bool IsLeftButton() const { return type >= LeftDown && type <= LeftDrag; }
};

enum class ElementType {
    StaticText = 0,
    StringField = 1,
    IntegerField = 5,
    PushButton = 6,
    RadioButton = 7,
    CheckBox = 8,
    CheckBox3S = 9,
    ListBox = 10,
    ColourSelector = 11,
    ExitKey = 12,
    ProgressIndicator = 13,
};

// The colour classes of a dialog.
enum ColourClass { CC_TEXT = 0, CC_INPUT = 1, CC_BUTTON_FOCUS = 2 };

// The base of every control. Coordinates are relative to the dialog's inner
// origin.
class DialogElement {
public:
    DialogElement(Dialog* dialog, int x, int y, bool focusable);
    virtual ~DialogElement() = default;
    DialogElement(const DialogElement&) = delete;
    DialogElement& operator=(const DialogElement&) = delete;

    // Non-zero when the element handled the event.
    virtual int ProcessEvent(Event& event);
    // The element's hot key or accelerator was pressed; by default it takes the focus.
    virtual void ProcessHotKey();
    virtual ElementType GetElementType() const = 0;
    virtual void FocusChange(bool gained);
    virtual void Draw();
    virtual void SaveToHistory();

    bool HasFocus() const;

    Dialog* dialog;
    int index = -1;
    int x, y;
    int group_leader = 0;
    int group_current = 0;  // on a group leader: the element of the group focused last
    bool focusable;
    int hot_key = 0;
    bool leader_takes_focus = false;

protected:
    // Writes a label whose accelerator (at hot_pos, or found by the hot-letter
    // rule when hot_pos < 0) is highlighted.
    void DrawLabel(int lx, int ly, const Westring& label, int hot_pos, unsigned char attr);
};

// Lays the screen beneath the open dialogs out again on a screen of columns
// by rows cells (the program's panels and bars); null leaves only the
// console's size to change.
extern void (*refit_screen_hook)(int columns, int rows);

class Dialog : public Win {
public:
    static constexpr int kMaxElements = 100;
    static constexpr int kHistories = 12;
    static constexpr int kNoHistory = 13;
    // The field histories, most recent entry last.
    static WestringStore FieldHistory[kHistories];

    // One button of AddPushButtonGroup; a value of 0 ends the list.
    struct ButtonDef {
        int value;
        const char* label;
    };

    // A framed window with a shadow in attr; negative left or top centre it
    // (width and height are then given instead of right and bottom).
    Dialog(int left, int top, int right, int bottom, int attr);
    ~Dialog() override;

    // The window was resized while dialogs are open: the screen takes the
    // new size, the program lays itself out beneath, and every open dialog
    // comes back centred as it was made.
    static void RefitScreen(int columns, int rows);

    // Adding controls: each returns the new element's index, or -1 when the
    // dialog is full. A group argument of 0 continues the current group; 1
    // starts a group whose leader takes the focus when Tab enters it; 2
    // starts one that gives the focus back to its element focused last. An
    // underscore in a label marks the accelerator letter.
    int AddStaticText(int x, int y, const Westring& text, int attr = 0);  // x < 0 centres
    // A label for the field at index field (already added): the letter after
    // its '_' is underlined and moves the focus to that field.
    int AddFieldLabel(int x, int y, int field, const Westring& label);
    int AddPushButton(int x, int y, int group, int value, const Westring& label);
    // Buttons side by side, 2 columns apart; x < 0 centres the row, y < 0
    // counts rows from the inner bottom. Returns the first button's index.
    int AddPushButtonGroup(int x, int y, int group, const ButtonDef* buttons);
    int AddOkCancel(int x, int y, int group);
    // max_length < 0 means 32767.
    int AddStringField(int x, int y, int group, Westring& text, int width, int max_length = -1,
                       int history = kNoHistory);
    int AddIntField(int x, int y, int group, int& value, int width, bool keep_text = false,
                    int history = kNoHistory);
    int AddIntField(int x, int y, int group, int64_t& value, int width, bool keep_text = false,
                    int history = kNoHistory);
    int AddCheckBox(int x, int y, int group, bool& flag, const Westring& label, bool label_right = true);
    int AddCheckBox3S(int x, int y, int group, unsigned char& state, const Westring& label,
                      bool label_right = true);
    int AddRadioButton(int x, int y, int group, int& variable, int value, const Westring& label);
    // own_result > 0: the result of Enter and double click; 0: the default
    // result; -1: a menu that ends on any key it does not handle.
    int AddListBox(int x, int y, int group, int width, int height, const char* const* items, int count,
                   int& selected, int own_result = 0);
    int AddListBox(int x, int y, int group, int width, int height, EstringStore& items, int& selected,
                   int own_result = 0);
    int AddListBox(int x, int y, int group, int width, int height, WestringStore& items, int& selected,
                   int own_result = 0);
    int AddColourSelector(int x, int y, int group, int width, int height, const char* const* names,
                          unsigned char* attrs, int count, int& selected, int own_result = 0);
    int AddExitKey(int key);
    int AddProgressIndicator(int x, int y, int width, double& fraction);
    // Adds a control built by the caller (the program's own list boxes);
    // the dialog owns it from now on, also when it is full (then -1).
    int AddElement(DialogElement* element, int group);

    // The accelerator letters of elements 0 to n - 1.
    void SetAccelerators(const char* letters, int n);
    // Makes push button index's value the result of Enter.
    void SetDefault(int index);
    void SetColour(int colour_class, unsigned char attr);
    unsigned char Colour(int colour_class) const;

    // Runs the dialog until a result is set; 0 when timeout_ms passes
    // without an event.
    int Process(int timeout_ms = -1);
    // Runs the dialog until it ends with Enter (13) or Esc (27), which it returns.
    int RunOkCancel();
    // Lets handler follow the modifier keys while the dialog runs (it gets
    // the new EShift bits at each change); null: nothing follows them.
    void SetShiftStateHandler(void (*handler)(int state)) { shift_state_handler_ = handler; }
    // Draws element index, or every element when index < 0.
    void Draw(int index = -1);
    // The element's answer to event, under the dialog's lock (for other threads).
    int SendMessage(int index, Event event);
    // An incremental search for text in list box index.
    void SetSeekValue(int index, const Westring& text);

    void ChangeFocus(int index);
    void MoveIntraGroup(int direction);
    void MoveInterGroup(int direction);
    void SaveToHistory();

    // Asked before every focus change; may refuse it or pick another element.
    virtual bool OnFocusChange(int old_focus, int& new_focus);
    // Called after every focus change.
    virtual void PostFocusChange();

    // ---- for the controls
    int focus() const { return focus_; }
    int count() const { return count_; }
    DialogElement* element(int index) const;
    int result() const { return result_; }
    // Ends the loop with result (0 does nothing).
    void SetResult(int result) { result_ = result; }
    int default_result() const { return default_result_; }
    // What Enter gives: the default result, or 13.
    int EnterResult() const { return default_result_ ? default_result_ : 13; }
    wchar_t accelerator(int index) const;
    // Removes the first underscore from label, making the letter after it
    // the accelerator of element index; hot_pos receives its position (or -1).
    Westring AddHotKey(int index, const Westring& label, int* hot_pos);
    // The focused element shows the cursor at window position (x, y).
    void PlaceCursor(int x, int y);

private:
    // The next focusable element from the focus, step by step round the
    // dialog, inside the focused group or outside it; -1 when there is none.
    int NextFocusable(int step, bool same_group) const;
    int add(DialogElement* element, int group);
    void fix_focus();
    void draw_focused();
    void handle(Event& event, bool inside);
    void handle_key(Event& event);
    bool handle_hot_key(const Event& event);

    int default_result_ = 0;
    int result_ = 0;
    std::unique_ptr<DialogElement> elements_[kMaxElements];
    int count_ = 0;
    int focus_ = 0;
    unsigned char colours_[3];
    wchar_t accelerators_[kMaxElements] = {};
    int accelerator_count_ = 0;
    MutexSem lock_{"dialog"};
    int last_outside_type_ = Event::None;
    bool cursor_wanted_ = false;
    void (*shift_state_handler_)(int state) = nullptr;
};

// ---- the controls

class StaticText : public DialogElement {
public:
    StaticText(Dialog* dialog, int x, int y, const Westring& text, int attr);
    ElementType GetElementType() const override { return ElementType::StaticText; }
    void Draw() override;

private:
    Westring text_;
    int attr_;
};

class FieldLabel : public DialogElement {
public:
    FieldLabel(Dialog* dialog, int x, int y, int field, const Westring& label);
    ElementType GetElementType() const override { return ElementType::StaticText; }
    void Draw() override;

private:
    Westring label_;
    int hot_pos_ = -1;
};

class PushButton : public DialogElement {
public:
    PushButton(Dialog* dialog, int x, int y, int value, const Westring& label);
    ElementType GetElementType() const override { return ElementType::PushButton; }
    int ProcessEvent(Event& event) override;
    void ProcessHotKey() override;
    void Draw() override;
    int value() const { return value_; }
    // The cells of "[ " label " ]".
    int width() const;

private:
    bool hit(const Event& event) const;
    int value_;
    Westring label_;
    int hot_pos_ = -1;
};

class CheckBox : public DialogElement {
public:
    CheckBox(Dialog* dialog, int x, int y, bool& flag, const Westring& label, bool label_right);
    CheckBox(Dialog* dialog, int x, int y, unsigned char& flag, const Westring& label, bool label_right);
    ElementType GetElementType() const override { return ElementType::CheckBox; }
    int ProcessEvent(Event& event) override;
    void ProcessHotKey() override;
    void Draw() override;

protected:
    virtual void Toggle();
    virtual void Set(bool on);
    virtual wchar_t Mark() const;
    bool hit(const Event& event) const;
    int label_x() const;

    bool* flag_ = nullptr;
    unsigned char* byte_ = nullptr;
    Westring label_;
    int hot_pos_ = -1;
    bool label_right_;
};

// A check box with three states: 0 clear, 1 partly (a middle dot), 2 set.
class CheckBox3S : public CheckBox {
public:
    CheckBox3S(Dialog* dialog, int x, int y, unsigned char& state, const Westring& label, bool label_right);
    ElementType GetElementType() const override { return ElementType::CheckBox3S; }

protected:
    void Toggle() override;
    void Set(bool on) override;
    wchar_t Mark() const override;
};

class RadioButton : public DialogElement {
public:
    RadioButton(Dialog* dialog, int x, int y, int& variable, int value, const Westring& label);
    ElementType GetElementType() const override { return ElementType::RadioButton; }
    int ProcessEvent(Event& event) override;
    void ProcessHotKey() override;
    void FocusChange(bool gained) override;
    void Draw() override;
    bool selected() const { return *variable_ == value_; }
    const int* variable() const { return variable_; }

private:
    void Select();
    bool hit(const Event& event) const;
    int* variable_;
    int value_;
    Westring label_;
    int hot_pos_ = -1;
};

class ExitKey : public DialogElement {
public:
    ExitKey(Dialog* dialog, int key);
    ElementType GetElementType() const override { return ElementType::ExitKey; }
    void ProcessHotKey() override;
};

class ProgressIndicator : public DialogElement {
public:
    ProgressIndicator(Dialog* dialog, int x, int y, int width, double& fraction);
    ElementType GetElementType() const override { return ElementType::ProgressIndicator; }
    void Draw() override;

private:
    int width_;
    double* fraction_;
};

// A one-line text field editing the caller's string in place.
class StringField : public DialogElement {
public:
    StringField(Dialog* dialog, int x, int y, Westring& text, int width, int max_length, int history);
    ElementType GetElementType() const override { return ElementType::StringField; }
    int ProcessEvent(Event& event) override;
    void FocusChange(bool gained) override;
    void Draw() override;
    void SaveToHistory() override;

    int cursor() const { return pos_; }
    int first_visible() const { return first_; }
    bool HasSelection() const { return selecting_ && anchor_ != pos_; }
    int selection_start() const { return anchor_ < pos_ ? anchor_ : pos_; }
    int selection_end() const { return anchor_ < pos_ ? pos_ : anchor_; }

protected:
    // A typed character the field takes.
    virtual bool Accepts(wchar_t ch) const;
    // After every key the field handled.
    virtual void AfterEdit() {}
    // Columns the cursor may use before the view scrolls.
    virtual int ViewWidth() const { return width_; }
    // Replaces the text (and keeps the cursor inside it).
    void SetText(const Westring& text);
    void MoveToEnd() { pos_ = text_->strlen(); }
    // Places the cursor (kept inside the text).
    void SetCursor(int pos);
    // A field that edits its own string (own_) instead of the caller's.
    StringField(Dialog* dialog, int x, int y, int width, int max_length, int history);

    Westring own_;
    Westring* text_;
    int width_;
    int max_length_;
    int history_;

private:
    int handle_key(int code, bool replace_all);
    void insert(const Westring& piece, bool replace_all);
    void delete_selection();
    void move(int to, bool extend);
    void OpenHistory();
    bool in_field(const Event& event) const;
    void scroll_to_cursor();

    int pos_ = 0;
    int first_ = 0;
    bool quote_next_ = false;
    bool replace_first_ = true;
    bool selecting_ = false;
    int anchor_ = 0;  // the selection runs between anchor_ and pos_
    bool mouse_selecting_ = false;
    Westring last_drawn_;
};

// A number field: only digits can be typed; the caller's number follows
// every key.
class IntegerField : public StringField {
public:
    IntegerField(Dialog* dialog, int x, int y, int* value32, int64_t* value64, int width, bool keep_text,
                 int history);
    ElementType GetElementType() const override { return ElementType::IntegerField; }
    void Draw() override;

    // The decimal number at the start of text (0 when there is none).
    static int64_t LeadingNumber(const Westring& text);

protected:
    bool Accepts(wchar_t ch) const override;
    void AfterEdit() override;
    int ViewWidth() const override { return width_ + 1; }

private:
    int64_t number() const;
    void set_number(int64_t n);

    int* value32_;
    int64_t* value64_;
    bool keep_text_;
};

// The base of every list box: a window of height lines over count items.
class ListBoxBase : public DialogElement {
public:
    ListBoxBase(Dialog* dialog, int x, int y, int width, int height, int count, int& selected, int own_result);
    ~ListBoxBase() override;
    ElementType GetElementType() const override { return ElementType::ListBox; }
    int ProcessEvent(Event& event) override;
    void FocusChange(bool gained) override;
    void Draw() override;

    // Draws item on visible line line (0 = the box's first row).
    virtual void DrawLine(int line, int item, unsigned char attr) = 0;
    // The text the incremental search matches against.
    virtual Westring SeekString(int item);

    // Makes the first item from the current one on (wrapping) whose search
    // text begins with text (ignoring case) current; false when none does.
    bool Seek(const Westring& text);

    int item_count() const { return count_; }
    int top() const { return top_; }
    int selected() const { return *selected_; }
    const Westring& search_text() const { return search_; }

protected:
    // Writes text padded or cut to the box's width on a visible line.
    void PutLine(int line, const Westring& text, unsigned char attr);
    void Redraw() { full_redraw_ = true; }
    int width_, height_;

private:
    int key(Event& event);
    int mouse(Event& event);
    void hold_scroll(int direction);
    void set_search(const Westring& text);
    int enter_result() const;

    int count_;
    int top_ = 0;
    int* selected_;
    int own_result_;
    Westring search_;
    std::unique_ptr<Win> search_popup_;
    bool full_redraw_ = true;
    int drawn_top_ = -1;
    int drawn_selected_ = -1;
    bool drawn_focus_ = false;
};

// Over an array of narrow (UTF-8) texts.
class ListBoxString : public ListBoxBase {
public:
    ListBoxString(Dialog* dialog, int x, int y, int width, int height, const char* const* items, int count,
                  int& selected, int own_result);
    void DrawLine(int line, int item, unsigned char attr) override;
    Westring SeekString(int item) override;

private:
    const char* const* items_;
};

// Over a store of narrow (UTF-8) strings.
class ListBoxEstring : public ListBoxBase {
public:
    ListBoxEstring(Dialog* dialog, int x, int y, int width, int height, EstringStore& items, int& selected,
                   int own_result);
    void DrawLine(int line, int item, unsigned char attr) override;
    Westring SeekString(int item) override;

private:
    EstringStore& items_;
};

// Over a store of wide strings.
class ListBoxWestring : public ListBoxBase {
public:
    ListBoxWestring(Dialog* dialog, int x, int y, int width, int height, WestringStore& items, int& selected,
                    int own_result);
    void DrawLine(int line, int item, unsigned char attr) override;
    Westring SeekString(int item) override;

private:
    WestringStore& items_;
};

// A list of colour item names, each in its own attribute; f/F and b/B step
// the current item's foreground and background forward and back.
class ColourSelector : public ListBoxBase {
public:
    ColourSelector(Dialog* dialog, int x, int y, int width, int height, const char* const* names,
                   unsigned char* attrs, int count, int& selected, int own_result);
    ElementType GetElementType() const override { return ElementType::ColourSelector; }
    int ProcessEvent(Event& event) override;
    void DrawLine(int line, int item, unsigned char attr) override;
    Westring SeekString(int item) override;

private:
    const char* const* names_;
    unsigned char* attrs_;
};

// ---- field histories

// Receives every value added to a field history outside loading (the history
// file appends it); null until the program installs one.
extern void (*field_history_added)(int index, const Westring& value);
// Adds value to field history index (0-11) as its most recent entry,
// removing equal entries (ignoring case) first.
void AddFieldHist(const Westring& value, int index, bool loading);

// The colour dialog: 0 when confirmed, -1 when cancelled (the colours are
// then as before).
int change_colours();
