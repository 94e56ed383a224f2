// The date and time texts of the panels, in the locale's date order and the
// TimeMode setting's clock.
#include <cstdio>
#include <cstring>

#include "config/config.h"
#include "lib/numfmt.h"
#include "panels/locale_dates.h"
#include "panels/paneldisplay.h"

namespace {

wchar_t date_sep = L'/';
char date_fields[4] = "mdy";

Westring two_digit_fields(int a, int b, int c) {
    wchar_t text[40];
    std::swprintf(text, 40, L"%02d%lc%02d%lc%02d", a, static_cast<wint_t>(date_sep), b,
                  static_cast<wint_t>(date_sep), c);
    return Westring(text);
}

}  // namespace

void init_date_format() {
    date_sep = date_separator();
    const char* order = date_order();
    std::strncpy(date_fields, order ? order : "mdy", 3);
    date_fields[3] = 0;
    init_thousand_separator();
}

bool time_unknown(const TimeStamp& time) {
    static const TimeStamp unknown(-1, static_cast<uint32_t>(-1));
    return time == unknown;
}

Westring format_date(const TimeStamp& time) {
    TimeStamp::ExpandedTime t;
    time.Expand(t);
    const int year = ((t.year % 100) + 100) % 100;
    if (std::strcmp(date_fields, "mdy") == 0) return two_digit_fields(t.month, t.day, year);
    if (std::strcmp(date_fields, "dmy") == 0) return two_digit_fields(t.day, t.month, year);
    return two_digit_fields(year, t.month, t.day);
}

Westring format_time(const TimeStamp& time) {
    TimeStamp::ExpandedTime t;
    time.Expand(t);
    wchar_t text[40];
    if (config.TimeMode == 12) {
        int hour = t.hour % 12;
        if (hour == 0) hour = 12;
        std::swprintf(text, 40, L"%2d:%02d%lc", hour, t.minute, static_cast<wint_t>(t.hour < 12 ? L'a' : L'p'));
    } else {
        std::swprintf(text, 40, L"%3d:%02d", t.hour, t.minute);
    }
    return Westring(text);
}
