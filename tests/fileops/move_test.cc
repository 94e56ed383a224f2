// Moving: renames on one file system, merges into existing directories,
// copy-and-delete across devices, and sources that stay when a move fails.
#include <errno.h>

#include <cstring>

#include "fileops/copyfile.h"
#include "fileops/fserror.h"
#include "tests/fileops/fileops_fixture.h"

namespace {

class MoveTest : public FileOpsTest {};

int fake_exdev(const char*, const char*) {
    errno = EXDEV;
    return -1;
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

TEST_F(MoveTest, MergeReportsWhyLeftoverDescriptionsCouldNotFollow) {
    // A directory where the destination's description file belongs makes
    // carrying the leftover descriptions fail, even for root.
    Files({"src/", "src/a=a", "src/descript.ion=ghost gone\r\n", "dst/", "dst/descript.ion/"});
    Answer("Esc");
    EXPECT_EQ(Move(Path("src"), Path("dst"), true), -1);
    EXPECT_TRUE(FirstShows(strerror(EISDIR))) << FirstScreen();
    EXPECT_FALSE(Shown(strerror(ENOTEMPTY)));
    Expect({"src/descript.ion=ghost gone\r\n", "dst/a=a"});
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
    Answer("Enter Enter");
    EXPECT_EQ(Move(Path("a"), Path("a/inner"), true), -1);
    EXPECT_TRUE(FirstShows("Directory cannot be copied into itself")) << FirstScreen();
    EXPECT_EQ(Move(Path("a/f"), Path("a/f"), true), EEXIST);
    Expect({"a/f=f"});
}

}  // namespace
