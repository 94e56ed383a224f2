// Editing files from the main screen: F4 and its variants on the cursor
// file, Shift-F4 on a typed name, "$edit", members of archives and "dv -e".
// The program's own editor is replaced by a fake that records what it was
// asked to open; configured editors are real shell commands that leave a log.
#include <functional>

#include "shell/editfile.h"
#include "shell/fileopen.h"
#include "tests/shell/mainloop_fixture.h"
#include "tests/support/shell_output.h"

namespace {

class EditKeysTest : public MainLoopTest {
protected:
    void SetUp() override {
        MainLoopTest::SetUp();
        active_ = this;
        saved_editor_ = internal_editor;
        internal_editor = &FakeEditor;
    }
    void TearDown() override {
        internal_editor = saved_editor_;
        active_ = nullptr;
        MainLoopTest::TearDown();
    }

    // Stands in for the editor: records the file and the screen it was
    // opened on, runs the test's action on the file, and ends as told.
    static EditorExit FakeEditor(const wchar_t* name, int64_t offset, int length) {
        EditKeysTest& test = *active_;
        test.edited_.push_back(Narrow(Westring(name)));
        test.titles_.push_back(Narrow(test.ui.Headless().View().Title()));
        test.screens_.push_back(test.ui.Current());
        EXPECT_EQ(offset, -1);  // the remembered position
        EXPECT_EQ(length, 0);
        if (test.during_) test.during_(test.edited_.back());
        return test.result_;
    }

    // The log the configured commands write, one line a run.
    std::string LogCommand(const std::string& tag, const std::string& macro = "") const {
        return "printf '" + tag + "-%s\\n' " + macro + " >> '" + log_ + "'";
    }

    std::vector<std::string> edited_, titles_;
    std::vector<CUiTest::Screen> screens_;
    std::function<void(const std::string& path)> during_;
    EditorExit result_ = EditorExit::kClosed;
    const std::string log_ = home_ / "log";

private:
    static EditKeysTest* active_;
    EditorStarter saved_editor_ = nullptr;
};

EditKeysTest* EditKeysTest::active_ = nullptr;

using Paths = std::vector<std::string>;

}  // namespace

TEST_F(EditKeysTest, F4EditsTheCursorFileOnlyAndBothPanelsAreReadAgain) {
    left_.Write("notes.txt", "text");
    left_.MakeDir("sub");
    // The editor saves a new file into the other panel's directory.
    during_ = [&](const std::string&) { right_.Write("saved-by-editor.txt", ""); };
    RunKeys("Home F4 Down F4 Down Ctrl-O F4 Ctrl-O F4");
    ASSERT_EQ(Names(0), (Paths{"..", "sub", "notes.txt"}));
    EXPECT_EQ(edited_, Paths{left_ / "notes.txt"}) << "not on \"..\", a directory or with the panels hidden";
    EXPECT_EQ(titles_, Paths{"DV/L: notes.txt"});
    EXPECT_EQ(Names(1), (Paths{"..", "saved-by-editor.txt"}));
    EXPECT_EQ(CursorName(0), "notes.txt");
}

TEST_F(EditKeysTest, AssociationsAndSettingsChooseTheCommandAndAnEmptyOneTheOwnEditor) {
    left_.Write("data.bin", "");
    left_.Write("notes.txt", "");
    Ini("Editor=" + LogCommand("E") + "\r\nEditor2=" + LogCommand("E2") +
        "\r\n[Editor Associations]\r\n*.txt: " + LogCommand("A", "!f") + "\r\n");
    // data.bin: the Editor setting; notes.txt: its association with the
    // full path; Alt-F4 and Shift-Ctrl-F4: Editor2 whatever the association.
    RunKeys("Down F4 Down F4 Alt-F4 Up Shift-Ctrl-F4");
    EXPECT_EQ(ReadFile(log_), "E-data.bin\nA-" + left_ / "notes.txt" + "\nE2-notes.txt\nE2-data.bin\n");
    EXPECT_TRUE(edited_.empty());

    // Empty settings and no association: the program's own editor.
    Ini("Editor=\r\nEditor2=\r\n");
    RunKeys("Down F4 Alt-F4 Down Shift-Ctrl-F4");
    EXPECT_EQ(edited_, (Paths{left_ / "data.bin", left_ / "data.bin", left_ / "notes.txt"}));
}

