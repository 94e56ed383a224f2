#include "tests/support/headless_console.h"

#include <cstdlib>

#include "console/keytable.h"
#include "console/toolkitlock.h"

CHeadlessConsole::CHeadlessConsole(int columns, int rows) {
    lastShiftState = 0;
    alt_on = 0;
    break_status = 0;
    view_ = new CHeadlessView();
    console_ = new CConsole(view_);
    console = console_;
    // A size the console refuses is a mistake in the test itself.
    if ((columns != 80 || rows != 25) && !console_->SetSize(columns, rows)) std::abort();
}

CHeadlessConsole::~CHeadlessConsole() {
    if (console == console_) console = nullptr;
    delete console_;
}

int CHeadlessConsole::cell_x(int x) const { return x * console_->cell_width() + console_->cell_width() / 2; }
int CHeadlessConsole::cell_y(int y) const { return y * console_->cell_height() + console_->cell_height() / 2; }

void CHeadlessConsole::Post(const CConsole::TEvent& event) { console_->PostEvent(event); }

void CHeadlessConsole::PostKey(int code, int shift, int unicode) {
    Post(CConsole::TEvent{CConsole::TEvent::Key, code, shift, 0, 0, unicode});
}

bool CHeadlessConsole::Press(unsigned keyval, unsigned state, int hardware_keycode) {
    CToolkitLock lock;
    bool handled = console_->OnKey(keyval, state, hardware_keycode, true);
    if (!handled && !(state & (keystate::Control | keystate::Alt))) {
        wchar_t ch = KeySymToUnicode(keyval);
        if (ch >= 32 && ch != 127) console_->OnCommit(Westring(&ch, 1).ToUTF8().c_str());
    }
    return handled;
}

bool CHeadlessConsole::Release(unsigned keyval, unsigned state, int hardware_keycode) {
    CToolkitLock lock;
    return console_->OnKey(keyval, state, hardware_keycode, false);
}

void CHeadlessConsole::Commit(const char* utf8) {
    CToolkitLock lock;
    console_->OnCommit(utf8);
}

void CHeadlessConsole::Click(int x, int y, int button, unsigned state) {
    ButtonDown(x, y, button, state);
    ButtonUp(x, y, button, state);
}

void CHeadlessConsole::ButtonDown(int x, int y, int button, unsigned state) {
    CToolkitLock lock;
    console_->OnButtonPress(cell_x(x), cell_y(y), button, state, false);
}

void CHeadlessConsole::ButtonUp(int x, int y, int button, unsigned state) {
    CToolkitLock lock;
    console_->OnButtonRelease(cell_x(x), cell_y(y), button, state);
}

void CHeadlessConsole::DoubleClick(int x, int y, int button, unsigned state) {
    CToolkitLock lock;
    console_->OnButtonPress(cell_x(x), cell_y(y), button, state, true);
}

void CHeadlessConsole::Drag(int x, int y, unsigned state) {
    CToolkitLock lock;
    console_->OnMotion(cell_x(x), cell_y(y), state);
}

void CHeadlessConsole::Wheel(int x, int y, bool up, unsigned state) {
    CToolkitLock lock;
    console_->OnScroll(cell_x(x), cell_y(y), up, state);
}

std::string CellsText(const ScreenCell* cells, int n) {
    Westring text;
    for (int i = 0; i < n; i++) {
        if (is_wide_tail(cells[i])) continue;
        text += cells[i].ch ? cells[i].ch : L' ';
        if (cells[i].mark) text += cells[i].mark;
    }
    return std::string(text.ToUTF8().c_str());
}

std::string CHeadlessConsole::RowText(int y) const {
    CToolkitLock lock;
    if (y < 0 || y >= console_->rows()) return std::string();
    return CellsText(&console_->cell(0, y), console_->columns());
}

std::vector<CConsole::TEvent> CHeadlessConsole::TakeEvents(int max) {
    std::vector<CConsole::TEvent> events;
    CConsole::TEvent event;
    while (static_cast<int>(events.size()) < max && console_->GetEvent(event, 0)) events.push_back(event);
    return events;
}
