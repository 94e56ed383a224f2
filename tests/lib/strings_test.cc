// Estring and Westring: comparisons, slicing, growth and aliasing.
#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cstring>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "lib/estring.h"
#include "lib/westring.h"
#include "tests/lib/locale_guard.h"

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

// ---- Estring ---------------------------------------------------------------

TEST(EstringTest, NullTextGivesEmptyString) {
    EXPECT_TRUE(Estring(static_cast<const char*>(nullptr)).empty());
    Estring b("x");
    b = static_cast<const char*>(nullptr);
    EXPECT_EQ(S(b), "");
    b += static_cast<const char*>(nullptr);
    EXPECT_EQ(S(b), "");
    EXPECT_TRUE(Estring("") == static_cast<const char*>(nullptr));
}

TEST(EstringTest, ComparisonsIgnoreCase) {
    ExpectRows(std::vector<std::pair<bool, bool>>{
        {Estring("ABC") == Estring("abc"), true}, {Estring("ABC") == "abc", true}, {Estring("ABC") != "aBc", false},
        {Estring("a") < Estring("B"), true}, {Estring("a") < "B", true}, {Estring("B") > "a", true},
        {Estring("b") >= "B", true}, {Estring("b") <= "B", true}, {Estring("abd") <= "ABC", false},
        {Estring("ab") < "abc", true}, {Estring("x") != Estring("y"), true},
    });
}

TEST(EstringTest, Concatenation) {
    Estring a("foo");
    ExpectRows(Rows{{S(a + "bar"), "foobar"}, {S("bar" + a), "barfoo"}, {S(a + Estring("!")), "foo!"}});
    a += '!';
    a += Estring("?");
    a += "#";
    a += '\0';  // a 0 byte cannot be part of the text
    EXPECT_EQ(S(a), "foo!?#");
    EXPECT_EQ(a.strlen(), 6);
}

TEST(EstringTest, IndexStaysInsideBuffer) {
    Estring a("abc");
    const Estring& c = a;
    EXPECT_EQ(a[0], 'a');
    EXPECT_EQ(a[3], '\0');
    EXPECT_EQ(c[10], '\0');    // past the text, inside the buffer
    EXPECT_EQ(c[1000], '\0');  // the last byte of the buffer
    EXPECT_EQ(c[-5], '\0');
    a[1] = 'X';
    a[1000] = 'Z';  // lands nowhere
    a[-1] = 'Z';
    a[20] = 'Z';  // the last byte holds the terminator of a full buffer
    EXPECT_EQ(S(a), "aXc");
    EXPECT_EQ(c[1000], '\0');
    EXPECT_EQ(a.capacity(), Estring::kInline);
    Estring big(std::string(100, 'b').c_str());
    big = "y";
    const Estring& cb = big;
    EXPECT_EQ(cb[50], 'b');  // old text stays in the buffer, never stale memory
    EXPECT_EQ(cb[500], '\0');
}

TEST(EstringTest, SlicingPaddingTrimming) {
    Estring h("hello"), t(" \t a b \n ");
    ExpectRows(Rows{
        {S(h.left(2)), "he"}, {S(h.left(-1)), ""}, {S(h.left(99)), "hello"}, {S(h.mid(2, 0)), "llo"},
        {S(h.mid(2)), "llo"}, {S(h.mid(1, 3)), "ell"}, {S(h.mid(1, 99)), "ello"}, {S(h.mid(9, 2)), ""},
        {S(h.mid(-3, 2)), "he"}, {S(h.right(3)), "llo"}, {S(h.right(99)), "hello"}, {S(h.right(-2)), ""},
        {S(h.chop(2)), "hel"}, {S(h.chop(5)), ""}, {S(h.chop(99)), ""}, {S(h.chop(0)), "hello"},
        {S(Estring("abcdef").lpad(3)), "def"}, {S(Estring("ab").lpad(4, '0')), "00ab"},
        {S(Estring("ab").lpad(0)), ""}, {S(Estring("ab").pad(4, '.')), "ab.."}, {S(Estring("abcdef").pad(3)), "abc"},
        {S(Estring("").pad(2)), "  "}, {S(Estring("x").pad(-1)), ""},
        {S(t.ltrim()), "a b \n "}, {S(t.rtrim()), " \t a b"}, {S(t.trim()), "a b"}, {S(Estring("   ").trim()), ""},
        {S(Estring("").trim()), ""},
    });
    Estring wide = Estring("end").lpad(5000, '-');  // far past the inline buffer
    EXPECT_EQ(wide.strlen(), 5000);
    EXPECT_EQ(S(wide.right(4)), "-end");
}