TEST_F(EditKeysTest, ShiftF4AsksForTheNameAndEscapeCancels) {
    left_.Write("notes.txt", "");
    left_.MakeDir("sub");
    RunKeys("Down Down Shift-F4 Esc");
    EXPECT_TRUE(edited_.empty());
    // The dialog, 74 by 9 cells from row 6, offers the cursor entry's name.
    const CUiTest::Screen* dialog = nullptr;
    for (const CUiTest::Screen& screen : Screens())
        if (screen.Find("Edit the file:")) dialog = &screen;
    ASSERT_NE(dialog, nullptr) << ui.Dump();
    int x = 0, y = 0, ok_y = 0;
    ASSERT_TRUE(dialog->Find("Edit the file:", &x, &y));
    EXPECT_EQ(std::pair(x, y), std::pair(5, 8)) << dialog->Dump();
    EXPECT_EQ(dialog->Text(x, y + 1, 9), "notes.txt") << dialog->Dump();
    ASSERT_TRUE(dialog->Find("[ OK ]", nullptr, &ok_y));
    EXPECT_EQ(ok_y, 6 + 9 - 2) << "the buttons on the last row inside the frame\n" << dialog->Dump();
}

TEST_F(EditKeysTest, ShiftF4TakesARelativeNameInThePanelsDirectoryAndPutsTheCursorOnIt) {
    left_.Write("b.txt", "");
    left_.MakeDir("sub");
    // The editor creates the file the user named.
    during_ = [](const std::string& path) { WriteFile(path, "new"); };
    ui.Keys("Shift-F4");
    ui.Type("sub/../a.txt");
    RunKeys("Enter");
    EXPECT_EQ(edited_, Paths{left_ / "a.txt"});
    EXPECT_EQ(ReadFile(left_ / "a.txt"), "new");
    EXPECT_EQ(CursorName(0), "a.txt");

    // A file in another directory leaves the cursor where it was; with the
    // Editor setting its command runs on the full path.
    Ini("Editor=" + LogCommand("E") + "\r\n");
    ui.Keys("Shift-F4");
    ui.Type("sub/inner.txt");
    RunKeys("Enter");
    EXPECT_EQ(ReadFile(log_), "E-" + left_ / "sub/inner.txt" + "\n");
    EXPECT_EQ(edited_.size(), 1u);
}

TEST_F(EditKeysTest, TheEditCommandOpensTheOwnEditorOnItsFile) {
    left_.Write("two words.txt", "");
    ui.Keys("Down");
    ui.Type("$edit !");  // the cursor file, quoted by the substitution
    ui.Keys("Enter");
    ui.Type("$edit");  // no name: told so, nothing opens
    RunKeys("Enter Enter");
    EXPECT_EQ(edited_, Paths{left_ / "two words.txt"});
    EXPECT_TRUE(Shown("needs the name of the file")) << ui.Dump();
}

