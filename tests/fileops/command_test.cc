// The Copy and Move/Rename commands on panels: the destination dialog with
// its rename keys and overwrite choices, tagged files, rename patterns,
// restoring the selection, and the size count.
#include <sys/stat.h>
#include <unistd.h>

#include "fileops/copycommand.h"
#include "fileops/sizecount.h"
#include "fileops/selection.h"
#include "panels/paneldisplay.h"
#include "tests/fileops/fileops_fixture.h"

namespace {

class CommandTest : public FileOpsTest {
protected:
    void SetUp() override {
        FileOpsTest::SetUp();
        MakeDir("left");
        MakeDir("right");
    }
    PANEL& left() { return panel_base[0]; }
    PANEL& right() { return panel_base[1]; }
    void Show() {
        SetUpPanel(left(), Path("left"));
        SetUpPanel(right(), Path("right"));
    }
    void CopyCommand(char flags, const wchar_t* destination = nullptr) {
        ui.RunVoid([&] { file_copy_move(panel_base, 0, flags, destination); });
    }
};

TEST_F(CommandTest, SingleFileToTheOtherPanel) {
    Write("left/a.txt", "a");
    Show();
    Cursor(left(), "a.txt");
    ui.Keys("Enter");
    ui.RecordScreens(true);
    CopyCommand(0);
    const CUiTest::Screen& s = ui.Screens().front();
    EXPECT_TRUE(s.Find("Copy \"a.txt\" to")) << s.Dump();
    EXPECT_TRUE(s.Find(Path("right") + "/a.txt")) << s.Dump();
    EXPECT_TRUE(s.Find("F10-Tree")) << s.Dump();
    EXPECT_TRUE(s.Find("Dir Hist")) << s.Dump();
    EXPECT_FALSE(s.Find("Overwrite")) << s.Dump();  // only for a directory
    EXPECT_EQ(Read(Path("right/a.txt")), "a");
    EXPECT_GE(IndexOf(right(), "a.txt"), 0);  // read again
}

TEST_F(CommandTest, EscCopiesNothing) {
    Write("left/a.txt", "a");
    Show();
    Cursor(left(), "a.txt");
    ui.Keys("Esc");
    CopyCommand(0);
    EXPECT_FALSE(Exists(Path("right/a.txt")));
}

TEST_F(CommandTest, RenameKeysToggleNameAndPath) {
    Write("left/a.txt", "a");
    Show();
    Cursor(left(), "a.txt");
    // F6 leaves the bare name; typing renames in place; Move.
    ui.Keys("F6 BackSpace BackSpace BackSpace BackSpace BackSpace");
    ui.Type("b.txt");
    ui.Keys("Enter");
    CopyCommand(COPY_MOVE);
    EXPECT_FALSE(Exists(Path("left/a.txt")));
    EXPECT_EQ(Read(Path("left/b.txt")), "a");
    // The cursor follows the new name.
    ASSERT_NE(left().CurrentEntry(), nullptr);
    EXPECT_STREQ(EncodeFileName(left().CurrentEntry()->name).c_str(), "b.txt");
    // Alt-D twice: the name, then the other panel's path again.
    Cursor(left(), "b.txt");
    ui.Keys("Alt-d Alt-d Enter");
    ui.RecordScreens(true);
    CopyCommand(0);
    ASSERT_EQ(ui.Screens().size(), 3u);
    EXPECT_TRUE(ui.Screens()[1].Find("\"b.txt\" to")) << ui.Screens()[1].Dump();
    EXPECT_FALSE(ui.Screens()[1].Find(Path("right"))) << ui.Screens()[1].Dump();
    EXPECT_TRUE(ui.Screens()[2].Find(Path("right") + "/b.txt")) << ui.Screens()[2].Dump();
    EXPECT_EQ(Read(Path("right/b.txt")), "a");
}

TEST_F(CommandTest, HistoryAndTreeButtonsUseTheirHooks) {
    Write("left/f", "f");
    Show();
    Cursor(left(), "f");
    static std::string chosen;
    chosen = Path("right");
    fileops_hooks.dir_history_select = [](Westring& dir) {
        dir = DecodeFileName(chosen.c_str());
        return true;
    };
    ui.Keys("Alt-\\ Enter");
    CopyCommand(0);
    EXPECT_EQ(Read(Path("right/f")), "f");
    // Without hooks the buttons do nothing.
    fileops_hooks = FileOpsHooks();
    ui.Keys("F10 Alt-\\ Esc");
    CopyCommand(0);
}

TEST_F(CommandTest, TaggedFilesWithOverwriteChoice) {
    Write("left/a", "new a", 0644, 2000);
    Write("left/b", "new b", 0644, 2000);
    Write("left/c", "new c", 0644, 2000);
    Write("right/a", "old a", 0644, 1000);
    Write("right/b", "old b", 0644, 3000);
    Show();
    Tag(left(), "a");
    Tag(left(), "b");
    Tag(left(), "c");
    // "If Older": a is replaced, b (newer) kept, c copied.
    ui.Keys("Alt-l Enter");
    ui.RecordScreens(true);
    CopyCommand(0);
    EXPECT_TRUE(ui.Screens().front().Find("Copy 3 files to")) << ui.Screens().front().Dump();
    EXPECT_EQ(Read(Path("right/a")), "new a");
    EXPECT_EQ(Read(Path("right/b")), "old b");
    EXPECT_EQ(Read(Path("right/c")), "new c");
    // Everything was done: nothing stays tagged.
    EXPECT_EQ(left().num_tagged, 0);
}

TEST_F(CommandTest, AlwaysAndNeverRadioButtons) {
    Write("left/a", "new");
    Write("right/a", "old");
    Show();
    Tag(left(), "a");
    ui.Keys("Alt-e Enter");  // Never
    CopyCommand(0);
    EXPECT_EQ(Read(Path("right/a")), "old");
    EXPECT_EQ(left().num_tagged, 1);  // skipped: stays tagged
    ui.Keys("Alt-a Enter");  // Always
    CopyCommand(0);
    EXPECT_EQ(Read(Path("right/a")), "new");
}

TEST_F(CommandTest, AnswerAllAppliesToTheRestOfTheCommand) {
    Write("left/a", "new a");
    Write("left/b", "new b");
    Write("right/a", "old a");
    Write("right/b", "old b");
    Show();
    Tag(left(), "a");
    Tag(left(), "b");
    ui.Keys("Enter a");  // the dialog, then "All" once
    CopyCommand(0);
    EXPECT_EQ(Read(Path("right/a")), "new a");
    EXPECT_EQ(Read(Path("right/b")), "new b");
}

TEST_F(CommandTest, EscOnAPromptStopsTheCommand) {
    Write("left/a", "new a");
    Write("left/b", "new b");
    Write("right/a", "old a");
    Show();
    Tag(left(), "a");
    Tag(left(), "b");
    ui.Keys("Enter Esc");
    CopyCommand(0);
    EXPECT_EQ(Read(Path("right/a")), "old a");
    EXPECT_FALSE(Exists(Path("right/b")));
    EXPECT_EQ(left().num_tagged, 2);
}

TEST_F(CommandTest, RenamePatternOnTaggedFiles) {
    Write("left/one.txt", "1");
    Write("left/two.txt", "2");
    Show();
    Tag(left(), "one.txt");
    Tag(left(), "two.txt");
    CopyCommand(0, W(Path("right") + "/*.bak").c_str());
    EXPECT_EQ(Read(Path("right/one.bak")), "1");
    EXPECT_EQ(Read(Path("right/two.bak")), "2");
}

TEST_F(CommandTest, InvalidDestinations) {
    Write("left/a", "a");
    Write("right/file", "f");
    Show();
    Tag(left(), "a");
    ui.Keys("Enter");
    ui.RecordScreens(true);
    CopyCommand(0, W(Path("nowhere") + "/").c_str());
    EXPECT_TRUE(ui.Screens().front().Find("Directory does not exist")) << ui.Screens().front().Dump();
    ui.Keys("Enter");
    ui.RecordScreens(true);
    CopyCommand(0, W(Path("right/file")).c_str());
    EXPECT_TRUE(ui.Screens().front().Find("Destination must be a valid directory")) << ui.Screens().front().Dump();
    ui.Keys("Enter");
    ui.RecordScreens(true);
    CopyCommand(0, L"../../../../../../../../../../../../../../../../../../../../x/");
    EXPECT_TRUE(ui.Screens().front().Find("Invalid path")) << ui.Screens().front().Dump();
    EXPECT_EQ(left().num_tagged, 1);
}

TEST_F(CommandTest, MoveTaggedDirectoryAndRestoreSelection) {
    MakeDir("left/dir");
    Write("left/dir/f", "f");
    Write("left/g", "g");
    Write("left/h", "h");
    Show();
    Tag(left(), "dir");
    Tag(left(), "g");
    ui.Keys("Enter");
    CopyCommand(COPY_MOVE);
    EXPECT_EQ(Read(Path("right/dir/f")), "f");
    EXPECT_EQ(Read(Path("right/g")), "g");
    EXPECT_FALSE(Exists(Path("left/g")));
    // Copy them back, then the last selection can be restored.
    SetUpPanel(left(), Path("right"));
    SetUpPanel(right(), Path("left"));
    Tag(left(), "g");
    CopyCommand(0, W(Path("left") + "/").c_str());
    EXPECT_EQ(Read(Path("left/g")), "g");
    EXPECT_EQ(left().num_tagged, 0);
    restore_selection(&left());
    EXPECT_EQ(left().num_tagged, 1);
    EXPECT_TRUE(left().files[IndexOf(left(), "g")]->tagged);
}

TEST_F(CommandTest, SizeCountOfTaggedDirectories) {
    MakeDir("left/d");
    MakeDir("left/d/e");
    Write("left/d/x", std::string(1000, 'x'));
    Write("left/d/e/y", std::string(234, 'y'));
    ASSERT_EQ(symlink("/usr", Path("left/d/link").c_str()), 0);
    Write("left/file", std::string(10, 'f'));
    Show();
    Tag(left(), "d");
    Tag(left(), "file");
    int64_t total = du_selection(&left());
    // The link counts as itself (its own length), never as what it points to.
    EXPECT_EQ(total, 1000 + 234 + 10 + 4);
    entry* d = left().files[IndexOf(left(), "d")];
    EXPECT_EQ(d->size, 1238u);
    EXPECT_TRUE(d->size_known);
    EXPECT_EQ(left().tagged_size, 1248u);
    // Esc stops a count.
    copy_seams.esc_pending = [] { return true; };
    for (int i = 0; i < 300; i++) Write("left/d/many" + std::to_string(i), "");
    EXPECT_EQ(du_selection(&left()), -1);
}

}  // namespace
