// Viewing files from the main screen: F3 and its variants on the cursor
// file, F3 on a directory, Shift-F3 on a typed name, "$view", members of
// archives and "dv -v". The program's own viewer is replaced by a fake that
// records what it was asked to open; configured viewers are real shell
// commands that leave a log.
#include <filesystem>
#include <functional>

#include "shell/viewfile.h"
#include "tests/shell/mainloop_fixture.h"
#include "tests/support/shell_output.h"
#include "viewer/viewpanel.h"

namespace {

class ViewKeysTest : public MainLoopTest {
protected:
    void SetUp() override {
        MainLoopTest::SetUp();
        active_ = this;
        saved_viewer_ = internal_viewer;
        internal_viewer = &FakeViewer;
    }
    void TearDown() override {
        internal_viewer = saved_viewer_;
        active_ = nullptr;
        MainLoopTest::TearDown();
    }

    // Stands in for the viewer: records the file, the title and the screen
    // it was opened on, runs the test's action, and ends with the next of
    // answers_ (the last one repeated).
    static ViewerExit FakeViewer(const wchar_t* name, int64_t offset) {
        ViewKeysTest& test = *active_;
        test.viewed_.push_back(Narrow(Westring(name)));
        test.titles_.push_back(Narrow(test.ui.Headless().View().Title()));
        test.screens_.push_back(test.ui.Current());
        EXPECT_EQ(offset, -1);  // where the user left the file
        if (test.during_) test.during_(test.viewed_.back());
        const size_t n = test.viewed_.size() - 1;
        return n < test.answers_.size() ? test.answers_[n] : test.answers_.back();
    }

    // The log the configured commands write, one line a run.
    std::string LogCommand(const std::string& tag, const std::string& macro = "") const {
        return "printf '" + tag + "-%s\\n' " + macro + " >> '" + log_ + "'";
    }

    std::vector<std::string> viewed_, titles_;
    std::vector<CUiTest::Screen> screens_;
    std::function<void(const std::string& path)> during_;
    std::vector<ViewerExit> answers_{ViewerExit::kClosed};
    const std::string log_ = home_ / "log";

private:
    static ViewKeysTest* active_;
    ViewerStarter saved_viewer_ = nullptr;
};

ViewKeysTest* ViewKeysTest::active_ = nullptr;

using Paths = std::vector<std::string>;

std::string FileName(const std::string& path) { return std::filesystem::path(path).filename(); }

}  // namespace

TEST_F(ViewKeysTest, F3ViewsTheCursorFileOnlyAndNothingWithThePanelsHiddenOrOnTheParent) {
    left_.Write("notes.txt", "text");
    RunKeys("Home F3 Down F3 Ctrl-O F3 Ctrl-O");
    ASSERT_EQ(Names(0), (Paths{"..", "notes.txt"}));
    EXPECT_EQ(viewed_, Paths{left_ / "notes.txt"});
    EXPECT_EQ(titles_, Paths{"DV/L: notes.txt"});
    ASSERT_EQ(screens_.size(), 1u);
    EXPECT_EQ(CursorName(0), "notes.txt");
}

TEST_F(ViewKeysTest, F3OnADirectoryCountsTheBytesOfEverythingBelowIt) {
    left_.MakeDir("sub");
    left_.MakeDir("sub/deeper");
    left_.Write("sub/one", std::string(1000, 'x'));
    left_.Write("sub/deeper/two", std::string(234, 'y'));
    // What find adds up over the files below, directories themselves not counted.
    const std::string expected =
        ShellOutput("find '" + left_ / "sub" + "' -type f -printf '%s\\n' | awk '{ n += $1 } END { print n }'");
    RunKeys("Down F3 Alt-F3");
    EXPECT_TRUE(viewed_.empty()) << "a directory is never viewed";
    ASSERT_EQ(CursorName(0), "sub");
    const entry* sub = panel_base[0].CurrentEntry();
    EXPECT_TRUE(sub->size_known);
    EXPECT_EQ(std::to_string(sub->size) + "\n", expected);
}

TEST_F(ViewKeysTest, AssociationsAndSettingsChooseTheCommandAndAnEmptyOneTheOwnViewer) {
    left_.Write("data.bin", "");
    left_.Write("notes.txt", "");
    Ini("Viewer=" + LogCommand("V") + "\r\nViewer2=" + LogCommand("V2") +
        "\r\n[Viewer Associations]\r\n*.txt: " + LogCommand("A", "!f") + "\r\n");
    // data.bin: the Viewer setting; notes.txt: its association with the
    // full path; Alt-F3 and Shift-Ctrl-F3: Viewer2 whatever the association.
    RunKeys("Down F3 Down F3 Alt-F3 Up Shift-Ctrl-F3");
    EXPECT_EQ(ReadFile(log_), "V-data.bin\nA-" + left_ / "notes.txt" + "\nV2-notes.txt\nV2-data.bin\n");
    EXPECT_TRUE(viewed_.empty());

    // Empty settings and no association: the program's own viewer.
    Ini("Viewer=\r\nViewer2=\r\n");
    RunKeys("Down F3 Alt-F3 Down Shift-Ctrl-F3");
    EXPECT_EQ(viewed_, (Paths{left_ / "data.bin", left_ / "data.bin", left_ / "notes.txt"}));
}

