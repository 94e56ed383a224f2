// UTF-8 and code-page conversions of Westring, and the code-page settings.
#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <string>

#include "lib/codepage.h"
#include "lib/westring.h"

namespace {

std::string S(const Estring& e) { return e.c_str(); }
std::wstring W(const Westring& w) { return w.c_str(); }

TEST(Utf8Test, EncodedLengthsAndUnencodable) {
    struct Case { wchar_t c; int bytes; } lengths[] = {{0x7F, 1}, {0x80, 2}, {0xFFFF, 3}, {0x10FFFF, 4}};
    for (const Case& k : lengths) {
        wchar_t text[2] = {k.c, 0};
        EXPECT_EQ(Westring(text).ToUTF8().strlen(), k.bytes) << std::hex << static_cast<int>(k.c);
    }
    wchar_t unencodable[] = {L'a', static_cast<wchar_t>(0x7FFFFFFF), L'b', 0};  // the replacement character
    EXPECT_EQ(S(Westring(unencodable).ToUTF8()), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(S(Westring(L"\xD800").ToUTF8()), "\xED\xA0\x80");  // surrogates are written as they are
}

TEST(Utf8Test, DecodingValidAndInvalidBytes) {
    const std::wstring kZero(1, static_cast<wchar_t>(-1));
    struct Case { const char* bytes; std::wstring expected; bool valid; } cases[] = {
        {"a\xE2\x82\xAC" "b\xF0\x9F\x98\x80", L"a\u20ACb\U0001F600", true},
        {"\xC1\x81", L"A", true},  // overlong forms other than 0 are accepted as they decode
        {"\xED\xA0\x80", std::wstring(1, static_cast<wchar_t>(0xD800)), true},  // and surrogates too
        // Invalid bytes become Latin-1 characters.
        {"\xE9", L"\u00E9", false},                // a lone lead byte
        {"\x80", L"\u0080", false},                // a stray continuation byte
        {"\xE2\x82" "A", L"\u00E2\u0082A", false},  // interrupted sequence
        {"\xF8\x88\x80\x80\x80", L"\u00F8\u0088\u0080\u0080\u0080", false},  // no five-byte forms
        {"\xC3" "\xC3\xA9", L"\u00C3\u00E9", false},  // the bad byte alone is replaced
        // An overlong zero is stored as -1.
        {"\xC0\x80", kZero, false}, {"\xF0\x80\x80\x80", kZero, false},
    };
    for (const Case& k : cases) {
        Westring w(L"old");
        EXPECT_EQ(w.FromUTF8(k.bytes), k.valid) << k.bytes;
        EXPECT_EQ(W(w), k.expected) << k.bytes;
    }
    // ...and written back as the two-byte form it most likely came from.
    Westring zero;
    zero.FromUTF8("a\xC0\x80z");
    EXPECT_EQ(S(zero.ToUTF8()), "a\xC0\x80z");
    // Counted input stops at a zero byte and at the count.
    EXPECT_TRUE(zero.FromUTF8("ab\0cd", 5));
    EXPECT_EQ(W(zero), L"ab");
    EXPECT_FALSE(zero.FromUTF8("\xC3\xA9", 1));  // cut inside the sequence
    EXPECT_EQ(W(zero), L"\u00C3");
    Westring w(L"old");
    EXPECT_TRUE(w.FromUTF8(nullptr));
    EXPECT_TRUE(w.empty());
}

TEST(Utf8Test, LongInvalidTextDoesNotOverflow) {
    // Every other byte invalid, far past the initial room of n / 2.
    std::string bytes;
    for (int i = 0; i < 1500000; i++) bytes += (i % 2) ? "\xA0" : "\xE4\xBD\xA0";
    Westring w;
    EXPECT_FALSE(w.FromUTF8(bytes.c_str()));
    ASSERT_EQ(w.strlen(), 1500000);
    EXPECT_EQ(w[0], L'\u4F60');
    EXPECT_EQ(w[1], L'\u00A0');
}

TEST(CodePageTest, NamesAndKnownCharacters) {
    EXPECT_EQ(S(CPName(819)) + " " + S(CPName(20866)) + " " + S(CPName(850)), "ISO-8859-1 KOI8-R CP850");

    struct Case { int cp; const char* bytes; const wchar_t* text; } cases[] = {
        {850, "\x82\x80\x9C\xB0", L"\u00E9\u00C7\u00A3\u2591"},
        {1251, "\xC0\xE0\xA8\xB8\x80", L"\u0410\u0430\u0401\u0451\u0402"},
        {878, "\xC1\xE1\xB3", L"\u0430\u0410\u0401"},
    };
    for (const Case& k : cases) {
        Westring w;
        EXPECT_TRUE(w.FromCodePage(k.bytes, k.cp)) << k.cp;
        EXPECT_EQ(W(w), k.text) << k.cp;
        EXPECT_EQ(S(w.ToCodePage(k.cp)), k.bytes) << k.cp;
    }
}

TEST(CodePageTest, EveryByteRoundTrips) {
    for (int cp : {850, 1251, 819, 878}) {
        std::string bytes;
        for (int b = 1; b < 256; b++) {
            if (cp == 1251 && b == 0x98) continue;  // the one byte CP1251 leaves unassigned
            bytes += static_cast<char>(b);
        }
        Westring w;
        EXPECT_TRUE(w.FromCodePage(bytes.c_str(), cp)) << cp;
        EXPECT_EQ(w.strlen(), static_cast<int>(bytes.size())) << cp;
        EXPECT_EQ(S(w.ToCodePage(cp)), bytes) << cp;
    }
}

TEST(CodePageTest, UnknownCodePageAndUnmappableBytes) {
    Westring w(L"old content");
    EXPECT_FALSE(w.FromCodePage("abc", 99999));
    EXPECT_TRUE(w.empty() && Westring("abc", 99999).empty());
    EXPECT_EQ(S(Westring(L"abc").ToCodePage(99999)), "");
    // A byte the code page leaves unassigned gives the house sign.
    EXPECT_FALSE(w.FromCodePage("a\x98" "b", 1251));
    EXPECT_EQ(W(w), L"a\u2302b");
}

TEST(CodePageTest, LongTextWithBadBytesAcrossChunks) {
    // Far past one converter chunk and past 1 MB, an unmapped byte every 997.
    std::string bytes;
    const int n = 1200000;
    for (int i = 0; i < n; i++) bytes += (i % 997 == 500) ? '\x98' : static_cast<char>(0xC0 + i % 64);
    Westring w;
    EXPECT_FALSE(w.FromCodePage(bytes.c_str(), bytes.size(), 1251));
    ASSERT_EQ(w.strlen(), n);
    for (int i = 0; i < n; i++)
        ASSERT_EQ(w[i], (i % 997 == 500) ? L'\u2302' : static_cast<wchar_t>(0x410 + i % 64)) << "at " << i;
}

TEST(CodePageTest, ToCodePageStopsAtFirstUnrepresentable) {
    EXPECT_EQ(S(Westring(L"abc\u4E00def").ToCodePage(850)), "abc");
    EXPECT_EQ(S(Westring(L"\u20ACx").ToCodePage(819)), "");
    EXPECT_EQ(S(Westring(String(L'\u00E9', 300000)).ToCodePage(850)), std::string(300000, '\x82'));
}

}  // namespace
