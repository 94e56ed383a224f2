// The find-file dialog in the running program: Alt-F7 searches from the
// panel's directory, the list it fills survives the dialog, GoTo puts the
// panel on the file, and a search still running stops and is joined before
// the dialog leaves or acts on the list.
#include "tests/shell/mainloop_fixture.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "console/cells.h"
#include "fileops/copyseams.h"
#include "panels/dirtree.h"
#include "panels/treeupdate.h"
#include "tests/support/shell_output.h"
#include "tools/finddialog.h"
#include "tools/foundline.h"
#include "viewer/fileviewer.h"
#include "viewer/viewpanel.h"

namespace {

class FindDialogTest : public MainLoopTest {
protected:
    void SetUp() override {
        MainLoopTest::SetUp();
        found_files.Clear();
        viewed.clear();
        viewer_answers = {ViewerExit::kClosed};
        internal_viewer = &FakeViewer;
        viewer_pause = [](int) {};
        find_started_seam = [](FileScan& scan) { scan.Wait(); };
        find_scan_seam = nullptr;
        // Queued keys are meant for the dialog, not the copy's Esc poll.
        copy_seams.esc_pending = [] { return false; };
        // Searches start in the panel's directory, not at the root.
        Ini("FFRootSearch=off\r\n");
        left_.MakeDir("src");
        left_.MakeDir("src/Deep");
        left_.MakeDir("src/deep");
        left_.Write("top.txt", "needle\n");
        left_.Write("src/main.c", "int needle;\n");
        left_.Write("src/Deep/a.txt", "haystack\n");
        left_.Write("src/deep/b.txt", "a NEEDLE\n");
    }
    void TearDown() override {
        for (int side = 0; side < 2; side++) panel_base[side].tree.Detach();
        TreeSet.Clear();
        internal_viewer = saved_viewer_;
        viewer_pause = saved_pause_;
        find_started_seam = nullptr;
        find_scan_seam = nullptr;
        copy_seams.esc_pending = nullptr;
        found_files.Clear();
        MainLoopTest::TearDown();
    }
    // Alt-F7 with the filter and containing text typed, then Find.
    void Search(const std::string& filter, const std::string& containing = "") {
        ui.Keys("Alt-F7");
        ui.Type(filter);
        // The containing field keeps the text of the last search: emptied.
        ui.Keys("Alt-t End");
        for (int i = 0; i < 10; i++) ui.Keys("BackSpace");
        ui.Type(containing);
        ui.Keys("Enter");
    }
    std::string Clipboard() { return ui.Headless().View().ClipText().ToUTF8().c_str(); }
    static std::vector<std::string> FoundPaths() {
        std::vector<std::string> paths;
        std::lock_guard<MutexSem> hold(found_files.lock());
        for (int i = 0; i < found_files.count(); i++) paths.push_back(Narrow(found_files[i].file->name));
        std::sort(paths.begin(), paths.end());
        return paths;
    }
    // The found paths in the list's order.
    static std::vector<std::string> ListedPaths() {
        std::vector<std::string> paths;
        std::lock_guard<MutexSem> hold(found_files.lock());
        for (int i = 0; i < found_files.count(); i++) paths.push_back(Narrow(found_files[i].file->name));
        return paths;
    }
    // The colour the first screen showing question gave it; 0 when none did.
    unsigned char QuestionAttr(const std::string& question) const {
        for (const CUiTest::Screen& screen : Screens()) {
            int x = 0, y = 0;
            if (screen.Find(question, &x, &y)) return screen.Attr(x, y);
        }
        return 0;
    }
    static Westring Wide(const std::string& path) { return Westring(path.c_str()); }
    // The log configured commands write, one line a run.
    std::string LogCommand(const std::string& tag, const std::string& macro = "") const {
        return "printf '" + tag + "-%s\\n' " + macro + " >> '" + log_ + "'";
    }
    // Stands in for the program's own viewer: records the files and ends
    // with the next of viewer_answers (the last one repeated).
    static ViewerExit FakeViewer(const wchar_t* name, int64_t) {
        viewed.push_back(Narrow(Westring(name)));
        const size_t n = viewed.size() - 1;
        return n < viewer_answers.size() ? viewer_answers[n] : viewer_answers.back();
    }
    static inline std::vector<std::string> viewed;
    static inline std::vector<ViewerExit> viewer_answers{ViewerExit::kClosed};
    const std::string log_ = home_ / "log";
    ViewerStarter saved_viewer_ = internal_viewer;
    void (*saved_pause_)(int) = viewer_pause;