TEST_F(ViewKeysTest, TheOwnViewerPagesThroughThePanelAndTheCursorFollows) {
    left_.Write("a.txt", "");
    left_.MakeDir("dir");
    left_.Write("b.txt", "");
    left_.Write("c.txt", "");
    Ini("Viewer=\r\n");
    answers_ = {ViewerExit::kNext, ViewerExit::kNext, ViewerExit::kPrevious, ViewerExit::kClosed};
    RunKeys("Down Down F3");
    ASSERT_EQ(Names(0), (Paths{"..", "dir", "a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(viewed_, (Paths{left_ / "a.txt", left_ / "b.txt", left_ / "c.txt", left_ / "b.txt"}));
    EXPECT_EQ(titles_, (Paths{"DV/L: a.txt", "DV/L: b.txt", "DV/L: c.txt", "DV/L: b.txt"}));
    EXPECT_EQ(CursorName(0), "b.txt");

    // Esc from a file the cursor key did not start on; then the desktop
    // closing the window ends the program.
    viewed_.clear();
    answers_ = {ViewerExit::kNext, ViewerExit::kQuit};
    ui.Keys("Down Down F3");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(viewed_, (Paths{left_ / "a.txt", left_ / "b.txt"}));
}

TEST_F(ViewKeysTest, ShiftF3AsksForTheNameAndEscapeCancels) {
    left_.Write("notes.txt", "");
    left_.MakeDir("sub");
    RunKeys("Down Down Shift-F3 Esc");
    EXPECT_TRUE(viewed_.empty());
    // The dialog, 74 by 9 cells from row 6, offers the cursor entry's name.
    const CUiTest::Screen* dialog = nullptr;
    for (const CUiTest::Screen& screen : Screens())
        if (screen.Find("View the file:")) dialog = &screen;
    ASSERT_NE(dialog, nullptr) << ui.Dump();
    int x = 0, y = 0, ok_y = 0;
    ASSERT_TRUE(dialog->Find("View the file:", &x, &y));
    EXPECT_EQ(std::pair(x, y), std::pair(5, 8)) << dialog->Dump();
    EXPECT_EQ(dialog->Text(x, y + 1, 9), "notes.txt") << dialog->Dump();
    EXPECT_EQ(dialog->Attr(x, y), colours[CLR_MESSAGES]) << dialog->Dump();
    ASSERT_TRUE(dialog->Find("[ OK ]", nullptr, &ok_y));
    EXPECT_EQ(ok_y, 6 + 9 - 2) << "the buttons on the last row inside the frame\n" << dialog->Dump();
}

TEST_F(ViewKeysTest, ShiftF3TakesTheNameInThePanelsDirectoryAndViewsThatFileAlone) {
    left_.Write("a.txt", "");
    left_.Write("b.txt", "");
    left_.MakeDir("sub");
    Ini("Viewer=\r\n");
    // Alt-Down does not page away from a typed name.
    answers_ = {ViewerExit::kNext};
    ui.Keys("Shift-F3");
    ui.Type("sub/../a.txt");
    RunKeys("Enter");
    EXPECT_EQ(viewed_, Paths{left_ / "a.txt"});
    EXPECT_EQ(titles_, Paths{"DV/L: a.txt"});
    EXPECT_EQ(CursorName(0), "a.txt");

    // With the Viewer setting its command runs on the full path.
    Ini("Viewer=" + LogCommand("V") + "\r\n");
    ui.Keys("Shift-F3");
    ui.Type("sub/inner.txt");
    RunKeys("Enter");
    EXPECT_EQ(ReadFile(log_), "V-" + left_ / "sub/inner.txt" + "\n");
    EXPECT_EQ(viewed_.size(), 1u);
}

TEST_F(ViewKeysTest, TheViewCommandOpensTheOwnViewerOnItsFile) {
    left_.Write("two words.txt", "");
    ui.Keys("Down");
    ui.Type("$view !");  // the cursor file, quoted by the substitution
    ui.Keys("Enter");
    ui.Type("$view");  // no name: told so, nothing opens
    RunKeys("Enter Enter");
    EXPECT_EQ(viewed_, Paths{left_ / "two words.txt"});
    EXPECT_TRUE(Shown("needs the name of the file")) << ui.Dump();
}

TEST_F(ViewKeysTest, TheInformationPanelViewsNothing) {
    Ini("LeftType=info\r\nViewer=\r\n");
    right_.Write("dirinfo", "");
    RunKeys("F3 Alt-F3");
    EXPECT_TRUE(viewed_.empty());
}

TEST_F(ViewKeysTest, ArchiveMembersAreViewedInPrivateCopiesAndTheArchiveStaysAsItWas) {
    ASSERT_FALSE(ShellOutput("command -v tar").empty()) << "tar is not installed";
    const std::string src = home_.MakeDir("src");
    WriteFile(src + "/inner.txt", "inner bytes\n");
    WriteFile(src + "/other.txt", "other bytes\n");
    const std::string archive = left_ / "pack.tar";
    ASSERT_EQ(std::system(("tar -cf '" + archive + "' -C '" + src + "' inner.txt other.txt").c_str()), 0);
    const std::string before = ReadFile(archive);
    // What tar itself takes out of the archive.
    const std::string out = home_.MakeDir("out");
    ASSERT_EQ(std::system(("tar -xf '" + archive + "' -C '" + out + "'").c_str()), 0);

    Ini("Viewer=\r\n");
    std::vector<std::string> contents;
    bool private_folders = true;
    during_ = [&](const std::string& path) {
        contents.push_back(ReadFile(path));
        // Nobody else may read or replace the copy.
        const auto folder = std::filesystem::status(std::filesystem::path(path).parent_path()).permissions();
        private_folders = private_folders && folder == std::filesystem::perms::owner_all;
    };
    answers_ = {ViewerExit::kNext, ViewerExit::kNext, ViewerExit::kPrevious, ViewerExit::kClosed};
    RunKeys("Down Enter Down F3");
    ASSERT_EQ(viewed_.size(), 4u);
    EXPECT_EQ(FileName(viewed_[0]), "inner.txt");
    EXPECT_EQ(FileName(viewed_[1]), "other.txt");
    EXPECT_EQ(FileName(viewed_[3]), "inner.txt");
    for (const std::string& path : viewed_)
        EXPECT_NE(path.rfind(left_.path(), 0), 0u) << "a copy outside the panel's directory: " << path;
    EXPECT_EQ(contents, (Paths{ReadFile(out + "/inner.txt"), ReadFile(out + "/other.txt"),
                               ReadFile(out + "/other.txt"), ReadFile(out + "/inner.txt")}));
    EXPECT_TRUE(private_folders);
    EXPECT_EQ(CursorName(0), "inner.txt");
    EXPECT_EQ(ReadFile(archive), before) << "viewing writes nothing back";
}

TEST_F(ViewKeysTest, DashVRunsTheViewerAloneAndTheProgramEndsWithIt) {
    left_.Write("listed-in-a-panel.txt", "");
    home_.Write("alone.txt", "text");
    ASSERT_EQ(chdir(home_.path().c_str()), 0);
    EXPECT_EQ(Run({"-v", "src/../alone.txt"}), 0);
    EXPECT_EQ(viewed_, Paths{home_ / "alone.txt"});
    EXPECT_EQ(titles_, Paths{"DV/L: alone.txt"});
    ASSERT_EQ(screens_.size(), 1u);
    EXPECT_FALSE(screens_[0].Find("listed-in-a-panel")) << screens_[0].Dump();

    // A file that cannot be opened is reported and ends the run with status 1.
    for (const char* name : {"missing.txt", "/"}) {
        ui.Keys("Enter");
        EXPECT_EQ(Run({"-v", name}), 1) << name;
        EXPECT_TRUE(Shown("Cannot view the file")) << ui.Dump();
    }
    EXPECT_EQ(viewed_.size(), 1u);
}

TEST_F(ViewKeysTest, F3OnADirectoryOfAnArchiveAddsUpItsMembers) {
    ASSERT_FALSE(ShellOutput("command -v tar").empty()) << "tar is not installed";
    const std::string src = home_.MakeDir("src");
    std::filesystem::create_directories(src + "/sub/deeper");
    WriteFile(src + "/sub/one", std::string(300, 'x'));
    WriteFile(src + "/sub/deeper/two", std::string(45, 'y'));
    WriteFile(src + "/outside", std::string(1000, 'z'));
    ASSERT_EQ(std::system(("tar -cf '" + left_ / "pack.tar" + "' -C '" + src + "' sub outside").c_str()), 0);
    RunKeys("Down Enter Down F3");
    ASSERT_EQ(CursorName(0), "sub");
    EXPECT_EQ(panel_base[0].CurrentEntry()->size, 345u);
    EXPECT_TRUE(viewed_.empty());
}
