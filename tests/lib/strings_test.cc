// Estring and Westring: comparisons, slicing, growth and aliasing.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "lib/estring.h"
#include "lib/westring.h"

namespace {

std::string S(const Estring& e) { return e.c_str(); }
std::wstring W(const Westring& w) { return w.c_str(); }

// Rows of (what an operation gave, what it should give), checked in order.
template <class Text>
void ExpectRows(const std::vector<std::pair<Text, Text>>& rows) {
    for (size_t i = 0; i < rows.size(); i++) EXPECT_EQ(rows[i].first, rows[i].second) << "row " << i;
}
using Rows = std::vector<std::pair<std::string, std::string>>;
using WideRows = std::vector<std::pair<std::wstring, std::wstring>>;

TEST(EstringTest, NullTextGivesEmptyString) {
    EXPECT_TRUE(Estring(static_cast<const char*>(nullptr)).empty());
    Estring b("x");
    b = static_cast<const char*>(nullptr);
    EXPECT_EQ(S(b), "");
    b += static_cast<const char*>(nullptr);
    EXPECT_EQ(S(b), "");
    EXPECT_TRUE(Estring("") == static_cast<const char*>(nullptr));
    b += '\0';  // a 0 byte cannot be part of the text
    EXPECT_EQ(b.strlen(), 0);
}

TEST(EstringTest, ComparisonsIgnoreCase) {
    ExpectRows(std::vector<std::pair<bool, bool>>{
        {Estring("ABC") == Estring("abc"), true}, {Estring("a") < "B", true}, {Estring("abd") <= "ABC", false},
        {Estring("ab") < "abc", true},
    });
}

TEST(EstringTest, IndexStaysInsideBuffer) {
    Estring a("abc");
    const Estring& c = a;
    EXPECT_EQ(c[1000], '\0');  // the last byte of the buffer
    EXPECT_EQ(c[-5], '\0');
    a[1000] = 'Z';  // lands nowhere
    a[-1] = 'Z';
    a[20] = 'Z';  // the last byte holds the terminator of a full buffer
    EXPECT_EQ(S(a), "abc");
    EXPECT_EQ(c[1000], '\0');
    Estring big(std::string(100, 'b').c_str());
    big = "y";
    EXPECT_EQ(static_cast<const Estring&>(big)[50], 'b');  // old text stays in the buffer, never stale memory
}

TEST(EstringTest, SlicingPaddingTrimmingSearching) {
    Estring h("hello"), t(" \t a b \n ");
    ExpectRows(Rows{
        {S(h.left(-1)), ""}, {S(h.mid(2, 0)), "llo"}, {S(h.mid(1, 99)), "ello"}, {S(h.mid(9, 2)), ""},
        {S(h.mid(-3, 2)), "he"}, {S(h.right(99)), "hello"}, {S(h.chop(99)), ""},
        {S(Estring("abcdef").lpad(3)), "def"}, {S(Estring("ab").lpad(4, '0')), "00ab"},
        {S(Estring("abcdef").pad(3)), "abc"}, {S(Estring("x").pad(-1)), ""},
        {S(t.ltrim()), "a b \n "}, {S(t.rtrim()), " \t a b"}, {S(Estring("   ").trim()), ""},
    });
    Estring wide = Estring("end").lpad(5000, '-');  // far past the inline buffer
    EXPECT_EQ(wide.strlen(), 5000);
    EXPECT_EQ(S(wide.right(4)), "-end");
    EXPECT_EQ(Estring("a,b,\"c,d\",e").rchr(','), 9);
    EXPECT_EQ(Estring("abc").chr('\0'), -1);
}

TEST(EstringTest, BackslashesAndFreeFunctions) {
    ExpectRows(Rows{
        {S(Estring("").AppendBackslash()), ""}, {S(Estring("/usr/").AppendBackslash()), "/usr/"},
        {S(Estring("/").RemoveBackslash()), ""}, {S(Estring("//").RemoveBackslash()), "//"},
        {S(Estring("/usr/").RemoveBackslash()), "/usr"},
        {S(String('x', -4)), ""}, {S(IntToStr(static_cast<int64_t>(-35), 36)), "-Z"},
        {S(IntToStr(INT64_MIN, 10)), "-9223372036854775808"},
        {S(FromBStr("name    xx", 8)), "name"}, {S(FromBStr("ab\0cd", 5)), "ab"}, {S(FromBStr(nullptr, 3)), ""},
        {S(ExpandTabs("abcd\te", 4)), "abcd    e"}, {S(ExpandTabs(nullptr, 4)), ""},
    });
    EXPECT_EQ(esprintf("%s", std::string(5000, 'q').c_str()).strlen(), 1023);
    // Tabs expanded in one pass over a long line.
    std::string line;
    for (int i = 0; i < 200000; i++) line += "ab\t";
    EXPECT_EQ(ExpandTabs(line.c_str(), 8).strlen(), 200000 * 8);
    EXPECT_EQ(S(ExpandTabs("\t", 1000000)).size(), 1000000u);
}

TEST(EstringGrowthTest, PastOneMegabyte) {
    Estring s;
    std::string chunk;
    for (int i = 0; i < 4096; i++) chunk += static_cast<char>('a' + i % 26);
    const int n = 3 * 1024 * 1024;
    while (s.strlen() < n) s += chunk.c_str();
    ASSERT_EQ(s.strlen(), n);
    EXPECT_EQ(s[n - 1], chunk.back());
    Estring copy(s);
    copy += copy;
    EXPECT_EQ(copy.strlen(), 2 * n);
}

TEST(EstringAliasTest, SelfAppendAssignAndMove) {
    Estring s("abc");
    s += s;
    EXPECT_EQ(S(s), "abcabc");
    s += s.c_str();
    EXPECT_EQ(S(s), "abcabcabcabc");
    s = s.c_str() + 9;  // a piece of itself
    EXPECT_EQ(S(s), "abc");
    s.append(s.c_str() + 1, 2);
    EXPECT_EQ(S(s), "abcbc");
    // Self-append that must reallocate: the source moves while copying.
    Estring big(std::string(20, 'q').c_str());
    big += big;
    EXPECT_EQ(S(big), std::string(40, 'q'));
    big = std::move(big);
    EXPECT_EQ(big.strlen(), 40);
    // Moving leaves the source empty and usable.
    Estring a(std::string(100, 'm').c_str());
    Estring b(std::move(a));
    EXPECT_TRUE(a.empty());  // NOLINT: moved-from strings are empty and usable
    a += "again";
    EXPECT_EQ(S(a), "again");
}

TEST(WestringTest, PathParts) {
    // Slicing and growth are the shared template's, tested through Estring.
    ExpectRows(WideRows{
        {W(Westring(L"/usr/bin/ls").filename()), L"ls"}, {W(Westring(L"/usr/bin/ls").path()), L"/usr/bin"},
        {W(Westring(L"a\\b").filename()), L"b"}, {W(Westring(L"plain").path()), L""},
        {W(Westring(L"C:/x").path()), L"C:/"}, {W(Westring(L"/x").path()), L""},
    });
}

TEST(WestringTest, Searching) {
    Westring s(L"one two one two");
    ExpectRows(std::vector<std::pair<int, int>>{
        {s.instr(L"two", 5), 12}, {s.instr(L"two", 99), -1}, {s.instri(L"TWO ONE"), 4}, {s.chr(L'o', 3), 8},
        {s.chr(L'o', 0), -1}, {s.rchr(L'o'), 14},
    });
}

TEST(WestringTest, ToAsciiTakesLowBytes) {
    EXPECT_EQ(S(Westring(L"A\u00E9\u0141").ToAscii()), "A\xE9\x41");
    EXPECT_EQ(S(Westring(L"a\u0100b").ToAscii()), "ab");  // a zero low byte is left out
}

}  // namespace
