// Case tables, case-insensitive comparison and the order of file names.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <string>
#include <vector>

#include "lib/nls.h"
#include "tests/lib/locale_guard.h"

namespace {

int sign(int v) { return (v > 0) - (v < 0); }

TEST(NlsTest, NarrowTablesFollowTheLocale) {
    nls_init();  // "C" locale: ASCII letters only
    char text[] = "Hello, W\xE9rld_1";
    EXPECT_STREQ(nls_strupr(text), "HELLO, W\xE9RLD_1");
    EXPECT_STREQ(nls_strlwr(text), "hello, w\xE9rld_1");
    EXPECT_EQ(nls_strupr(static_cast<char*>(nullptr)), nullptr);
    const struct {
        const char *a, *b;
        int n, sign;  // n < 0: the whole texts
    } cases[] = {
        {"Readme.TXT", "README.txt", -1, 0}, {"abc", "ab", -1, 1},
        {"\xE9", "z", -1, 1},  // bytes compare as unsigned
        {"abcX", "ABCy", 3, 0}, {"abcX", "ABCy", 4, -1}, {"ab", "AB", 10, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sign(c.n < 0 ? nls_stricmp(c.a, c.b) : nls_strnicmp(c.a, c.b, c.n)), c.sign) << c.a << " " << c.n;
    EXPECT_EQ(nls_stricmp("abc", "abd"), 'C' - 'D');
}

TEST(NlsTest, WideCaseAndComparison) {
    EXPECT_EQ(nls_toupper(L'\u00E9'), L'\u00C9');
    EXPECT_EQ(nls_toupper(L'\U00010428'), L'\U00010428');
    EXPECT_EQ(nls_tolower(static_cast<wchar_t>(-1)), static_cast<wchar_t>(-1));
    wchar_t text[] = L"\u00E9t\u00E9 ABC";
    EXPECT_STREQ(nls_strupr(text), L"\u00C9T\u00C9 ABC");
    {
        CLocaleGuard unicode(LC_CTYPE, "C.UTF-8");
        if (unicode.ok()) {
            EXPECT_EQ(nls_tolower(L'\u0416'), L'\u0436');
            EXPECT_STREQ(nls_strlwr(text), L"\u00E9t\u00E9 abc");
        }
    }
    EXPECT_EQ(nls_strlwr(static_cast<wchar_t*>(nullptr)), nullptr);
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
    struct Case {
        const wchar_t *a, *b;
        int sign;
    } cases[] = {
        {L"_", L"0", -1}, {L"ab", L"abc", -1}, {L"\u00C9t\u00E9", L"\u00E9T\u00C9", 0},
        {L"", L"_", -1},  // the end sorts before "_"
        {L"a_b", L"a.b", -1},
        {L"_x", L"\x01x", -1},  // both weigh 1; "_" comes first
        {L"\x01x", L"_x", 1}, {nullptr, L"", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(sign(nls_fname_cmp(c.a, c.b)), c.sign) << c.a << " / " << c.b;
    EXPECT_EQ(nls_fname_cmp(L"b", L"a"), 'B' - 'A');
}

TEST(FileNameOrderTest, PanelLikeOrder) {
    std::vector<std::wstring> names = {L"zeta", L"Alpha", L"_build", L"alpha2", L"ALPHA", L"beta", L"1st", L"a"};
    std::stable_sort(names.begin(), names.end(),
                     [](const std::wstring& a, const std::wstring& b) { return nls_fname_cmp(a.c_str(), b.c_str()) < 0; });
    std::vector<std::wstring> expected = {L"_build", L"1st", L"a", L"Alpha", L"ALPHA", L"alpha2", L"beta", L"zeta"};
    EXPECT_EQ(names, expected);
}

}  // namespace