TEST_F(EditKeysTest, AnArchiveMemberIsEditedInACopyWrittenBackOnlyWhenItChanged) {
    ASSERT_FALSE(ShellOutput("command -v tar").empty()) << "tar is not installed";
    const std::string src = home_.MakeDir("src");
    WriteFile(src + "/inner.txt", "old\n");
    WriteFile(src + "/other.txt", "other\n");
    const std::string archive = left_ / "pack.tar";
    ASSERT_EQ(std::system(("tar -cf '" + archive + "' -C '" + src + "' inner.txt other.txt").c_str()), 0);
    // What tar itself takes out of the archive; a later copy of a member
    // replaces an earlier one.
    const auto member = [&](const std::string& tar, const std::string& name) {
        const std::string out = home_ / "out";
        std::filesystem::remove_all(out);
        std::filesystem::create_directory(out);
        EXPECT_EQ(std::system(("tar -xf '" + tar + "' -C '" + out + "'").c_str()), 0);
        return ReadFile(out + "/" + name);
    };

    std::string archive_during_second;
    during_ = [&](const std::string& path) {
        if (edited_.size() == 1) {
            EXPECT_EQ(ReadFile(path), "old\n");
            WriteFile(path, "edited\n");
        } else {
            archive_during_second = ReadFile(archive);
        }
    };
    // After the edit a command line copies the archive as it is then,
    // before anything else could put the member back.
    const std::string snapshot = home_ / "after-edit.tar";
    ui.Keys("Down Enter Down F4");
    ui.Type("cp pack.tar '" + snapshot + "'");
    RunKeys("Enter Down F4");
    ASSERT_EQ(edited_.size(), 2u);
    EXPECT_EQ(std::filesystem::path(edited_[0]).filename(), "inner.txt");
    EXPECT_EQ(std::filesystem::path(edited_[1]).filename(), "other.txt");
    EXPECT_NE(edited_[0].rfind(left_.path(), 0), 0u) << "a copy outside the panel's directory";
    EXPECT_EQ(member(snapshot, "inner.txt"), "edited\n") << "written back as soon as the editor ended";
    EXPECT_EQ(ReadFile(archive), archive_during_second) << "an unchanged member is not written back";
    EXPECT_EQ(member(archive, "other.txt"), "other\n");
}

TEST_F(EditKeysTest, TheInformationPanelEditsDirinfoInTheOtherPanelsDirectory) {
    Ini("LeftType=info\r\n");
    RunKeys("F4");
    EXPECT_EQ(edited_, Paths{right_ / "dirinfo"});
}

TEST_F(EditKeysTest, DashERunsTheEditorAloneAndTheProgramEndsWithIt) {
    left_.Write("listed-in-a-panel.txt", "");
    ASSERT_EQ(chdir(home_.path().c_str()), 0);
    // The editor knows the configuration file the run reads, so that F1
    // can tell when that file is edited.
    std::string config_file;
    during_ = [&](const std::string&) { config_file = Narrow(editor_hooks.config_file); };
    EXPECT_EQ(Run({"-e", "src/../alone.txt"}), 0);
    EXPECT_EQ(config_file, ini_);
    EXPECT_EQ(edited_, Paths{home_ / "alone.txt"});
    EXPECT_EQ(titles_, Paths{"DV/L: alone.txt"});
    ASSERT_EQ(screens_.size(), 1u);
    EXPECT_FALSE(screens_[0].Find("listed-in-a-panel")) << screens_[0].Dump();

    // A file the editor cannot open ends the run with status 1.
    result_ = EditorExit::kNotOpened;
    EXPECT_EQ(Run({"-e", "/"}), 1);
}

// Names typed in a dialog or given to "$edit" and "-e" become absolute
// paths; realpath, told not to follow links, is the oracle.
TEST(AbsoluteFileNameTest, AgreesWithRealpathWithoutFollowingLinks) {
    const char* const bases[] = {"/home/u", "/", "/a/b/"};
    const char* const names[] = {"x.txt", "./x", "../x", "../../../../x", "a//b/./c/", "/abs/./x/..",
                                 "..", ".", "dir\\with\\backslash", "...", "a/../../b", "/"};
    for (const char* base : bases) {
        for (const char* name : names) {
            const std::string joined = name[0] == '/' ? std::string(name) : std::string(base) + "/" + name;
            std::string expected = ShellOutput("realpath -m -s -- '" + joined + "'");
            if (!expected.empty() && expected.back() == '\n') expected.pop_back();
            EXPECT_EQ(Narrow(AbsoluteFileName(Westring(name), Westring(base))), expected) << base << " + " << name;
        }
    }
}
