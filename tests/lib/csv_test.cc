// Fields of comma-separated lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/csv.h"

namespace {

std::vector<std::string> fields(const char* line) {
    std::vector<std::string> out;
    const char* pos = line;
    while (*pos) out.push_back(ParseCSVField(pos).c_str());
    return out;
}

using Fields = std::vector<std::string>;

TEST(CsvTest, QuotedFieldsKeepCommas) {
    EXPECT_EQ(fields("x,\"y,z\",w"), (Fields{"x", "y,z", "w"}));
    EXPECT_EQ(fields("a,b,c"), (Fields{"a", "b", "c"}));
    EXPECT_EQ(fields("\"a\"\"b\""), (Fields{"a\"b"}));   // doubled quote inside quotes
    EXPECT_EQ(fields("\"a\"\",b\",c"), (Fields{"a\",b", "c"}));
    EXPECT_EQ(fields("\"\"\"a\""), (Fields{"\"a"}));
    EXPECT_EQ(fields("\"\",x"), (Fields{"", "x"}));      // an empty quoted field
    EXPECT_EQ(fields("pre\"mid,dle\"post,z"), (Fields{"premid,dlepost", "z"}));
    EXPECT_EQ(fields("\"unclosed,still one"), (Fields{"unclosed,still one"}));
}

TEST(CsvTest, EmptyFields) {
    const char* line = ",a,,b,";
    const char* pos = line;
    EXPECT_EQ(std::string(ParseCSVField(pos).c_str()), "");
    EXPECT_EQ(std::string(ParseCSVField(pos).c_str()), "a");
    EXPECT_EQ(std::string(ParseCSVField(pos).c_str()), "");
    EXPECT_EQ(std::string(ParseCSVField(pos).c_str()), "b");
    EXPECT_EQ(*pos, '\0');  // only one comma is passed over
    EXPECT_EQ(std::string(ParseCSVField(pos).c_str()), "");
    EXPECT_EQ(pos, line + 6);  // stays at the end
}

TEST(CsvTest, BackslashEscapes) {
    EXPECT_EQ(fields("a\\,b,c"), (Fields{"a,b", "c"}));
    EXPECT_EQ(fields("\\\"q\\\""), (Fields{"\"q\""}));
    EXPECT_EQ(fields("\\\\"), (Fields{"\\"}));
    EXPECT_EQ(fields("\\65\\066\\0671"), (Fields{"AB" "C1"}));  // at most three digits
    EXPECT_EQ(fields("\\9x"), (Fields{"\tx"}));
    EXPECT_EQ(fields("\\233"), (Fields{"\xE9"}));
    EXPECT_EQ(fields("\\44,x"), (Fields{",", "x"}));  // an escaped comma does not end the field
    EXPECT_EQ(fields("a\\0b"), (Fields{"ab"}));       // a 0 byte cannot be held and is left out
    EXPECT_EQ(fields("\\300"), (Fields{","}));        // taken modulo 256
    EXPECT_EQ(fields("\"in \\\" quote\""), (Fields{"in \" quote"}));
}

TEST(CsvTest, TrailingBackslashEndsTheField) {
    const char* line = "abc\\";
    const char* pos = line;
    EXPECT_EQ(std::string(ParseCSVField(pos).c_str()), "abc");
    EXPECT_EQ(*pos, '\0');
}

TEST(CsvTest, LineFeedsAreDropped) {
    EXPECT_EQ(fields("a\nb,c\n"), (Fields{"ab", "c"}));
    EXPECT_EQ(fields("\"x\ny\""), (Fields{"xy"}));
    EXPECT_EQ(fields("keep\r"), (Fields{"keep\r"}));
}

TEST(CsvTest, EstringFormTakesTheFirstField) {
    Estring text("one,\"two,2\",three");
    EXPECT_EQ(std::string(ParseCSVField(text).c_str()), "one");
    EXPECT_EQ(std::string(text.c_str()), "\"two,2\",three");
    EXPECT_EQ(std::string(ParseCSVField(text).c_str()), "two,2");
    EXPECT_EQ(std::string(ParseCSVField(text).c_str()), "three");
    EXPECT_TRUE(text.empty());
    EXPECT_TRUE(ParseCSVField(text).empty());
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
