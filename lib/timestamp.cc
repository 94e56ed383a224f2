#include "lib/timestamp.h"

#include <cstring>
#include <ctime>

namespace {

constexpr uint32_t kNanosPerSecond = 1000000000u;

// Local calendar time from broken-down fields; mktime normalises fields out
// of their ranges and decides daylight saving itself.
int64_t local_seconds(int year, int month, int day, int hour, int minute, int second) {
    struct tm tm;
    std::memset(&tm, 0, sizeof tm);
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return static_cast<int64_t>(mktime(&tm));
}

}  // namespace

TimeStamp::TimeStamp(int64_t secs, uint32_t nanos)
    : nanoseconds(nanos % kNanosPerSecond), seconds(secs + nanos / kNanosPerSecond) {}

TimeStamp::TimeStamp(DOSDATE date, DOSTIME time)
    : nanoseconds(0),
      seconds(local_seconds(1980 + (date >> 9), (date >> 5) & 0x0F, date & 0x1F, time >> 11,
                            (time >> 5) & 0x3F, (time & 0x1F) * 2)) {}

TimeStamp::TimeStamp(const ExpandedTime& e) {
    // Carry whole seconds out of the nanoseconds, negative ones included.
    int64_t carry = e.nanoseconds / static_cast<int64_t>(kNanosPerSecond);
    int64_t nanos = e.nanoseconds % static_cast<int64_t>(kNanosPerSecond);
    if (nanos < 0) {
        nanos += kNanosPerSecond;
        carry -= 1;
    }
    seconds = local_seconds(e.year, e.month, e.day, e.hour, e.minute, e.second) + carry;
    nanoseconds = static_cast<uint32_t>(nanos);
}

TimeStamp TimeStamp::Now() {
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return TimeStamp(now.tv_sec, static_cast<uint32_t>(now.tv_nsec / 1000 * 1000));
}

double TimeStamp::GetRelativeTime() {
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

void TimeStamp::Expand(ExpandedTime& e) const {
    std::memset(&e, 0, sizeof e);
    time_t t = static_cast<time_t>(seconds);
    struct tm tm;
    if (localtime_r(&t, &tm) == nullptr) return;
    e.year = tm.tm_year + 1900;
    e.month = tm.tm_mon + 1;
    e.day = tm.tm_mday;
    e.hour = tm.tm_hour;
    e.minute = tm.tm_min;
    e.second = tm.tm_sec;
    e.nanoseconds = static_cast<int>(nanoseconds);
}

void TimeStamp::ToDos(DOSDATE& date, DOSTIME& time) const {
    ExpandedTime e;
    Expand(e);
    if (e.year < 1980) {
        date = kDosDateMin;
        time = kDosTimeMin;
    } else if (e.year > 2107) {
        date = kDosDateMax;
        time = kDosTimeMax;
    } else {
        date = static_cast<DOSDATE>(((e.year - 1980) << 9) | (e.month << 5) | e.day);
        // A leap second (60) would overflow the five bits of seconds / 2.
        int second = e.second > 59 ? 59 : e.second;
        time = static_cast<DOSTIME>((e.hour << 11) | (e.minute << 5) | (second / 2));
    }
}

Estring TimeStamp::ToString() const {
    ExpandedTime e;
    Expand(e);
    Estring text = esprintf("%04d-%02d-%02d %2d:%02d:%02d", e.year, e.month, e.day, e.hour, e.minute,
                            e.second);
    if (nanoseconds != 0) {
        Estring fraction = esprintf(".%09u", static_cast<unsigned>(nanoseconds));
        int n = fraction.strlen();
        while (n > 1 && fraction[n - 1] == '0') n--;
        text.append(fraction.c_str(), n);
    }
    return text;
}

std::strong_ordering TimeStamp::operator<=>(const TimeStamp& other) const {
    if (seconds != other.seconds) return seconds <=> other.seconds;
    return nanoseconds <=> other.nanoseconds;
}
