#include "tests/support/uitest.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cwchar>

#include "console/keysyms.h"
#include "console/toolkitlock.h"
#include "lib/westring.h"

namespace {

// The one test whose run is in progress (getkey's idle hook finds it here).
CUiTest* active_test = nullptr;

struct NamedKey {
    const char* name;
    unsigned keyval;
};

const NamedKey kNamedKeys[] = {
    {"F1", keysym::F1}, {"F2", keysym::F2}, {"F3", keysym::F3}, {"F4", keysym::F4}, {"F5", keysym::F5},
    {"F6", keysym::F6}, {"F7", keysym::F7}, {"F8", keysym::F8}, {"F9", keysym::F9}, {"F10", keysym::F10},
    {"F11", keysym::F11}, {"F12", keysym::F12}, {"Enter", keysym::Return}, {"Return", keysym::Return},
    {"BackSpace", keysym::BackSpace}, {"Tab", keysym::Tab}, {"Esc", keysym::Escape}, {"Escape", keysym::Escape},
    {"Del", keysym::Delete}, {"Delete", keysym::Delete}, {"Ins", keysym::Insert}, {"Insert", keysym::Insert},
    {"Home", keysym::Home}, {"End", keysym::End}, {"PgUp", keysym::Page_Up}, {"PgDn", keysym::Page_Down},
    {"Left", keysym::Left}, {"Right", keysym::Right}, {"Up", keysym::Up}, {"Down", keysym::Down},
    {"Grey +", keysym::KP_Add}, {"Grey -", keysym::KP_Subtract}, {"Grey *", keysym::KP_Multiply},
    {"KP_Enter", keysym::KP_Enter}, {"Space", ' '}, {"Break", keysym::Break},
};

// How a key name is delivered: a key press with a symbol and a modifier
// state, or a character committed by the input method.
struct KeyStroke {
    bool valid = false;
    bool commit = false;
    wchar_t ch = 0;
    unsigned keyval = 0;
    unsigned state = 0;
    int hardware_keycode = 0;
};

// The hardware key code of the top digit row on a PC keyboard.
int digit_keycode(wchar_t ch) {
    if (ch == '0') return 19;
    if (ch >= '1' && ch <= '9') return 10 + (ch - '1');
    return 0;
}

KeyStroke parse_key(const std::string& full) {
    KeyStroke stroke;
    std::string name = full;
    // Modifier prefixes, in any order: "Ctrl-Shift-Left", "Alt-x", "Alt--".
    const std::pair<std::string, unsigned> modifiers[] = {
        {"Shift-", keystate::Shift}, {"Ctrl-", keystate::Control}, {"Alt-", keystate::Alt}};
    for (bool found = true; found;) {
        found = false;
        for (const auto& [prefix, bit] : modifiers) {
            if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0) {
                stroke.state |= bit;
                name.erase(0, prefix.size());
                found = true;
            }
        }
    }
    if (name == "Tab" && stroke.state & keystate::Shift) {
        stroke.keyval = keysym::ISO_Left_Tab;
        stroke.valid = true;
        return stroke;
    }
    for (const NamedKey& key : kNamedKeys) {
        if (name == key.name) {
            stroke.keyval = key.keyval;
            stroke.valid = true;
            if (key.keyval == ' ' && stroke.state == 0) {
                stroke.commit = true;
                stroke.ch = L' ';
            }
            return stroke;
        }
    }
    Westring wide(name.c_str());
    if (wide.strlen() != 1) return stroke;  // not a key name
    wchar_t ch = wide[0];
    stroke.valid = true;
    stroke.ch = ch;
    if (stroke.state == 0) {
        stroke.commit = true;
        return stroke;
    }
    if (ch < 0x80) {
        stroke.keyval = static_cast<unsigned>(ch);
        // The desktop reports letters in the case the Shift key gives them.
        if ((stroke.state & keystate::Shift) && ch >= 'a' && ch <= 'z') {
            stroke.ch = ch - 'a' + 'A';
            stroke.keyval = stroke.ch;
        }
        stroke.hardware_keycode = digit_keycode(ch);
    } else {
        stroke.keyval = ch < 0x100 ? static_cast<unsigned>(ch) : 0x1000000u | static_cast<unsigned>(ch);
    }
    return stroke;
}

