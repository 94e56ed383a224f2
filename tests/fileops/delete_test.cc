// Deleting: the Delete command with each confirmation, the YES prompt, the
// read-only answers, masks, the deletion window, and deleting a named file.

#include "fileops/deletecmd.h"
#include "fileops/fserror.h"
#include "tests/fileops/env_guard.h"
#include "tests/fileops/fileops_fixture.h"

namespace {

// The left panel lists tmp/p.
class DeleteTest : public FileOpsTest {
protected:
    void SetUp() override {
        FileOpsTest::SetUp();
        MakeDir("p");
        SetUpPanel(panel_base[1], Path("p"));
    }
    PANEL& panel() { return panel_base[0]; }
    void Show() { SetUpPanel(panel(), Path("p")); }
    // The Delete command on the entry under the cursor, or the tagged ones.
    void Delete(const char* cursor = nullptr) {
        if (cursor) Cursor(panel(), cursor);
        ui.RunVoid([&] { file_delete(&panel()); });
    }
};

TEST_F(DeleteTest, SingleFileConfirmedOrNot) {
    Files({"p/one", "p/two"});
    Show();
    Answer("Esc");
    Delete("one");
    EXPECT_TRUE(FirstShows("Do you wish to delete")) << FirstScreen();
    EXPECT_TRUE(Exists(Path("p/one")));
    ui.Keys("Enter");
    Delete("one");
    EXPECT_FALSE(Exists(Path("p/one")));
    EXPECT_EQ(break_status, 0);
    EXPECT_EQ(IndexOf(panel(), "one"), -1);  // the panel was read again
    // Switched off: no input needed; ".." is never deleted.
    config.Confirmations = CONFIRM_DELETE_FILE;
    Delete("two");
    EXPECT_FALSE(Exists(Path("p/two")));
    Delete("..");
    EXPECT_TRUE(Exists(tmp.path()));
}

TEST_F(DeleteTest, TaggedFilesWithBothBoxes) {
    Files({"p/a=a", "p/b=b", "p/c=c", "p/d=d"});
    Show();
    Tag(panel(), "a");
    Tag(panel(), "c");
    Answer("Enter Enter");
    Delete();
    ASSERT_EQ(ui.Screens().size(), 2u);
    EXPECT_TRUE(ui.Screens()[0].Find("You have selected 2 files")) << ui.Screens()[0].Dump();
    EXPECT_TRUE(ui.Screens()[0].Find("Delete Read Only:")) << ui.Screens()[0].Dump();
    EXPECT_TRUE(ui.Screens()[1].Find("You are deleting 2 selected files from")) << ui.Screens()[1].Dump();
    Expect({"!p/a", "p/b", "!p/c"});
    // The second box cancels, or is switched off.
    Tag(panel(), "d");
    ui.Keys("Enter Esc");
    Delete();
    Expect({"p/d"});
    config.Confirmations = CONFIRM_DELETE_TAGGED;
    ui.Keys("Enter");
    Delete();
    Expect({"!p/d"});
}

TEST_F(DeleteTest, NonEmptyDirectoryNeedsYes) {
    Files({"p/dir/", "p/dir/sub/", "p/dir/sub/f=f", "p/quiet/", "p/quiet/f=f"});
    Show();
    // Lower case is refused.
    for (const char* typed : {"yes", "YES"}) {
        ui.Keys("Enter");
        ui.Type(typed);
        Answer("Enter");
        Delete("dir");
        EXPECT_TRUE(Shown("Type \"YES\"")) << LastScreen();
        EXPECT_TRUE(Shown("is not empty")) << LastScreen();
        EXPECT_EQ(Exists(Path("p/dir/sub/f")), std::string(typed) == "yes") << typed;
    }
    // Without the confirmation.
    config.Confirmations = CONFIRM_DELETE_FILE | CONFIRM_DELETE_DIR;
    Delete("quiet");
    Expect({"!p/quiet"});
}

TEST_F(DeleteTest, ButtonsInsteadOfYes) {
    Files({"p/d1/", "p/d1/f", "p/d2/", "p/d2/f", "p/d3/", "p/d3/f"});
    config.Confirmations = CONFIRM_DELETE_FILE | CONFIRM_TYPE_YES;
    Show();
    ui.Keys("Enter");  // presses the focused Cancel
    Delete("d1");
    EXPECT_TRUE(Exists(Path("p/d1/f")));
    // All: this tree and the next without asking.
    Tag(panel(), "d1");
    Tag(panel(), "d2");
    ui.Keys("a");
    config.Confirmations |= CONFIRM_DELETE_TAGGED;
    Delete();
    ui.Keys("y");
    Delete("d3");
    Expect({"!p/d1", "!p/d2", "!p/d3"});
}

TEST_F(DeleteTest, TreeWithMaskKeepsTheRest) {
    Files({"t/", "t/keep/", "t/empty/", "t/only/", "t/a.tmp", "t/b.txt", "t/keep/c.tmp", "t/keep/d.c",
           "t/only/e.tmp"});
    ASSERT_EQ(symlink("keep", Path("t/link.tmp").c_str()), 0);
    EXPECT_EQ(ui.Run([&] { return delete_tree2(W(Path("t")).c_str(), L"*.tmp"); }), 0);
    // The link goes, not what it points to.
    Expect({"!t/a.tmp", "!t/keep/c.tmp", "!t/link.tmp", "!t/empty", "!t/only", "t/keep/d.c", "t/b.txt"});
}

TEST_F(DeleteTest, ReadOnlyAnswers) {
    // Only an ordinary user meets read-only files: root may write anything.
    chmod(tmp.path().c_str(), 0777);
    MakeDir("ro", 0777);
    for (const char* name : {"1", "2", "3", "4", "5"}) Write(std::string("ro/") + name, "x", 0444);
    auto run = [&](const char* keys, const std::vector<std::string>& names, int expected) {
        return RunAsNobody([&] {
            Answer(keys);
            int total = 0;
            ui.Run([&] {
                for (const std::string& name : names) total += delete_file(W(Path("ro/" + name)).c_str(), DELETE_BATCH);
                return 0;
            });
            delete_file(nullptr, DELETE_END);
            bool asked_once = ui.Screens().size() == 1 && FirstShows("File is Read Only, Delete anyway?");
            return total == expected && asked_once ? 0 : 1;
        });
    };
    // None: skipped, and the next without asking; All: deleted likewise.
    EXPECT_EQ(run("e", {"1", "2"}, 0), 0);
    EXPECT_EQ(run("a", {"3", "4"}, 2), 0);
    Expect({"ro/1", "ro/2", "!ro/3", "!ro/4"});
    // The dialog's choice "All" needs no question at all.
    int chosen = RunAsNobody([&] {
        del_all_RO = DEL_RO_ALL;
        return ui.Run([&] { return delete_file(W(Path("ro/5")).c_str(), DELETE_SINGLE); }) == 1 ? 0 : 1;
    });
    EXPECT_EQ(chosen, 0);
    Expect({"!ro/5"});
}

TEST_F(DeleteTest, DialogChoicesAreKept) {
    Files({"p/a=a", "p/b=b"});
    Show();
    Tag(panel(), "a");
    Tag(panel(), "b");
    // DELDIR names the directory's start: "No Undelete" is offered.
    CEnvGuard deldir("DELDIR", tmp.path().substr(0, 3).c_str());
    config.Confirmations = CONFIRM_DELETE_TAGGED;
    Answer("Alt-e Alt-u Enter");  // read-only files: None; No Undelete on
    Delete();
    EXPECT_TRUE(Shown("No Undelete")) << LastScreen();
    EXPECT_EQ(del_all_RO, DEL_RO_NONE);
    EXPECT_EQ(del_force, 1);
    Expect({"!p/a"});
    // Without DELDIR there is no check box.
    CEnvGuard none("DELDIR", nullptr);
    Write("p/c", "c");
    Show();
    Tag(panel(), "c");
    Answer("Enter");
    Delete();
    EXPECT_FALSE(Shown("No Undelete")) << LastScreen();
}

TEST_F(DeleteTest, MissingFilesAndDirectories) {
    Answer("Enter");
    EXPECT_EQ(ui.Run([&] { return delete_file(W(Path("gone")).c_str(), DELETE_SINGLE); }), 0);
    EXPECT_TRUE(FirstShows("File not found")) << FirstScreen();
    // Removing a partial copy: missing is fine and silent.
    EXPECT_EQ(ui.Run([&] { return delete_file(W(Path("gone")).c_str(), DELETE_SILENT_FORCE); }), 0);
    Answer("Enter");
    EXPECT_EQ(ui.Run([&] { return delete_dir(W(Path("absent")).c_str()); }), 0);
    EXPECT_TRUE(FirstShows("Directory does not exist, cannot delete")) << FirstScreen();
}

TEST_F(DeleteTest, DeletionWindowGrowsAndKeepsItsSize) {
    std::string long_name = std::string(50, 'l');
    auto window_width = [&] {
        CUiTest::Screen s = ui.Current();
        int x = 0, y = 0;
        if (!s.Find("\u2554", &x, &y)) return -1;
        int right = x;
        while (right + 1 < s.columns && s.Char(right + 1, y) != 0x2557) right++;
        return right - x + 2;
    };
    std::vector<int> widths;
    for (const std::string& name : {std::string("s"), long_name, std::string("t")}) {
        Write(name, "");
        ui.RunVoid([&] { delete_file(W(Path(name)).c_str(), DELETE_BATCH); });
        widths.push_back(window_width());
    }
    EXPECT_GT(widths[0], 0);
    EXPECT_GT(widths[1], widths[0]);
    EXPECT_EQ(widths[2], widths[1]);
    delete_file(nullptr, DELETE_END);
    EXPECT_EQ(window_width(), -1);
}

TEST_F(DeleteTest, DeleteNamedFile) {
    Write("p/victim", "v");
    Show();
    ui.Type("nothing-here");
    ui.Keys("Enter Enter");  // "File not found", then the dialog again
    ui.Type("victim");       // the first key of a new dialog replaces the text
    Answer("Enter Enter");   // the name, then the confirmation
    ui.RunVoid([&] { file_delete_single(&panel()); });
    for (const char* text : {"Delete the file:", "File not found", "Do you wish to delete"})
        EXPECT_TRUE(Shown(text)) << text << "\n" << LastScreen();
    EXPECT_FALSE(Exists(Path("p/victim")));
}

}  // namespace
