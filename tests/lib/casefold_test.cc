// The program's Unicode case list and the table built from it.
#include <gtest/gtest.h>

#include <set>

#include "lib/casefold.h"

namespace {

TEST(CaseFoldTest, ListHoldsTheBmpPairsOneToOne) {
    ASSERT_EQ(CUnicodeCaseFold::PairCount(), 993);
    const CUnicodeCaseFold::Pair* pairs = CUnicodeCaseFold::Pairs();
    // Each letter appears in at most one pair, and no upper-case letter is
    // itself the lower case of another: upper-casing twice changes nothing.
    std::set<int> uppers, lowers;
    for (int i = 0; i < CUnicodeCaseFold::PairCount(); i++) {
        EXPECT_TRUE(uppers.insert(pairs[i].upper).second) << std::hex << pairs[i].upper;
        EXPECT_TRUE(lowers.insert(pairs[i].lower).second) << std::hex << pairs[i].lower;
        EXPECT_NE(pairs[i].upper, pairs[i].lower);
    }
    for (int u : uppers) EXPECT_EQ(lowers.count(u), 0u) << std::hex << u;
    const CUnicodeCaseFold& fold = CUnicodeCaseFold::Get();
    for (int c = 0; c < 0x10000; c++) {
        wchar_t once = fold.toupper(static_cast<wchar_t>(c));
        ASSERT_EQ(fold.toupper(once), once) << std::hex << c;
    }
}

TEST(CaseFoldTest, KnownLettersStruprAndComparison) {
    const CUnicodeCaseFold& fold = CUnicodeCaseFold::Get();
    struct Case { wchar_t in, upper; } cases[] = {
        {L'a', L'A'}, {L'_', L'_'}, {0x00FF, 0x0178}, {0x00DF, 0x00DF},  // sharp s stays
        {0x03C2, 0x03C2}, {0x0266, 0xA7AA}, {0x0131, 0x0131},  // dotless i is not in the list
        {0x10428, 0x10428}, {static_cast<wchar_t>(-1), static_cast<wchar_t>(-1)},
    };
    for (const Case& k : cases) EXPECT_EQ(fold.toupper(k.in), k.upper) << std::hex << static_cast<int>(k.in);
    wchar_t text[] = L"stra\u00DFe \u00E9\u0451\U00010428";
    CUnicodeCaseFold::Get().strupr(text);
    EXPECT_STREQ(text, L"STRA\u00DFE \u00C9\u0401\U00010428");
    CUnicodeCaseFold::Get().strupr(nullptr);  // harmless

    EXPECT_EQ(fold_wcscasecmp(L"\u00C9t\u00E9", L"\u00E9T\u00C9"), 0);
    EXPECT_GT(fold_wcscasecmp(L"abcd", L"ABC"), 0);
    // Characters far apart still give the right sign.
    const wchar_t high[] = {static_cast<wchar_t>(0x7FFFFFFF), 0};
    const wchar_t low[] = {static_cast<wchar_t>(-2), 0};
    EXPECT_GT(fold_wcscasecmp(high, low), 0);
    EXPECT_LT(fold_wcscasecmp(low, high), 0);
}

}  // namespace
