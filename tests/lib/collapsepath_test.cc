#include <gtest/gtest.h>

#include <string>

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
