#include "shell/clock.h"

#include <ctime>

#include "config/config.h"
#include "console/cells.h"
#include "lib/estring.h"

Win* clock_win = nullptr;

int clock_width() { return config.TimeMode == 24 ? 5 : 6; }

Westring clock_text(int hour, int minute, int second, int time_mode) {
    const char separator = second % 2 == 0 ? ':' : ' ';
    if (time_mode == 24) return Westring(esprintf("%2d%c%02d", hour, separator, minute).c_str());
    int hour12 = hour % 12;
    if (hour12 == 0) hour12 = 12;
    return Westring(esprintf("%2d%c%02d%c", hour12, separator, minute, hour < 12 ? 'a' : 'p').c_str());
}

void init_clock() {
    if (!config.Clock || clock_win || !console) return;
    int columns = console->columns();
    clock_win = new Win(columns - clock_width(), 0, columns - 1, 0, colours[CLR_CLOCK], -1);
    update_clock();
}

void update_clock() {
    if (!clock_win) return;
    std::time_t now = std::time(nullptr);
    std::tm local;
    localtime_r(&now, &local);
    Westring text = clock_text(local.tm_hour, local.tm_min, local.tm_sec, config.TimeMode);
    clock_win->puts_at(0, 0, text.c_str(), colours[CLR_CLOCK]);
}

void hide_clock() {
    delete clock_win;
    clock_win = nullptr;
}
