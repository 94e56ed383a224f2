// Setting file dates: the times stat reports against what date makes of the
// same local time (in more than one time zone, either side of a daylight
// saving change), the access time left alone, the 12-hour clock at noon
// and midnight through the dialog, and the calendar's limits.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <time.h>

#include <string>

#include "tests/fileops/fileops_fixture.h"
#include "tests/support/shell_output.h"
#include "tools/datedialog.h"
#include "tools/filedates.h"

namespace {

class FileDates : public FileOpsTest {
protected:
    void SetUp() override {
        FileOpsTest::SetUp();
        const char* zone = getenv("TZ");
        had_zone_ = zone != nullptr;
        if (zone) saved_zone_ = zone;
    }
    void TearDown() override {
        if (had_zone_) setenv("TZ", saved_zone_.c_str(), 1);
        else unsetenv("TZ");
        tzset();
        FileOpsTest::TearDown();
    }
    static void Zone(const char* zone) {
        setenv("TZ", zone, 1);
        tzset();
    }
    std::string Stat(const std::string& format, const std::string& leaf) {
        return ShellOutput("stat -c " + format + " '" + Path(leaf) + "'");
    }
    // Seconds since the epoch of a local time, as date reads it in the
    // zone of this process.
    static std::string DateSeconds(const std::string& local) { return ShellOutput("date -d '" + local + "' +%s"); }
    // Sets leaf's modification time to the local time given field by field.
    void SetLocal(const std::string& leaf, int year, int month, int day, int hour, int minute, int second) {
        const TimeStamp::ExpandedTime local{year, month, day, hour, minute, second, 0};
        ASSERT_TRUE(ValidDateTime(local));
        ASSERT_EQ(ChangeEntryDate(W(Path(leaf)), TimeStamp(local)), 0);
    }
    bool had_zone_ = false;
    std::string saved_zone_;
};

TEST_F(FileDates, ModificationTimeMatchesDateInEveryZoneAndKeepsTheAccessTime) {
    Write("a", "x", 0644);
    SetTime(Path("a"), 1000000000, 1234567890);
    struct Setting {
        const char* zone;
        int month, hour;
        const char* local;
    };
    // Winter and summer on each side of a daylight-saving zone, and a zone
    // without one; noon and midnight among them.
    const Setting settings[] = {
        {"America/New_York", 1, 12, "2026-01-15 12:30:05"},
        {"America/New_York", 7, 0, "2026-07-15 00:30:05"},
        {"Asia/Tokyo", 7, 12, "2026-07-15 12:30:05"},
        {"UTC", 1, 23, "2026-01-15 23:30:05"},
    };
    for (const Setting& s : settings) {
        Zone(s.zone);
        SetLocal("a", 2026, s.month, 15, s.hour, 30, 5);
        EXPECT_EQ(Stat("%Y", "a"), DateSeconds(s.local)) << s.zone << " " << s.local;
        EXPECT_EQ(Stat("%X", "a"), "1234567890\n") << s.zone;
    }
    // The same wall-clock time in two zones is two moments.
    Zone("Asia/Tokyo");
    SetLocal("a", 2026, 7, 15, 12, 0, 0);
    const std::string tokyo = Stat("%Y", "a");
    Zone("America/New_York");
    SetLocal("a", 2026, 7, 15, 12, 0, 0);
    EXPECT_NE(Stat("%Y", "a"), tokyo);
    EXPECT_EQ(ShellOutput("TZ=Asia/Tokyo date -d @" + tokyo.substr(0, tokyo.size() - 1) + " '+%F %T'"),
              "2026-07-15 12:00:00\n");
}

TEST_F(FileDates, TwelveHourClockKeepsNoonAndMidnightApart) {
    for (int hour = 0; hour < 24; hour++) {
        const ClockHour shown = HourAdjust(hour);
        EXPECT_GE(shown.hour, 1);
        EXPECT_LE(shown.hour, 12);
        EXPECT_EQ(shown.pm, hour >= 12) << hour;
        EXPECT_EQ(TwentyFourHour(shown.hour, shown.pm), hour) << hour;
    }
    EXPECT_EQ(TwentyFourHour(12, true), 12);
    EXPECT_EQ(TwentyFourHour(12, false), 0);

    // Through the dialog: 12:30 PM stays 12:30, 12:30 AM is 00:30, shown
    // and typed alike.
    config.TimeMode = 12;
    for (int hour : {12, 0, 13}) {
        TimeStamp::ExpandedTime time{2024, 6, 1, hour, 30, 0, 0};
        Answer("Enter");
        EXPECT_EQ(ui.Run([&] { return AskDateTime(Westring(L"a"), time) ? 1 : 0; }), 1);
        EXPECT_EQ(time.hour, hour);
        EXPECT_TRUE(FirstShows(hour >= 12 ? "(\u2022) PM" : "(\u2022) AM")) << FirstScreen();
    }
    struct Typed {
        const char* keys;
        int hour;
    };
    for (const Typed& typed : {Typed{"Alt-p Enter", 12}, Typed{"Alt-a Enter", 0}}) {
        TimeStamp::ExpandedTime time{2024, 6, 1, 9, 30, 0, 0};
        ui.Keys("Alt-h");
        ui.Type("12");
        Answer(typed.keys);
        EXPECT_EQ(ui.Run([&] { return AskDateTime(Westring(L"a"), time) ? 1 : 0; }), 1);
        EXPECT_EQ(time.hour, typed.hour) << typed.keys;
        EXPECT_EQ(time.minute, 30);
    }
}

TEST_F(FileDates, CalendarLimitsAndTheInvalidDatePrompt) {
    struct Check {
        TimeStamp::ExpandedTime time;
        bool valid;
    };
    const Check checks[] = {
        {{2008, 2, 29, 0, 0, 0, 0}, true},   {{2009, 2, 29, 0, 0, 0, 0}, false},
        {{2009, 4, 31, 0, 0, 0, 0}, false},  {{2009, 12, 31, 23, 59, 59, 0}, true},
        {{1979, 12, 31, 0, 0, 0, 0}, false}, {{2100, 1, 1, 0, 0, 0, 0}, false},
        {{2009, 13, 1, 0, 0, 0, 0}, false},  {{2009, 1, 0, 0, 0, 0, 0}, false},
        {{2009, 1, 1, 24, 0, 0, 0}, false},  {{2009, 1, 1, 0, 60, 0, 0}, false},
        {{2009, 1, 1, 0, 0, 60, 0}, false},
    };
    for (const Check& c : checks)
        EXPECT_EQ(ValidDateTime(c.time), c.valid) << c.time.year << "-" << c.time.month << "-" << c.time.day;

    // A refused date keeps the dialog open; Esc then cancels it.
    config.TimeMode = 24;
    TimeStamp::ExpandedTime time{2009, 2, 29, 10, 0, 0, 0};
    Answer("Enter Enter Esc");
    EXPECT_EQ(ui.Run([&] { return AskDateTime(Westring(L"a"), time) ? 1 : 0; }), 0);
    EXPECT_TRUE(Shown("Invalid date"));
}

TEST_F(FileDates, TaggedFilesGetTheTimeAndAFailureCanBeSkipped) {
    Files({"t/", "t/one=1", "t/two=2"});
    SetTime(Path("t/one"), 1000000000, 1000000000);
    SetTime(Path("t/two"), 1100000000, 1100000000);
    config.TimeMode = 24;
    Zone("UTC");
    PANEL& panel = panel_base[0];
    SetUpPanel(panel, Path("t"));
    Tag(panel, "one");
    Tag(panel, "two");
    // "Now" fills in the present; the fields then take the cursor's keys,
    // and OK sets it on both files.
    Answer("Alt-n Enter");
    EXPECT_EQ(ui.Run([&] { return ChangeDate(&panel) ? 1 : 0; }), 1);
    EXPECT_TRUE(FirstShows("2 files")) << FirstScreen();
    EXPECT_EQ(Stat("%Y", "t/one"), Stat("%Y", "t/two"));
    EXPECT_NE(Stat("%Y", "t/one"), "1000000000\n");
    EXPECT_EQ(Stat("%X", "t/two"), "1100000000\n");

    int asked = 0;
    auto skip = [&asked](int, const Westring&) { return ++asked, 's'; };
    EXPECT_EQ(ChangeEntryDate(W(Path("t/missing")), TimeStamp(int64_t{1}, 0u), skip), 0);
    EXPECT_EQ(ChangeEntryDate(W(Path("t/missing")), TimeStamp(int64_t{1}, 0u), [](int, const Westring&) { return 27; }), -1);
    EXPECT_EQ(asked, 1);
}

}  // namespace
