#include <gtest/gtest.h>

#include <string>

#include "lib/cellwidth.h"
#include "lib/collapsepath.h"

namespace {

std::wstring collapsed(const wchar_t* path, int max) {
    Westring w(path);
    collapse_path(w, max);
    return w.c_str();
}

}  // namespace

TEST(CollapsePath, KeepsTheFirstComponentAndTheEndOrCuts) {
    const struct { const wchar_t* path; int max; std::wstring want; } cases[] = {
        {L"/usr/local", 10, L"/usr/local"}, {L"", 0, L""}, {L"/usr/local/share/doc/readme", 20, L"/usr/...e/doc/readme"},
        {L"home/user/projects/dorvik", 16, L"home/...s/dorvik"},
        {L"/averyveryverylongname/x", 10, L"/averyver\x25BA"},  // the first component is too long
        {L"/abc", 0, L""}, {L"/abc", -5, L""},
    };
    for (const auto& c : cases) EXPECT_EQ(collapsed(c.path, c.max), c.want) << c.path << " " << c.max;
}

TEST(CollapsePath, MeasuresWideCharactersInCellsAndNeverSplitsThem) {
    // Two-cell names with combining marks: whatever the width asked for, the
    // result fits it, begins with the whole text or its first component, and
    // every character in it (marks included) comes whole from the path.
    const std::wstring path = L"/\u6587\u66F8/\u5199\u771F\u0301/\u65C5\u884C/\U0001F600\u65E5\u672C.txt";
    for (int max = 0; max <= TextCells(path.c_str()) + 1; max++) {
        std::wstring out = collapsed(path.c_str(), max);
        EXPECT_LE(TextCells(out.c_str()), max) << max;
        if (out.empty() || out == path) continue;
        std::wstring::size_type dots = out.find(L"...");
        if (dots == std::wstring::npos) {  // cut: a start of the path, then U+25BA
            ASSERT_EQ(out.back(), L'\x25BA') << max;
            EXPECT_EQ(path.compare(0, out.size() - 1, out, 0, out.size() - 1), 0) << max;
            EXPECT_NE(CellWidth(path[out.size() - 1]), 0) << max;  // no mark left behind
            continue;
        }
        std::wstring end = out.substr(dots + 3);
        EXPECT_EQ(out.substr(0, dots), L"/\u6587\u66F8/") << max;
        EXPECT_TRUE(path.ends_with(end)) << max;
        EXPECT_TRUE(end.empty() || CellWidth(end[0]) != 0) << max;  // no mark without its character
    }
    EXPECT_EQ(collapsed(L"/\u6587\u66F8/\u5199\u771F/\u65C5\u884C", 13), L"/\u6587\u66F8/...\u65C5\u884C");
}
