// The file-operation keys of the main loop: F5, F6, Shift-F6, F7, F8,
// Shift-F8 and restoring the selection.

#include "fileops/copyseams.h"
#include "tests/shell/mainloop_fixture.h"

namespace {

class FileKeysTest : public MainLoopTypeAheadTest {
protected:
    static bool Lists(int side, const std::string& name) {
        std::vector<std::string> names = Names(side);
        return std::find(names.begin(), names.end(), name) != names.end();
    }
};

}  // namespace

TEST_F(FileKeysTest, CopyRestoreSelectionAndMakeDirectory) {
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) left_.Write(name, name);
    ui.Keys("Down F5 Enter");  // the cursor file
    ui.Keys("Down Insert Insert F5 Enter Alt-Grey +");  // b and c, then their selection back
    ui.Keys("F7");
    ui.Type("one/two");
    RunKeys("Enter");
    ExpectPaths({"a.txt=a.txt", "b.txt=b.txt", "c.txt=c.txt"}, right_.path() + "/");
    ExpectPaths({left_ / "a.txt"});
    EXPECT_TRUE(Lists(1, "a.txt")) << "the other panel is re-read";
    EXPECT_EQ(panel_base[0].num_tagged, 2);
    EXPECT_TRUE(std::filesystem::is_directory(left_ / "one/two"));
    EXPECT_TRUE(Lists(0, "one"));
}

TEST_F(FileKeysTest, F6MovesTheTaggedFilesAndEscapeCancels) {
    for (const char* name : {"a.txt", "b.txt", "c.txt", "old.txt"}) left_.Write(name, name);
    ui.Keys("Down Insert Insert F6 Esc");  // cancelled: nothing moves
    RunKeys("F6 Enter");
    ExpectPaths({right_ / "a.txt=a.txt", right_ / "b.txt=b.txt", "!" + left_ / "a.txt", "!" + left_ / "b.txt",
                 left_ / "c.txt", "!" + right_ / "c.txt"});
    EXPECT_EQ(panel_base[0].num_tagged, 0);

    ui.Keys("Down Down Shift-F6");  // on old.txt: renamed in place
    ui.Type("new.txt");
    RunKeys("Enter");
    ExpectPaths({left_ / "new.txt", "!" + left_ / "old.txt", "!" + right_ / "new.txt"});
}

TEST_F(FileKeysTest, F8DeletesAfterConfirmationAndShiftF8DeletesANamedFile) {
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) left_.Write(name, "");
    ui.Keys("Down F8 Esc");  // refused: a.txt stays
    ui.Keys("F8 Enter");     // a.txt goes
    ui.Keys("Shift-F8");
    ui.Type("c.txt");  // the first key replaces the cursor entry's name
    RunKeys("Enter Enter");
    ExpectPaths({"!a.txt", "b.txt", "!c.txt"}, left_.path() + "/");
}
