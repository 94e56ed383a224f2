// The date order and separator taken from a locale's date format.
#include <gtest/gtest.h>

#include <string>

#include "panels/locale_dates.h"

TEST(LocaleDates, TheOrderOfAllThreeFieldsDecides) {
    const std::pair<const char*, std::string> cases[] = {
        {"%m/%d/%y", "mdy"}, {"%d.%m.%Y", "dmy"}, {"%Y-%m-%d", "ymd"}, {"%D", "mdy"}, {"%F", "ymd"},
        {"%a %e %B %Y", "dmy"},
        // Only the whole order counts, not the first field alone.
        {"%d/%y/%m", "ymd"}, {"%m.%Y.%d", "ymd"}, {"%d.%m", "ymd"},
        // Without date fields: the default.
        {"", "mdy"}, {"plain", "mdy"},
    };
    for (const auto& [format, order] : cases) EXPECT_EQ(date_order_of(format), order) << format;
    EXPECT_STREQ(date_order_of(nullptr), "mdy");
    EXPECT_EQ(date_separator_of("%d.%m.%Y"), L'.');
    EXPECT_EQ(date_separator_of("%Y-%m-%d"), L'-');
    EXPECT_EQ(date_separator_of("%d%m%Y"), L'/');
}
