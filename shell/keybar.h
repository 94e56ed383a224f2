// The main screen's function-key bar, whose labels follow the modifier
// keys held.
#pragma once

#include "console/keybar.h"

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

