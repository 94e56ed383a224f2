#include "lib/timestamp.h"

#include <gtest/gtest.h>

#include <ctime>
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