// The names of a blank-separated list; "Grey +" is one name.
std::vector<std::string> split_names(const std::string& names) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < names.size()) {
        while (i < names.size() && names[i] == ' ') i++;
        if (i >= names.size()) break;
        size_t end = names.find(' ', i);
        if (end == std::string::npos) end = names.size();
        std::string word = names.substr(i, end - i);
        i = end;
        if ((word == "Grey" || (word.size() > 5 && word.compare(word.size() - 5, 5, "-Grey") == 0)) &&
            i + 1 < names.size() && (names[i + 1] == '+' || names[i + 1] == '-' || names[i + 1] == '*') &&
            (i + 2 == names.size() || names[i + 2] == ' ')) {
            word += names.substr(i, 2);
            i += 2;
        }
        out.push_back(word);
    }
    return out;
}

}  // namespace

CUiTest::CUiTest(int columns, int rows) : headless_(columns, rows) {}

CUiTest::~CUiTest() {
    if (active_test == this) active_test = nullptr;
}

// ---- keyboard

void CUiTest::Key(const std::string& name) {
    KeyStroke stroke = parse_key(name);
    if (!stroke.valid) ADD_FAILURE() << "Unknown key name \"" << name << "\"";
    else if (stroke.commit) headless_.Commit(String(stroke.ch, 1).ToUTF8().c_str());
    else headless_.Press(stroke.keyval, stroke.state, stroke.hardware_keycode);
}

void CUiTest::Keys(const std::string& names) {
    for (const std::string& name : split_names(names)) Key(name);
}

void CUiTest::Type(const std::string& utf8) {
    Westring text(utf8.c_str());
    for (int i = 0; text[i]; i++) headless_.Commit(String(text[i], 1).ToUTF8().c_str());
}

void CUiTest::RawKey(int code, int shift, int unicode) { headless_.PostKey(code, shift, unicode); }

// ---- mouse

void CUiTest::Click(int x, int y) { headless_.Click(x, y, 1); }
void CUiTest::RightClick(int x, int y) { headless_.Click(x, y, 3); }

void CUiTest::DoubleClick(int x, int y) {
    headless_.ButtonDown(x, y, 1);
    headless_.ButtonUp(x, y, 1);
    headless_.ButtonDown(x, y, 1);
    headless_.DoubleClick(x, y, 1);
    headless_.ButtonUp(x, y, 1);
}

void CUiTest::ButtonDown(int x, int y, int button) { headless_.ButtonDown(x, y, button); }
void CUiTest::ButtonUp(int x, int y, int button) { headless_.ButtonUp(x, y, button); }
void CUiTest::Drag(int x, int y) { headless_.Drag(x, y, keystate::Button1); }
void CUiTest::WheelUp(int x, int y) { headless_.Wheel(x, y, true); }
void CUiTest::WheelDown(int x, int y) { headless_.Wheel(x, y, false); }

// ---- running

void CUiTest::OnIdle() {
    CUiTest* test = active_test;
    if (test && test->saved_update_clock_) test->saved_update_clock_();
    if (test && test->recording_) test->screens_.push_back(test->Current());
    if (!test || test->allow_idle_) return;
    if (test->QueueLength() > 0) return;
    // Reported once per run; the Quit ends this wait.
    if (!test->reported_)
        ADD_FAILURE() << "The code under test waits for input, but none is queued. Screen:\n" << test->Dump();
    test->reported_ = true;
    test->headless_.Post(CConsole::TEvent{CConsole::TEvent::Quit});
}

void CUiTest::Watch() {
    std::unique_lock<std::mutex> lock(watch_mutex_);
    if (watch_done_.wait_for(lock, std::chrono::seconds(timeout_seconds_), [this] { return !running_; })) return;
    timed_out_ = true;
    // Keep ending waits until the run is over (nested dialogs need one each).
    while (running_) {
        lock.unlock();
        headless_.Post(CConsole::TEvent{CConsole::TEvent::Quit});
        lock.lock();
        watch_done_.wait_for(lock, std::chrono::milliseconds(200), [this] { return !running_; });
    }
}

