// Path tests and the program search path.
#include "fileops/query/paths.h"

#include <tuple>

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
    using List = std::vector<std::wstring>;
    const struct {
        const char* path;
        const wchar_t* append;
        List list;
    } cases[] = {
        {"/usr/bin::/bin:", L"", {L"/usr/bin", L"/bin"}},
        {"/usr/bin::/bin:", L"/opt/tools:/home/x/bin", {L"/usr/bin", L"/bin", L"/opt/tools", L"/home/x/bin"}},
        {nullptr, L"", {}},
        {nullptr, L"/only", {L"/only"}},
        {"/a b:/caf\xe9", L"", {L"/a b", L"/caf\xdce9"}},
    };
    for (const auto& c : cases) {
        CEnvGuard path("PATH", c.path);
        config.PathAppend = c.append;
        EXPECT_EQ(Paths(), c.list) << (c.path ? c.path : "(no PATH)");
    }
    // What is there already stays first.
    CEnvGuard path("PATH", "/bin");
    config.PathAppend = L"";
    WestringStore store;
    store.Add(L"first");
    GetPaths(store);
    ASSERT_EQ(store.count(), 2);
    EXPECT_STREQ(store[1]->c_str(), L"/bin");
}

TEST(PathHelpersTest, RootAndAbsolute) {
    const std::tuple<const wchar_t*, bool, bool> cases[] = {
        {L"/", true, true},       {L"//", false, true}, {L"/usr", false, true},
        {L"usr/bin", false, false}, {L"", false, false}, {nullptr, false, false},
    };
    for (const auto& [path, root, absolute] : cases) {
        EXPECT_EQ(IsRoot(path), root) << (path ? path : L"(null)");
        EXPECT_EQ(IsAbsolute(path), absolute) << (path ? path : L"(null)");
    }
    EXPECT_TRUE(IsRoot(Westring(L"/")));
}

TEST(PathHelpersTest, Below) {
    struct {
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
    for (const auto& c : cases) EXPECT_EQ(IsBelow(c.dir, c.path), c.below) << c.dir << " " << c.path;
    EXPECT_TRUE(IsBelow(static_cast<const wchar_t*>(nullptr), L"/x"));
    EXPECT_FALSE(IsBelow(L"/x", static_cast<const wchar_t*>(nullptr)));
}

TEST(PathHelpersTest, RemoveBackslashInPlace) {
    struct {
        const wchar_t* before;
        const wchar_t* after;
        bool removed;
    } cases[] = {
        {L"/usr/", L"/usr", true}, {L"dir\\", L"dir", true}, {L"/usr//", L"/usr/", true},
        {L"/", L"", true},         {L"/usr", L"/usr", false}, {L"", L"", false},
    };
    for (const auto& c : cases) {
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
    EXPECT_TRUE(ValidDirectory(DecodeFileName(dir.MakeDir("d\xe9").c_str())));
    EXPECT_FALSE(ValidDirectory(DecodeFileName((dir / "file/below").c_str())));
}

}  // namespace
