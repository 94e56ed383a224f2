// The clock in the top right corner of the screen, on the right panel's frame.
#pragma once

#include "console/win.h"

// The clock's window, or null when no clock is shown.
extern Win* clock_win;

// The clock's width: 5 columns in 24-hour mode, 6 in 12-hour mode.
int clock_width();
// Makes and draws the clock when the Clock setting is on and none is shown.
void init_clock();
// Writes the local time into the clock, when one is shown.
void update_clock();
// Deletes the clock's window (the screen under it comes back).
void hide_clock();

// The text of the clock for a time of day: "%2d%c%02d" in 24-hour mode,
// otherwise the 12-hour clock followed by 'a' or 'p'; the separator is ':'
// on even seconds and a blank on odd ones.
Westring clock_text(int hour, int minute, int second, int time_mode);