TEST(EstringTest, Searching) {
    Estring s("a,b,\"c,d\",e");
    ExpectRows(std::vector<std::pair<int, int>>{
        {s.chr(','), 1}, {s.rchr(','), 9}, {s.chr('z'), -1}, {s.chr('\0'), -1}, {s.rchr('\0'), -1},
        {Estring("\"c,d\",e").chrQuote(','), 5}, {Estring("'x y' z").chrQuote(' ', '\''), 5},
        {Estring("\"unclosed, quote").chrQuote(','), -1}, {Estring("abc").chrQuote('\0'), -1},
    });
}

TEST(EstringTest, BackslashesAndFreeFunctions) {
    ExpectRows(Rows{
        {S(Estring("").AppendBackslash()), ""}, {S(Estring("/usr").AppendBackslash()), "/usr/"},
        {S(Estring("/usr/").AppendBackslash()), "/usr/"}, {S(Estring("/").RemoveBackslash()), ""},
        {S(Estring("//").RemoveBackslash()), "//"}, {S(Estring("/usr/").RemoveBackslash()), "/usr"},
        {S(Estring("ab/").RemoveBackslash()), "ab"}, {S(Estring("/usr").RemoveBackslash()), "/usr"},
        {S(Estring("").RemoveBackslash()), ""},
        {S(String('x', 3)), "xxx"}, {S(String('x', 0)), ""}, {S(String('x', -4)), ""}, {S(IntToStr(0L)), "0"},
        {S(IntToStr(-42L)), "-42"}, {S(IntToStr(static_cast<int64_t>(255), 16)), "FF"},
        {S(IntToStr(static_cast<int64_t>(-35), 36)), "-Z"}, {S(IntToStr(INT64_MAX, 10)), "9223372036854775807"},
        {S(IntToStr(INT64_MIN, 10)), "-9223372036854775808"}, {S(esprintf("%d-%s", 7, "x")), "7-x"},
        {S(FromBStr("name    xx", 8)), "name"}, {S(FromBStr("ab\0cd", 5)), "ab"}, {S(FromBStr(nullptr, 3)), ""},
        {S(ExpandTabs("a\tb", 4)), "a   b"}, {S(ExpandTabs("\tx", 8)), "        x"},
        {S(ExpandTabs("abcd\te", 4)), "abcd    e"}, {S(ExpandTabs("a\t\tb", 2)), "a   b"}, {S(ExpandTabs(nullptr, 4)), ""},
    });
    EXPECT_EQ(String('y', 100000).strlen(), 100000);
    EXPECT_EQ(esprintf("%s", std::string(5000, 'q').c_str()).strlen(), 1023);
    // Tabs expanded in one pass over a long line.
    std::string line;
    for (int i = 0; i < 200000; i++) line += "ab\t";
    Estring expanded = ExpandTabs(line.c_str(), 8);
    ASSERT_EQ(expanded.strlen(), 200000 * 8);
    EXPECT_EQ(S(expanded.left(10)), "ab      ab");
    EXPECT_EQ(S(ExpandTabs("\t", 1000000)).size(), 1000000u);
}

// ---- growth ------------------------------------------------------------------

// The growth rules both string types share.
template <class Text, class Char>
void ExpectGrowthRules() {
    auto text = [](int n, char c) { return std::basic_string<Char>(n, static_cast<Char>(c)); };
    Text s;
    EXPECT_EQ(s.capacity(), 21);  // inline up to twenty characters
    s = text(20, 'a').c_str();
    EXPECT_EQ(s.capacity(), 21);
    s = text(21, 'a').c_str();
    EXPECT_EQ(s.capacity(), 22);  // assignment takes exactly n + 1
    EXPECT_EQ(Text(100).capacity(), 101);
    EXPECT_EQ(Text(5).capacity(), 21);
    Text g(text(20, 'a').c_str());
    g += static_cast<Char>('b');  // n = 21 does not fit 21: 21 + 5 + 1
    EXPECT_EQ(g.capacity(), 27);
    g += text(6, 'c').c_str();  // 27: fits no more, 27 + 6 + 1
    EXPECT_EQ(g.capacity(), 34);
    EXPECT_EQ(g.c_str(), text(20, 'a') + text(1, 'b') + text(6, 'c'));
    // It never shrinks.
    Text big(text(500, 'z').c_str());
    int room = big.capacity();
    big = text(5, 's').c_str();
    EXPECT_EQ(big.capacity(), room);
    big = Text(text(4, 't').c_str());
    EXPECT_EQ(big.capacity(), room);
    Text inline_text(text(5, 'm').c_str());
    big = std::move(inline_text);
    EXPECT_EQ(big.capacity(), room);
    EXPECT_EQ(big.c_str(), text(5, 'm'));
}

