// Names and paths: rename patterns, targets, path resolution, launcher
// titles and the time format of the progress window.

#include <tuple>

#include "fileops/copystatus.h"
#include "fileops/editname.h"
#include "fileops/launcher.h"
#include "fileops/resolvepath.h"
#include "tests/fileops/fileops_fixture.h"

namespace {

std::string U(const Westring& text) { return text.ToUTF8().c_str(); }

TEST(DosEditNameTest, Patterns) {
    struct Case {
        const wchar_t* name;
        const wchar_t* pattern;
        const char* result;
    };
    const Case cases[] = {
        {L"report.txt", L"*.bak", "report.bak"},
        {L"abc.d", L"?x*", "axbc"},
        {L"archive.tar.gz", L"*.*", "archive.tar"},
        {L"a.b", L"*.*.old", "a.b.old"},
        {L"name", L"*.txt", "name.txt"},
        {L"ab", L"????", "ab"},
        {L"file.c", L"new_*", "new_file"},
        {L"x", L"", ""},
        {L"", L"*.bak", ".bak"},
    };
    for (const auto& c : cases) EXPECT_EQ(U(DosEditName(c.name, c.pattern)), c.result) << U(Westring(c.pattern));
    // The output is limited, however long the pattern.
    Westring long_pattern = String(L'z', 10000);
    EXPECT_EQ(DosEditName(L"a", long_pattern.c_str()).strlen(), 2048);
}

class EditNameTest : public FileOpsTest {};

TEST_F(EditNameTest, Targets) {
    MakeDir("dir");
    MakeDir("dir/same");
    Write("file", "");
    auto target = [&](const std::string& name, const std::string& destination) {
        Westring out;
        editname(W(name).c_str(), W(destination).c_str(), out);
        return std::string(EncodeFileName(out).c_str());
    };
    // Into a directory, named with or without its "/".
    EXPECT_EQ(target(Path("file"), Path("dir") + "/"), Path("dir/file"));
    EXPECT_EQ(target(Path("file"), Path("dir")), Path("dir/file"));
    // A name that is not an existing directory is the new name.
    EXPECT_EQ(target(Path("file"), Path("newname")), Path("newname"));
    // A directory of the item's own name is the target itself (a merge).
    EXPECT_EQ(target(Path("x/same"), Path("dir/same")), Path("dir/same"));
    // A pattern renames within its directory.
    EXPECT_EQ(target(Path("report.txt"), Path("dir/*.bak")), Path("dir/report.bak"));
    EXPECT_EQ(target("/a/abc.d", "/b/?x*"), "/b/axbc");
    EXPECT_EQ(target("/a/f", "/"), "/f");
}

TEST(ResolvePathTest, Cases) {
    struct Case {
        const wchar_t* path;
        const wchar_t* base;
        int result;
        const char* out;
    };
    const Case cases[] = {
        {L"sub/file", L"/home/u", 0, "/home/u/sub/file"},
        {L"/abs/./x", L"/ignored", 0, "/abs/x"},
        {L"a\\b", L"/r", 0, "/r/a/b"},
        {L"..", L"/home/u", 0, "/home"},
        {L"...", L"/a/b/c", 0, "/a"},
        {L"../../..", L"/a/b", -1, ""},
        {L"..", L"/", -1, ""},
        {L"x/..", L"/", 0, "/"},
        {L"//double//slash/", L"/", 0, "/double/slash"},
        {L"", L"/base", 0, "/base"},
    };
    for (const auto& c : cases) {
        Westring path(c.path);
        EXPECT_EQ(ResolvePath(path, c.base), c.result) << U(Westring(c.path));
        if (c.result == 0) {
            EXPECT_EQ(U(path), c.out) << U(Westring(c.path));
        }
    }
    // Without a base the current directory counts.
    char* cwd = getcwd(nullptr, 0);
    Westring path(L"x");
    EXPECT_EQ(ResolvePath(path, nullptr), 0);
    EXPECT_EQ(U(path), std::string(cwd) + "/x");
    free(cwd);
}

TEST(ResolvePathTest, InsideTestComparesWholeComponents) {
    const std::tuple<const wchar_t*, const wchar_t*, bool> cases[] = {
        {L"/a/b", L"/a/b", true}, {L"/a/b", L"/a/b/c", true}, {L"/a/b", L"/a/bc", false},
        {L"/a/b", L"/a", false},  {L"/", L"/anything", true},
    };
    for (const auto& [dir, path, inside] : cases) EXPECT_EQ(IsInsideOrSame(dir, path), inside) << U(path);
    EXPECT_EQ(U(dir_part(L"/f")), "/");
    EXPECT_EQ(U(dir_part(L"f")), "");
    EXPECT_EQ(U(dir_part(L"a\\b/c")), "a\\b");
    EXPECT_EQ(U(last_component(L"a\\b")), "a\\b");  // a backslash is part of a Unix name
}

TEST(MakeTitleTest, Titles) {
    const std::pair<const wchar_t*, const char*> cases[] = {
        {L"README.TXT", "Readme"}, {L"archive.tar.gz", "Archive.tar"}, {L"noext", "Noext"},
        {L".hidden", ""},           {L"", ""},                          {L"x.Y.Z", "X.y"},
    };
    for (const auto& [name, title] : cases) {
        Westring out;
        maketitle(name, out);
        EXPECT_EQ(U(out), title);
    }
}

TEST(FormatSecondsTest, MinutesAndHours) {
    const std::pair<int, const char*> cases[] = {{0, "0:00"},       {59, "0:59"},       {61, "1:01"},
                                                 {3599, "59:59"},   {3600, "1:00:00"}, {90061, "25:01:01"}};
    for (const auto& [seconds, text] : cases) EXPECT_EQ(U(FormatSeconds(seconds)), text);
}

}  // namespace
