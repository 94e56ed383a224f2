#include "tools/datedialog.h"

#include <sys/stat.h>

#include <vector>

#include "config/config.h"
#include "console/cells.h"
#include "console/console.h"
#include "console/dialog.h"
#include "console/msgbox.h"
#include "fileops/resolvepath.h"
#include "lib/fsname.h"
#include "panels/locale_dates.h"
#include "panels/panel.h"
#include "tools/chosenentries.h"
#include "tools/filedates.h"

namespace {

constexpr int kNowButton = 'n';

struct DateField {
    const wchar_t* label;
    int* value;
    int width;
};

// The fields of one run of the dialog, in the locale's date order.
std::vector<DateField> date_fields(TimeStamp::ExpandedTime& time) {
    DateField day{L"_Day", &time.day, 2}, month{L"_Mon", &time.month, 2}, year{L"_Year", &time.year, 4};
    const Estring order = date_order();
    if (order == "dmy") return {day, month, year};
    if (order == "ymd") return {year, month, day};
    return {month, day, year};
}

void fill_now(TimeStamp::ExpandedTime& time) { TimeStamp::Now().Expand(time); }

}  // namespace

bool AskDateTime(const Westring& subject, TimeStamp::ExpandedTime& time) {
    if (!console) return false;
    const bool twelve_hour = config.TimeMode == 12;
    // The hour as the fields show it; what the user typed survives a refusal.
    int hour = 0, pm = 0;
    auto show_hour = [&] {
        const ClockHour shown = HourAdjust(time.hour);
        hour = twelve_hour ? shown.hour : time.hour;
        pm = twelve_hour && shown.pm ? 1 : 0;
    };
    show_hour();
    for (;;) {
        Dialog dialog(-1, -3, 33, 12, colours[CLR_MENU]);
        dialog.AddStaticText(-1, 0, Westring(L"Change date of"));
        dialog.AddStaticText(-1, 1, subject);
        const int date_columns[] = {6, 12, 18};
        int column = 0;
        for (const DateField& field : date_fields(time)) {
            const int x = date_columns[column++];
            const int index = dialog.AddIntField(x, 4, 1, *field.value, field.width);
            dialog.AddFieldLabel(x, 3, index, Westring(field.label));
        }
        const int shift = twelve_hour ? 0 : 3;
        const DateField clock[] = {{L"_Hour", &hour, 2}, {L"M_in", &time.minute, 2}, {L"_Sec", &time.second, 2}};
        column = 0;
        for (const DateField& field : clock) {
            const int x = 3 + 6 * column++ + shift;
            const int index = dialog.AddIntField(x, 7, 1, *field.value, field.width);
            dialog.AddFieldLabel(x, 6, index, Westring(field.label));
        }
        if (twelve_hour) {
            dialog.AddRadioButton(22, 6, 2, pm, 0, Westring(L"_AM"));
            dialog.AddRadioButton(22, 7, 0, pm, 1, Westring(L"_PM"));
        }
        dialog.AddPushButton(2, 9, 1, 13, Westring(L"_OK"));
        dialog.AddPushButton(10, 9, 0, 27, Westring(L"Cancel"));
        dialog.AddPushButton(22, 9, 0, kNowButton, Westring(L"_Now"));
        const int result = dialog.Process();
        if (result == 27) return false;
        if (result == kNowButton) {
            fill_now(time);
            show_hour();
            continue;
        }
        if (result != 13) continue;
        TimeStamp::ExpandedTime chosen = time;
        chosen.hour = twelve_hour ? TwentyFourHour(hour, pm != 0) : hour;
        // An hour of 13 or more typed on the 12-hour clock is refused, not taken as it is.
        if (twelve_hour && (hour < 1 || hour > 12)) chosen.hour = -1;
        if (!ValidDateTime(chosen)) {
            (void)error(Westring(L"Invalid date"), Westring(L"File Date/Time"), MB_OK);
            continue;
        }
        time = chosen;
        time.nanoseconds = 0;
        return true;
    }
}

bool ChangeDate(PANEL* panel) {
    if (!panel || panel->type != PANEL_FILES || panel->archive) return false;
    const std::vector<Westring> names = ChosenNames(panel);
    if (names.empty()) return false;
    TimeStamp::ExpandedTime time{};
    struct stat status;
    if (panel->num_tagged == 0 && stat(EncodeFileName(join_path(panel->dir, names.front())).c_str(), &status) == 0)
        TimeStamp(status.st_mtim.tv_sec, 0).Expand(time);
    else
        fill_now(time);
    if (!AskDateTime(ChosenSubject(panel), time)) return false;
    const TimeStamp chosen(time);
    for (const Westring& name : names)
        if (ChangeEntryDate(join_path(panel->dir, name), chosen) < 0) break;
    return true;
}
