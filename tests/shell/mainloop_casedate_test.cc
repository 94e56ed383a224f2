// Ctrl-C and the Files menu's "File Date/Time" from the main loop: the
// names and times on disk afterwards, read back with stat and date.

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>

#include "tests/shell/mainloop_fixture.h"
#include "tests/support/shell_output.h"

using CaseDateKeysTest = MainLoopTypeAheadTest;

namespace {

void SetTimes(const std::string& path, long mtime, long atime) {
    struct timespec times[2] = {{atime, 0}, {mtime, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

}  // namespace

TEST_F(CaseDateKeysTest, CtrlCLowersTheCursorNameAndNeverReplacesAnother) {
    left_.Write("README", "upper");
    left_.Write("readme", "lower");
    left_.Write("Notes.TXT", "notes");
    ui.RecordScreens(true);
    // The list is sorted by name: "..", Notes.TXT, README, readme. Lowering
    // README meets readme: the clash is skipped.
    RunKeys("Down Ctrl-C Enter Down Ctrl-C Enter s");
    EXPECT_TRUE(Shown("Change case of"));
    EXPECT_TRUE(Shown("Another file already has the name"));
    EXPECT_EQ(ShellOutput("cd '" + left_.path() + "' && ls && cat README readme"),
              "README\nnotes.txt\nreadme\nupperlower");
    // The panel was read again: it shows the new name.
    const std::vector<std::string> names = Names(0);
    EXPECT_NE(std::find(names.begin(), names.end(), "notes.txt"), names.end());
}

TEST_F(CaseDateKeysTest, FileDateTimeOkKeepsANoonTimeAndTheAccessTime) {
    left_.Write("a.txt", "a");
    const std::string noon = ShellOutput("date -d '2020-05-05 12:15:30' +%s");
    SetTimes(left_ / "a.txt", std::stol(noon), 1234567890);
    ui.RecordScreens(true);
    RunKeys("Down F9 f t Enter");
    EXPECT_TRUE(Shown("Change date of"));
    EXPECT_EQ(ShellOutput("stat -c '%Y %X' '" + (left_ / "a.txt") + "'"),
              noon.substr(0, noon.size() - 1) + " 1234567890\n");
}
