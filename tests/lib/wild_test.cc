// Wildcard matching: "*", "?", bracket sets and brace alternatives.
#include <gtest/gtest.h>

#include <string>

#include "lib/wild.h"

namespace {

std::wstring widen(const char* text) {
    std::wstring out;
    for (const char* p = text; *p; p++) out += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return out;
}

struct Case { const char* pattern; const char* name; bool match; };

// Patterns made of ASCII (and Latin-1 bytes that have no case in the "C"
// locale); both the narrow and the wide form must agree on them.
const Case kCases[] = {
    // Plain characters, "?" and "*".
    {"", "", true}, {"", "a", false}, {"abc", "ABC", true}, {"abc", "abcd", false}, {"?", "", false},
    {"a?c", "abc", true}, {"*", "", true}, {"*.c", "MAIN.C", true}, {"*.c", "main.cc", false},
    {"a*b*c", "aXbYc", true}, {"a*b*c", "aXbY", false}, {"*.*", "file", false}, {"*?", "", false},
    // Bracket sets.
    {"[a-c]x", "Bx", true}, {"[^a-c]x", "bx", false}, {"[abc]", "", false},
    {"[]x", "x", false},    // the empty set matches nothing
    {"[^]x", "ax", true},   // the negated empty set matches anything
    {"[^]x", "x", false},   // ...but still one character
    {"[a-]", "\xE9", true}, // "-" before "]" runs up to 255
    {"[-c]", "\x01", true},  // a leading "-" ranges from code 0
    {"[c-a]", "b", false},  // a range that runs backwards adds nothing
    {"[c-a]", "c", true},   // ...but its start is a member by itself
    {"[a^b]", "b", false},  // a later "^" turns the sense of what follows
    {"[", "[", true},       // no "]" after it: an ordinary character
    // Brace alternatives.
    {"*.{c,h}", "x.H", true}, {"*.{c,h}", "x.o", false}, {"{a,b}", "ab", false},
    {"{a,b}", "{a,b}", true},  // no alternative fits: "{" is itself
    {"{,x}y", "y", true},
    {"{*,x}", "abc", false},   // "*" is ordinary inside an alternative
    {"{[,]}", "[", true},      // the set would cross the ",": both are ordinary
    {"{ab,a}b", "ab", true},   // the first alternative fits but the rest fails
    {"{a{b,c}", "{ab", true},  // "{" literal, then the second "{" opens alternatives
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
    struct WideCase { const wchar_t *pattern, *name; bool match; } cases[] = {
        {L"\u00E9t\u00E9.*", L"\u00C9T\u00C9.TXT", true},
        {L"[\u0430-\u044F]", L"\u0416", true},  // upper case of a member
        {L"[a-]", L"\u0416", false},  // "-" before "]" stops at 255
        {L"?", L"\U00010428", true},
        {L"\U00010428", L"\U00010400", false},  // no case beyond the table
        // Characters above U+FFFF belong to no set, so only negated sets take them.
        {L"[\U00010000-\U0010FFFF]", L"\U00010428", false}, {L"[^a-z]", L"\U00010428", true},
        {L"[\uFFF0-\U0010FFFF]", L"\uFFFD", true},  // the range is cut at U+FFFF
    };
    for (const WideCase& k : cases)
        EXPECT_EQ(wild(k.pattern, k.name), k.match) << std::hex << static_cast<unsigned>(k.pattern[0]);
    // In the "C" locale the narrow form knows no case beyond ASCII.
    EXPECT_FALSE(wild("\xE9", "\xC9"));
    EXPECT_TRUE(wild("\xE9", "\xE9"));
}

TEST(WildTest, PathologicalPatternsAndLongNamesFinish) {
    std::string many_a(100000, 'a');
    EXPECT_FALSE(wild("*a*a*a*a*a*a*a*a*a*a*a*b", many_a.c_str()));
    EXPECT_TRUE(wild("*a*a*a*a*a*a*a*a*a*a*a*", many_a.c_str()));
    EXPECT_FALSE(wild("{a,aa,aaa}*{a,aa}*{a,b}*b", many_a.c_str()));
    std::string stars(5000, '*');
    EXPECT_FALSE(wild((stars + "b").c_str(), many_a.c_str()));
    std::wstring wide_a(100000, L'a');
    EXPECT_FALSE(wild(L"*a*a*a*a*a*a*a*a*a*a*a*b", wide_a.c_str()));
    // A name past a megabyte against patterns that keep many positions, without recursion.
    std::string name(1200 * 1024, 'x');
    name += ".txt";
    EXPECT_TRUE(wild("*.txt", name.c_str()));
    EXPECT_TRUE(wild("*x*x*.{doc,txt}", name.c_str()));
    EXPECT_FALSE(wild("x*y", name.c_str()));
}

}  // namespace
