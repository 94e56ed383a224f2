// The full-screen editor driven through the event queue on a headless
// console: what the user types reaches the file, nothing is lost on
// leaving, and the questions before overwriting are asked.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "config/config.h"
#include "console/cliplines.h"
#include "editor/editor.h"
#include "editor/filestatus.h"
#include "tests/editor/syntax_support.h"
#include "tests/support/temp_dir.h"
#include "tests/support/uitest.h"

namespace {

class EditorTest : public ::testing::Test {
protected:
    EditorTest() {
        config.AutoIndent = false;
        config.OverStrike = false;
        config.TabWidth = 8;
        clip_use_desktop = false;
    }
    ~EditorTest() override { FileStatusStore::Global().Remove(Westring(file_.c_str()).c_str()); }

    // Runs the editor on file over the queued keys.
    EditorExit Edit(const std::string& file, int64_t offset = -1, int length = 0) {
        file_ = file;
        EditorExit exit = EditorExit::kNotOpened;
        ui.RunVoid([&] { exit = edit(Westring(file.c_str()).c_str(), offset, length); });
        return exit;
    }
    std::string LastScreen() const { return ui.Screens().empty() ? "" : ui.Screens().back().Dump(); }

    CTempDir dir;
    CUiTest ui{80, 25};
    std::string file_;
};

TEST_F(EditorTest, TypingSavingAndLeavingWritesTheFile) {
    const std::string file = dir.Write("a.txt", "one\ntwo\n");
    ui.RecordScreens(true);
    ui.Keys("Down End");
    ui.Type("!");
    ui.Keys("F2 Esc");
    EXPECT_EQ(Edit(file), EditorExit::kClosed);
    EXPECT_EQ(ReadFile(file), "one\ntwo!\n");
    // The status line and the key bar as the user saw them.
    const CUiTest::Screen& first = ui.Screens().front();
    EXPECT_NE(first.Row(0).find("Edit: "), std::string::npos) << first.Dump();
    EXPECT_NE(first.Row(0).find("Line 1"), std::string::npos) << first.Dump();
    EXPECT_TRUE(first.Find("2Save")) << first.Dump();
    EXPECT_TRUE(first.Find("10Quit")) << first.Dump();
    EXPECT_EQ(first.Line(1), "one");
}

TEST_F(EditorTest, BytesThatAreNotUtf8SaveBackUnchanged) {
    const std::string bytes = std::string("caf\xe9 \xff\xfe\x80 ok\r\nlast", 17) + std::string(1, '\0') + "x";
    const std::string file = dir.Write("bad.txt", bytes);
    ui.Keys("F2 Esc");
    Edit(file);
    EXPECT_EQ(ReadFile(file), bytes);
}

TEST_F(EditorTest, LeavingWithUnsavedChangesAsksFirst) {
    const std::string file = dir.Write("a.txt", "keep\n");
    // Esc asks; "Edit" goes back; Esc again, "Discard" leaves the file as it was.
    ui.Type("x");
    ui.RecordScreens(true);
    ui.Keys("Esc e Esc d");
    EXPECT_EQ(Edit(file), EditorExit::kClosed);
    EXPECT_TRUE(AnyScreenShows(ui, "There are unsaved changes")) << LastScreen();
    EXPECT_EQ(ReadFile(file), "keep\n");

    // "Save" writes before leaving.
    ui.Type("y");
    ui.Keys("Esc s");
    Edit(file);
    EXPECT_EQ(ReadFile(file), "ykeep\n");
}

TEST_F(EditorTest, ClosingTheWindowWithUnsavedChangesAsksToo) {
    const std::string file = dir.Write("a.txt", "keep\n");
    ui.Type("z");
    ui.RawKey(0x800001);  // the desktop closes the window
    ui.Keys("s");
    EXPECT_EQ(Edit(file), EditorExit::kQuit);
    EXPECT_EQ(ReadFile(file), "zkeep\n");
}

TEST_F(EditorTest, SaveAsOntoAnExistingFileAsksAndKeepsItWhenRefused) {
    const std::string file = dir.Write("a.txt", "mine\n");
    const std::string other = dir.Write("b.txt", "theirs\n");
    ui.RecordScreens(true);
    // Name field: replace the name, then OK; the question is refused with Esc.
    ui.Keys("F3");
    ui.Type(other);
    ui.Keys("Enter Esc Esc Esc");
    Edit(file);
    EXPECT_TRUE(AnyScreenShows(ui, "File already exists. Overwrite?")) << LastScreen();
    EXPECT_EQ(ReadFile(other), "theirs\n");

    ui.Keys("F3");
    ui.Type(other);
    ui.Keys("Enter Enter Esc");
    Edit(file);
    EXPECT_EQ(ReadFile(other), "mine\n");
    EXPECT_EQ(ReadFile(file), "mine\n");
}

TEST_F(EditorTest, SaveAsToAPlaceThatCannotTakeAFileKeepsTheDialogAndTheFile) {
    const std::string file = dir.Write("a.txt", "mine\n");
    ui.RecordScreens(true);
    ui.Keys("F3");
    ui.Type(dir / "no/such/dir/b.txt");
    ui.Keys("Enter Enter Esc");
    // Still editing a.txt: F2 saves there.
    ui.Type("+");
    ui.Keys("F2 Esc");
    Edit(file);
    EXPECT_TRUE(AnyScreenShows(ui, "Unable to open: ")) << LastScreen();
    EXPECT_EQ(ReadFile(file), "+mine\n");
}

TEST_F(EditorTest, AMissingFileIsCreatedOnlyWhenTheUserAgrees) {
    const std::string file = dir / "new.txt";
    ui.Keys("Esc");
    EXPECT_EQ(Edit(file), EditorExit::kNotOpened);
    EXPECT_FALSE(PathExists(file));

    ui.Keys("Enter");
    ui.Type("hello");
    ui.Keys("F2 Esc");
    EXPECT_EQ(Edit(file), EditorExit::kClosed);
    EXPECT_EQ(ReadFile(file), "hello");
}

TEST_F(EditorTest, AFileChangedBehindTheEditorIsOverwrittenOnlyOnRequest) {
    const std::string file = dir.Write("a.txt", "old\n");
    // Changed on disk while the editor runs: refusing keeps the other text.
    ui.Type("x");
    ui.Keys("F2 Esc Esc d");
    file_ = file;
    ui.RunVoid([&] {
        DVEditor editor;
        ASSERT_TRUE(editor.Open(Westring(file.c_str()).c_str()));
        WriteFile(file, "changed elsewhere\n");
        SetFileTime(file, 1000000);
        static_cast<void>(editor.Run());
        editor.Close();
    });
    EXPECT_EQ(ReadFile(file), "changed elsewhere\n");
}

TEST_F(EditorTest, SearchSelectsAndReplaceAllCounts) {
    const std::string file = dir.Write("a.txt", "cat dog cat\nCAT\n");
    ui.RecordScreens(true);
    ui.Keys("F8");
    ui.Type("cat");
    ui.Keys("Tab");
    ui.Type("bird");
    ui.Keys("Enter a Enter F2 Esc");
    Edit(file);
    EXPECT_TRUE(AnyScreenShows(ui, "3 replacements")) << LastScreen();
    EXPECT_EQ(ReadFile(file), "bird dog bird\nbird\n");

    ui.Keys("Ctrl-PgDn F7");
    ui.Type("nothing here");
    ui.Keys("Enter Enter Esc");
    Edit(file);
    EXPECT_TRUE(AnyScreenShows(ui, "String not found")) << LastScreen();
}

TEST_F(EditorTest, AByteOffsetPlacesTheCursorAndSelectsTheLengthGiven) {
    // As the viewer and find file pass a hit: a line far in the file, and
    // the length selected from there, replaced by typing.
    std::string text;
    for (int i = 0; i < 2000; i++) text += "line " + std::to_string(i) + "\n";
    const std::string file = dir.Write("a.txt", text);
    const int64_t offset = static_cast<int64_t>(text.find("line 1500")) + 5;
    ui.Type("X");
    ui.Keys("F2 Esc");
    Edit(file, offset, 4);
    EXPECT_NE(ReadFile(file).find("line X\n"), std::string::npos);
}

TEST_F(EditorTest, ThePositionIsRememberedOnlyForTheSameFile) {
    std::string text;
    for (int i = 0; i < 100; i++) text += std::to_string(i) + "\n";
    const std::string file = dir.Write("a.txt", text);
    ui.Keys("Down Down Down Right Esc");
    Edit(file);
    // Unchanged file: typing lands where the cursor was left.
    ui.Type("#");
    ui.Keys("F2 Esc");
    Edit(file);
    EXPECT_NE(ReadFile(file).find("\n3#\n"), std::string::npos);
    // Changed by someone else: the next time it opens at the top.
    WriteFile(file, "0\n1\n");
    ui.Type("@");
    ui.Keys("F2 Esc");
    Edit(file);
    EXPECT_EQ(ReadFile(file), "@0\n1\n");
}

TEST_F(EditorTest, TheMouseMovesTheCursorAndTheKeyBarActsAsItsKeys) {
    const std::string file = dir.Write("a.txt", "abcdef\nghijkl\n");
    ui.Click(3, 2);  // row 2 is the second text line
    ui.Type("|");
    ui.Click(12, 24);  // "2Save" in the key bar
    ui.Keys("Esc");
    Edit(file);
    EXPECT_EQ(ReadFile(file), "abcdef\nghi|jkl\n");
}

TEST_F(EditorTest, CutAndPasteMoveALineThroughTheClipboard) {
    const std::string file = dir.Write("a.txt", "first\nsecond\n");
    ui.Keys("Shift-Down F4 Down F6 F2 Esc");
    Edit(file);
    EXPECT_EQ(ReadFile(file), "second\nfirst\n");
}

TEST_F(EditorTest, SyntaxColoursFollowTheFileAndAltHSwitchesThemOff) {
    editor_hooks.syntax_file = Westring(DefaultSyntaxFile().c_str());
    const std::string file = dir.Write("a.c", "int x; /* note */\n");
    ui.RecordScreens(true);
    ui.Keys("Alt-h Esc");
    Edit(file);
    editor_hooks.syntax_file = Westring();
    ASSERT_GE(ui.Screens().size(), 2u);
    const CUiTest::Screen& coloured = ui.Screens()[0];
    const CUiTest::Screen& plain = ui.Screens()[1];
    // The keyword and the comment differ from the plain text, and from each other.
    EXPECT_NE(coloured.Attr(0, 1), coloured.Attr(4, 1)) << coloured.Dump();
    EXPECT_NE(coloured.Attr(8, 1), coloured.Attr(4, 1));
    EXPECT_EQ(plain.Attr(0, 1), plain.Attr(8, 1));
    EXPECT_EQ(plain.Attr(0, 1), colours[CLR_FILE_VIEWER]);
}

}  // namespace
