// The function-key bar on the bottom screen row: ten labelled slots whose
// labels follow the modifier keys held, and clicks on them that act as the
// function keys.
#pragma once

#include <memory>

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

// The bar, or null while the screen has none.
extern CFunctionKeyBar* FunctionKeyBar;
// The modifier state (bit 0 Alt, bit 1 Ctrl, bit 2 Shift) the bar was last
// drawn for; -1 when it must be drawn again.
extern int key_bar;
// The labels of each modifier state.
extern const char* const key_bar_text[8][10];

// Makes the bar for the present screen size (replacing an old one).
void create_key_bar();
void delete_key_bar();
// Draws the labels of modifier state (alt_on & 7) and remembers it.
void draw_key_bar(int state);

// The slot (0 for F1 ... 9 for F10) of a click at column x.
int key_bar_slot(int x);
// The function key of a click on the bar: the right button gives the Alt
// function key, else the modifiers held give the Alt, Shift or Ctrl
// function key, or the plain one.
int key_bar_value(const _MEVENT& event);