    std::vector<std::string> FindLines(const std::string& test) const {
        std::vector<std::string> lines;
        std::istringstream out(ShellOutput("find '" + left_.path() + "' -mindepth 1 " + test + " | sort"));
        for (std::string line; std::getline(out, line);) lines.push_back(line);
        return lines;
    }
};

TEST_F(FindDialogTest, FindsByMaskAndByContentAndReportsTheTotal) {
    Search("*.txt");
    RunKeys("Esc");
    EXPECT_EQ(FoundPaths(), FindLines("-iname '*.txt'"));
    EXPECT_TRUE(Shown("Search Complete: 3 matches use 25 bytes"));
    EXPECT_TRUE(Shown("a.txt"));

    // With a containing text only files are listed, without regard to case.
    Search("*", "needle");
    RunKeys("Esc");
    std::vector<std::string> grep;
    std::istringstream out(ShellOutput("grep -rliF needle '" + left_.path() + "' | sort"));
    for (std::string line; std::getline(out, line);) grep.push_back(line);
    EXPECT_EQ(FoundPaths(), grep);
}

// The CP field reads files in no Unicode form in the code page typed.
TEST_F(FindDialogTest, CodePageFieldAppliesToTheSearch) {
    const std::string word = "\xd0\xb4\xd0\xbe\xd0\xbc";
    ASSERT_EQ(system(("printf '" + word + "\\n' | iconv -f UTF-8 -t CP1251 > '" + left_ / "cyr.txt" + "'").c_str()), 0);
    Search("cyr.txt", word);
    ui.Keys("Alt-p");
    ui.Type("1251");
    RunKeys("Alt-f Esc");
    EXPECT_EQ(FoundPaths(), std::vector<std::string>{left_ / "cyr.txt"});
    EXPECT_TRUE(Shown("CP 1251"));
    // The code page stays with the viewer, not with the next test.
    view_code_page = 0;
}

TEST_F(FindDialogTest, BadFilterIsReportedAndStartsNothing) {
    Search("(*.c");
    RunKeys("Enter Esc");
    EXPECT_TRUE(Shown("Syntax error in search expression"));
    EXPECT_EQ(found_files.count(), 0);
}

TEST_F(FindDialogTest, GoToPutsThePanelOnTheFile) {
    Search("main.c");
    RunKeys("Enter");
    EXPECT_EQ(Dir(0), left_ / "src");
    EXPECT_EQ(CursorName(0), "main.c");
}

TEST_F(FindDialogTest, ResumedListKeepsItsEntriesAndCurrentOne) {
    Search("*.txt");
    // Ctrl-F3 sorts by name: a.txt, b.txt, top.txt; Down Down is on top.txt.
    RunKeys("Ctrl-F3 Home Down Down Esc");
    ASSERT_EQ(found_files.count(), 3);
    EXPECT_EQ(found_files.current, 2);
    RunKeys("Shift-Alt-F7 Enter");
    EXPECT_EQ(Dir(0), left_.path());
    EXPECT_EQ(CursorName(0), "top.txt");
}

TEST_F(FindDialogTest, DelRemovesFromTheListOnly) {
    Search("*.txt");
    RunKeys("Ctrl-F3 Home Del Esc");
    EXPECT_EQ(found_files.count(), 2);
    EXPECT_TRUE(PathExists(left_ / "src/Deep/a.txt"));
    std::vector<std::string> expected = {left_ / "src/deep/b.txt", left_ / "top.txt"};
    EXPECT_EQ(FoundPaths(), expected);
}

// Ctrl-R replaces the searched text in every found file; declining the
// confirmation goes back to the replacement, and Esc there changes nothing.
TEST_F(FindDialogTest, CtrlRReplacesInEveryFoundFile) {
    const std::string top = ReadFile(left_ / "top.txt");
    Search("*.txt", "needle");
    ui.Keys("Ctrl-R");
    ui.Type("pin");
    RunKeys("Enter Esc Esc Esc");
    EXPECT_TRUE(Shown("Are you sure you want to replace"));
    EXPECT_EQ(ReadFile(left_ / "top.txt"), top);

    const std::string expected_top = ShellOutput("sed 's/needle/pin/gI' '" + left_ / "top.txt" + "'");
    const std::string expected_b = ShellOutput("sed 's/needle/pin/gI' '" + left_ / "src/deep/b.txt" + "'");
    Search("*.txt", "needle");
    ui.Keys("Ctrl-R");
    ui.Type("pin");
    RunKeys("Enter Enter Enter Esc");
    EXPECT_TRUE(Shown("Replaced 2 occurrences in 2 files"));
    EXPECT_EQ(ReadFile(left_ / "top.txt"), expected_top);
    EXPECT_EQ(ReadFile(left_ / "src/deep/b.txt"), expected_b);
    EXPECT_EQ(ReadFile(left_ / "src/Deep/a.txt"), "haystack\n");
}

TEST_F(FindDialogTest, F8DeletesTheFileAndItsRecord) {
    Search("*.c");
    RunKeys("F8 Esc F8 Enter Esc");
    EXPECT_TRUE(Shown("Do you wish to delete"));
    EXPECT_FALSE(PathExists(left_ / "src/main.c"));
    EXPECT_EQ(found_files.count(), 0);
}

// Shift-F8 deletes every found file after one question, asked in the
// colour of warnings where F8's is a plain message.
TEST_F(FindDialogTest, ShiftF8DeletesAllAfterAWarning) {
    Search("*.txt");
    RunKeys("Shift-F8 Esc Shift-F8 Enter Esc");
    EXPECT_TRUE(Shown("Are you sure you wish to delete 3 files?"));
    EXPECT_EQ(ShellOutput("find '" + left_.path() + "' -name '*.txt'"), "");
    EXPECT_EQ(found_files.count(), 0);
    EXPECT_EQ(QuestionAttr("Are you sure you wish to delete"), colours[CLR_ERRORS]);

    Search("*.c");
    RunKeys("F8 Esc Esc");
    EXPECT_EQ(QuestionAttr("Do you wish to delete"), colours[CLR_MESSAGES]);
}

// A directory deleted from the list leaves the directory tree, in memory
// and in its file.
TEST_F(FindDialogTest, DeletedDirectoriesLeaveTheTree) {
    left_.MakeDir("empty");
    left_.MakeDir("gone");
    left_.MakeDir("kept");
    // Once the program runs, its tree learns the three directories.
    find_started_seam = [this](FileScan& scan) {
        scan.Wait();
        CTree* tree = panel_tree(panel_base);
        ASSERT_NE(tree, nullptr);
        tree->MakeRoot(Westring(L"/"));
        tree->valid = true;
        for (const char* name : {"empty", "gone", "kept"}) tree_add_directory(panel_base, Wide(left_ / name));
    };
    Search("empty");
    RunKeys("F8 Enter Esc");
    EXPECT_FALSE(PathExists(left_ / "empty"));
    CTree* tree = panel_tree(panel_base);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->Find(Wide(left_ / "empty"), false), nullptr);
    EXPECT_NE(tree->Find(Wide(left_ / "kept"), false), nullptr);
    EXPECT_FALSE(tree->modified) << "the tree is written after the deletion";

