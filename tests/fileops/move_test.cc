// Moving: renames on one file system, merges into existing directories,
// copy-and-delete across devices, and sources that stay when a move fails.
#include <errno.h>
#include <stdio.h>

#include "fileops/copyfile.h"
#include "fileops/fserror.h"
#include "tests/fileops/fileops_fixture.h"

namespace {

class MoveTest : public FileOpsTest {};

int fake_exdev(const char*, const char*) {
    errno = EXDEV;
    return -1;
}

TEST_F(MoveTest, RenameAndOverwriteAnswers) {
    std::string src = Write("old name", "x", 0600, 3000);
    EXPECT_EQ(Move(src, Path("new name"), true), 0);
    Expect({"!old name", "new name=x"});
    EXPECT_EQ(Stat(Path("new name")).st_mtim.tv_sec, 3000);

    std::string a = Write("a", "A"), b = Write("b", "B");
    ui.Keys("s y");
    EXPECT_EQ(Move(a, b, true), RESULT_SKIPPED);
    Expect({"a=A", "b=B"});
    EXPECT_EQ(Move(a, b, true), 0);
    Expect({"!a", "b=A"});
}

TEST_F(MoveTest, MergeIntoExistingDirectoryOnOneFileSystem) {
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

TEST_F(MoveTest, AcrossDevicesCopiesThenDeletes) {
    struct stat shm, here;
    if (stat("/dev/shm", &shm) != 0 || stat(tmp.path().c_str(), &here) != 0 || shm.st_dev == here.st_dev)
        GTEST_SKIP() << "/dev/shm is on the same device as " << tmp.path();
    std::string target = "/dev/shm/dvmove" + std::to_string(getpid());
    Files({"tree/", "tree/sub/"});
    Write("tree/sub/file", Big(300000), 0640, 4000);
    ASSERT_EQ(symlink("sub/file", Path("tree/link").c_str()), 0);
    // The caller believed both lie on one file system; the rename fails with
    // EXDEV and the move carries on by copying.
    EXPECT_EQ(Move(Path("tree"), target, true), 0);
    EXPECT_FALSE(Exists(Path("tree")));
    EXPECT_EQ(Read(target + "/sub/file"), Big(300000));
    EXPECT_EQ(Mode(target + "/sub/file"), 0640u);
    EXPECT_TRUE(S_ISLNK(Stat(target + "/link").st_mode));
    std::filesystem::remove_all(target);
}

TEST_F(MoveTest, InjectedCrossDeviceRenameFallsBackToCopy) {
    copy_seams.rename = &fake_exdev;
    MakeDir("tree");
    Write("tree/f", "f", 0600, 1234);
    EXPECT_EQ(Move(Path("tree"), Path("moved"), true), 0);
    Expect({"!tree", "moved/f=f"});
    EXPECT_EQ(Stat(Path("moved/f")).st_mtim.tv_sec, 1234);
}

TEST_F(MoveTest, ItselfIsRefused) {
    Files({"a/", "a/f=f"});
    Answer("Enter Enter Enter");
    EXPECT_EQ(Move(Path("a"), Path("a/inner"), true), -1);
    EXPECT_TRUE(FirstShows("Directory cannot be copied into itself")) << FirstScreen();
    EXPECT_EQ(Move(Path("a"), Path("a/inner"), false), -1);
    EXPECT_EQ(Move(Path("a/f"), Path("a/f"), true), EEXIST);
    Expect({"a/f=f"});
}

TEST_F(MoveTest, IfOlderOnOneFileSystem) {
    std::string src = Write("src", "newer", 0644, 9000);
    std::string dst = Write("dst", "older", 0644, 1000);
    std::string src2 = Write("src2", "older source", 0644, 1000);
    std::string dst2 = Write("dst2", "newer target", 0644, 9000);
    overwrite_mode = OVERWRITE_IF_OLDER;
    EXPECT_EQ(Move(src, dst, true), 0);
    // The destination is not older: nothing moves, and the source is not done.
    EXPECT_EQ(Move(src2, dst2, true), RESULT_SKIPPED);
    Expect({"dst=newer", "!src", "dst2=newer target", "src2"});
}

}  // namespace
