// Copying and moving files and trees: contents, times, permissions, links,
// special files, merges, the overwrite answers and the refusals that protect data.
#include <errno.h>
#include <sys/file.h>

#include <cstring>

#include "fileops/copyfile.h"
#include "fileops/fserror.h"
#include "tests/fileops/fileops_fixture.h"

namespace {

class CopyTest : public FileOpsTest {};

TEST_F(CopyTest, TreeKeepsContentTimesAndModes) {
    MakeDir("src", 0750);
    MakeDir("src/sub", 02700);
    Write("src/big", Big(100000), 0640, 1000000000);
    Write("src/.hidden", "h", 0644, 3000);
    Write("src/sub/empty", "", 0444, 4000);
    SetTime(Path("src/sub"), 7000, 7000);
    EXPECT_EQ(Copy(Path("src"), Path("dst")), 0);
    struct stat s = Stat(Path("src/big")), d = Stat(Path("dst/big"));  // before reading changes the access times
    EXPECT_EQ(d.st_mtim.tv_nsec, s.st_mtim.tv_nsec);
    EXPECT_EQ(d.st_atim.tv_sec, 1000000000);
    Expect({"dst/big=" + Big(100000), "dst/.hidden=h", "dst/sub/empty="});
    // Directory times are set after their contents arrived.
    const std::tuple<const char*, unsigned, long> attributes[] = {
        {"dst/big", 0640, 1000000000}, {"dst/sub", 02700, 7000}, {"dst/sub/empty", 0444, 4000}};
    for (const auto& [leaf, mode, mtime] : attributes) {
        EXPECT_EQ(Stat(Path(leaf)).st_mode & 07777, mode) << leaf;
        EXPECT_EQ(Stat(Path(leaf)).st_mtim.tv_sec, mtime) << leaf;
    }
}

TEST_F(CopyTest, LinksLoopsAndFifosAreCopiedAsThemselves) {
    Files({"tree/", "tree/inner/", "tree/inner/file=x"});
    // Following a link to its own parent would never end; reading a FIFO
    // would wait for a writer for ever.
    ASSERT_EQ(symlink("..", Path("tree/inner/up").c_str()), 0);
    ASSERT_EQ(symlink("/nonexistent/x", Path("tree/dangling").c_str()), 0);
    ASSERT_EQ(mkfifo(Path("tree/pipe").c_str(), 0600), 0);
    EXPECT_EQ(Copy(Path("tree"), Path("copy")), 0);
    char text[64] = {};
    ASSERT_GT(readlink(Path("copy/inner/up").c_str(), text, sizeof text), 0);
    EXPECT_STREQ(text, "..");
    EXPECT_TRUE(S_ISLNK(Stat(Path("copy/dangling")).st_mode));
    EXPECT_TRUE(S_ISFIFO(Stat(Path("copy/pipe")).st_mode));
    Expect({"copy/inner/file=x"});
}

TEST_F(CopyTest, DirectoryIntoItselfIsRefused) {
    Files({"a/", "a/b/", "a/b/f=f"});
    ASSERT_EQ(symlink(Path("a/b").c_str(), Path("alias").c_str()), 0);
    Answer("Enter Enter");
    EXPECT_EQ(Copy(Path("a/b"), Path("a/b/sub")), -1);
    EXPECT_TRUE(FirstShows("Directory cannot be copied into itself")) << FirstScreen();
    // Also through a symbolic link that names the same directory.
    EXPECT_EQ(Copy(Path("a/b"), Path("alias/deeper")), -1);
    // A sibling whose name only begins the same is another directory.
    EXPECT_EQ(Copy(Path("a/b"), Path("a/bc")), 0);
    Expect({"!a/b/sub", "!a/b/deeper", "a/bc/f=f"});
}

TEST_F(CopyTest, FileCannotOverwriteItself) {
    std::string src = Write("same", "keep me");
    ASSERT_EQ(link(src.c_str(), Path("hard").c_str()), 0);  // the same file under another name
    ASSERT_EQ(symlink("same", Path("pointer").c_str()), 0);
    overwrite_mode = OVERWRITE_ALWAYS;
    ui.Keys("Enter Enter");
    EXPECT_EQ(Copy(src, src), EEXIST);
    EXPECT_EQ(Copy(src, Path("hard")), EEXIST);
    EXPECT_EQ(ReadFile(src), "keep me");
    // Overwriting a link to the source replaces the link only.
    EXPECT_EQ(Copy(src, Path("pointer")), 0);
    EXPECT_FALSE(S_ISLNK(Stat(Path("pointer")).st_mode));
    Expect({"same=keep me", "pointer=keep me"});
}

TEST_F(CopyTest, OverwriteAnswers) {
    const struct {
        const char* keys;
        int result;
        bool replaced;
        int mode_after;
    } cases[] = {
        {"y", 0, true, OVERWRITE_ASK},
        {"e", RESULT_SKIPPED, false, OVERWRITE_NEVER},
        {"Esc", -1, false, OVERWRITE_ASK},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        overwrite_mode = OVERWRITE_ASK;
        std::string src = Write("shown-source", "new data");
        std::string dst = Write("old", "old");
        Answer(c.keys);
        EXPECT_EQ(Copy(src, dst), c.result);
        for (const char* text : {"File already exists, Overwrite?", "shown-source"})
            EXPECT_TRUE(FirstShows(text)) << text << "\n" << FirstScreen();
        EXPECT_EQ(ReadFile(dst), c.replaced ? "new data" : "old");
        EXPECT_EQ(overwrite_mode, c.mode_after);
    }
}

TEST_F(CopyTest, FileOpenForWritingAsks) {
    std::string first = Write("first", "1");
    int held = open(first.c_str(), O_RDWR);  // a writer holding the file exclusively
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    Answer("s y");
    EXPECT_EQ(Copy(first, Path("c1")), RESULT_SKIPPED);
    EXPECT_TRUE(FirstShows("File is open for writing, copy anyway?")) << FirstScreen();
    Expect({"!c1"});
    EXPECT_EQ(Copy(first, Path("c1")), 0);
    Expect({"c1=1"});
    close(held);
}

TEST_F(CopyTest, CopyToADeviceKeepsTheDevice) {
    struct stat before = Stat("/dev/null");
    overwrite_mode = OVERWRITE_ALWAYS;
    EXPECT_EQ(Copy(Write("src", "to nowhere", 0600), "/dev/null"), 0);
    EXPECT_EQ(Stat("/dev/null").st_mode, before.st_mode);  // never given the source's permissions
}

TEST_F(CopyTest, MoveMergesIntoAnExistingDirectoryOnOneFileSystem) {
    Files({"src/", "src/deep/", "src/a=new a", "src/deep/b=b", "dst/", "dst/deep/", "dst/keep=k", "dst/a=old a"});
    ui.Keys("y");  // overwrite dst/a
    EXPECT_EQ(Move(Path("src"), Path("dst"), true), 0);
    Expect({"!src", "dst/a=new a", "dst/deep/b=b", "dst/keep=k"});
    // A skipped file keeps its source directory.
    Files({"src/", "src/a=new", "src/c=c"});
    ui.Keys("s");
    EXPECT_EQ(Move(Path("src"), Path("dst"), true), RESULT_SKIPPED);
    Expect({"src/a=new", "dst/a=new a", "dst/c=c"});
}

TEST_F(CopyTest, MergeReportsWhyLeftoverDescriptionsCouldNotFollow) {
    // A directory where the destination's description file belongs makes
    // carrying the leftover descriptions fail, even for root.
    Files({"src/", "src/a=a", "src/descript.ion=ghost gone\r\n", "dst/", "dst/descript.ion/"});
    Answer("Esc");
    EXPECT_EQ(Move(Path("src"), Path("dst"), true), -1);
    EXPECT_TRUE(FirstShows(strerror(EISDIR))) << FirstScreen();
    EXPECT_FALSE(Shown(strerror(ENOTEMPTY)));
    Expect({"src/descript.ion=ghost gone\r\n", "dst/a=a"});
}

TEST_F(CopyTest, MoveIntoItselfIsRefused) {
    Files({"a/", "a/f=f"});
    Answer("Enter Enter");
    EXPECT_EQ(Move(Path("a"), Path("a/inner"), true), -1);
    EXPECT_TRUE(FirstShows("Directory cannot be moved into itself")) << FirstScreen();
    EXPECT_EQ(Move(Path("a/f"), Path("a/f"), true), EEXIST);
    Expect({"a/f=f"});
}

}  // namespace
