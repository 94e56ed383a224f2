// Moving: renames on one file system, merges into existing directories,
// copy-and-delete across devices, and sources that stay when a move fails.
#include <errno.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fileops/copyfile.h"
#include "fileops/fserror.h"
#include "tests/fileops/fileops_fixture.h"

namespace {

class MoveTest : public FileOpsTest {
protected:
    // A directory on another device than the temporary one, when there is one.
    std::string OtherDevice() {
        std::string base = "/dev/shm";
        struct stat shm, here;
        if (stat(base.c_str(), &shm) != 0 || stat(tmp.path().c_str(), &here) != 0 || shm.st_dev == here.st_dev)
            return std::string();
        return base;
    }
};

TEST_F(MoveTest, RenameInPlace) {
    std::string src = Write("old name", "x", 0600, 3000);
    EXPECT_EQ(Move(src, Path("new name"), true), 0);
    EXPECT_FALSE(Exists(src));
    EXPECT_EQ(Read(Path("new name")), "x");
    EXPECT_EQ(Stat(Path("new name")).st_mtim.tv_sec, 3000);
}

TEST_F(MoveTest, MergeIntoExistingDirectoryOnOneFileSystem) {
    MakeDir("src");
    MakeDir("src/deep");
    Write("src/a", "new a");
    Write("src/deep/b", "b");
    MakeDir("dst");
    MakeDir("dst/deep");
    Write("dst/keep", "k");
    Write("dst/a", "old a");
    ui.Keys("y");  // overwrite dst/a
    EXPECT_EQ(Move(Path("src"), Path("dst"), true), 0);
    EXPECT_FALSE(Exists(Path("src")));
    EXPECT_EQ(Read(Path("dst/a")), "new a");
    EXPECT_EQ(Read(Path("dst/deep/b")), "b");
    EXPECT_EQ(Read(Path("dst/keep")), "k");
}

TEST_F(MoveTest, SkippedFileKeepsTheSourceDirectory) {
    MakeDir("src");
    Write("src/a", "new");
    Write("src/b", "b");
    MakeDir("dst");
    Write("dst/a", "old");
    ui.Keys("s");
    EXPECT_EQ(Move(Path("src"), Path("dst"), true), RESULT_SKIPPED);
    EXPECT_EQ(Read(Path("src/a")), "new");
    EXPECT_EQ(Read(Path("dst/a")), "old");
    EXPECT_EQ(Read(Path("dst/b")), "b");
}

TEST_F(MoveTest, AcrossDevicesCopiesThenDeletes) {
    std::string other = OtherDevice();
    if (other.empty()) GTEST_SKIP() << "/dev/shm is on the same device as " << tmp.path();
    std::string target = other + "/dvmove" + std::to_string(getpid());
    MakeDir("tree");
    MakeDir("tree/sub");
    Write("tree/sub/file", Big(300000), 0640, 4000);
    ASSERT_EQ(symlink("sub/file", Path("tree/link").c_str()), 0);
    // The caller believed both lie on one file system; the rename fails with
    // EXDEV and the move carries on by copying.
    EXPECT_EQ(Move(Path("tree"), target, true), 0);
    EXPECT_FALSE(Exists(Path("tree")));
    EXPECT_EQ(Read(target + "/sub/file"), Big(300000));
    EXPECT_EQ(Stat(target + "/sub/file").st_mode & 07777, 0640u);
    EXPECT_TRUE(S_ISLNK(Stat(target + "/link").st_mode));
    std::filesystem::remove_all(target);
}

int fake_exdev(const char*, const char*) {
    errno = EXDEV;
    return -1;
}

TEST_F(MoveTest, InjectedCrossDeviceRenameFallsBackToCopy) {
    copy_seams.rename = &fake_exdev;
    MakeDir("tree");
    Write("tree/f", "f", 0600, 1234);
    EXPECT_EQ(Move(Path("tree"), Path("moved"), true), 0);
    EXPECT_FALSE(Exists(Path("tree")));
    EXPECT_EQ(Read(Path("moved/f")), "f");
    EXPECT_EQ(Stat(Path("moved/f")).st_mtim.tv_sec, 1234);
}

TEST_F(MoveTest, DirectoryIntoItselfIsRefused) {
    MakeDir("a");
    Write("a/f", "f");
    ui.Keys("Enter");
    ui.RecordScreens(true);
    EXPECT_EQ(Move(Path("a"), Path("a/inner"), true), -1);
    EXPECT_TRUE(ui.Screens().front().Find("Directory cannot be copied into itself")) << ui.Screens().front().Dump();
    EXPECT_EQ(Read(Path("a/f")), "f");
    ui.Keys("Enter");
    EXPECT_EQ(Move(Path("a"), Path("a/inner"), false), -1);
    EXPECT_EQ(Read(Path("a/f")), "f");
}

TEST_F(MoveTest, FileOntoItselfIsRefused) {
    std::string src = Write("f", "data");
    ui.Keys("Enter");
    EXPECT_EQ(Move(src, src, true), EEXIST);
    EXPECT_EQ(Read(src), "data");
}

TEST_F(MoveTest, OverwriteAnswersForMoves) {
    std::string a = Write("a", "A");
    std::string b = Write("b", "B");
    ui.Keys("s");
    EXPECT_EQ(Move(a, b, true), RESULT_SKIPPED);
    EXPECT_EQ(Read(a), "A");
    EXPECT_EQ(Read(b), "B");
    ui.Keys("y");
    EXPECT_EQ(Move(a, b, true), 0);
    EXPECT_FALSE(Exists(a));
    EXPECT_EQ(Read(b), "A");
}

TEST_F(MoveTest, IfOlderOnOneFileSystem) {
    std::string src = Write("src", "newer", 0644, 9000);
    std::string dst = Write("dst", "older", 0644, 1000);
    std::string src2 = Write("src2", "older source", 0644, 1000);
    std::string dst2 = Write("dst2", "newer target", 0644, 9000);
    overwrite_mode = OVERWRITE_IF_OLDER;
    EXPECT_EQ(Move(src, dst, true), 0);
    EXPECT_EQ(Read(dst), "newer");
    EXPECT_FALSE(Exists(src));
    // The destination is not older: nothing moves, and the source is not done.
    EXPECT_EQ(Move(src2, dst2, true), RESULT_SKIPPED);
    EXPECT_EQ(Read(dst2), "newer target");
    EXPECT_TRUE(Exists(src2));
}

}  // namespace
