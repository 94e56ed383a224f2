#include "lib/timestamp.h"

#include <gtest/gtest.h>

#include <ctime>
#include <utility>
#include <vector>

#include "tests/support/env_guard.h"

namespace {

// Sets the time zone for the life of the object and puts the old one back.
struct ScopedTimeZone {
    struct Reread {
        ~Reread() { tzset(); }
    } reread;  // destroyed last, once TZ is back
    CEnvGuard tz;
    explicit ScopedTimeZone(const char* zone) : tz("TZ", zone) { tzset(); }
};

constexpr DOSDATE Date(int year, int month, int day) {
    return static_cast<DOSDATE>(((year - 1980) << 9) | (month << 5) | day);
}
constexpr DOSTIME Time(int hour, int minute, int second) {
    return static_cast<DOSTIME>((hour << 11) | (minute << 5) | (second / 2));
}

TEST(TimeStamp, ToStringAndExpandRoundTrip) {
    ScopedTimeZone utc("UTC");
    struct Case { int64_t seconds; uint32_t nanoseconds; const char* text; };
    const Case cases[] = {
        {1234567890, 0, "2009-02-13 23:31:30"}, {1234567890, 500000000, "2009-02-13 23:31:30.5"},
        {1234567890, 1, "2009-02-13 23:31:30.000000001"},
        {0, 0, "1970-01-01  0:00:00"},  // the hour is padded with a blank
        {2147483748LL, 0, "2038-01-19  3:15:48"}, {-2208988800LL, 0, "1900-01-01  0:00:00"},
    };
    for (const Case& c : cases) {
        TimeStamp stamp(c.seconds, c.nanoseconds);
        EXPECT_STREQ(stamp.ToString().c_str(), c.text);
        TimeStamp::ExpandedTime e;
        stamp.Expand(e);
        EXPECT_EQ(TimeStamp(e), stamp) << c.text;
    }
}

TEST(TimeStamp, DosFormUsesLocalTimeAndClampsToItsRange) {
    // 2010-03-01 10:30:15 UTC; EST5 is five hours behind, with no daylight saving.
    for (const auto& [zone, hour] : {std::pair("UTC", 10), std::pair("EST5", 5)}) {
        ScopedTimeZone scoped(zone);
        DOSDATE date = 0;
        DOSTIME time = 0;
        TimeStamp(1267439415, 0u).ToDos(date, time);
        EXPECT_EQ(date, (30 << 9) | (3 << 5) | 1) << zone;
        EXPECT_EQ(time, Time(hour, 30, 14)) << zone;
        EXPECT_EQ(TimeStamp(date, time).seconds, 1267439414) << zone;  // the odd second is lost to the halving
    }
    ScopedTimeZone utc("UTC");
    DOSDATE date;
    DOSTIME time;
    TimeStamp(315532799, 0u).ToDos(date, time);  // 1979-12-31 23:59:59
    EXPECT_EQ(std::make_pair(date, time), std::make_pair(kDosDateMin, kDosTimeMin));
    TimeStamp(4354819200LL, 0u).ToDos(date, time);  // 2108-01-01
    EXPECT_EQ(std::make_pair(date, time), std::make_pair(Date(2107, 12, 31), Time(23, 59, 58)));
}

TEST(TimeStamp, ExpandedFieldsAndNormalising) {
    ScopedTimeZone utc("UTC");
    TimeStamp::ExpandedTime e;
    TimeStamp(1267439415, 250u).Expand(e);
    EXPECT_EQ(std::vector<int64_t>({e.year, e.month, e.day, e.hour, e.minute, e.second, e.nanoseconds}),
              std::vector<int64_t>({2010, 3, 1, 10, 30, 15, 250}));
    EXPECT_EQ(TimeStamp(e), TimeStamp(1267439415, 250u));
    // Nanoseconds carry into seconds, both ways.
    EXPECT_EQ(TimeStamp(10, 2500000000u), TimeStamp(12, 500000000u));
    TimeStamp::ExpandedTime carry = {1970, 1, 1, 0, 0, 10, 1500000000};
    carry.nanoseconds = -1;
    EXPECT_EQ(TimeStamp(carry), TimeStamp(9, 999999999u));
    // Fields out of range are normalised: 31 April is 1 May.
    TimeStamp::ExpandedTime april = {2010, 4, 31, 0, 0, 0, 0}, may;
    TimeStamp(april).Expand(may);
    EXPECT_EQ(may.month, 5);
    EXPECT_EQ(may.day, 1);
}

}  // namespace
