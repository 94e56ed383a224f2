// Digit groups and sizes fitted into columns.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <string>
#include <utility>

#include "lib/numfmt.h"
#include "tests/lib/locale_guard.h"

namespace {

std::wstring W(const Westring& w) { return w.c_str(); }

// Restores the program-wide separator after a test changes it.
class SeparatorGuard {
public:
    SeparatorGuard() : saved_(thousand_separator) {}
    ~SeparatorGuard() { thousand_separator = saved_; }

private:
    wchar_t saved_;
};

TEST(AddCommasTest, GroupsOfThree) {
    SeparatorGuard guard;
    thousand_separator = L',';
    const std::pair<const wchar_t*, std::wstring> cases[] = {
        {L"1234567", L"1,234,567"}, {L"123", L"123"}, {nullptr, L""},
        {L"-123456", L"-123,456"},  // the sign is no digit
    };
    for (const auto& c : cases) EXPECT_EQ(W(addCommas(c.first)), c.second) << c.second;
    std::wstring digits(30000, L'9');  // very long digit strings
    Westring grouped = addCommas(digits.c_str());
    EXPECT_EQ(grouped.strlen(), 30000 + 9999);
    EXPECT_EQ(grouped[1], L'9');
    EXPECT_EQ(grouped[3], L',');
    thousand_separator = L'\u202F';
    EXPECT_EQ(W(addCommas(L"9876543")), L"9\u202F876\u202F543");
}

TEST(ThousandSeparatorTest, CommaWhenTheLocaleHasNone) {
    SeparatorGuard guard;
    for (const char* name : {"C", "C.UTF-8"}) {
        CLocaleGuard numeric(LC_NUMERIC, name);
        if (!numeric.ok()) continue;
        thousand_separator = L'x';
        init_thousand_separator();
        EXPECT_EQ(thousand_separator, L',') << name;
    }
}

TEST(ThousandSeparatorTest, TakenFromTheLocale) {
    SeparatorGuard guard;
    CLocaleGuard numeric(LC_NUMERIC, "de_DE.UTF-8");
    CLocaleGuard ctype(LC_CTYPE, "de_DE.UTF-8");
    if (!numeric.ok() || !ctype.ok()) GTEST_SKIP() << "no de_DE.UTF-8 locale";
    init_thousand_separator();
    EXPECT_EQ(thousand_separator, L'.');
    EXPECT_EQ(W(addCommas(L"1234567")), L"1.234.567");
}

template <class T>
struct SizeCase { T value; int width; const wchar_t* text; };

TEST(ItoaCommaTest, ThirtyTwoBit) {
    SeparatorGuard guard;
    thousand_separator = L',';
    const SizeCase<uint32_t> cases[] = {
        {123456, 6, L"120K"},  // 5 digits fit; 123456 / 1024 = 120
        {99999, 6, L"99,999"},
        {100000, 6, L"97K"},  // six digits no longer fit in six columns
        {10239999, 6, L"9,999K"},  // 9999 K still fits
        {10240000, 6, L"9M"},  // 10000 K would not
        {4294967295u, 13, L"4,294,967,295"},  // ten digits: no limit
        {1234, 4, L"1K"},  // 3 digits fit in 4 columns
        {5, -7, L"5"},  // odd widths are safe
    };
    for (const auto& k : cases) EXPECT_EQ(W(itoa_comma(k.value, k.width)), k.text) << k.value << " " << k.width;
}

TEST(ItoaCommaTest, SixtyFourBit) {
    SeparatorGuard guard;
    thousand_separator = L',';
    const int64_t K = 1024, G = K * K * K, T = G * K;
    const SizeCase<int64_t> cases[] = {
        {123456, 6, L"120K"},
        {9999 * K, 6, L"9,999K"},  // width 6 is no multiple of 4: 4 digits with K
        {999999 * K, 8, L"999,999K"},  // width 8: the K fills the separator column
        {5 * T, 6, L"5,120G"},
        {INT64_MAX, 6, L"8,388,607T"},               // T is the largest unit
        {INT64_MAX, 24, L"9,007,199,254,740,991K"},  // at most 18 digits
        {-1234567, 6, L"-1,234,567"},  // negative values are never divided
        {3 * G, 12, L"3,145,728K"},  // width 12 keeps 9 digits
        {12345, -3, L"0M"}, {12345, 1000, L"12,345"},  // odd widths are safe
    };
    for (const auto& k : cases) EXPECT_EQ(W(itoa_comma(k.value, k.width)), k.text) << k.value << " " << k.width;
}

TEST(ItoaCommaTest, ResultFitsItsColumnAtTheLimits) {
    // Every size fits from the width where the largest unit's figure fits.
    SeparatorGuard guard;
    thousand_separator = L',';
    for (int width = 6; width <= 12; width++) {
        int digits = width - width / 4;
        uint32_t limit = 1;
        for (int i = 0; i < digits && limit < 1000000000u; i++) limit *= 10;
        for (uint32_t v : {limit - 1, limit, limit + 1, (limit / 10) * 1024 - 1, (limit / 10) * 1024}) {
            EXPECT_LE(itoa_comma(v, width).strlen(), width) << v << " " << width;
            EXPECT_LE(itoa_comma(static_cast<int64_t>(v), width).strlen(), width) << v << " " << width;
        }
    }
}

}  // namespace