    Search("gone");
    RunKeys("Shift-F8 Enter Esc");
    EXPECT_FALSE(PathExists(left_ / "gone"));
    tree = panel_tree(panel_base);
    EXPECT_EQ(tree->Find(Wide(left_ / "gone"), false), nullptr);
    EXPECT_NE(tree->Find(Wide(left_ / "kept"), false), nullptr);
    EXPECT_FALSE(tree->modified);
}

// F5 copies every found file into the other panel's directory; F6 moves
// them and the list keeps only what is still there.
TEST_F(FindDialogTest, F5CopiesAndF6MovesTheFoundFiles) {
    Search("*.txt");
    RunKeys("F5 Esc");
    EXPECT_EQ(ShellOutput("cd '" + right_.path() + "' && ls"), "a.txt\nb.txt\ntop.txt\n");
    EXPECT_EQ(system(("cmp -s '" + left_ / "src/deep/b.txt" + "' '" + right_ / "b.txt" + "'").c_str()), 0);
    EXPECT_EQ(found_files.count(), 3);

    Search("*.c");
    RunKeys("F6 Esc");
    EXPECT_FALSE(PathExists(left_ / "src/main.c"));
    EXPECT_EQ(ReadFile(right_ / "main.c"), "int needle;\n");
    EXPECT_EQ(found_files.count(), 0);
}

