// Fields of comma-separated lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/csv.h"

namespace {

using Fields = std::vector<std::string>;

Fields fields(const char* line) {
    Fields out;
    const char* pos = line;
    while (*pos) out.push_back(ParseCSVField(pos).c_str());
    return out;
}

TEST(CsvTest, Fields) {
    struct Case { const char* line; Fields fields; } cases[] = {
        {"x,\"y,z\",w", {"x", "y,z", "w"}},
        {"\"a\"\",b\",c", {"a\",b", "c"}},  // doubled quote inside quotes
        {"\"\",x", {"", "x"}},  // an empty quoted field
        {"pre\"mid,dle\"post,z", {"premid,dlepost", "z"}}, {"\"unclosed,still one", {"unclosed,still one"}},
        // Backslash escapes.
        {"a\\,b,c", {"a,b", "c"}},
        {"\\65\\066\\0671", {"AB" "C1"}},  // at most three digits
        {"\\44,x", {",", "x"}},  // an escaped comma does not end the field
        {"a\\0b", {"ab"}},       // a 0 byte cannot be held and is left out
        {"\\300", {","}},        // taken modulo 256
        {"\"in \\\" quote\"", {"in \" quote"}},
        // Line feeds are dropped; carriage returns kept.
        {"a\nb,c\n", {"ab", "c"}}, {"keep\r", {"keep\r"}},
    };
    for (const Case& c : cases) EXPECT_EQ(fields(c.line), c.fields) << c.line;
}

TEST(CsvTest, EmptyFieldsTrailingBackslashAndEstringForm) {
    const char* line = ",a,,b,";
    const char* pos = line;
    for (const char* want : {"", "a", "", "b"}) EXPECT_EQ(std::string(ParseCSVField(pos).c_str()), want);
    EXPECT_EQ(*pos, '\0');  // only one comma is passed over
    EXPECT_EQ(std::string(ParseCSVField(pos).c_str()), "");
    EXPECT_EQ(pos, line + 6);  // stays at the end
    pos = "abc\\";
    EXPECT_EQ(std::string(ParseCSVField(pos).c_str()), "abc");
    EXPECT_EQ(*pos, '\0');
    Estring text("one,\"two,2\",three");
    EXPECT_EQ(std::string(ParseCSVField(text).c_str()), "one");
    EXPECT_EQ(std::string(text.c_str()), "\"two,2\",three");
    EXPECT_EQ(std::string(ParseCSVField(text).c_str()), "two,2");
    ParseCSVField(text);
    EXPECT_TRUE(text.empty() && ParseCSVField(text).empty());
}

TEST(CsvTest, NullAndLongInput) {
    const char* none = nullptr;
    EXPECT_TRUE(ParseCSVField(none).empty());
    EXPECT_EQ(none, nullptr);
    std::string line(2 * 1024 * 1024, 'v');
    line += ",tail";
    const char* pos = line.c_str();
    EXPECT_EQ(ParseCSVField(pos).strlen(), 2 * 1024 * 1024);
    EXPECT_EQ(std::string(ParseCSVField(pos).c_str()), "tail");
}

}  // namespace
