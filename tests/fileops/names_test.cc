// Names and paths: rename patterns, targets and path resolution; and the
// progress window of a copy: its bar, its time line and format, and the
// paths, drawn by the update thread.
#include <tuple>

#include "fileops/editname.h"
#include "fileops/resolvepath.h"
#include "lib/timestamp.h"
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
        {L"..", L"/a/b/c", 0, "/a/b"},
        // Runs of three dots or more are names like any other.
        {L"...", L"/a/b/c", 0, "/a/b/c/..."},
        {L"..../x/../....", L"/a/b/c", 0, "/a/b/c/..../...."},
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

class StatusTest : public FileOpsTest {
protected:
    int Count(wchar_t ch) {
        int n = 0;
        for (const ScreenCell& cell : ui.Current().cells) n += cell.ch == ch;
        return n;
    }
    Win window_{-1, -4, 50, 9, colours[CLR_MESSAGES], colours[CLR_MESSAGES]};
    copy_status status_;
};

TEST_F(StatusTest, BarTimeLineAndPaths) {
    status_.total_bytes = 1000;
    status_.bytes_done = 500;
    status_.start_time = TimeStamp::GetRelativeTime() - 10.5;
    status_.SetPaths(L"/from/here", L"/to/there", "(1 of 2)");
    status_.StartUpdate(&window_);
    progressUpdate(&status_);
    status_.StopUpdate();  // draws once more before it ends
    // Half of a bar 47 cells wide.
    EXPECT_EQ(Count(0x2588), 23) << ui.Dump();
    EXPECT_EQ(Count(0x2591), 24) << ui.Dump();
    for (const char* text : {"/from/here", "/to/there", "(1 of 2)", "Time: 0:1", "  ETA: 0:1"})
        EXPECT_TRUE(ui.Find(text)) << text << "\n" << ui.Dump();
    // All done, or more than a total counted too low: a full bar.
    for (uint64_t done : {1000, 5000}) {
        status_.bytes_done = done;
        status_.ProgressUpdate();
        EXPECT_EQ(Count(0x2588), 47);
    }
}

}  // namespace
