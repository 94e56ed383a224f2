// A program-wide console on a headless view, for tests: create it, feed it
// desktop input as the toolkit thread would, and read the screen back.
#pragma once

#include <string>
#include <vector>

#include "console/console.h"
#include "console/headlessview.h"
#include "console/keysyms.h"

// n cells as the text a reader sees, in UTF-8: a double-width character once
// (its tail cell adds nothing), a mark after its character, 0 as a blank.
std::string CellsText(const ScreenCell* cells, int n);

class CHeadlessConsole {
public:
    // Creates `console` with a headless view of columns x rows cells (cell
    // size 8 x 16 pixels) and resets the program-wide input state.
    explicit CHeadlessConsole(int columns = 80, int rows = 25);
    // Destroys `console` (and the events still queued).
    ~CHeadlessConsole();
    CHeadlessConsole(const CHeadlessConsole&) = delete;
    CHeadlessConsole& operator=(const CHeadlessConsole&) = delete;

    CConsole& Console() const { return *console_; }
    CHeadlessView& View() const { return *view_; }

    // ---- input, delivered under the toolkit lock like the toolkit thread does
    // Queues an event as it is.
    void Post(const CConsole::TEvent& event);
    void PostKey(int code, int shift = 0, int unicode = 0);
    // A key press with a key symbol (console/keysyms.h), modifier state and
    // hardware key code. Returns what the console's key handler returned;
    // when it declines a key without Ctrl or Alt, the character of the key
    // symbol (if any) is committed as an input method would.
    bool Press(unsigned keyval, unsigned state = 0, int hardware_keycode = 0);
    // The matching release (only modifier releases do anything).
    bool Release(unsigned keyval, unsigned state = 0, int hardware_keycode = 0);
    // Text committed by the input method (UTF-8).
    void Commit(const char* utf8);
    // Mouse input at a cell (the pointer in the middle of it); button 1 is
    // left, 3 right, as the toolkit numbers them.
    void Click(int x, int y, int button = 1, unsigned state = 0);     // press and release
    void ButtonDown(int x, int y, int button = 1, unsigned state = 0);
    void ButtonUp(int x, int y, int button = 1, unsigned state = 0);
    void DoubleClick(int x, int y, int button = 1, unsigned state = 0);
    void Drag(int x, int y, unsigned state = keystate::Button1);     // motion with a button held
    void Wheel(int x, int y, bool up, unsigned state = 0);

    // ---- reading the screen
    std::string RowText(int y) const;  // the row's characters as UTF-8
    // Takes the queued events (up to max), without waiting.
    std::vector<CConsole::TEvent> TakeEvents(int max = 1000);

private:
    int cell_x(int x) const;
    int cell_y(int y) const;

    CHeadlessView* view_;
    CConsole* console_;
};
