// Deleting: the Delete command with each confirmation, the YES prompt, the
// read-only answers, masks, the deletion window, and deleting a named file.
#include <sys/stat.h>
#include <unistd.h>

#include "fileops/deletecmd.h"
#include "fileops/fserror.h"
#include "tests/fileops/env_guard.h"
#include "tests/fileops/fileops_fixture.h"

namespace {

class DeleteTest : public FileOpsTest {
protected:
    void SetUp() override {
        FileOpsTest::SetUp();
        MakeDir("p");
        SetUpPanel(panel_base[1], Path("p"));
    }
    PANEL& panel() { return panel_base[0]; }
    void Show() { SetUpPanel(panel(), Path("p")); }
    void Run(const std::function<void()>& body) { ui.RunVoid(body); }
};

TEST_F(DeleteTest, SingleFileConfirmedOrNot) {
    Write("p/one", "1");
    Show();
    Cursor(panel(), "one");
    ui.Keys("Esc");
    ui.RecordScreens(true);
    Run([&] { file_delete(&panel()); });
    EXPECT_TRUE(ui.Screens().front().Find("Do you wish to delete")) << ui.Screens().front().Dump();
    EXPECT_TRUE(Exists(Path("p/one")));
    ui.Keys("Enter");
    Run([&] { file_delete(&panel()); });
    EXPECT_FALSE(Exists(Path("p/one")));
    EXPECT_EQ(break_status, 0);
    // The panel was read again.
    EXPECT_EQ(IndexOf(panel(), "one"), -1);
}

TEST_F(DeleteTest, ConfirmationSwitchedOff) {
    Write("p/one", "1");
    Show();
    Cursor(panel(), "one");
    config.Confirmations = CONFIRM_DELETE_FILE;
    Run([&] { file_delete(&panel()); });  // no input needed
    EXPECT_FALSE(Exists(Path("p/one")));
}

TEST_F(DeleteTest, ParentEntryIsNeverDeleted) {
    Show();
    Cursor(panel(), "..");
    config.Confirmations = CONFIRM_DELETE_FILE;
    Run([&] { file_delete(&panel()); });
    EXPECT_TRUE(Exists(tmp.path()));
}

TEST_F(DeleteTest, TaggedFilesWithBothBoxes) {
    Write("p/a", "a");
    Write("p/b", "b");
    Write("p/c", "c");
    Show();
    Tag(panel(), "a");
    Tag(panel(), "c");
    ui.Keys("Enter Enter");
    ui.RecordScreens(true);
    Run([&] { file_delete(&panel()); });
    ASSERT_EQ(ui.Screens().size(), 2u);
    EXPECT_TRUE(ui.Screens()[0].Find("You have selected 2 files")) << ui.Screens()[0].Dump();
    EXPECT_TRUE(ui.Screens()[0].Find("Delete Read Only:")) << ui.Screens()[0].Dump();
    EXPECT_TRUE(ui.Screens()[1].Find("You are deleting 2 selected files from")) << ui.Screens()[1].Dump();
    EXPECT_FALSE(Exists(Path("p/a")));
    EXPECT_TRUE(Exists(Path("p/b")));
    EXPECT_FALSE(Exists(Path("p/c")));
}

TEST_F(DeleteTest, SecondBoxCancelsOrIsSwitchedOff) {
    Write("p/a", "a");
    Show();
    Tag(panel(), "a");
    ui.Keys("Enter Esc");
    Run([&] { file_delete(&panel()); });
    EXPECT_TRUE(Exists(Path("p/a")));
    config.Confirmations = CONFIRM_DELETE_TAGGED;
    ui.Keys("Enter");
    Run([&] { file_delete(&panel()); });
    EXPECT_FALSE(Exists(Path("p/a")));
}

TEST_F(DeleteTest, NonEmptyDirectoryNeedsYes) {
    MakeDir("p/dir");
    MakeDir("p/dir/sub");
    Write("p/dir/sub/f", "f");
    Show();
    Cursor(panel(), "dir");
    // Lower case is refused.
    ui.Keys("Enter");
    ui.Type("yes");
    ui.Keys("Enter");
    ui.RecordScreens(true);
    Run([&] { file_delete(&panel()); });
    EXPECT_TRUE(Shown("Type \"YES\"")) << LastScreen();
    EXPECT_TRUE(Shown("is not empty")) << LastScreen();
    EXPECT_TRUE(Exists(Path("p/dir/sub/f")));
    Cursor(panel(), "dir");
    ui.Keys("Enter");
    ui.Type("YES");
    ui.Keys("Enter");
    Run([&] { file_delete(&panel()); });
    EXPECT_FALSE(Exists(Path("p/dir")));
}

TEST_F(DeleteTest, NonEmptyDirectoryWithoutConfirmation) {
    MakeDir("p/dir");
    Write("p/dir/f", "f");
    Show();
    Cursor(panel(), "dir");
    config.Confirmations = CONFIRM_DELETE_FILE | CONFIRM_DELETE_DIR;
    Run([&] { file_delete(&panel()); });
    EXPECT_FALSE(Exists(Path("p/dir")));
}

TEST_F(DeleteTest, ButtonsInsteadOfYes) {
    MakeDir("p/d1");
    Write("p/d1/f", "f");
    MakeDir("p/d2");
    Write("p/d2/f", "f");
    MakeDir("p/d3");
    Write("p/d3/f", "f");
    config.Confirmations = CONFIRM_DELETE_FILE | CONFIRM_TYPE_YES;
    Show();
    // Enter presses the focused Cancel.
    Cursor(panel(), "d1");
    ui.Keys("Enter");
    Run([&] { file_delete(&panel()); });
    EXPECT_TRUE(Exists(Path("p/d1/f")));
    // All: this tree and the next without asking.
    Tag(panel(), "d1");
    Tag(panel(), "d2");
    ui.Keys("a");
    config.Confirmations |= CONFIRM_DELETE_TAGGED;
    Run([&] { file_delete(&panel()); });
    EXPECT_FALSE(Exists(Path("p/d1")));
    EXPECT_FALSE(Exists(Path("p/d2")));
    Cursor(panel(), "d3");
    ui.Keys("y");
    Run([&] { file_delete(&panel()); });
    EXPECT_FALSE(Exists(Path("p/d3")));
}

TEST_F(DeleteTest, TreeWithMaskKeepsTheRest) {
    MakeDir("t");
    MakeDir("t/keep");
    MakeDir("t/empty");
    MakeDir("t/only");
    Write("t/a.tmp", "");
    Write("t/b.txt", "");
    Write("t/keep/c.tmp", "");
    Write("t/keep/d.c", "");
    Write("t/only/e.tmp", "");
    ASSERT_EQ(symlink("keep", Path("t/link.tmp").c_str()), 0);
    int result = ui.Run([&] { return delete_tree2(W(Path("t")).c_str(), L"*.tmp"); });
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(Exists(Path("t/a.tmp")));
    EXPECT_FALSE(Exists(Path("t/keep/c.tmp")));
    EXPECT_FALSE(Exists(Path("t/link.tmp")));  // the link, not what it points to
    EXPECT_TRUE(Exists(Path("t/keep/d.c")));
    EXPECT_TRUE(Exists(Path("t/b.txt")));
    EXPECT_FALSE(Exists(Path("t/empty")));
    EXPECT_FALSE(Exists(Path("t/only")));
    EXPECT_TRUE(Exists(Path("t")));
}

TEST_F(DeleteTest, ReadOnlyAnswers) {
    // Only an ordinary user meets read-only files: root may write anything.
    chmod(tmp.path().c_str(), 0777);
    MakeDir("ro", 0777);
    for (const char* name : {"1", "2", "3", "4", "5", "6"}) Write(std::string("ro/") + name, "x", 0444);
    auto run = [&](const char* keys, const std::vector<std::string>& names, int expected) {
        return RunAsNobody([&] {
            ui.Keys(keys);
            ui.RecordScreens(true);
            int total = 0;
            ui.Run([&] {
                for (const std::string& name : names) total += delete_file(W(Path("ro/" + name)).c_str(), DELETE_BATCH);
                return 0;
            });
            delete_file(nullptr, DELETE_END);
            bool asked_once = ui.Screens().size() == 1 && ui.Screens()[0].Find("File is Read Only, Delete anyway?");
            return total == expected && asked_once ? 0 : 1;
        });
    };
    // None: skipped, and the next without asking.
    EXPECT_EQ(run("e", {"1", "2"}, 0), 0);
    EXPECT_TRUE(Exists(Path("ro/1")));
    EXPECT_TRUE(Exists(Path("ro/2")));
    // All: deleted, and the next without asking.
    EXPECT_EQ(run("a", {"3", "4"}, 2), 0);
    EXPECT_FALSE(Exists(Path("ro/3")));
    EXPECT_FALSE(Exists(Path("ro/4")));
    // The dialog's choice "All" needs no question at all.
    int chosen = RunAsNobody([&] {
        del_all_RO = DEL_RO_ALL;
        int r = ui.Run([&] { return delete_file(W(Path("ro/5")).c_str(), DELETE_SINGLE); });
        return r == 1 ? 0 : 1;
    });
    EXPECT_EQ(chosen, 0);
    EXPECT_FALSE(Exists(Path("ro/5")));
}

TEST_F(DeleteTest, DialogChoicesAreKept) {
    Write("p/a", "a");
    Write("p/b", "b");
    Show();
    Tag(panel(), "a");
    Tag(panel(), "b");
    // DELDIR names the directory's start: "No Undelete" is offered.
    CEnvGuard deldir("DELDIR", tmp.path().substr(0, 3).c_str());
    config.Confirmations = CONFIRM_DELETE_TAGGED;
    ui.Keys("Alt-e Alt-u Enter");  // read-only files: None; No Undelete on
    ui.RecordScreens(true);
    Run([&] { file_delete(&panel()); });
    EXPECT_TRUE(Shown("No Undelete")) << LastScreen();
    EXPECT_EQ(del_all_RO, DEL_RO_NONE);
    EXPECT_EQ(del_force, 1);
    EXPECT_FALSE(Exists(Path("p/a")));
    // Without DELDIR there is no check box.
    CEnvGuard none("DELDIR", nullptr);
    Write("p/c", "c");
    Show();
    Tag(panel(), "c");
    ui.Keys("Enter");
    ui.RecordScreens(true);
    Run([&] { file_delete(&panel()); });
    EXPECT_FALSE(Shown("No Undelete")) << LastScreen();
}

TEST_F(DeleteTest, MissingFileIsReported) {
    ui.Keys("Enter");
    ui.RecordScreens(true);
    EXPECT_EQ(ui.Run([&] { return delete_file(W(Path("gone")).c_str(), DELETE_SINGLE); }), 0);
    EXPECT_TRUE(ui.Screens().front().Find("File not found")) << ui.Screens().front().Dump();
    // Removing a partial copy: missing is fine and silent.
    EXPECT_EQ(ui.Run([&] { return delete_file(W(Path("gone")).c_str(), DELETE_SILENT_FORCE); }), 0);
}

TEST_F(DeleteTest, DeletionWindowGrowsAndKeepsItsSize) {
    std::string long_name = std::string(50, 'l');
    Write("s", "");
    Write(long_name, "");
    Write("t", "");
    auto window_width = [&] {
        CUiTest::Screen s = ui.Current();
        int x = 0, y = 0;
        if (!s.Find("\u2554", &x, &y)) return -1;
        int right = x;
        while (right + 1 < s.columns && s.Char(right + 1, y) != 0x2557) right++;
        return right - x + 2;
    };
    ui.RunVoid([&] { delete_file(W(Path("s")).c_str(), DELETE_BATCH); });
    int first = window_width();
    ui.RunVoid([&] { delete_file(W(Path(long_name)).c_str(), DELETE_BATCH); });
    int second = window_width();
    ui.RunVoid([&] { delete_file(W(Path("t")).c_str(), DELETE_BATCH); });
    int third = window_width();
    EXPECT_GT(first, 0);
    EXPECT_GT(second, first);
    EXPECT_EQ(third, second);
    delete_file(nullptr, DELETE_END);
    EXPECT_EQ(window_width(), -1);
}

TEST_F(DeleteTest, DeleteNamedFile) {
    Write("p/victim", "v");
    Show();
    ui.Type("nothing-here");
    ui.Keys("Enter Enter");  // "File not found", then the dialog again
    ui.Type("victim");       // the first key of a new dialog replaces the text
    ui.Keys("Enter Enter");  // the name, then the confirmation
    ui.RecordScreens(true);
    Run([&] { file_delete_single(&panel()); });
    EXPECT_TRUE(Shown("Delete the file:")) << LastScreen();
    EXPECT_TRUE(Shown("File not found")) << LastScreen();
    EXPECT_TRUE(Shown("Do you wish to delete")) << LastScreen();
    EXPECT_FALSE(Exists(Path("p/victim")));
}

TEST_F(DeleteTest, DirectoryThatDoesNotExist) {
    ui.Keys("Enter");
    ui.RecordScreens(true);
    EXPECT_EQ(ui.Run([&] { return delete_dir(W(Path("absent")).c_str()); }), 0);
    EXPECT_TRUE(ui.Screens().front().Find("Directory does not exist, cannot delete"));
}

}  // namespace
