// TimeStamp: a point in time as seconds since the epoch and nanoseconds, with
// conversions to local calendar time, to the packed DOS form of archives and
// to text.
#pragma once

#include <compare>
#include <cstdint>

#include "lib/estring.h"

// Packed DOS date: day (bits 0-4), month 1-12 (bits 5-8), years since 1980
// (bits 9-15).
typedef uint16_t DOSDATE;
// Packed DOS time: seconds / 2 (bits 0-4), minutes (bits 5-10), hours
// (bits 11-15).
typedef uint16_t DOSTIME;

// The earliest and latest moments the DOS form can hold.
constexpr DOSDATE kDosDateMin = (0 << 9) | (1 << 5) | 1;        // 1980-01-01
constexpr DOSTIME kDosTimeMin = 0;                              // 00:00:00
constexpr DOSDATE kDosDateMax = (127 << 9) | (12 << 5) | 31;    // 2107-12-31
constexpr DOSTIME kDosTimeMax = (23 << 11) | (59 << 5) | 29;    // 23:59:58

class TimeStamp {
public:
    // Local calendar time, field by field.
    struct ExpandedTime {
        int year;         // full, for example 2009
        int month;        // 1-12
        int day;          // 1-31
        int hour;
        int minute;
        int second;
        int nanoseconds;
    };

    uint32_t nanoseconds = 0;  // below one thousand million
    int64_t seconds = 0;       // since the epoch; 64-bit so 1901 and 2038 are no limits

    TimeStamp() = default;
    // Nanoseconds of a second or more carry into the seconds.
    TimeStamp(int64_t seconds, uint32_t nanoseconds);
    // Local calendar time of the DOS fields (daylight saving left to the C
    // library), nanoseconds 0.
    TimeStamp(DOSDATE date, DOSTIME time);
    // Local calendar time of the fields; out-of-range fields are normalised.
    explicit TimeStamp(const ExpandedTime& expanded);

    // The current time to the microsecond.
    static TimeStamp Now();
    // The current time in seconds with fraction, for measuring intervals.
    static double GetRelativeTime();

    // Local calendar time; all zero when the C library cannot represent it.
    void Expand(ExpandedTime& expanded) const;
    // Local calendar time packed in DOS form; times before 1980 give the
    // earliest DOS moment and times after 2107 the latest.
    void ToDos(DOSDATE& date, DOSTIME& time) const;
    // "2009-03-01 10:30:15", with ".5" and the like when nanoseconds are not 0.
    Estring ToString() const;

    bool operator==(const TimeStamp& other) const = default;
    std::strong_ordering operator<=>(const TimeStamp& other) const;
};