int CUiTest::Run(const std::function<int()>& body) {
    reported_ = false;
    timed_out_ = false;
    saved_update_clock_ = console_hooks.update_clock;
    console_hooks.update_clock = &CUiTest::OnIdle;
    active_test = this;
    {
        std::lock_guard<std::mutex> lock(watch_mutex_);
        running_ = true;
    }
    watchdog_ = std::thread(&CUiTest::Watch, this);

    int result = body();

    {
        std::lock_guard<std::mutex> lock(watch_mutex_);
        running_ = false;
    }
    watch_done_.notify_all();
    watchdog_.join();
    active_test = nullptr;
    console_hooks.update_clock = saved_update_clock_;
    if (timed_out_) ADD_FAILURE() << "The code under test ran longer than " << timeout_seconds_ << " s. Screen:\n" << Dump();
    return result;
}

void CUiTest::RunVoid(const std::function<void()>& body) {
    Run([&] {
        body();
        return 0;
    });
}

int CUiTest::QueueLength() const { return Console().GetEventQueueLen(); }

void CUiTest::ClearQueue() { headless_.TakeEvents(1 << 30); }

// ---- the screen

std::string CUiTest::Screen::Row(int y) const { return Text(0, y, columns); }

std::string CUiTest::Screen::Line(int y) const {
    std::string row = Row(y);
    while (!row.empty() && row.back() == ' ') row.pop_back();
    return row;
}

std::string CUiTest::Screen::Text(int x, int y, int n) const {
    if (y < 0 || y >= rows || x < 0 || x >= columns || n <= 0) return std::string();
    if (n > columns - x) n = columns - x;
    return CellsText(&cells[y * columns + x], n);
}

wchar_t CUiTest::Screen::Char(int x, int y) const {
    return y < 0 || y >= rows || x < 0 || x >= columns ? 0 : cells[y * columns + x].ch;
}

unsigned char CUiTest::Screen::Attr(int x, int y) const {
    return y < 0 || y >= rows || x < 0 || x >= columns ? 0 : cells[y * columns + x].attr;
}

bool CUiTest::Screen::Find(const std::string& text, int* x, int* y) const {
    CellString wanted(text.c_str(), 0);
    int length = wanted.length();
    if (length == 0) return false;
    for (int row = 0; row < rows; row++) {
        for (int column = 0; column + length <= columns; column++) {
            int i = 0;
            while (i < length && cells[row * columns + column + i].ch == wanted[i].ch &&
                   cells[row * columns + column + i].mark == wanted[i].mark)
                i++;
            if (i == length) {
                if (x) *x = column;
                if (y) *y = row;
                return true;
            }
        }
    }
    return false;
}

std::string CUiTest::Screen::Dump() const {
    std::string out;
    for (int y = 0; y < rows; y++) {
        out += y < 10 ? " " : "";  // row numbers two wide
        out += std::to_string(y) + "|" + Row(y) + "|\n";
    }
    return out + "cursor at " + std::to_string(cursor_x) + "," + std::to_string(cursor_y) +
           (cursor_shown ? " (shown)\n" : " (hidden)\n");
}

CUiTest::Screen CUiTest::Current() const {
    Screen screen;
    CToolkitLock lock;
    const CConsole& c = Console();
    screen.columns = c.columns();
    screen.rows = c.rows();
    screen.cells.assign(c.cells(), c.cells() + screen.columns * screen.rows);
    c.GetCursorPos(screen.cursor_x, screen.cursor_y);
    screen.cursor_shown = c.GetCursorType() > 0;
    return screen;
}

void CUiTest::RecordScreens(bool on) {
    recording_ = on;
    screens_.clear();
}

std::string CUiTest::Text(int x, int y, int n) const { return Current().Text(x, y, n); }

std::string CUiTest::Line(int y) const { return Current().Line(y); }

unsigned char CUiTest::Attr(int x, int y) const { return Current().Attr(x, y); }

bool CUiTest::Find(const std::string& text, int* x, int* y) const { return Current().Find(text, x, y); }

std::string CUiTest::Dump() const { return Current().Dump(); }

std::vector<ScreenCell> CUiTest::Snapshot() const { return Current().cells; }
void CUiTest::FillPattern() {
    CConsole& c = Console();
    c.BeginPaint();
    for (int y = 0; y < c.rows(); y++) {
        CellString row;
        for (int x = 0; x < c.columns(); x++) {
            wchar_t ch = static_cast<wchar_t>('!' + (x * 7 + y * 13) % 90);
            unsigned char attr = static_cast<unsigned char>((x + y * 3) % 256);
            row += ScreenCell(ch, attr);
        }
        row += ScreenCell(0, 0);
        c.PutStringAt(0, y, row.cells());
    }
    c.EndPaint();
}

