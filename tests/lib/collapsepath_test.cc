#include <gtest/gtest.h>

#include "lib/collapsepath.h"

namespace {

std::wstring collapsed(const wchar_t* path, int max) {
    Westring w(path);
    collapse_path(w, max);
    return w.c_str();
}

}  // namespace

TEST(CollapsePath, KeepsTheFirstComponentAndTheEnd) {
    EXPECT_EQ(collapsed(L"/usr/local", 10), L"/usr/local");
    EXPECT_EQ(collapsed(L"", 0), L"");
    EXPECT_EQ(collapsed(L"/usr/local/share/doc/readme", 20), L"/usr/...e/doc/readme");
    EXPECT_EQ(collapsed(L"/usr/local/share/doc/readme", 20).size(), 20u);
    EXPECT_EQ(collapsed(L"home/user/projects/dorvik", 16), L"home/...s/dorvik");
}

TEST(CollapsePath, CutsWhenTheFirstComponentIsTooLong) {
    std::wstring out = collapsed(L"/averyveryverylongname/x", 10);
    EXPECT_EQ(out.size(), 10u);
    EXPECT_EQ(out.substr(0, 9), L"/averyver");
    EXPECT_EQ(out[9], L'\x25BA');
    EXPECT_EQ(collapsed(L"/abc", 0), L"");
    EXPECT_EQ(collapsed(L"/abc", -5), L"");
}
