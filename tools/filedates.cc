#include "tools/filedates.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>

#include "fileops/fserror.h"
#include "lib/atpath.h"
#include "lib/fsname.h"

ClockHour HourAdjust(int hour) {
    if (hour == 0) return {12, false};
    if (hour == 12) return {12, true};
    if (hour > 12) return {hour - 12, true};
    return {hour, false};
}

int TwentyFourHour(int hour, bool pm) {
    if (pm && hour >= 1 && hour <= 11) return hour + 12;
    if (!pm && hour == 12) return 0;
    return hour;
}

int DaysInMonth(int year, int month) {
    switch (month) {
    case 2: return year % 4 == 0 ? 29 : 28;
    case 4:
    case 6:
    case 9:
    case 11: return 30;
    default: return 31;
    }
}

bool ValidDateTime(const TimeStamp::ExpandedTime& time) {
    if (time.year < 1980 || time.year > 2099) return false;
    if (time.month < 1 || time.month > 12) return false;
    if (time.day < 1 || time.day > DaysInMonth(time.year, time.month)) return false;
    return time.hour >= 0 && time.hour <= 23 && time.minute >= 0 && time.minute <= 59 && time.second >= 0 &&
           time.second < 60;
}

int SetModificationTime(const Westring& path, const TimeStamp& time) {
    AtPath at(EncodeFileName(path).c_str());
    if (at.error() != 0) return at.error();
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(time.seconds);
    times[1].tv_nsec = static_cast<long>(time.nanoseconds);
    return utimensat(at.dir(), at.leaf(), times, 0) == 0 ? 0 : errno;
}

int ChangeEntryDate(const Westring& path, const TimeStamp& time,
                    const std::function<int(int code, const Westring& path)>& on_error) {
    for (;;) {
        const int code = SetModificationTime(path, time);
        if (code == 0) return 0;
        int answer;
        if (on_error) {
            answer = on_error(code, path);
        } else {
            int shown = code;
            int done = 0;
            answer = fs_error(shown, done, path.c_str());
        }
        if (answer == 27) return -1;
        if (answer != 'r') return 0;
    }
}
