// Path tests and the program search path.
#include "fileops/query/paths.h"

#include <tuple>

#include "lib/fsname.h"
#include "tests/support/env_guard.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(SearchPathTest, EnvironmentThenAppended) {
    using List = std::vector<std::wstring>;
    const std::tuple<const char*, const wchar_t*, List> cases[] = {
        {"/usr/bin::/bin:", L"/opt/tools", {L"/usr/bin", L"/bin", L"/opt/tools"}},
        {nullptr, L"", {}},
        {"/a b:/caf\xe9", L"", {L"/a b", L"/caf\xdce9"}},
    };
    for (const auto& [env, append, expected] : cases) {
        CEnvGuard path("PATH", env);
        WestringStore store;
        GetPaths(store, append);
        List list;
        for (int i = 0; i < store.count(); i++) list.push_back(store[i]->c_str());
        EXPECT_EQ(list, expected) << (env ? env : "(no PATH)");
    }
}

TEST(PathHelpersTest, RootAbsoluteAndBelow) {
    const std::tuple<const wchar_t*, bool, bool> kinds[] = {
        {L"/", true, true}, {L"//", false, true}, {L"usr/bin", false, false}, {nullptr, false, false}};
    for (const auto& [path, root, absolute] : kinds) {
        EXPECT_EQ(IsRoot(path), root) << (path ? path : L"(null)");
        EXPECT_EQ(IsAbsolute(path), absolute) << (path ? path : L"(null)");
    }
    const std::tuple<const wchar_t*, const wchar_t*, bool> below[] = {
        {L"/usr", L"/usr/local", true}, {L"/usr", L"/usrx", false}, {L"/usr/", L"/usr/local", true},
        {L"/", L"/usr", true},          {L"/usr/local", L"/usr", false}};
    for (const auto& [dir, path, expected] : below) EXPECT_EQ(IsBelow(dir, path), expected) << dir << " " << path;
    EXPECT_FALSE(IsBelow(L"/x", static_cast<const wchar_t*>(nullptr)));
}

TEST(PathHelpersTest, ValidDirectory) {
    CTempDir dir;
    std::string file = dir.Write("file", "x");
    // A missing directory is no error of the listing itself.
    for (const std::string& good : {dir.path(), dir / "missing", dir.MakeDir("d\xe9")})
        EXPECT_TRUE(ValidDirectory(DecodeFileName(good.c_str()))) << good;
    for (const std::string& bad : {file, dir / "file/below"})
        EXPECT_FALSE(ValidDirectory(DecodeFileName(bad.c_str()))) << bad;
}

}  // namespace
