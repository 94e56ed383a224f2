// The one screen of the program: a grid of character cells with a cursor,
// painted through a view (the desktop window, or headless in tests), and the
// queue of key and mouse events that comes back from it.
#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "console/cells.h"
#include "console/keys.h"
#include "lib/estring.h"
#include "lib/eventsem.h"
#include "lib/mutexsem.h"
#include "lib/objectstore.h"
#include "lib/westring.h"

class CConsoleView;

// A terminal emulator attached to the console while a command runs: keys go
// to it instead of the event queue, and written text goes through it.
class CTerminalAttachment {
public:
    virtual ~CTerminalAttachment() = default;
    virtual void Key(int code) = 0;           // toolkit thread
    virtual void Output(const char* utf8) = 0;  // the thread that writes
};

class CConsole {
public:
    struct Rect {
        int left = 0, top = 0, right = 0, bottom = 0;  // all inclusive
        bool Includes(int x, int y) const { return left <= x && x <= right && top <= y && y <= bottom; }
    };

    struct TEvent {
        enum EType { Key = 0, ButtonPress = 1, ButtonRelease = 2, Motion = 3, DoubleClick = 4, Wheel = 5, Quit = 6, Resize = 7 };
        enum EShift { Alt = 1, Ctrl = 2, Shift = 4, Mod2 = 8 };
        int type = Key;
        int key = 0;
        int shift = 0;
        int x = 0, y = 0;
        int unicode = 0;
    };

    // Events from the toolkit thread to the program, first in first out.
    class CEventQueue : public TObjectStore<TEvent> {
    public:
        ~CEventQueue();
        void Add(TEvent* event);          // takes ownership
        TEvent* Get(int timeout_ms);      // the caller frees it; null on time-out
        int Length();
    private:
        MutexSem mutex_;
        EventSem arrival_;
    };

    // Takes ownership of the view and starts it.
    explicit CConsole(CConsoleView* view);
    ~CConsole();
    CConsole(const CConsole&) = delete;
    CConsole& operator=(const CConsole&) = delete;

    // ---- size and code page
    // The smallest screen the program lays itself out on.
    static constexpr int kMinColumns = 80, kMinRows = 25;
    bool GetSize(int& columns, int& rows) const;
    [[nodiscard]] bool SetSize(int columns, int rows, const char* font_name = nullptr, int font_size = 0);
    void SetCodePage(int code_page);

    // ---- output
    void PutStringAt(int x, int y, const char* text, unsigned char attr);
    void PutStringAt(int x, int y, const wchar_t* text, unsigned char attr);
    void PutStringAt(int x, int y, const ScreenCell* cells);
    void FillCell(int x, int y, int count, ScreenCell cell);
    void FillAttr(int x, int y, int count, unsigned char attr);
    void Clear(int x, int y, int width, int height, unsigned char attr);
    void Clear();
    ScreenCell* GetRect(int x, int y, int width, int height);  // caller frees with delete[]
    void GetRect(CellString& out, int x, int y, int width, int height);
    void PutRect(int x, int y, int width, int height, const ScreenCell* cells);
    void ScrollUp(int x, int y, int width, int height, int lines, unsigned char attr);
    void ScrollDown(int x, int y, int width, int height, int lines, unsigned char attr);
    void SetAttr(unsigned char attr);
    unsigned char GetAttr() const { return attr_; }
    // Writes text as a teletype does at the cursor, or hands it to the
    // attached terminal emulator when there is one.
    void Write(const char* utf8);
    // The teletype alone: text at the cursor with line feeds that scroll
    // the screen, whatever is attached.
    void WriteTeletype(const char* utf8);
    void BeginPaint();
    void EndPaint();

    // ---- cursor
    void SetCursorPos(int x, int y);
    void GetCursorPos(int& x, int& y) const;
    void SetCursorType(int percent);
    int GetCursorType() const { return cursor_type_; }

    // ---- events
    [[nodiscard]] bool GetEvent(TEvent& event, int timeout_ms);
    int GetEventQueueLen();
    // Queues a copy of an event as if it came from the window (remote input, tests).
    void PostEvent(const TEvent& event);