TEST(StringGrowthTest, InlineExactAssignmentQuarterGrowthAndNeverShrinking) {
    ExpectGrowthRules<Estring, char>();
    ExpectGrowthRules<Westring, wchar_t>();
}

TEST(EstringGrowthTest, PastOneMegabyte) {
    Estring s;
    std::string chunk;
    for (int i = 0; i < 4096; i++) chunk += static_cast<char>('a' + i % 26);
    const int n = 3 * 1024 * 1024;
    int previous_capacity = s.capacity();
    while (s.strlen() < n) {
        s += chunk.c_str();
        ASSERT_GE(s.capacity(), previous_capacity);  // never shrinks
        previous_capacity = s.capacity();
    }
    ASSERT_EQ(s.strlen(), n);
    EXPECT_GT(s.capacity(), n);
    EXPECT_LE(s.capacity(), n + n / 4 + 1);
    EXPECT_EQ(s[0], 'a');
    EXPECT_EQ(s[n - 1], chunk.back());
    EXPECT_EQ(S(s.right(3)), S(s.mid(n - 3)));
    Estring copy(s);
    EXPECT_TRUE(copy == s);
    EXPECT_EQ(copy.capacity(), n + 1);  // a copy takes exactly what it needs
    copy += copy;
    EXPECT_EQ(copy.strlen(), 2 * n);
    EXPECT_EQ(copy.capacity(), 2 * n + (2 * n) / 4 + 1);
}

TEST(EstringAliasTest, SelfAppendAssignAndMove) {
    Estring s("abc");
    s += s;
    EXPECT_EQ(S(s), "abcabc");
    s += s.c_str();
    EXPECT_EQ(S(s), "abcabcabcabc");
    s = s;
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
    EXPECT_EQ(b.strlen(), 100);
    EXPECT_TRUE(a.empty());  // NOLINT: moved-from strings are empty and usable
    a += "again";
    EXPECT_EQ(S(a), "again");
    Estring c("inline");
    Estring d(std::move(c));
    EXPECT_EQ(S(d), "inline");
}

// ---- Westring ----------------------------------------------------------------

TEST(WestringTest, Constructors) {
    EXPECT_TRUE(Westring(static_cast<const wchar_t*>(nullptr)).empty());
    EXPECT_TRUE(Westring(static_cast<const char*>(nullptr)).empty());
    ExpectRows(WideRows{
        {W(Westring("caf\xC3\xA9")), L"caf\u00E9"},      // UTF-8
        {W(Westring("caf\x82", 850)), L"caf\u00E9"},      // code page
        {W(Westring(Estring("caf\xE9"))), L"caf\u00E9"},  // Latin-1 widening
        {W(Westring(L"abcdef", 3)), L"abc"},
    });
}

TEST(WestringTest, EqualityFoldsCase) {
    ExpectRows(std::vector<std::pair<bool, bool>>{
        {Westring(L"ABC") == L"abc", true}, {Westring(L"\u00C9t\u00C9") == Westring(L"\u00E9t\u00E9"), true},
        {Westring(L"\u0416") == L"\u0436", true},  // Cyrillic Zhe
        {Westring(L"ab") != L"abc", true}, {Westring(L"") == static_cast<const wchar_t*>(nullptr), true},
        {Westring(L"\U00010400") == L"\U00010428", false},  // beyond the table
    });
}

TEST(WestringTest, CaseConversionAndWideSpaces) {
    CLocaleGuard unicode(LC_CTYPE, "C.UTF-8");
    if (!unicode.ok()) GTEST_SKIP() << "no C.UTF-8 locale";
    Westring s(L"Stra\u00DFe \u00E9\u0451 abc");
    s.upcase();
    EXPECT_EQ(W(s), L"STRA\u00DFE \u00C9\u0401 ABC");  // sharp s has no one-letter upper case
    s.downcase();
    EXPECT_EQ(W(s), L"stra\u00DFe \u00E9\u0451 abc");
    EXPECT_EQ(W(Westring(L"\u3000 x\u3000").trim()), L"x");  // the wide space class
}

