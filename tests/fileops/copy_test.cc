// Copying files and trees: contents, times, permissions, links, special
// files, the overwrite answers and the refusals that protect data.
#include <errno.h>
#include <sys/file.h>

#include <tuple>

#include "fileops/copyfile.h"
#include "fileops/fserror.h"
#include "tests/fileops/fileops_fixture.h"

namespace {

class CopyTest : public FileOpsTest {};

TEST_F(CopyTest, FilesKeepContentTimesAndMode) {
    std::string src = Write("a.txt", Big(100000), 0640, 1000000000);
    EXPECT_EQ(Copy(src, Path("b.txt")), 0);
    struct stat s = Stat(src), d = Stat(Path("b.txt"));  // before reading changes the access times
    EXPECT_EQ(Read(Path("b.txt")), Read(src));
    EXPECT_EQ(d.st_mode & 07777, 0640u);
    EXPECT_EQ(d.st_mtim.tv_sec, 1000000000);
    EXPECT_EQ(d.st_mtim.tv_nsec, s.st_mtim.tv_nsec);
    EXPECT_EQ(d.st_atim.tv_sec, 1000000000);
    // An empty file with special mode bits.
    EXPECT_EQ(Copy(Write("empty", "", 02755, 5000), Path("copy")), 0);
    Expect({"a.txt", "copy="});
    EXPECT_EQ(Mode(Path("copy")), 02755u);
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
    Expect({"dst/one=1", "dst/.hidden=h", "dst/sub/two=22"});
    // Directory times are set after their contents arrived.
    const std::tuple<const char*, unsigned, long> attributes[] = {
        {"dst", 0750, 8000}, {"dst/sub", 0700, 7000}, {"dst/sub/two", 0444, 4000}};
    for (const auto& [leaf, mode, mtime] : attributes) {
        EXPECT_EQ(Mode(Path(leaf)), mode) << leaf;
        EXPECT_EQ(Stat(Path(leaf)).st_mtim.tv_sec, mtime) << leaf;
    }
    // An existing destination directory is merged.
    Files({"more/", "more/new=n", "dst/old=o"});
    EXPECT_EQ(Copy(Path("more"), Path("dst")), 0);
    Expect({"dst/new=n", "dst/old=o"});
}

TEST_F(CopyTest, LinksLoopsAndFifosAreCopiedAsThemselves) {
    Files({"target=data", "tree/", "tree/inner/", "tree/inner/file=x", "tree/f=f"});
    ASSERT_EQ(symlink("target", Path("link").c_str()), 0);
    ASSERT_EQ(symlink("/nonexistent/x", Path("dangling").c_str()), 0);
    EXPECT_EQ(Copy(Path("link"), Path("link2")), 0);
    EXPECT_EQ(Copy(Path("dangling"), Path("dangling2")), 0);
    char text[64] = {};
    ASSERT_GT(readlink(Path("link2").c_str(), text, sizeof text), 0);
    EXPECT_STREQ(text, "target");
    EXPECT_TRUE(S_ISLNK(Stat(Path("dangling2")).st_mode));

    // Following a link to its own parent would never end; reading a FIFO
    // would wait for a writer for ever.
    ASSERT_EQ(symlink("..", Path("tree/inner/up").c_str()), 0);
    ASSERT_EQ(symlink("loop", Path("tree/loop").c_str()), 0);
    ASSERT_EQ(mkfifo(Path("tree/pipe").c_str(), 0600), 0);
    ASSERT_EQ(chmod(Path("tree/pipe").c_str(), 0620), 0);
    EXPECT_EQ(Copy(Path("tree"), Path("copy")), 0);
    EXPECT_TRUE(S_ISLNK(Stat(Path("copy/inner/up")).st_mode));
    EXPECT_TRUE(S_ISLNK(Stat(Path("copy/loop")).st_mode));
    EXPECT_TRUE(S_ISFIFO(Stat(Path("copy/pipe")).st_mode));
    EXPECT_EQ(Mode(Path("copy/pipe")), 0620u);
    Expect({"copy/inner/file=x", "copy/f=f"});
}

TEST_F(CopyTest, DirectoryIntoItselfIsRefused) {
    Files({"a/", "a/b/", "a/b/f=f"});
    Answer("Enter");
    EXPECT_EQ(Copy(Path("a/b"), Path("a/b/sub")), -1);
    EXPECT_TRUE(FirstShows("Directory cannot be copied into itself")) << FirstScreen();
    EXPECT_FALSE(Exists(Path("a/b/sub")));
    // Onto itself, and through a symbolic link that names the same directory.
    ASSERT_EQ(symlink(Path("a/b").c_str(), Path("alias").c_str()), 0);
    ui.Keys("Enter Enter");
    EXPECT_EQ(Copy(Path("a/b"), Path("a/b")), -1);
    EXPECT_EQ(Copy(Path("a/b"), Path("alias/deeper")), -1);
    // A sibling whose name only begins the same is another directory.
    EXPECT_EQ(Copy(Path("a/b"), Path("a/bc")), 0);
    Expect({"!a/b/deeper", "a/bc/f=f"});
}

TEST_F(CopyTest, FileCannotOverwriteItself) {
    std::string src = Write("same", "keep me");
    ASSERT_EQ(link(src.c_str(), Path("hard").c_str()), 0);  // the same file under another name
    ASSERT_EQ(symlink("same", Path("pointer").c_str()), 0);
    ui.Keys("Enter Esc");
    EXPECT_EQ(Copy(src, src), EEXIST);
    EXPECT_EQ(Copy(src, Path("hard")), -1);
    EXPECT_EQ(Read(src), "keep me");
    // With overwriting switched on the check still holds.
    overwrite_mode = OVERWRITE_ALWAYS;
    ui.Keys("Enter");
    EXPECT_EQ(Copy(src, Path("hard")), EEXIST);
    EXPECT_EQ(Read(src), "keep me");
    // Overwriting a link to the source replaces the link only.
    EXPECT_EQ(Copy(src, Path("pointer")), 0);
    EXPECT_EQ(Read(src), "keep me");
    EXPECT_FALSE(S_ISLNK(Stat(Path("pointer")).st_mode));
    EXPECT_EQ(Read(Path("pointer")), "keep me");
}

TEST_F(CopyTest, EachOverwriteAnswer) {
    const struct {
        const char* keys;
        int result;
        bool replaced;
        int mode_after;
    } cases[] = {
        {"y", 0, true, OVERWRITE_ASK},           {"s", RESULT_SKIPPED, false, OVERWRITE_ASK},
        {"a", 0, true, OVERWRITE_ALWAYS},        {"e", RESULT_SKIPPED, false, OVERWRITE_NEVER},
        {"d", 0, true, OVERWRITE_IF_OLDER},      {"Esc", -1, false, OVERWRITE_ASK},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        overwrite_mode = OVERWRITE_ASK;
        std::string src = Write("shown-source", "new data", 0644, 2000);
        std::string dst = Write("old", "old", 0644, 1000);
        Answer(c.keys);
        EXPECT_EQ(Copy(src, dst), c.result);
        // The progress window shows the paths under the prompt.
        for (const char* text : {"File already exists, Overwrite?", "Copying", "shown-source"})
            EXPECT_TRUE(FirstShows(text)) << text << "\n" << FirstScreen();
        EXPECT_EQ(Read(dst), c.replaced ? "new data" : "old");
        EXPECT_EQ(overwrite_mode, c.mode_after);
    }
}

TEST_F(CopyTest, ModesThatNeedNoPrompt) {
    std::string src = Write("src", "source", 0644, 5000);
    std::string equal = Write("equal", "equal", 0644, 5000);
    std::string newer = Write("newer", "newer", 0644, 6000);
    std::string older = Write("older", "older", 0644, 4000);
    // In order; "If Older" copying nothing still counts as done.
    const std::tuple<int, std::string, int, const char*> cases[] = {
        {OVERWRITE_IF_OLDER, equal, 0, "equal"},         {OVERWRITE_IF_OLDER, newer, 0, "newer"},
        {OVERWRITE_IF_OLDER, older, 0, "source"},        {OVERWRITE_NEVER, newer, RESULT_SKIPPED, "newer"},
        {OVERWRITE_ALWAYS, newer, 0, "source"}};
    for (const auto& [mode, dst, result, content] : cases) {
        overwrite_mode = mode;
        EXPECT_EQ(Copy(src, dst), result) << mode << " " << dst;
        EXPECT_EQ(Read(dst), content) << mode << " " << dst;
    }
}

TEST_F(CopyTest, FileOpenForWritingAsksOnce) {
    std::string first = Write("first", "1");
    std::string second = Write("second", "2");
    // A writer holding the files exclusively.
    int a = open(first.c_str(), O_RDWR), b = open(second.c_str(), O_RDWR);
    ASSERT_EQ(flock(a, LOCK_EX), 0);
    ASSERT_EQ(flock(b, LOCK_EX), 0);
    Answer("s y");
    EXPECT_EQ(Copy(first, Path("c1")), RESULT_SKIPPED);
    EXPECT_TRUE(FirstShows("File is open for writing, copy anyway?")) << FirstScreen();
    Expect({"!c1"});
    EXPECT_EQ(Copy(first, Path("c1")), 0);
    Expect({"c1=1"});
    // All: this and every later such file without asking; None: skipped.
    ui.Keys("a");
    EXPECT_EQ(Copy(first, Path("c2")), 0);
    EXPECT_EQ(Copy(second, Path("c3")), 0);
    EXPECT_EQ(read_written_all, 1);
    read_written_all = 0;
    ui.Keys("e");
    EXPECT_EQ(Copy(first, Path("c4")), RESULT_SKIPPED);
    EXPECT_EQ(Copy(second, Path("c5")), RESULT_SKIPPED);
    EXPECT_FALSE(Exists(Path("c5")));
    close(a);
    close(b);
}

TEST_F(CopyTest, WorkerWithoutConsoleOrStatus) {
    Files({"src/", "src/b=b"});
    Write("src/a", Big(70000));
    StdFile descriptions;
    auto copy = [&](const std::string& from, const std::string& to) {
        return copyfile(W(Path(from)).c_str(), W(Path(to)).c_str(), false, false, nullptr, descriptions, 0);
    };
    EXPECT_EQ(copy("src", "dst"), 0);
    EXPECT_EQ(Read(Path("dst/a")), Big(70000));
    EXPECT_EQ(copy("src/b", "dst/b"), EEXIST);
    EXPECT_TRUE(last_copy_failure().destination);
    EXPECT_EQ(copy("missing", "x"), ENOENT);
    EXPECT_FALSE(last_copy_failure().destination);
}

TEST_F(CopyTest, CopyToADeviceKeepsTheDevice) {
    struct stat before = Stat("/dev/null");
    overwrite_mode = OVERWRITE_ALWAYS;
    EXPECT_EQ(Copy(Write("src", "to nowhere", 0600), "/dev/null"), 0);
    struct stat after = Stat("/dev/null");
    EXPECT_TRUE(S_ISCHR(after.st_mode));
    EXPECT_EQ(after.st_mode, before.st_mode);  // never given the source's permissions
}

}  // namespace