    // ---- clipboard, title, icons, bell, terminal
    void PutClipText(const char* text);
    void PutClipText(const wchar_t* text);
    void PutClipTextNoLock(const wchar_t* text);
    [[nodiscard]] bool GetClipText(Westring& text);
    void SetTitle(const wchar_t* text);
    void SetTitle(const char* text);
    void SetIcon(const char* file);
    void SetIcons(const std::vector<Westring>& files);
    void Beep();
    void AttachTerminal(CTerminalAttachment* emulator);  // takes ownership; null detaches
    CTerminalAttachment* Terminal() const { return terminal_.get(); }
    void BreakHandler();
    void SetRemoteName(const Estring& name) { remote_name_ = name; }

    // ---- keyboard locks
    // Whether Scroll Lock is on: as the desktop keeps it, or, when it cannot
    // tell, as the presses of the Scroll Lock key in the window toggled it.
    bool ScrollLock();
    // Switches Num Lock on (the NumLock setting).
    void SwitchNumLockOn();

    // ---- selection zone
    void SetSelectionZone(const Rect& zone);
    void SetSelectionZone(int x, int y, int width, int height);
    void GetSelectionZone(Rect& zone) const;
    void ResetSelectionZone();

    // ---- input from the view (toolkit thread, toolkit lock held)
    // A key press or release with the toolkit's key symbol, modifier state and
    // hardware key code. Returns false when the key has no code and should go
    // to the input method.
    bool OnKey(unsigned keyval, unsigned state, int hardware_keycode, bool press);
    void OnCommit(const char* utf8);  // text committed by the input method
    void OnButtonPress(int px, int py, int button, unsigned state, bool double_click);
    void OnButtonRelease(int px, int py, int button, unsigned state);
    void OnMotion(int px, int py, unsigned state);
    void OnScroll(int px, int py, bool up, unsigned state);
    // An event from a window on another host: keys go to the attached
    // terminal emulator when there is one (the Break key code to the break
    // handler), mouse events are dropped while it is attached, and the rest
    // is queued for the program.
    void OnRemoteEvent(const TEvent& event);
    // The key code a remote window sends for the Break key: the extended
    // code with scan code 0, as a PC reports Ctrl-Break.
    static constexpr int kRemoteBreakKey = KEY_EXTENDED;
    void OnDeleteRequest();  // the window's close button
    void OnMap();            // the window was shown again
    void OnUnmap();          // the window was minimised
    // The window's drawing area is now width by height pixels: when as many
    // cells as fit (never fewer than kMinColumns by kMinRows) differ from the
    // screen, a Resize event carries them in x and y.
    void OnAreaResized(int width, int height);
    // The cells the window fits now (a Resize event still queued may name an
    // older size); false before the window was ever sized.
    [[nodiscard]] bool FittedSize(int& columns, int& rows) const;

    // ---- read access for views (toolkit lock held)
    int columns() const { return columns_; }
    int rows() const { return rows_; }
    const ScreenCell* cells() const { return cells_.get(); }
    const ScreenCell& cell(int x, int y) const { return cells_[y * columns_ + x]; }
    int cell_width() const { return cell_width_; }
    int cell_height() const { return cell_height_; }
    const Estring& font_name() const { return font_name_; }
    int font_size() const { return font_size_; }
    RGB16 palette(int n) const { return palette_[n & 15]; }
    bool CursorVisible() const { return cursor_type_ > 0 && blink_phase_ < 5; }
    void GetCursorCell(int& x, int& y) const;
    bool SelectionShown() const { return selection_shown_; }
    const Rect& Selection() const { return selection_; }
    bool InSelection(int x, int y) const { return selection_shown_ && selection_.Includes(x, y); }
    // The blink phase 0-9; the cursor shows in phases 0-4.
    int BlinkPhase() const { return blink_phase_; }
    void AdvanceBlink();       // cursor thread: next phase, redrawing the cursor at 0 and 5
    void RestartBlink();       // phase 0 so the cursor shows at once
    CConsoleView* View() const { return view_.get(); }

private:
    void AllocateScreen();
    void RequestPaint(int left, int top, int right, int bottom);  // right, bottom exclusive
    // Calls change(i, cell) for the cells x+i (i from 0 to count-1) of row y
    // that are on the screen and repaints the span of those it reports changed.
    template <class Change>
    void ChangeRow(int x, int y, int count, Change change);
    void PaintNow(int left, int top, int right, int bottom);
    void RepaintCursorCell();
    void Scroll(int x, int y, int width, int height, int lines, unsigned char attr, bool up);
    void QueueEvent(int type, int key, int shift, int x, int y, int unicode);
    void CopySelection();
    void PaintSelectionUnion(const Rect& a, const Rect& b);
    ScreenCell* row_ptr(int y) { return cells_.get() + y * columns_; }

