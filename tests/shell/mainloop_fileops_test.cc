// The file-operation keys of the main loop: F5, F6, Shift-F6, F7, F8,
// Shift-F8 and restoring the selection.
#include <sys/stat.h>

#include "fileops/copyseams.h"
#include "tests/shell/mainloop_fixture.h"

namespace {

bool Exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

bool IsDir(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Lists(int side, const wchar_t* name) {
    const PANEL& panel = panel_base[side];
    for (int i = 0; i < panel.num_files; i++)
        if (Westring(panel.files[i]->name) == name) return true;
    return false;
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
};

}  // namespace

TEST_F(FileKeysTest, F5CopiesTheCursorFileToTheOtherPanel) {
    left_.Write("a.txt", "alpha");
    ui.Keys("Down F5 Enter");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Contents(right_ / "a.txt"), "alpha");
    EXPECT_TRUE(Exists(left_ / "a.txt"));
    EXPECT_TRUE(Lists(1, L"a.txt")) << "the other panel is re-read";
}

TEST_F(FileKeysTest, F6MovesTheTaggedFilesAndEscapeCancels) {
    left_.Write("a.txt", "1");
    left_.Write("b.txt", "22");
    left_.Write("c.txt", "333");
    ui.Keys("Down Insert Insert F6 Esc");  // cancelled: nothing moves
    ui.Keys("F6 Enter");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Contents(right_ / "a.txt"), "1");
    EXPECT_EQ(Contents(right_ / "b.txt"), "22");
    EXPECT_FALSE(Exists(left_ / "a.txt"));
    EXPECT_FALSE(Exists(left_ / "b.txt"));
    EXPECT_TRUE(Exists(left_ / "c.txt"));
    EXPECT_FALSE(Exists(right_ / "c.txt"));
    EXPECT_EQ(panel_base[0].num_tagged, 0);
}

TEST_F(FileKeysTest, ShiftF6RenamesInPlace) {
    left_.Write("old.txt", "x");
    ui.Keys("Down Shift-F6");
    ui.Type("new.txt");
    ui.Keys("Enter");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(Exists(left_ / "new.txt"));
    EXPECT_FALSE(Exists(left_ / "old.txt"));
    EXPECT_FALSE(Exists(right_ / "new.txt"));
}

TEST_F(FileKeysTest, F7MakesADirectoryWithItsParents) {
    ui.Keys("F7");
    ui.Type("one/two");
    ui.Keys("Enter");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(IsDir(left_ / "one/two"));
    EXPECT_TRUE(Lists(0, L"one"));
}

TEST_F(FileKeysTest, F8DeletesAfterConfirmationAndShiftF8DeletesANamedFile) {
    left_.Write("a.txt", "");
    left_.Write("b.txt", "");
    left_.Write("c.txt", "");
    ui.Keys("Down F8 Esc");   // refused: a.txt stays
    ui.Keys("F8 Enter");      // a.txt goes
    ui.Keys("Shift-F8");
    ui.Type("c.txt");         // the first key replaces the cursor entry's name
    ui.Keys("Enter Enter");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_FALSE(Exists(left_ / "a.txt"));
    EXPECT_TRUE(Exists(left_ / "b.txt"));
    EXPECT_FALSE(Exists(left_ / "c.txt")) << LastScreen().Dump();
}

TEST_F(FileKeysTest, AltGreyPlusRestoresTheLastSelection) {
    left_.Write("a.txt", "1");
    left_.Write("b.txt", "2");
    ui.Keys("Down Insert Insert F5 Enter");
    ui.Keys("Alt-Grey +");
    QueueQuit();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(panel_base[0].num_tagged, 2);
    EXPECT_TRUE(Exists(right_ / "a.txt") && Exists(right_ / "b.txt"));
}
