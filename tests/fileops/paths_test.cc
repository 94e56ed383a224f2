// Path tests and the program search path.
#include "fileops/query/paths.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/fsname.h"
#include "shell/config.h"
#include "tests/fileops/env_guard.h"
#include "tests/fileops/temp_dir.h"

namespace {

std::vector<std::wstring> Paths() {
    WestringStore store;
    GetPaths(store);
    std::vector<std::wstring> list;
    for (int i = 0; i < store.count(); i++) list.push_back(store[i]->c_str());
    return list;
}

class SearchPathTest : public ::testing::Test {
protected:
    void TearDown() override { config.PathAppend = saved_append_; }
    Westring saved_append_ = config.PathAppend;
};

TEST_F(SearchPathTest, EnvironmentThenSetting) {
    CEnvGuard path("PATH", "/usr/bin::/bin:");
    config.PathAppend = L"";
    EXPECT_EQ(Paths(), (std::vector<std::wstring>{L"/usr/bin", L"/bin"}));
    config.PathAppend = L"/opt/tools:/home/x/bin";
    EXPECT_EQ(Paths(), (std::vector<std::wstring>{L"/usr/bin", L"/bin", L"/opt/tools", L"/home/x/bin"}));
}

TEST_F(SearchPathTest, NoPathOrOddDirectories) {
    CEnvGuard path("PATH", nullptr);
    config.PathAppend = L"";
    EXPECT_TRUE(Paths().empty());
    config.PathAppend = L"/only";
    EXPECT_EQ(Paths(), (std::vector<std::wstring>{L"/only"}));

    CEnvGuard odd("PATH", "/a b:/caf\xe9");
    config.PathAppend = L"";
    std::vector<std::wstring> list = Paths();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0], L"/a b");
    EXPECT_EQ(list[1], L"/caf\xdce9");
}

TEST_F(SearchPathTest, AddsToWhatIsThere) {
    CEnvGuard path("PATH", "/bin");
    config.PathAppend = L"";
    WestringStore store;
    store.Add(L"first");
    GetPaths(store);
    ASSERT_EQ(store.count(), 2);
    EXPECT_STREQ(store[1]->c_str(), L"/bin");
}

TEST(PathHelpersTest, RootAndAbsolute) {
    EXPECT_TRUE(IsRoot(L"/"));
    EXPECT_FALSE(IsRoot(L"//"));
    EXPECT_FALSE(IsRoot(L"/usr"));
    EXPECT_FALSE(IsRoot(L""));
    EXPECT_FALSE(IsRoot(static_cast<const wchar_t*>(nullptr)));
    EXPECT_TRUE(IsRoot(Westring(L"/")));
    EXPECT_TRUE(IsAbsolute(L"/usr"));
    EXPECT_TRUE(IsAbsolute(L"/"));
    EXPECT_FALSE(IsAbsolute(L"usr/bin"));
    EXPECT_FALSE(IsAbsolute(L""));
    EXPECT_FALSE(IsAbsolute(static_cast<const wchar_t*>(nullptr)));
}

TEST(PathHelpersTest, Below) {
    struct Case {
        const wchar_t* dir;
        const wchar_t* path;
        bool below;
    } cases[] = {
        {L"", L"/anything", true},
        {L"/usr", L"/usr", true},
        {L"/usr", L"/usr/local", true},
        {L"/usr", L"/usrx", false},
        {L"/usr", L"/us", false},
        {L"/usr", L"/USR/local", false},  // exact comparison
        {L"/usr/", L"/usr/local", true},
        {L"/", L"/usr", true},
        {L"/", L"/", true},
        {L"/usr/local", L"/usr", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsBelow(c.dir, c.path), c.below) << c.dir << " " << c.path;
    EXPECT_TRUE(IsBelow(static_cast<const wchar_t*>(nullptr), L"/x"));
    EXPECT_FALSE(IsBelow(L"/x", static_cast<const wchar_t*>(nullptr)));
}

TEST(PathHelpersTest, RemoveBackslashInPlace) {
    struct Case {
        const wchar_t* before;
        const wchar_t* after;
        bool removed;
    } cases[] = {
        {L"/usr/", L"/usr", true}, {L"dir\\", L"dir", true}, {L"/usr//", L"/usr/", true},
        {L"/", L"", true},         {L"/usr", L"/usr", false}, {L"", L"", false},
    };
    for (const Case& c : cases) {
        std::wstring text = c.before;
        EXPECT_EQ(RemoveBackslash(text.data()), c.removed) << c.before;
        EXPECT_STREQ(text.c_str(), c.after);
    }
    EXPECT_FALSE(RemoveBackslash(nullptr));
}

TEST(PathHelpersTest, ValidDirectory) {
    CTempDir dir;
    EXPECT_TRUE(ValidDirectory(DecodeFileName(dir.path().c_str())));
    EXPECT_TRUE(ValidDirectory(L"/"));
    // A missing directory is no error of the listing itself.
    EXPECT_TRUE(ValidDirectory(DecodeFileName((dir / "missing").c_str())));
    std::string file = dir.Write("file", "x");
    EXPECT_FALSE(ValidDirectory(DecodeFileName(file.c_str())));
    std::string raw = dir / "d\xe9";
    ASSERT_EQ(mkdir(raw.c_str(), 0755), 0);
    EXPECT_TRUE(ValidDirectory(DecodeFileName(raw.c_str())));
    EXPECT_FALSE(ValidDirectory(DecodeFileName((dir / "file/below").c_str())));
}

}  // namespace
