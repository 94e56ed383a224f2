// Copying files and trees: contents, times, permissions, links, special
// files, the overwrite answers and the refusals that protect data.
#include <errno.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fileops/copyfile.h"
#include "fileops/fserror.h"
#include "tests/fileops/fileops_fixture.h"

namespace {

class CopyTest : public FileOpsTest {};

TEST_F(CopyTest, FileKeepsContentTimesAndMode) {
    std::string src = Write("a.txt", Big(100000), 0640, 1000000000);
    std::string dst = Path("b.txt");
    EXPECT_EQ(Copy(src, dst), 0);
    struct stat s = Stat(src), d = Stat(dst);  // before reading them changes the access times
    EXPECT_EQ(Read(dst), Read(src));
    EXPECT_EQ(d.st_mode & 07777, 0640u);
    EXPECT_EQ(d.st_mtim.tv_sec, 1000000000);
    EXPECT_EQ(d.st_mtim.tv_nsec, s.st_mtim.tv_nsec);
    EXPECT_EQ(d.st_atim.tv_sec, 1000000000);
    EXPECT_TRUE(Exists(src));
}

TEST_F(CopyTest, EmptyFileAndSpecialModeBits) {
    std::string src = Write("empty", "", 02755, 5000);
    EXPECT_EQ(Copy(src, Path("copy")), 0);
    EXPECT_EQ(Read(Path("copy")), "");
    EXPECT_EQ(Stat(Path("copy")).st_mode & 07777, 02755u);
}

TEST_F(CopyTest, TreeWithTimesPermissionsAndHiddenFiles) {
    MakeDir("src", 0750);
    MakeDir("src/sub", 0700);
    Write("src/one", "1", 0600, 2000);
    Write("src/.hidden", "h", 0644, 3000);
    Write("src/sub/two", "22", 0444, 4000);
    SetTime(Path("src/sub"), 7000, 7000);
    SetTime(Path("src"), 8000, 8000);
    EXPECT_EQ(Copy(Path("src"), Path("dst")), 0);
    EXPECT_EQ(Read(Path("dst/one")), "1");
    EXPECT_EQ(Read(Path("dst/.hidden")), "h");
    EXPECT_EQ(Read(Path("dst/sub/two")), "22");
    EXPECT_EQ(Stat(Path("dst")).st_mode & 07777, 0750u);
    EXPECT_EQ(Stat(Path("dst/sub")).st_mode & 07777, 0700u);
    EXPECT_EQ(Stat(Path("dst/sub/two")).st_mode & 07777, 0444u);
    EXPECT_EQ(Stat(Path("dst/sub/two")).st_mtim.tv_sec, 4000);
    // Directory times are set after their contents arrived.
    EXPECT_EQ(Stat(Path("dst/sub")).st_mtim.tv_sec, 7000);
    EXPECT_EQ(Stat(Path("dst")).st_mtim.tv_sec, 8000);
}

TEST_F(CopyTest, SymbolicLinksAreCopiedAsLinks) {
    Write("target", "data");
    ASSERT_EQ(symlink("target", Path("link").c_str()), 0);
    ASSERT_EQ(symlink("/nonexistent/x", Path("dangling").c_str()), 0);
    EXPECT_EQ(Copy(Path("link"), Path("link2")), 0);
    EXPECT_EQ(Copy(Path("dangling"), Path("dangling2")), 0);
    char text[64] = {};
    ASSERT_GT(readlink(Path("link2").c_str(), text, sizeof text), 0);
    EXPECT_STREQ(text, "target");
    EXPECT_TRUE(S_ISLNK(Stat(Path("dangling2")).st_mode));
}

TEST_F(CopyTest, LinkLoopInATreeIsNotFollowed) {
    MakeDir("tree");
    MakeDir("tree/inner");
    Write("tree/inner/file", "x");
    // A link to its own parent: following it would never end.
    ASSERT_EQ(symlink("..", Path("tree/inner/up").c_str()), 0);
    ASSERT_EQ(symlink("loop", Path("tree/loop").c_str()), 0);
    EXPECT_EQ(Copy(Path("tree"), Path("copy")), 0);
    EXPECT_TRUE(S_ISLNK(Stat(Path("copy/inner/up")).st_mode));
    EXPECT_TRUE(S_ISLNK(Stat(Path("copy/loop")).st_mode));
    EXPECT_EQ(Read(Path("copy/inner/file")), "x");
}

TEST_F(CopyTest, FifoInATreeIsRecreatedNotRead) {
    MakeDir("tree");
    ASSERT_EQ(mkfifo(Path("tree/pipe").c_str(), 0600), 0);
    ASSERT_EQ(chmod(Path("tree/pipe").c_str(), 0620), 0);
    Write("tree/file", "f");
    // Reading the FIFO would wait for a writer for ever.
    EXPECT_EQ(Copy(Path("tree"), Path("copy")), 0);
    struct stat pipe = Stat(Path("copy/pipe"));
    EXPECT_TRUE(S_ISFIFO(pipe.st_mode));
    EXPECT_EQ(pipe.st_mode & 07777, 0620u);
    EXPECT_EQ(Read(Path("copy/file")), "f");
}

TEST_F(CopyTest, DirectoryIntoItselfIsRefused) {
    MakeDir("a");
    MakeDir("a/b");
    Write("a/b/f", "f");
    ui.Keys("Enter");
    ui.RecordScreens(true);
    EXPECT_EQ(Copy(Path("a/b"), Path("a/b/sub")), -1);
    ASSERT_FALSE(ui.Screens().empty());
    EXPECT_TRUE(ui.Screens().back().Find("Directory cannot be copied into itself")) << ui.Screens().back().Dump();
    EXPECT_FALSE(Exists(Path("a/b/sub")));
    // Onto itself, and through a symbolic link that names the same directory.
    ASSERT_EQ(symlink(Path("a/b").c_str(), Path("alias").c_str()), 0);
    ui.Keys("Enter Enter");
    EXPECT_EQ(Copy(Path("a/b"), Path("a/b")), -1);
    EXPECT_EQ(Copy(Path("a/b"), Path("alias/deeper")), -1);
    EXPECT_FALSE(Exists(Path("a/b/deeper")));
    // A sibling whose name only begins the same is another directory.
    EXPECT_EQ(Copy(Path("a/b"), Path("a/bc")), 0);
    EXPECT_EQ(Read(Path("a/bc/f")), "f");
}

TEST_F(CopyTest, FileCannotOverwriteItself) {
    std::string src = Write("same", "keep me");
    ui.Keys("Enter");
    EXPECT_EQ(Copy(src, src), EEXIST);
    EXPECT_EQ(Read(src), "keep me");
    // A hard link is the same file under another name.
    ASSERT_EQ(link(src.c_str(), Path("hard").c_str()), 0);
    ui.Keys("Esc");
    EXPECT_EQ(Copy(src, Path("hard")), -1);
    EXPECT_EQ(Read(src), "keep me");
    // With overwriting switched on the check still holds.
    overwrite_mode = OVERWRITE_ALWAYS;
    ui.Keys("Enter");
    EXPECT_EQ(Copy(src, Path("hard")), EEXIST);
    EXPECT_EQ(Read(src), "keep me");
}

TEST_F(CopyTest, OverwritingALinkToTheSourceReplacesTheLinkOnly) {
    std::string src = Write("data", "precious");
    ASSERT_EQ(symlink("data", Path("pointer").c_str()), 0);
    overwrite_mode = OVERWRITE_ALWAYS;
    EXPECT_EQ(Copy(src, Path("pointer")), 0);
    EXPECT_EQ(Read(src), "precious");
    EXPECT_FALSE(S_ISLNK(Stat(Path("pointer")).st_mode));
    EXPECT_EQ(Read(Path("pointer")), "precious");
}

// Each answer to "File already exists, Overwrite?".
struct OverwriteCase {
    const char* keys;
    int result;
    bool replaced;
    int mode_after;
};

class OverwriteAnswerTest : public CopyTest, public ::testing::WithParamInterface<OverwriteCase> {};

TEST_P(OverwriteAnswerTest, Answer) {
    const OverwriteCase& c = GetParam();
    std::string src = Write("new", "new data", 0644, 2000);
    std::string dst = Write("old", "old", 0644, 1000);
    ui.Keys(c.keys);
    ui.RecordScreens(true);
    EXPECT_EQ(Copy(src, dst), c.result);
    ASSERT_FALSE(ui.Screens().empty());
    EXPECT_TRUE(ui.Screens().front().Find("File already exists, Overwrite?")) << ui.Screens().front().Dump();
    EXPECT_EQ(Read(dst), c.replaced ? "new data" : "old");
    EXPECT_EQ(overwrite_mode, c.mode_after);
}

INSTANTIATE_TEST_SUITE_P(Answers, OverwriteAnswerTest,
                         ::testing::Values(OverwriteCase{"y", 0, true, OVERWRITE_ASK},
                                           OverwriteCase{"s", RESULT_SKIPPED, false, OVERWRITE_ASK},
                                           OverwriteCase{"a", 0, true, OVERWRITE_ALWAYS},
                                           OverwriteCase{"e", RESULT_SKIPPED, false, OVERWRITE_NEVER},
                                           OverwriteCase{"d", 0, true, OVERWRITE_IF_OLDER},
                                           OverwriteCase{"Esc", -1, false, OVERWRITE_ASK}));

TEST_F(CopyTest, AllOlderKeepsEqualAndNewerDestinations) {
    std::string src = Write("src", "source", 0644, 5000);
    std::string equal = Write("equal", "equal", 0644, 5000);
    std::string newer = Write("newer", "newer", 0644, 6000);
    std::string older = Write("older", "older", 0644, 4000);
    // The stamps are compared to the nanosecond: give all the same fraction.
    SetTime(src, 5000, 5000);
    SetTime(equal, 5000, 5000);
    overwrite_mode = OVERWRITE_IF_OLDER;
    EXPECT_EQ(Copy(src, equal), 0);  // done, nothing copied
    EXPECT_EQ(Read(equal), "equal");
    EXPECT_EQ(Copy(src, newer), 0);
    EXPECT_EQ(Read(newer), "newer");
    EXPECT_EQ(Copy(src, older), 0);
    EXPECT_EQ(Read(older), "source");
}

TEST_F(CopyTest, AlwaysAndNeverNeedNoPrompt) {
    std::string src = Write("src", "source");
    std::string dst = Write("dst", "dest");
    overwrite_mode = OVERWRITE_NEVER;
    EXPECT_EQ(Copy(src, dst), RESULT_SKIPPED);
    EXPECT_EQ(Read(dst), "dest");
    overwrite_mode = OVERWRITE_ALWAYS;
    EXPECT_EQ(Copy(src, dst), 0);
    EXPECT_EQ(Read(dst), "source");
}

TEST_F(CopyTest, ExistingDestinationDirectoryIsMerged) {
    MakeDir("src");
    Write("src/new", "n");
    MakeDir("dst");
    Write("dst/old", "o");
    EXPECT_EQ(Copy(Path("src"), Path("dst")), 0);
    EXPECT_EQ(Read(Path("dst/new")), "n");
    EXPECT_EQ(Read(Path("dst/old")), "o");
}

TEST_F(CopyTest, FileOpenForWritingAsksOnce) {
    std::string first = Write("first", "1");
    std::string second = Write("second", "2");
    // A writer holding the file exclusively.
    int a = open(first.c_str(), O_RDWR), b = open(second.c_str(), O_RDWR);
    ASSERT_EQ(flock(a, LOCK_EX), 0);
    ASSERT_EQ(flock(b, LOCK_EX), 0);
    ui.Keys("s");
    ui.RecordScreens(true);
    EXPECT_EQ(Copy(first, Path("c1")), RESULT_SKIPPED);
    EXPECT_TRUE(ui.Screens().front().Find("File is open for writing, copy anyway?")) << ui.Screens().front().Dump();
    EXPECT_FALSE(Exists(Path("c1")));
    ui.Keys("y");
    EXPECT_EQ(Copy(first, Path("c1")), 0);
    EXPECT_EQ(Read(Path("c1")), "1");
    // All: this and every later such file without asking.
    ui.Keys("a");
    EXPECT_EQ(Copy(first, Path("c2")), 0);
    EXPECT_EQ(Copy(second, Path("c3")), 0);
    EXPECT_EQ(read_written_all, 1);
    // None: skipped without asking from now on.
    read_written_all = 0;
    ui.Keys("e");
    EXPECT_EQ(Copy(first, Path("c4")), RESULT_SKIPPED);
    EXPECT_EQ(Copy(second, Path("c5")), RESULT_SKIPPED);
    EXPECT_FALSE(Exists(Path("c5")));
    close(a);
    close(b);
}

TEST_F(CopyTest, WorkerWithoutConsoleOrStatus) {
    // The tools and the benchmark copy without any user interface.
    MakeDir("src");
    Write("src/a", Big(70000));
    Write("src/b", "b");
    StdFile descriptions;
    EXPECT_EQ(copyfile(W(Path("src")).c_str(), W(Path("dst")).c_str(), false, false, nullptr, descriptions, 0), 0);
    EXPECT_EQ(Read(Path("dst/a")), Big(70000));
    EXPECT_EQ(copyfile(W(Path("src/b")).c_str(), W(Path("dst/b")).c_str(), false, false, nullptr, descriptions, 0),
              EEXIST);
    EXPECT_TRUE(last_copy_failure().destination);
    EXPECT_EQ(copyfile(W(Path("missing")).c_str(), W(Path("x")).c_str(), false, false, nullptr, descriptions, 0),
              ENOENT);
    EXPECT_FALSE(last_copy_failure().destination);
}

TEST_F(CopyTest, CopyToADeviceKeepsTheDevice) {
    std::string src = Write("src", "to nowhere", 0600);
    struct stat before = Stat("/dev/null");
    overwrite_mode = OVERWRITE_ALWAYS;
    EXPECT_EQ(Copy(src, "/dev/null"), 0);
    struct stat after = Stat("/dev/null");
    EXPECT_TRUE(S_ISCHR(after.st_mode));
    EXPECT_EQ(after.st_mode, before.st_mode);  // never given the source's permissions
}

TEST_F(CopyTest, ProgressWindowShowsBothPaths) {
    std::string src = Write("shown-source", "x");
    std::string dst = Write("shown-target", "y");
    ui.Keys("s");
    ui.RecordScreens(true);
    Copy(src, dst);
    // The prompt is drawn over the progress window, whose rows stay visible.
    const CUiTest::Screen& s = ui.Screens().front();
    EXPECT_TRUE(s.Find("Copying")) << s.Dump();
    EXPECT_TRUE(s.Find("shown-source")) << s.Dump();
}

}  // namespace