TEST(WestringTest, SlicingAndPathParts) {
    Westring h(L"hello");
    ExpectRows(WideRows{
        {W(h.mid(2, 0)), L"llo"}, {W(h.mid(9, 2)), L""}, {W(h.left(2)), L"he"}, {W(h.right(2)), L"lo"},
        {W(h.chop(1)), L"hell"}, {W(Westring(L"abcdef").lpad(3)), L"def"}, {W(Westring(L"ab").lpad(4, L'0')), L"00ab"},
        {W(Westring(L"ab").pad(4, L'.')), L"ab.."}, {W(Westring(L" \t x \n").trim()), L"x"},
        {W(String(L'\u2500', 3)), L"\u2500\u2500\u2500"}, {W(String(L'x', -1)), L""},
        {W(Westring(L"/usr/bin/ls").filename()), L"ls"}, {W(Westring(L"/usr/bin/ls").path()), L"/usr/bin"},
        {W(Westring(L"a\\b").filename()), L"b"}, {W(Westring(L"plain").filename()), L"plain"},
        {W(Westring(L"plain").path()), L""}, {W(Westring(L"C:/x").path()), L"C:/"}, {W(Westring(L"/x").path()), L""},
        {W(Westring(L"/").RemoveBackslash()), L""}, {W(Westring(L"").AppendBackslash()), L""},
        {W(Westring(L"/tmp").AppendBackslash()), L"/tmp/"},
    });
    const Westring& c = h;
    EXPECT_EQ(c[500], L'\0');
    h[500] = L'x';
    EXPECT_EQ(W(h), L"hello");
}

TEST(WestringTest, Searching) {
    Westring s(L"one two one two");
    ExpectRows(std::vector<std::pair<int, int>>{
        {s.instr(L"two"), 4}, {s.instr(L"two", 5), 12}, {s.instr(L"two", 99), -1}, {s.instr(L"three"), -1},
        {s.instri(L"TWO ONE"), 4}, {s.chr(L'o'), 0}, {s.chr(L'o', 3), 8}, {s.chr(L'o', 5), -1}, {s.chr(L'o', 0), -1},
        {s.rchr(L'o'), 14}, {Westring(L"\"a b\" c").chrQuote(L' '), 5},
    });
}

TEST(WestringTest, Substitution) {
    Westring s(L"a.b.c");
    EXPECT_TRUE(s.subst(L".", L"::"));
    EXPECT_EQ(W(s), L"a::b.c");
    EXPECT_FALSE(s.subst(L"x", L"y"));
    EXPECT_FALSE(s.subst(L"", L"y"));
    Westring g(L"aXa");
    EXPECT_TRUE(g.gsubst(L"a", L"aa"));  // inserted text is not searched again
    EXPECT_EQ(W(g), L"aaXaa");
    EXPECT_FALSE(g.gsubst(L"q", L"r"));
    EXPECT_EQ(W(g), L"aaXaa");
    Westring big(String(L'a', 50000));
    EXPECT_TRUE(big.gsubst(L"a", L"bc"));
    EXPECT_EQ(big.strlen(), 100000);
}

TEST(WestringTest, ToAsciiTakesLowBytes) {
    EXPECT_EQ(S(Westring(L"A\u00E9\u0141").ToAscii()), "A\xE9\x41");
    EXPECT_EQ(S(Westring(L"a\u0100b").ToAscii()), "ab");  // a zero low byte is left out
}

TEST(WestringGrowthTest, PastOneMegabyteAndSelfAppend) {
    Westring s(L"\u00E9x");
    while (s.strlen() < 2 * 1024 * 1024) s += s;
    EXPECT_EQ(s.strlen(), 2 * 1024 * 1024);
    EXPECT_EQ(s[s.strlen() - 1], L'x');
    Westring piece(L"abcdef");
    piece = piece.c_str() + 2;
    EXPECT_EQ(W(piece), L"cdef");
    piece.append(piece.c_str(), 4);
    EXPECT_EQ(W(piece), L"cdefcdef");
    piece = piece;
    EXPECT_EQ(W(piece), L"cdefcdef");
}

}  // namespace
