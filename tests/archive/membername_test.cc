// Stored member names cleaned into paths that stay inside the archive.
#include <gtest/gtest.h>

#include <string>

#include "archive/membername.h"

namespace {

std::string Show(const MemberPath& m) {
    std::string out = std::string(m.path.ToUTF8().c_str()) + "|" + m.name.ToUTF8().c_str();
    if (m.dot_slash) out += " dot";
    if (m.unsafe) out += " unsafe";
    return out;
}

std::string Clean(const wchar_t* stored, bool directory = false) {
    return Show(CleanMemberPath(Westring(stored), directory, L"(unnamed)"));
}

TEST(MemberNameTest, NamesAreCleanedAndTheUnsafeOnesMarked) {
    const struct {
        const wchar_t* stored;
        bool directory;
        const char* shown;
    } cases[] = {
        {L"a/b/c.txt", false, "a/b|c.txt"},
        {L"top.txt", false, "|top.txt"},
        {L"dir/", false, "dir|"},
        {L"dir/sub", true, "dir/sub|"},
        {L"./x/y", false, "x|y dot"},
        {L".", true, "| dot"},
        {L"a//b/./c", false, "a/b|c"},
        {L"/etc/passwd", false, "etc|passwd unsafe"},
        {L"../../x", false, "|x unsafe"},
        {L"a/../../b/..", false, "a|b unsafe"},  // ".." is dropped, never followed
        {L"", false, "|(unnamed)"},
        {L"\x00e9t\x00e9/\x65e5.txt", false, "\xc3\xa9t\xc3\xa9|\xe6\x97\xa5.txt"},
    };
    for (const auto& c : cases) EXPECT_EQ(Clean(c.stored, c.directory), c.shown) << Westring(c.stored).ToUTF8().c_str();
}

TEST(MemberNameTest, AHundredThousandComponentsAreCleanedWithoutRecursion) {
    std::wstring deep;
    for (int i = 0; i < 100000; i++) deep += L"d/";
    deep += L"leaf";
    MemberPath m = CleanMemberPath(Westring(deep.c_str()), false, L"x");
    EXPECT_EQ(m.name, Westring(L"leaf"));
    EXPECT_EQ(m.path.strlen(), 100000 * 2 - 1);
}

}  // namespace
