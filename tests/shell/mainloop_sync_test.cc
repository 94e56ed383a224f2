// Ctrl-Shift-F9 from the main loop: the options, the confirmation list and
// the run; declining anywhere changes nothing.

#include "fileops/copyseams.h"
#include "tests/shell/mainloop_fixture.h"

using SyncKeysTest = MainLoopTypeAheadTest;

TEST_F(SyncKeysTest, ConfirmedListMakesTheOtherPanelFollow) {
    left_.Write("new.txt", "new");
    left_.MakeDir("sub");
    left_.Write("sub/inner.txt", "inner");
    right_.Write("extra.txt", "extra");
    // Deleting is off by default: switched on with its hot letter.
    ui.RecordScreens(true);
    RunKeys("Shift-Ctrl-F9 Alt-d Enter Enter");
    EXPECT_TRUE(Shown("Synchronize Directories"));
    EXPECT_TRUE(Shown("Confirm Synchronize Operations"));
    EXPECT_TRUE(Shown("DelDir:") || Shown("Delete:"));
    ExpectPaths({"new.txt=new", "sub/inner.txt=inner", "!extra.txt"}, right_.path() + "/");
    ExpectPaths({left_ / "new.txt", left_ / "sub/inner.txt"});
}

TEST_F(SyncKeysTest, DecliningTheListOrTheOptionsChangesNothing) {
    left_.Write("new.txt", "new");
    right_.Write("extra.txt", "extra");
    RunKeys("Shift-Ctrl-F9 Alt-d Enter Esc Esc");
    ExpectPaths({"!new.txt", "extra.txt=extra"}, right_.path() + "/");
}