    std::unique_ptr<CConsoleView> view_;
    int columns_ = 80, rows_ = 25;
    int font_size_ = 12;
    Estring font_name_ = "DejaVu Sans Mono";
    int cell_height_ = 0, cell_width_ = 0;
    int code_page_ = 850;
    int cursor_type_ = 0;
    int cursor_x_ = 0, cursor_y_ = 0;
    unsigned char attr_;
    std::atomic<int> blink_phase_{0};
    std::atomic<bool> minimised_{false};
    int fitted_columns_ = 0, fitted_rows_ = 0;  // the last size a Resize event asked for
    Estring remote_name_;
    RGB16 palette_[16];
    std::unique_ptr<ScreenCell[]> cells_;
    CEventQueue queue_;
    std::unique_ptr<CTerminalAttachment> terminal_;
    int paint_nesting_ = 0;
    int dirty_left_ = -1, dirty_top_ = 0, dirty_right_ = 0, dirty_bottom_ = 0;
    Rect selection_zone_;
    bool selection_shown_ = false;
    Rect selection_;
    bool anchor_left_ = false, anchor_top_ = false;
    bool zone_active_ = false;  // a reset zone selects nothing, not the cell (0, 0)
    // Scroll Lock as counted from its key: toggled by each press (not by the
    // presses a held key repeats).
    bool scroll_lock_toggled_ = false;
    bool scroll_lock_held_ = false;

    bool InsideScreen(int x, int y) const { return x >= 0 && x < columns_ && y >= 0 && y < rows_; }
    ScreenCell CellOrBlank(int x, int dx, int y, int dy) const;
    void HideCursorNow();
    void WriteBackRow(int y, const ScreenCell* row);
    void PutTeletypeChar(std::unique_ptr<ScreenCell[]>& row, int& x, int& y, wchar_t ch);
    void PutCells(int x, int y, const ScreenCell* cells, int count);
    void MendRowEdges(int y, int begin, int end);
    void TeletypeNewLine(int& y);
};

// What getkey tells its caller about an event.
struct _MEVENT {
    enum Kind { LeftDown = 0, RightDown = 1, LeftDrag = 2, RightDrag = 3, LeftDouble = 4, LeftUp = 5, RightUp = 6, WheelMoved = 7 };
    int kind = 0;
    int x = 0, y = 0;
    int shift = 0;
    short wheel = 0;
    int ch = 0;
};

// The one console; created at start-up (or by a test).
extern CConsole* console;
// The EShift bits of the last key or modifier event, and those last reported by getkey.
extern std::atomic<int> lastShiftState;
extern int alt_on;
// 0 idle, 1 an interruptible operation runs, 2 the user asked to break it.
extern std::atomic<int> break_status;

// Hooks the application shell fills in: the clock refreshed while getkey
// waits, the function-key bar around a screen-size change, and the store that
// receives lines scrolled off the top by Write.
struct ConsoleHooks {
    void (*update_clock)() = nullptr;
    void (*before_resize)() = nullptr;
    void (*after_resize)() = nullptr;
    void (*scrolled_off)(const ScreenCell* row, int columns) = nullptr;
};
extern ConsoleHooks console_hooks;

int getkey(_MEVENT* record, int timeout_ms);
bool ConvertMouseEvent(const CConsole::TEvent& event, _MEVENT* record);
int ToTEventShift(unsigned toolkit_state);
bool check_esc();
bool CheckEvent();
int un_alt(int key, const _MEVENT* record);
void set_lines(int rows, int columns);
// The FontFamily and FontSize settings set_lines resizes with; the
// configuration sets them.
extern Estring console_font_family;
extern int console_font_size;
// Whether the font has the box-drawing characters that join single and
// double lines (frames then carry column marks); the default font does.
extern bool console_font_joins;

// The key code of a toolkit key symbol with a modifier state (Shift 1, Control
// 4, Alt 8) and hardware key code, from the key table; 0 when the table has no
// entry. unicode receives the key's character when Alt is held, else 0.
int TranslateKey(unsigned keyval, unsigned state, int hardware_keycode, int& unicode);
// Characters 1-31 shown as graphic symbols, 127-159 as U+2302.
wchar_t DisplayMap(wchar_t ch);
