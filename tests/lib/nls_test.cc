// Case tables, case-insensitive comparison and the order of file names.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <random>
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
        {"Readme.TXT", "README.txt", -1, 0}, {"abc", "ABD", -1, -1}, {"abc", "ab", -1, 1}, {"", "", -1, 0},
        {"\xE9", "z", -1, 1},  // bytes compare as unsigned
        {"abcX", "ABCy", 3, 0}, {"abcX", "ABCy", 4, -1}, {"a", "b", 0, 0}, {"ab", "AB", 10, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sign(c.n < 0 ? nls_stricmp(c.a, c.b) : nls_strnicmp(c.a, c.b, c.n)), c.sign) << c.a << " " << c.n;
    EXPECT_EQ(nls_stricmp("abc", "abd"), 'C' - 'D');
}

TEST(NlsTest, WideCaseAndComparison) {
    EXPECT_EQ(nls_toupper(L'\u00E9'), L'\u00C9');
    EXPECT_EQ(nls_toupper(L'\U00010428'), L'\U00010428');
    EXPECT_EQ(nls_tolower(L'Q'), L'q');
    EXPECT_EQ(nls_tolower(L'_'), L'_');
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
    EXPECT_EQ(nls_stricmp(L"a", L"c"), 'A' - 'C');
    EXPECT_GT(nls_stricmp(L"abc", L"AB"), 0);
    EXPECT_EQ(nls_strnicmp(L"abcX", L"ABCy", 3), 0);
    EXPECT_LT(nls_strnicmp(L"abcX", L"ABCy", 4), 0);
}

TEST(NlsTest, ExactFileNameComparison) {
    const struct {
        const wchar_t *a, *b;
        int n, sign;  // n < 0: the whole names
    } cases[] = {
        {L"File", L"File", -1, 0}, {L"File", L"file", -1, -1}, {L"ab", L"abc", -1, -1}, {nullptr, L"", -1, 0},
        {L"abcX", L"abcY", 3, 0}, {L"abcX", L"abcY", 4, -1}, {L"x", L"y", 0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sign(c.n < 0 ? fncompare(c.a, c.b) : fncomparen(c.a, c.b, c.n)), c.sign) << c.a << " " << c.n;
}

TEST(FileNameOrderTest, EdgeCases) {
    struct Case {
        const wchar_t *a, *b;
        int sign;
    } cases[] = {
        {L"_b", L"a", -1}, {L"_", L"0", -1}, {L"abc", L"ab", 1}, {L"ab", L"abc", -1}, {L"ABC", L"abc", 0},
        {L"\u00C9t\u00E9", L"\u00E9T\u00C9", 0}, {L"", L"", 0},
        {L"", L"_", -1},  // the end sorts before "_"
        {L"a_b", L"a.b", -1}, {L"a_b", L"ab", -1}, {L"b", L"A", 1},
        {L"_x", L"\x01x", -1},  // both weigh 1; "_" comes first
        {L"\x01x", L"_x", 1}, {nullptr, L"", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(sign(nls_fname_cmp(c.a, c.b)), c.sign) << c.a << " / " << c.b;
    EXPECT_EQ(nls_fname_cmp(L"b", L"a"), 'B' - 'A');
}

// Random names from a small alphabet that holds every special weight: "_",
// the control character 1 that weighs the same, letters in both cases,
// digits, dots and letters with and beyond the case table.
std::vector<std::wstring> random_names(unsigned seed, int count) {
    const wchar_t alphabet[] = {L'_', 0x01, L'a', L'A', L'b', L'B', L'0', L'9', L'.', L'-',
                                0xE9, 0xC9, 0x436, 0x416, 0x10428, 0x10400};
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> length(0, 4);
    std::uniform_int_distribution<int> letter(0, sizeof alphabet / sizeof alphabet[0] - 1);
    std::vector<std::wstring> names;
    for (int i = 0; i < count; i++) {
        std::wstring name;
        for (int n = length(rng); n > 0; n--) name += alphabet[letter(rng)];
        names.push_back(name);
    }
    return names;
}

TEST(FileNameOrderTest, IsAStrictWeakOrder) {
    std::vector<std::wstring> names = random_names(12345, 120);
    int n = static_cast<int>(names.size());
    std::vector<std::vector<int>> cmp(n, std::vector<int>(n));
    for (int i = 0; i < n; i++)
        for (int j = 0; j < n; j++) cmp[i][j] = sign(nls_fname_cmp(names[i].c_str(), names[j].c_str()));
    for (int i = 0; i < n; i++) {
        ASSERT_EQ(cmp[i][i], 0);
        for (int j = 0; j < n; j++) {
            ASSERT_EQ(cmp[i][j], -cmp[j][i]) << "antisymmetry";
            for (int k = 0; k < n; k++) {
                // Both "less" and "equivalent" must be transitive.
                if (cmp[i][j] < 0 && cmp[j][k] < 0) {
                    ASSERT_LT(cmp[i][k], 0) << i << " " << j << " " << k;
                }
                if (cmp[i][j] == 0 && cmp[j][k] == 0) {
                    ASSERT_EQ(cmp[i][k], 0) << i << " " << j << " " << k;
                }
            }
        }
    }
}

TEST(FileNameOrderTest, StableSortIsConsistentAndStable) {
    std::vector<std::wstring> names = random_names(777, 3000);
    struct Item {
        std::wstring name;
        int original;
    };
    std::vector<Item> items;
    for (int i = 0; i < static_cast<int>(names.size()); i++) items.push_back({names[i], i});
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
        return nls_fname_cmp(a.name.c_str(), b.name.c_str()) < 0;
    });
    for (size_t i = 1; i < items.size(); i++) {
        int c = nls_fname_cmp(items[i - 1].name.c_str(), items[i].name.c_str());
        ASSERT_LE(c, 0) << i;
        ASSERT_TRUE(c < 0 || items[i - 1].original < items[i].original) << "equal names keep their order " << i;
    }
}

TEST(FileNameOrderTest, PanelLikeOrder) {
    std::vector<std::wstring> names = {L"zeta", L"Alpha", L"_build", L"alpha2", L"ALPHA", L"beta", L"1st", L"a"};
    std::stable_sort(names.begin(), names.end(),
                     [](const std::wstring& a, const std::wstring& b) { return nls_fname_cmp(a.c_str(), b.c_str()) < 0; });
    std::vector<std::wstring> expected = {L"_build", L"1st", L"a", L"Alpha", L"ALPHA", L"alpha2", L"beta", L"zeta"};
    EXPECT_EQ(names, expected);
}

}  // namespace