// A scan held in its second directory: Esc stops it and the dialog stays
// (a second Esc leaves); GoTo and F5 stop and join it before they act.
TEST_F(FindDialogTest, EscGoToAndF5MidScanStopAndJoinTheScan) {
    std::atomic<int> directories{0};
    std::atomic<bool> held{false}, stopped_while_held{false};
    find_scan_seam = [&](const FileScan& scan, const Westring&) {
        if (++directories < 2) return;
        held = true;
        while (!scan.stop_requested()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        stopped_while_held = true;
    };
    // The next key is read once the scan is held.
    find_started_seam = [&](FileScan&) {
        while (!held.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    Search("*");
    RunKeys("Esc Esc");
    EXPECT_TRUE(stopped_while_held.load());
    EXPECT_TRUE(Shown("Search Stopped:"));
    // Only the panel's own directory was listed: top.txt and src.
    EXPECT_EQ(FoundPaths(), (std::vector<std::string>{left_ / "src", left_ / "top.txt"}));

    directories = 0;
    held = false;
    stopped_while_held = false;
    Search("top.txt");
    RunKeys("Enter");
    EXPECT_TRUE(stopped_while_held.load());
    EXPECT_EQ(Dir(0), left_.path());
    EXPECT_EQ(CursorName(0), "top.txt");

    // F5 while the scan is held: the scan stops and is joined first, and
    // only what it had found is copied.
    directories = 0;
    held = false;
    stopped_while_held = false;
    Search("*.txt");
    RunKeys("F5 Esc");
    EXPECT_TRUE(stopped_while_held.load());
    EXPECT_EQ(ShellOutput("cd '" + right_.path() + "' && ls"), "top.txt\n");
}

// F3 and F4 run the association of the file's name, else the Viewer or
// Editor setting; their Alt variants the second setting; a directory
// opens nothing.
TEST_F(FindDialogTest, ViewAndEditRunTheConfiguredCommands) {
    Ini("FFRootSearch=off\r\nViewer=" + LogCommand("V") + "\r\nViewer2=" + LogCommand("V2") +
        "\r\nEditor=" + LogCommand("E") + "\r\nEditor2=" + LogCommand("E2") +
        "\r\n[Viewer Associations]\r\n*.c: " + LogCommand("VA", "!f") +
        "\r\n[Editor Associations]\r\nmain.*: " + LogCommand("EA", "!f") + "\r\n");
    Search("*.c");
    RunKeys("F3 Alt-F3 F4 Alt-F4 Esc");
    const std::string c = left_ / "src/main.c";
    EXPECT_EQ(ReadFile(log_), "VA-" + c + "\nV2-" + c + "\nEA-" + c + "\nE2-" + c + "\n");

    std::remove(log_.c_str());
    Search("top.txt");
    RunKeys("F3 F4 Esc");
    const std::string top = left_ / "top.txt";
    EXPECT_EQ(ReadFile(log_), "V-" + top + "\nE-" + top + "\n");
    EXPECT_TRUE(viewed.empty());

    std::remove(log_.c_str());
    Search("src");
    RunKeys("F3 Alt-F3 F4 Alt-F4 Esc");
    EXPECT_FALSE(PathExists(log_));
}

// Without a command the program's own viewer pages through the found
// files, passing directories by, and the list ends on the file viewed last.
TEST_F(FindDialogTest, OwnViewerStepsThroughTheFoundFiles) {
    Ini("FFRootSearch=off\r\nViewer=\r\n");
    left_.MakeDir("src/dir.txt");
    // Two steps on, one past the end (the last file again), one back.
    viewer_answers = {ViewerExit::kNext, ViewerExit::kNext, ViewerExit::kNext, ViewerExit::kPrevious,
                      ViewerExit::kClosed};
    Search("*.txt");
    RunKeys("Home F3 Enter");
    ASSERT_EQ(ListedPaths().size(), 4u);
    std::vector<std::string> files;
    for (const std::string& path : ListedPaths())
        if (path != left_ / "src/dir.txt") files.push_back(path);
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(viewed, (std::vector<std::string>{files[0], files[1], files[2], files[2], files[1]}));
    EXPECT_EQ(Dir(0) + "/" + CursorName(0), files[1]);
}

// Ctrl-Shift-F puts the current file's full path into the clipboard,
// Ctrl-Shift-J its name alone.
TEST_F(FindDialogTest, CtrlShiftFAndJCopyPathAndName) {
    left_.Write("src/a b!c.txt", "");
    Search("a?b?c.txt");
    RunKeys("Ctrl-Shift-F Esc");
    EXPECT_EQ(Clipboard(), left_ / "src/a b!c.txt");
    RunKeys("Shift-Alt-F7 Ctrl-Shift-J Esc");
    EXPECT_EQ(Clipboard(), "a b!c.txt");
}

TEST(FoundLine, ShowsSizeDateMarkAndErrors) {
    entry* e = entry::Create(L"/a/b/.hidden");
    e->size = 1234567;
    e->attr = FA_HIDDEN;
    FoundFile found{e, 0};
    std::string line = Narrow(make_found(found, 40));
    EXPECT_EQ(line.substr(0, 10), " 1,234,567");
    EXPECT_NE(line.find("\u2591/a/b/.hidden"), std::string::npos) << line;
    e->attr = FA_DIREC;
    EXPECT_EQ(Narrow(make_found(found, 40)).substr(0, 14), "  \u25BASUBDIR\u25C4");
    found.match = kFoundCannotOpen;
    EXPECT_EQ(Narrow(make_found(found, 40)), "Error opening               /a/b/.hidden");
    entry::Destroy(e);
}

}  // namespace
