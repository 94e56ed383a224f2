// Deleting and making directories: the Delete command's confirmations, the
// YES prompt, the read-only answers, masks and missing files; names Make
// Directory refuses; desktop launchers.
#include "fileops/deletecmd.h"
#include "fileops/fserror.h"
#include "fileops/launcher.h"
#include "fileops/mkdir.h"
#include "tests/fileops/fileops_fixture.h"
#include "tests/support/env_guard.h"

namespace {

// Both panels list tmp/p once shown.
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

TEST_F(DeleteTest, UnconfirmedSingleFileButNeverTheParent) {
    Files({"p/two"});
    Show();
    config.Confirmations = CONFIRM_DELETE_FILE;  // switched off: no input needed
    Delete("two");
    EXPECT_FALSE(PathExists(Path("p/two")));
    EXPECT_EQ(IndexOf(panel(), "two"), -1);  // the panel was read again
    Delete("..");
    EXPECT_TRUE(PathExists(tmp.path()));
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
}

TEST_F(DeleteTest, NonEmptyDirectoryNeedsYes) {
    Files({"p/dir/", "p/dir/sub/", "p/dir/sub/f=f"});
    Show();
    // Lower case is refused.
    for (const char* typed : {"yes", "YES"}) {
        ui.Keys("Enter");
        ui.Type(typed);
        Answer("Enter");
        Delete("dir");
        EXPECT_TRUE(Shown("Type \"YES\"")) << FirstScreen();
        EXPECT_TRUE(Shown("is not empty")) << FirstScreen();
        EXPECT_EQ(PathExists(Path("p/dir/sub/f")), std::string(typed) == "yes") << typed;
    }
}

TEST_F(DeleteTest, TreeWithMaskKeepsTheRest) {
    Files({"t/", "t/keep/", "t/empty/", "t/only/", "t/a.tmp", "t/b.txt", "t/keep/c.tmp", "t/keep/d.c",
           "t/only/e.tmp"});
    ASSERT_EQ(symlink("keep", Path("t/link.tmp").c_str()), 0);
    EXPECT_EQ(ui.Run([&] { return delete_tree2(W(Path("t")).c_str(), L"*.tmp"); }), 0);
    // The link goes, not what it points to.
    Expect({"!t/a.tmp", "!t/keep/c.tmp", "!t/link.tmp", "!t/empty", "!t/only", "t/keep/d.c", "t/b.txt"});
}

TEST_F(DeleteTest, TreeDeletionDropsTheDescriptionsOfWhatWent) {
    Files({"t/", "t/sub/", "t/a.tmp", "t/b.txt", "t/q u.tmp", "t/sub/c.tmp", "t/sub/d.txt"});
    Write("t/descript.ion", "a.tmp first\r\nb.txt kept\r\n\"q u.tmp\" quoted\r\na.tmp again\r\n");
    Write("t/sub/descript.ion", "c.tmp gone\r\n");
    EXPECT_EQ(ui.Run([&] { return delete_tree2(W(Path("t")).c_str(), L"*.tmp"); }), 0);
    Expect({"!t/a.tmp", "!t/q u.tmp", "!t/sub/c.tmp", "t/b.txt", "t/sub/d.txt", "!t/sub/descript.ion"});
    EXPECT_EQ(ReadFile(Path("t/descript.ion")), "b.txt kept\r\n");
}

TEST_F(DeleteTest, ReadOnlyAnswers) {
    // Only an ordinary user meets read-only files: root may write anything.
    chmod(tmp.path().c_str(), 0777);
    MakeDir("ro", 0777);
    for (const char* name : {"1", "2", "3", "4"}) Write(std::string("ro/") + name, "x", 0444);
    auto run = [&](const char* keys, const std::vector<std::string>& names, int expected) {
        return RunAsNobody([&] {
            Answer(keys);
            int total = 0;
            ui.Run([&] {
                for (const std::string& name : names) total += delete_file(W(Path("ro/" + name)).c_str(), DELETE_BATCH);
                return 0;
            });
            end_delete_batch();
            bool asked_once = ui.Screens().size() == 1 && FirstShows("File is Read Only, Delete anyway?");
            return total == expected && asked_once ? 0 : 1;
        });
    };
    // None: skipped, and the next without asking; All: deleted likewise.
    EXPECT_EQ(run("e", {"1", "2"}, 0), 0);
    EXPECT_EQ(run("a", {"3", "4"}, 2), 0);
    Expect({"ro/1", "ro/2", "!ro/3", "!ro/4"});
}

TEST_F(DeleteTest, AReadOnlyFileInATreeIsStillAskedFor) {
    chmod(tmp.path().c_str(), 0777);
    MakeDir("rt", 0777);
    Write("rt/ro", "x", 0444);
    Write("rt/rw", "x", 0666);
    EXPECT_EQ(RunAsNobody([&] {
                  Answer("e");  // None: the read-only file stays, so does its directory
                  ui.Run([&] { return delete_tree2(W(Path("rt")).c_str(), L"*"); });
                  return FirstShows("File is Read Only, Delete anyway?") ? 0 : 1;
              }),
              0);
    Expect({"rt/ro", "!rt/rw"});
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

TEST_F(DeleteTest, MakeDirectoryRefusesExistingNames) {
    Files({"p/there/", "p/file"});
    Show();
    const std::pair<const char*, const char*> cases[] = {
        {"there", "Directory already exists"},
        {"file/sub", "Path not found"},  // a file in the way of an intermediate directory
    };
    for (const auto& [name, message] : cases) {
        ui.Type(name);
        Answer("Enter Enter");
        ui.RunVoid([] { make_dir(0); });
        EXPECT_TRUE(Shown(message)) << FirstScreen();
    }
}

class LauncherTest : public FileOpsTest {
protected:
    void SetUp() override {
        FileOpsTest::SetUp();
        Files({"home/", "home/Desktop/", "p/"});
    }
    CEnvGuard home_{"HOME", Path("home").c_str()};
};

TEST_F(LauncherTest, FileContents) {
    Write("p/tool", "#!/bin/sh\n", 0755);
    Write("p/my $doc.txt", "text", 0644);
    SetUpPanel(panel_base[0], Path("p"));
    const std::string head = "#!/usr/bin/env xdg-open\n\n[Desktop Entry]\nVersion=1.0\nEncoding=UTF-8\n";
    EXPECT_EQ(create_object2(&panel_base[0], L"tool", L"My Tool", true), 0);
    EXPECT_EQ(ReadFile(Path("home/Desktop/My Tool.desktop")),
              head + "Name=My Tool\nExec=" + Path("p/tool") + "\nTerminal=true\nType=Application\n");
    EXPECT_EQ(create_object2(&panel_base[0], L"my $doc.txt", L"a/b", false), 0);
    EXPECT_EQ(ReadFile(Path("home/Desktop/a_b.desktop")),
              head + "Name=a/b\nExec=xdg-open " + Path("p/my\\ \\$doc.txt") + "\nTerminal=false\nType=Application\n");
    // A name with a line break would start lines of its own: refused.
    EXPECT_NE(create_object2(&panel_base[0], L"bad\nExec=evil", L"t", false), 0);
    EXPECT_FALSE(PathExists(Path("home/Desktop/t.desktop")));
    // A home without a Desktop directory gets one.
    std::filesystem::remove_all(Path("home/Desktop"));
    EXPECT_EQ(create_object2(&panel_base[0], L"tool", L"x", false), 0);
    EXPECT_TRUE(PathExists(Path("home/Desktop/x.desktop")));
}

TEST_F(LauncherTest, DialogForOneEntry) {
    Write("p/report.PDF", "");
    SetUpPanel(panel_base[0], Path("p"));
    Cursor(panel_base[0], "report.PDF");
    Answer("Enter");
    ui.RunVoid([] { create_object(&panel_base[0]); });
    EXPECT_TRUE(FirstShows("Make an object for")) << FirstScreen();
    EXPECT_TRUE(FirstShows("Report")) << FirstScreen();  // the title proposed from the name
    EXPECT_TRUE(PathExists(Path("home/Desktop/Report.desktop")));
    // Where no Desktop directory can be made, the user is told why.
    CEnvGuard no_home{"HOME", Path("nowhere").c_str()};
    Answer("Enter Enter");
    ui.RunVoid([] { create_object(&panel_base[0]); });
    EXPECT_TRUE(Shown("No launcher was made: No such file or directory"));
}

}  // namespace
