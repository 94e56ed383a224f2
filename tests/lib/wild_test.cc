// Wildcard matching: "*", "?", bracket sets and brace alternatives.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <random>
#include <string>

#include "lib/wild.h"

namespace {

std::wstring widen(const char* text) {
    std::wstring out;
    for (const char* p = text; *p; p++) out += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return out;
}

struct Case {
    const char* pattern;
    const char* name;
    bool match;
};

// Patterns made of ASCII (and Latin-1 bytes that have no case in the "C"
// locale); both the narrow and the wide form must agree on them.
const Case kCases[] = {
    // Plain characters, "?" and "*".
    {"", "", true}, {"", "a", false}, {"abc", "ABC", true}, {"abc", "abcd", false}, {"abcd", "abc", false},
    {"?", "", false}, {"?", "x", true}, {"a?c", "abc", true}, {"a?c", "ac", false}, {"??", "a", false},
    {"*", "", true}, {"*", "anything at all", true}, {"**", "", true}, {"*.c", "MAIN.C", true},
    {"*.c", "main.cc", false}, {"a*", "a", true}, {"*a", "a", true}, {"*a", "ba", true}, {"*a", "ab", false},
    {"a*b*c", "aXbYc", true}, {"a*b*c", "aXbY", false}, {"a*b*c", "abcbc", true}, {"*.*", "file", false},
    {"*.*", "file.", true}, {"*?", "", false}, {"*?", "x", true}, {"*x*", "abxcd", true},
    // Bracket sets.
    {"[a-c]x", "Bx", true}, {"[^a-c]x", "bx", false}, {"[^a-c]x", "dx", true}, {"[abc]", "", false},
    {"[abc]", "C", true}, {"[abc]", "d", false},
    {"[]x", "x", false},    // the empty set matches nothing
    {"[]x", "ax", false},
    {"[^]x", "ax", true},   // the negated empty set matches anything
    {"[^]x", "x", false},   // ...but still one character
    {"[^]", "\xE9", true},
    {"[]]", "]", false},    // "[]" then a literal "]"
    {"[^]]", "a]", true},
    {"[a-]", "z", true},    // "-" before "]" runs up to 255
    {"[a-]", "\xE9", true}, {"[a-]", "A", true}, {"[a-]", "-", false},
    {"[-c]", "\x01", true},  // a leading "-" ranges from code 0
    {"[-c]", "C", true},
    {"[-c]", "d", true},     // "D" lies in the range, and case is ignored
    {"[-+]", "a", false}, {"[-]", "-", true}, {"[-]", "\xFF", true},
    {"[c-a]", "b", false},  // a range that runs backwards adds nothing
    {"[c-a]", "c", true},   // ...but its start is a member by itself
    {"[c-a]", "a", false}, {"[a-cx-z]", "y", true}, {"[a-cx-z]", "m", false},
    {"[a-c-e]", "d", true},  // a range may start where the last one ended
    {"[a^b]", "a", true},   // a later "^" turns the sense of what follows
    {"[a^b]", "b", false}, {"[a^b]", "x", false}, {"[^a^b]", "a", false}, {"[^a^b]", "b", true},
    {"[^a^b]", "x", true}, {"[!-/]", "+", true}, {"[*?]", "?", true}, {"[*?]", "a", false}, {"[[]", "[", true},
    {"[", "[", true},       // no "]" after it: an ordinary character
    {"a[", "a[", true}, {"[x", "[x", true}, {"[x", "x", false}, {"]", "]", true}, {"*[0-9]", "file7", true},
    {"*[0-9]", "file", false},
    // Brace alternatives.
    {"*.{c,h}", "x.h", true}, {"*.{c,h}", "x.H", true}, {"*.{c,h}", "x.o", false}, {"*.{c,cc,h}", "a.cc", true},
    {"*.{c,cc,h}", "a.hh", false}, {"{a,b}", "a", true}, {"{a,b}", "b", true}, {"{a,b}", "c", false},
    {"{a,b}", "ab", false},
    {"{a,b}", "{a,b}", true},  // no alternative fits: "{" is itself
    {"{a,b}", "{A,B}", true}, {"{a,b}", "{a,b", false}, {"{,x}y", "y", true}, {"{,x}y", "xy", true},
    {"x{}", "x", true}, {"x{}", "x{}", true},
    {"{*,x}", "*", true},      // "*" is ordinary inside an alternative
    {"{*,x}", "abc", false}, {"{*,x}", "x", true}, {"{?b,c}d", "abd", true}, {"{?b,c}d", "cd", true},
    {"{?b,c}d", "bd", false}, {"{[ab]x,y}", "Bx", true}, {"{[ab]x,y}", "cx", false},
    {"{[,]}", "[", true},      // the set would cross the ",": both are ordinary
    {"{[,]}", "]", true}, {"{a,b}{c,d}", "bc", true}, {"{a,b}{c,d}", "bb", false}, {"a{b,c", "a{b,c", true},
    {"a{b,c", "ab", false}, {"*{a,b}", "xxb", true},
    {"{ab,a}b", "ab", true},   // the first alternative fits but the rest fails
    {"{a,ab}*c", "abxc", true},
    {"{a{b,c}", "ac", false},  // inside an alternative "{" is ordinary
    {"{a{b,c}", "a{b", true},
    {"{a{b,c}", "{ab", true},  // "{" literal, then the second "{" opens alternatives
    {"{,}", "", true}, {"{}", "", true}, {"{}", "{}", true},
};

TEST(WildTest, NarrowAndWideTable) {
    for (const Case& k : kCases) {
        std::wstring pattern = widen(k.pattern), name = widen(k.name);
        EXPECT_EQ(wild(k.pattern, k.name), k.match) << k.pattern << " ~ " << k.name;
        EXPECT_EQ(wild(pattern.c_str(), name.c_str()), k.match) << "wide: " << k.pattern << " ~ " << k.name;
    }
}

TEST(WildTest, NullTextsCountAsEmpty) {
    EXPECT_TRUE(wild(static_cast<const char*>(nullptr), nullptr));
    EXPECT_TRUE(wild("*", nullptr));
    EXPECT_FALSE(wild(static_cast<const char*>(nullptr), "a"));
    EXPECT_TRUE(wild(static_cast<const wchar_t*>(nullptr), L""));
    EXPECT_TRUE(wild(L"*", static_cast<const wchar_t*>(nullptr)));
}

TEST(WildTest, WideLettersFoldThroughTheCaseTable) {
    struct WideCase {
        const wchar_t *pattern, *name;
        bool match;
    } cases[] = {
        {L"\u00E9t\u00E9.*", L"\u00C9T\u00C9.TXT", true}, {L"*\u0436", L"\u0416", true},
        {L"[\u0430-\u044F]", L"\u0416", true},  // upper case of a member
        {L"[\u0410-\u042F]", L"\u0436", true}, {L"[^\u0430-\u044F]", L"\u0416", false},
        {L"[a-]", L"\u0416", false},  // "-" before "]" stops at 255
        {L"[a-]", L"\u00FF", true}, {L"{\u00E9,x}", L"\u00C9", true}, {L"?", L"\U00010428", true},
        {L"\U00010428", L"\U00010400", false},  // no case beyond the table
        {L"\U00010428", L"\U00010428", true}, {L"*\U0001F600*", L"a\U0001F600b", true},
        // Characters above U+FFFF belong to no set, so only negated sets take them.
        {L"[a-z]", L"\U00010428", false}, {L"[^a-z]", L"\U00010428", true},
        {L"[\U00010000-\U0010FFFF]", L"\U00010428", false}, {L"[\U00010428]", L"\U00010428", false},
        {L"[^]", L"\U00010428", true},
        {L"[\uFFF0-\U0010FFFF]", L"\uFFFD", true},  // the range is cut at U+FFFF
    };
    for (const WideCase& k : cases)
        EXPECT_EQ(wild(k.pattern, k.name), k.match) << std::hex << static_cast<unsigned>(k.pattern[0]);
    // In the "C" locale the narrow form knows no case beyond ASCII.
    EXPECT_FALSE(wild("\xE9", "\xC9"));
    EXPECT_TRUE(wild("\xE9", "\xE9"));
}

TEST(WildTest, SetMembership) {
    auto member = [](const char* set, char ch) { return sqr_bracket(set, set + std::strlen(set), ch); };
    EXPECT_FALSE(member("", 'a'));
    EXPECT_TRUE(member("^", 'a'));
    EXPECT_TRUE(member("a-z", 'Q'));
    EXPECT_TRUE(member("0-9", '5'));
    EXPECT_FALSE(member("0-9", 'a'));
    EXPECT_TRUE(member("\xE0-", '\xFF'));  // narrow bytes are unsigned
    EXPECT_FALSE(member("\xE0-", 'z'));
    EXPECT_FALSE(member("a-c", '\0'));
    EXPECT_FALSE(sqr_bracket(static_cast<const char*>(nullptr), nullptr, 'a'));
    const wchar_t* wide_set = L"\u0430-\u044F";
    EXPECT_TRUE(sqr_bracket(wide_set, wide_set + 3, L'\u0401' + 0x15));  // U+0416
    EXPECT_FALSE(sqr_bracket(wide_set, wide_set + 3, L'\U00010428'));
}

// What the matcher must compute, written as the plain backtracking search
// (exponential, so only for short patterns and names).
bool reference_wild(const char* p, const char* n) {
    auto same = [](char a, char b) {
        return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
    };
    if (!*p) return !*n;
    while (*p) {
        const char* end;
        if (*p == '?') {
            if (!*n) return false;
            p++, n++;
        } else if (*p == '[' && (end = std::strchr(p + 1, ']'))) {
            if (!*n || !sqr_bracket(p + 1, end, *n)) return false;
            p = end + 1, n++;
        } else if (*p == '*') {
            if (!p[1]) return true;
            for (const char* s = n;; s++) {
                if (reference_wild(p + 1, s)) return true;
                if (!*s) return false;
            }
        } else if (*p == '{' && (end = std::strchr(p + 1, '}'))) {
            for (const char* alt = p + 1;;) {
                const char* alt_end = alt;
                while (alt_end < end && *alt_end != ',') alt_end++;
                const char* q = alt;
                const char* m = n;
                bool fits = true;
                while (fits && q < alt_end) {
                    const char* close = std::find(q + 1, alt_end, ']');
                    if (!*m) fits = false;
                    else if (*q == '?') q++, m++;
                    else if (*q == '[' && close < alt_end) fits = sqr_bracket(q + 1, close, *m), q = close + 1, m++;
                    else fits = same(*q, *m), q++, m++;
                }
                if (fits && reference_wild(end + 1, m)) return true;
                if (alt_end == end) break;
                alt = alt_end + 1;
            }
            if (!*n || !same('{', *n)) return false;
            p++, n++;
        } else {
            if (!*n || !same(*p, *n)) return false;
            p++, n++;
        }
        if (!*p) return !*n;
    }
    return !*n;
}

TEST(WildTest, AgreesWithBacktrackingSearch) {
    const char pattern_letters[] = "ab?*[]^-{},A";
    const char name_letters[] = "abAB-{},]";
    std::mt19937 rng(2024);
    std::uniform_int_distribution<int> pattern_length(0, 9), name_length(0, 7);
    std::uniform_int_distribution<int> pick_pattern(0, sizeof pattern_letters - 2);
    std::uniform_int_distribution<int> pick_name(0, sizeof name_letters - 2);
    int matches = 0;
    for (int round = 0; round < 40000; round++) {
        std::string pattern, name;
        for (int i = pattern_length(rng); i > 0; i--) pattern += pattern_letters[pick_pattern(rng)];
        for (int i = name_length(rng); i > 0; i--) name += name_letters[pick_name(rng)];
        bool expected = reference_wild(pattern.c_str(), name.c_str());
        matches += expected;
        ASSERT_EQ(wild(pattern.c_str(), name.c_str()), expected) << pattern << " ~ " << name;
        std::wstring wide_pattern = widen(pattern.c_str()), wide_name = widen(name.c_str());
        ASSERT_EQ(wild(wide_pattern.c_str(), wide_name.c_str()), expected) << pattern << " ~ " << name;
    }
    EXPECT_GT(matches, 1000);  // the sample exercises both answers
}

TEST(WildTest, PathologicalPatternsAndLongNamesFinish) {
    std::string many_a(100000, 'a');
    EXPECT_FALSE(wild("*a*a*a*a*a*a*a*a*a*a*a*b", many_a.c_str()));
    EXPECT_TRUE(wild("*a*a*a*a*a*a*a*a*a*a*a*", many_a.c_str()));
    EXPECT_FALSE(wild("{a,aa,aaa}*{a,aa}*{a,b}*b", many_a.c_str()));
    std::string stars(5000, '*');
    EXPECT_FALSE(wild((stars + "b").c_str(), many_a.c_str()));
    std::string star_a;
    for (int i = 0; i < 100; i++) star_a += "*a";
    EXPECT_FALSE(wild((star_a + "*b").c_str(), many_a.substr(0, 20000).c_str()));

    std::wstring wide_a(100000, L'a');
    EXPECT_FALSE(wild(L"*a*a*a*a*a*a*a*a*a*a*a*b", wide_a.c_str()));
    EXPECT_TRUE(wild(L"*?*[a]*{a,b}", wide_a.c_str()));
    // A name past a megabyte against patterns that keep many positions, without recursion.
    std::string name(1200 * 1024, 'x');
    name += ".txt";
    EXPECT_TRUE(wild("*.txt", name.c_str()));
    EXPECT_TRUE(wild("*x*x*.{doc,txt}", name.c_str()));
    EXPECT_FALSE(wild("*.doc", name.c_str()));
    EXPECT_FALSE(wild("x*y", name.c_str()));
}

}  // namespace
