// The function-key bar on the bottom screen row: ten labelled slots, and
// clicks on them that act as the function keys. The main screen and the
// full-screen tools each show their own labels in it.
#pragma once

#include "console/console.h"
#include "console/win.h"

class CFunctionKeyBar : public Win {
public:
    // A window over the whole bottom row of the screen.
    CFunctionKeyBar();
    // Fills the row: ten slots of columns / 10 cells, each with its key
    // number in the Command Line colour and its label in the Menu Bar colour.
    void SetKeys(const char* const* labels);
    void Show() { hide(false); }
    void Hide() { hide(true); }
};

// The slot (0 for F1 ... 9 for F10) of a click at column x.
int key_bar_slot(int x);
// The function key of a click on the bar: the right button gives the Alt
// function key, else the modifiers held give the Alt, Shift or Ctrl
// function key, or the plain one.
int key_bar_value(const _MEVENT& event);
