// Names and paths: rename patterns, targets, path resolution and the time
// format of the progress window.

#include <tuple>

#include "fileops/copystatus.h"
#include "fileops/editname.h"
#include "fileops/resolvepath.h"
#include "tests/fileops/fileops_fixture.h"

namespace {

std::string U(const Westring& text) { return text.ToUTF8().c_str(); }

TEST(DosEditNameTest, Patterns) {
    const std::tuple<const wchar_t*, const wchar_t*, const char*> cases[] = {
        {L"report.txt", L"*.bak", "report.bak"},
        {L"abc.d", L"?x*", "axbc"},
        {L"archive.tar.gz", L"*.*", "archive.tar"},
        {L"", L"*.bak", ".bak"},
    };
    for (const auto& [name, pattern, result] : cases) EXPECT_EQ(U(DosEditName(name, pattern)), result) << U(pattern);
    // The output is limited, however long the pattern.
    Westring long_pattern = String(L'z', 10000);
    EXPECT_EQ(DosEditName(L"a", long_pattern.c_str()).strlen(), 2048);
}

class EditNameTest : public FileOpsTest {};

TEST_F(EditNameTest, Targets) {
    Files({"dir/", "dir/same/", "file"});
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
}

TEST(ResolvePathTest, Cases) {
    const std::tuple<const wchar_t*, const wchar_t*, int, const char*> cases[] = {
        {L"sub/file", L"/home/u", 0, "/home/u/sub/file"},
        {L"a\\b", L"/r", 0, "/r/a/b"},
        {L"...", L"/a/b/c", 0, "/a"},
        {L"..", L"/", -1, ""},
        {L"//double//slash/", L"/", 0, "/double/slash"},
    };
    for (const auto& [in, base, result, out] : cases) {
        Westring path(in);
        EXPECT_EQ(ResolvePath(path, base), result) << U(Westring(in));
        if (result == 0) {
            EXPECT_EQ(U(path), out) << U(Westring(in));
        }
    }
}

TEST(FormatSecondsTest, MinutesAndHours) {
    const std::pair<int, const char*> cases[] = {{59, "0:59"}, {3599, "59:59"}, {90061, "25:01:01"}};
    for (const auto& [seconds, text] : cases) EXPECT_EQ(U(FormatSeconds(seconds)), text);
}

}  // namespace
