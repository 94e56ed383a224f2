// Case tables, case-insensitive comparison and the order of file names.
#include <gtest/gtest.h>


#include "lib/nls.h"

namespace {

int sign(int v) { return (v > 0) - (v < 0); }

TEST(NlsTest, NarrowComparisonIgnoresAsciiCaseOnly) {
    nls_init();  // "C" locale: ASCII letters only
    const struct { const char *a, *b; int n, sign; } cases[] = {  // n < 0: the whole texts
        {"Readme.TXT", "README.txt", -1, 0}, {"abc", "ab", -1, 1},
        {"\xE9", "z", -1, 1}, {"\xE9", "\xC9", -1, 1},  // bytes compare as unsigned, no case beyond ASCII
        {"abcX", "ABCy", 3, 0}, {"abcX", "ABCy", 4, -1}, {"ab", "AB", 10, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sign(c.n < 0 ? nls_stricmp(c.a, c.b) : nls_strnicmp(c.a, c.b, c.n)), c.sign) << c.a << " " << c.n;
    EXPECT_EQ(nls_stricmp("abc", "abd"), 'C' - 'D');
}

TEST(NlsTest, WideCaseAndComparison) {
    EXPECT_EQ(nls_tolower(static_cast<wchar_t>(-1)), static_cast<wchar_t>(-1));
    EXPECT_EQ(nls_stricmp(L"\u0416\u00E9", L"\u0436\u00C9"), 0);
    EXPECT_EQ(nls_strnicmp(L"abcX", L"ABCy", 3), 0);
    EXPECT_LT(nls_strnicmp(L"abcX", L"ABCy", 4), 0);
}

TEST(NlsTest, ExactFileNameComparison) {
    const struct {
        const wchar_t *a, *b;
        int n, sign;  // n < 0: the whole names
    } cases[] = {
        {L"File", L"file", -1, -1}, {L"ab", L"abc", -1, -1}, {nullptr, L"", -1, 0}, {L"abcX", L"abcY", 3, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sign(c.n < 0 ? fncompare(c.a, c.b) : fncomparen(c.a, c.b, c.n)), c.sign) << c.a << " " << c.n;
}

TEST(FileNameOrderTest, EdgeCases) {
    struct Case { const wchar_t *a, *b; int sign; } cases[] = {
        {L"_", L"0", -1}, {L"ab", L"abc", -1}, {L"\u00C9t\u00E9", L"\u00E9T\u00C9", 0},
        {L"", L"_", -1},  // the end sorts before "_"
        {L"a_b", L"a.b", -1},
        {L"_x", L"\x01x", -1},  // both weigh 1; "_" comes first
        {L"\x01x", L"_x", 1}, {nullptr, L"", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(sign(nls_fname_cmp(c.a, c.b)), c.sign) << c.a << " / " << c.b;
    EXPECT_EQ(nls_fname_cmp(L"b", L"a"), 'B' - 'A');
}

}  // namespace
