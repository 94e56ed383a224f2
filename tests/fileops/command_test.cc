// The Copy and Move/Rename commands on panels: the destination dialog with
// its rename keys and overwrite choices, tagged files, rename patterns,
// restoring the selection, and the size count.

#include "fileops/copycommand.h"
#include "fileops/selection.h"
#include "fileops/sizecount.h"
#include "panels/paneldisplay.h"
#include "tests/fileops/fileops_fixture.h"

namespace {

// The left panel lists tmp/left, the right one tmp/right.
class CommandTest : public FileOpsTest {
protected:
    void SetUp() override {
        FileOpsTest::SetUp();
        MakeDir("left");
        MakeDir("right");
    }
    PANEL& left() { return panel_base[0]; }
    PANEL& right() { return panel_base[1]; }
    // Lists both directories, with the given left entries tagged.
    void Show(std::initializer_list<const char*> tagged = {}) {
        SetUpPanel(left(), Path("left"));
        SetUpPanel(right(), Path("right"));
        for (const char* name : tagged) Tag(left(), name);
    }
    void CopyCommand(char flags, const wchar_t* destination = nullptr) {
        ui.RunVoid([&] { file_copy_move(panel_base, 0, flags, destination); });
    }
};

TEST_F(CommandTest, SingleFileToTheOtherPanel) {
    Write("left/a.txt", "a");
    Show();
    Cursor(left(), "a.txt");
    Answer("Esc");
    CopyCommand(0);
    EXPECT_FALSE(Exists(Path("right/a.txt")));
    Answer("Enter");
    CopyCommand(0);
    const std::vector<std::string> shown = {"Copy \"a.txt\" to", Path("right") + "/a.txt", "F10-Tree", "Dir Hist"};
    for (const std::string& text : shown)
        EXPECT_TRUE(FirstShows(text)) << text << "\n" << FirstScreen();
    EXPECT_FALSE(FirstShows("Overwrite")) << FirstScreen();  // only for a directory
    EXPECT_EQ(Read(Path("right/a.txt")), "a");
    EXPECT_GE(IndexOf(right(), "a.txt"), 0);  // read again
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
    Expect({"!left/a.txt", "left/b.txt=a"});
    ASSERT_NE(left().CurrentEntry(), nullptr);  // the cursor follows the new name
    EXPECT_STREQ(EncodeFileName(left().CurrentEntry()->name).c_str(), "b.txt");
    // Alt-D twice: the name, then the other panel's path again.
    Cursor(left(), "b.txt");
    Answer("Alt-d Alt-d Enter");
    CopyCommand(0);
    const std::vector<CUiTest::Screen>& s = ui.Screens();
    ASSERT_EQ(s.size(), 3u);
    EXPECT_TRUE(s[1].Find("\"b.txt\" to")) << s[1].Dump();
    EXPECT_FALSE(s[1].Find(Path("right"))) << s[1].Dump();
    EXPECT_TRUE(s[2].Find(Path("right") + "/b.txt")) << s[2].Dump();
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

TEST_F(CommandTest, OverwriteChoicesOfTheDialog) {
    for (const char* name : {"a", "b", "c"}) Write(std::string("left/") + name, std::string("new ") + name, 0644, 2000);
    Write("right/a", "old a", 0644, 1000);
    Write("right/b", "old b", 0644, 3000);
    Show({"a", "b", "c"});
    // "If Older": a is replaced, b (newer) kept, c copied; nothing stays tagged.
    Answer("Alt-l Enter");
    CopyCommand(0);
    EXPECT_TRUE(FirstShows("Copy 3 files to")) << FirstScreen();
    Expect({"right/a=new a", "right/b=old b", "right/c=new c"});
    EXPECT_EQ(left().num_tagged, 0);

    Files({"left/n=newer", "right/n=older"});
    Show({"n"});
    ui.Keys("Alt-e Enter");  // Never: skipped, stays tagged
    CopyCommand(0);
    EXPECT_EQ(Read(Path("right/n")), "older");
    EXPECT_EQ(left().num_tagged, 1);
    ui.Keys("Alt-a Enter");  // Always
    CopyCommand(0);
    EXPECT_EQ(Read(Path("right/n")), "newer");
}

TEST_F(CommandTest, AnswersToThePromptApplyToTheRestOfTheCommand) {
    Files({"left/a=new a", "left/b=new b", "right/a=old a", "right/b=old b"});
    Show({"a", "b"});
    ui.Keys("Enter Esc");  // Esc stops the command
    CopyCommand(0);
    Expect({"right/a=old a", "right/b=old b"});
    EXPECT_EQ(left().num_tagged, 2);
    ui.Keys("Enter a");  // the dialog, then "All" once
    CopyCommand(0);
    Expect({"right/a=new a", "right/b=new b"});
}

TEST_F(CommandTest, RenamePatternOnTaggedFiles) {
    Files({"left/one.txt=1", "left/two.txt=2"});
    Show({"one.txt", "two.txt"});
    CopyCommand(0, W(Path("right") + "/*.bak").c_str());
    Expect({"right/one.bak=1", "right/two.bak=2"});
}

TEST_F(CommandTest, InvalidDestinations) {
    Files({"left/a=a", "right/file=f"});
    Show({"a"});
    const std::pair<std::wstring, const char*> cases[] = {
        {W(Path("nowhere") + "/").c_str(), "Directory does not exist"},
        {W(Path("right/file")).c_str(), "Destination must be a valid directory"},
        {L"../../../../../../../../../../../../../../../../../../../../x/", "Invalid path"},
    };
    for (const auto& [destination, message] : cases) {
        Answer("Enter");
        CopyCommand(0, destination.c_str());
        EXPECT_TRUE(FirstShows(message)) << FirstScreen();
    }
    EXPECT_EQ(left().num_tagged, 1);
}

TEST_F(CommandTest, MoveTaggedDirectoryAndRestoreSelection) {
    Files({"left/dir/", "left/dir/f=f", "left/g=g", "left/h=h"});
    Show({"dir", "g"});
    ui.Keys("Enter");
    CopyCommand(COPY_MOVE);
    Expect({"right/dir/f=f", "right/g=g", "!left/g"});
    // Copy one back, then the last selection can be restored.
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
    Files({"left/d/", "left/d/e/"});
    Write("left/d/x", std::string(1000, 'x'));
    Write("left/d/e/y", std::string(234, 'y'));
    ASSERT_EQ(symlink("/usr", Path("left/d/link").c_str()), 0);
    Write("left/file", std::string(10, 'f'));
    Show({"d", "file"});
    // The link counts as itself (its own length), never as what it points to.
    EXPECT_EQ(du_selection(&left()), 1000 + 234 + 10 + 4);
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
