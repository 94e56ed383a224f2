// The Copy and Move/Rename commands on panels: the destination dialog's
// overwrite choices, answers for the rest of a command, bad destinations,
// and the size count.

#include "fileops/copycommand.h"
#include "fileops/sizecount.h"
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

TEST_F(CommandTest, IfOlderChoiceOfTheDialog) {
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

TEST_F(CommandTest, InvalidDestinations) {
    Files({"left/a=a"});
    Show({"a"});
    const std::pair<std::wstring, const char*> cases[] = {
        {W(Path("nowhere") + "/").c_str(), "Directory does not exist"},
        {L"../../../../../../../../../../../../../../../../../../../../x/", "Invalid path"},
    };
    for (const auto& [destination, message] : cases) {
        Answer("Enter");
        CopyCommand(0, destination.c_str());
        EXPECT_TRUE(FirstShows(message)) << FirstScreen();
    }
    EXPECT_EQ(left().num_tagged, 1);
}

TEST_F(CommandTest, MissingDestinationDirectoryIsTheOneNamed) {
    Files({"left/normal.txt=n"});
    for (int flags : {0, int(COPY_MOVE)}) {
        Show();
        Cursor(left(), "normal.txt");
        Answer("Enter");
        CopyCommand(static_cast<char>(flags), L"nosuchdir/normal.txt");
        // The prompt names the destination under its message, not the source.
        int x = 0, y = 0;
        ASSERT_TRUE(!ui.Screens().empty() && ui.Screens().front().Find("File not found", &x, &y)) << FirstScreen();
        EXPECT_NE(ui.Screens().front().Line(y + 1).find(Path("left/nosuchdir/normal.txt")), std::string::npos)
            << FirstScreen();
    }
    Expect({"left/normal.txt=n", "!left/nosuchdir"});
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
    EXPECT_EQ(left().tagged_size, 1248u);
    // Esc stops a count.
    copy_seams.esc_pending = [] { return true; };
    for (int i = 0; i < 300; i++) Write(NumberedName("left/d/many", i), "");
    EXPECT_EQ(du_selection(&left()), -1);
}

}  // namespace

namespace {

int rename_across_devices(const char*, const char*) {
    errno = EXDEV;
    return -1;
}
int syncs = 0;
int counting_syncfs(int fd) {
    syncs++;
    return syncfs(fd);
}

}  // namespace

// Tagged files moved to another device: their copies reach the disk in one
// sync, and only then do the sources go.
TEST_F(CommandTest, TaggedFilesMovedAcrossDevicesAreSyncedTogether) {
    Files({"left/a=1", "left/b=22", "left/c=333"});
    Show({"a", "b", "c"});
    copy_seams.rename = &rename_across_devices;
    copy_seams.syncfs = &counting_syncfs;
    syncs = 0;
    ui.Keys("Enter");
    CopyCommand(COPY_MOVE);
    EXPECT_EQ(syncs, 1);
    Expect({"!left/a", "!left/b", "!left/c", "right/a=1", "right/b=22", "right/c=333"});
}
