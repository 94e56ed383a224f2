// Setting file dates ("File Date/Time"): the calendar checks of the date
// dialog, the 12-hour clock, and the change of a file's modification time
// that leaves its access time alone.
#pragma once

#include <functional>

#include "lib/timestamp.h"
#include "lib/westring.h"

// An hour of the 24-hour clock as the 12-hour clock shows it: 0 is 12 AM,
// 12 is 12 PM, 13 to 23 are 1 to 11 PM.
struct ClockHour {
    int hour;
    bool pm;
};
ClockHour HourAdjust(int hour);
// The way back: PM adds 12 to 1 to 11, AM turns 12 into 0 (midnight) and
// 12 PM stays 12 (noon).
int TwentyFourHour(int hour, bool pm);

int DaysInMonth(int year, int month);
// The dates the dialog accepts: years 1980 to 2099, real days of the month
// (February 29 in years divisible by 4), hours to 23, minutes and seconds
// to 59.
bool ValidDateTime(const TimeStamp::ExpandedTime& time);

// Sets the modification time of path (its target when it is a link); the
// access time is kept. 0 or the system's error number.
[[nodiscard]] int SetModificationTime(const Westring& path, const TimeStamp& time);

// Sets the time with the file-system error prompt (or on_error, which gets
// the error number and path and answers 'r' to retry, 27 to stop, anything
// else to skip): 0, or -1 when the user stopped the command.
[[nodiscard]] int ChangeEntryDate(const Westring& path, const TimeStamp& time,
                                  const std::function<int(int code, const Westring& path)>& on_error = nullptr);
