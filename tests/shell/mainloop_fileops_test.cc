// The file-operation keys of the main loop: F5, F6, Shift-F6, F7, F8,
// Shift-F8 and restoring the selection.
#include <sys/stat.h>

#include "fileops/copyseams.h"
#include "tests/shell/mainloop_fixture.h"

namespace {

bool IsDir(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The keys after a command are queued before it runs; the operations' poll
// for Esc would take them, so it reports no Esc here.
class FileKeysTest : public MainLoopTest {
protected:
    void SetUp() override {
        MainLoopTest::SetUp();
        copy_seams.esc_pending = [] { return false; };
    }
    void TearDown() override {
        copy_seams = CopySeams();
        MainLoopTest::TearDown();
    }
    static bool Lists(int side, const std::string& name) {
        std::vector<std::string> names = Names(side);
        return std::find(names.begin(), names.end(), name) != names.end();
    }
};

}  // namespace

TEST_F(FileKeysTest, CopyRestoreSelectionAndMakeDirectory) {
    left_.Write("a.txt", "alpha");
    left_.Write("b.txt", "2");
    left_.Write("c.txt", "3");
    ui.Keys("Down F5 Enter");  // the cursor file
    ui.Keys("Down Insert Insert F5 Enter Alt-Grey +");  // b and c, then their selection back
    ui.Keys("F7");
    ui.Type("one/two");
    RunKeys("Enter");
    EXPECT_EQ(Contents(right_ / "a.txt"), "alpha");
    EXPECT_EQ(Contents(right_ / "b.txt"), "2");
    EXPECT_EQ(Contents(right_ / "c.txt"), "3");
    EXPECT_TRUE(PathExists(left_ / "a.txt"));
    EXPECT_TRUE(Lists(1, "a.txt")) << "the other panel is re-read";
    EXPECT_EQ(panel_base[0].num_tagged, 2);
    EXPECT_TRUE(IsDir(left_ / "one/two"));
    EXPECT_TRUE(Lists(0, "one"));
}

TEST_F(FileKeysTest, F6MovesTheTaggedFilesAndEscapeCancels) {
    left_.Write("a.txt", "1");
    left_.Write("b.txt", "22");
    left_.Write("c.txt", "333");
    left_.Write("old.txt", "x");
    ui.Keys("Down Insert Insert F6 Esc");  // cancelled: nothing moves
    RunKeys("F6 Enter");
    EXPECT_EQ(Contents(right_ / "a.txt"), "1");
    EXPECT_EQ(Contents(right_ / "b.txt"), "22");
    EXPECT_FALSE(PathExists(left_ / "a.txt"));
    EXPECT_FALSE(PathExists(left_ / "b.txt"));
    EXPECT_TRUE(PathExists(left_ / "c.txt"));
    EXPECT_FALSE(PathExists(right_ / "c.txt"));
    EXPECT_EQ(panel_base[0].num_tagged, 0);

    ui.Keys("Down Down Shift-F6");  // on old.txt: renamed in place
    ui.Type("new.txt");
    RunKeys("Enter");
    EXPECT_TRUE(PathExists(left_ / "new.txt"));
    EXPECT_FALSE(PathExists(left_ / "old.txt"));
    EXPECT_FALSE(PathExists(right_ / "new.txt"));
}

TEST_F(FileKeysTest, F8DeletesAfterConfirmationAndShiftF8DeletesANamedFile) {
    left_.Write("a.txt", "");
    left_.Write("b.txt", "");
    left_.Write("c.txt", "");
    ui.Keys("Down F8 Esc");  // refused: a.txt stays
    ui.Keys("F8 Enter");     // a.txt goes
    ui.Keys("Shift-F8");
    ui.Type("c.txt");  // the first key replaces the cursor entry's name
    RunKeys("Enter Enter");
    EXPECT_FALSE(PathExists(left_ / "a.txt"));
    EXPECT_TRUE(PathExists(left_ / "b.txt"));
    EXPECT_FALSE(PathExists(left_ / "c.txt")) << LastScreen().Dump();
}
