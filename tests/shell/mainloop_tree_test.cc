// The tree style chosen from the pull-down menu, run headless over a tree
// data file prepared for the left panel's file system.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "console/console.h"
#include "fileops/copyseams.h"
#include "panels/dirtree.h"
#include "panels/treefile.h"
#include "lib/fsname.h"
#include "tests/shell/mainloop_fixture.h"

namespace {

// What the test does each time the program reads input (see WhenIdle).
std::function<void()> idle_step;
void run_idle_step() {
    if (idle_step) idle_step();
}

class MainLoopTreeTest : public MainLoopTest {
protected:
    void SetUp() override {
        MainLoopTest::SetUp();
        TreeSet.Clear();
        saved_clock_ = console_hooks.update_clock;
    }
    void TearDown() override {
        for (int side = 0; side < 2; side++) panel_base[side].tree.Detach();
        TreeSet.Clear();
        idle_step = nullptr;
        console_hooks.update_clock = saved_clock_;
        MainLoopTest::TearDown();
    }
    void (*saved_clock_)() = nullptr;
    // Runs step whenever the program is about to wait with nothing queued:
    // input that must come only after the program has read all before it
    // (a scan polling for Esc eats whatever is queued), or a button held
    // while the program polls.
    void WhenIdle(const std::function<void()>& step) {
        idle_step = [this, step] {
            if (ui.QueueLength() == 0) step();
        };
        console_hooks.update_clock = run_idle_step;
    }
    // The line of the tree window the panel's directory is on: the tree
    // files below hold only the way down to it, one line a component.
    int LeftLine() const { return static_cast<int>(std::count(left_.path().begin(), left_.path().end(), '/')); }
    // The file system identity the program gives dir.
    static uint32_t FsId(const std::string& dir) {
        PANEL panel;
        panel.dir = DecodeFileName(dir.c_str());
        panel.visible = 1;
        panel.filter = L"*";
        read_panel(&panel);
        panel.tree.Detach();
        return panel.fs_id;
    }
    // A tree data file in the home folder: the way down to dir, then the
    // lines below it, each "depth-below-dir name".
    void TreeFile(const std::string& dir, const std::vector<std::pair<int, std::string>>& below) {
        std::string bytes = TreeFileHeader(FsId(dir)) + "0/\n";
        int depth = 0;
        for (size_t at = 1; at < dir.size();) {
            size_t end = dir.find('/', at);
            if (end == std::string::npos) end = dir.size();
            bytes += TreeFileLine(++depth, Westring(dir.substr(at, end - at).c_str()));
            at = end + 1;
        }
        for (const auto& [level, name] : below) bytes += TreeFileLine(depth + level, Westring(name.c_str()));
        mkdir((home_ / ".dvl").c_str(), 0700);
        WriteFile(home_ / ".dvl/vadodu.dat", bytes);
        std::vector<TreeFileRecord> records;
        std::string error;
        EXPECT_EQ(ParseTreeFile(bytes, FsId(dir), records, error), TreeFileStatus::kOk) << error;
        // The reads above loaded the trees before the file was there.
        TreeSet.Clear();
    }
};

TEST_F(MainLoopTreeTest, RightTreeShowsTheLeftPanelsTreeWithTheCursorOnItsDirectory) {
    left_.MakeDir("alpha");
    left_.MakeDir("alpha/inner");
    left_.MakeDir("beta");
    TreeFile(left_.path(), {{1, "alpha"}, {2, "inner"}, {1, "beta"}});
    // The menu's Right column, then "Tree", the seventh item.
    RunKeys("Tab F9 Down Down Down Down Down Down Down Enter");
    ASSERT_EQ(panel_base[1].detail, DETAIL_TREE);
    const std::vector<std::string> names = Names(1);
    const std::string leaf = left_.path().substr(left_.path().rfind('/') + 1);
    ASSERT_GE(names.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(names.end() - 4, names.end()),
              (std::vector<std::string>{leaf, "alpha", "inner", "beta"}));
    EXPECT_EQ(CursorName(1), leaf);
    // The tree is drawn with its branch lines in the right half.
    EXPECT_TRUE(Shown("├─alpha")) << Screens().back().Dump();
    EXPECT_TRUE(Shown("└─beta")) << Screens().back().Dump();
}

TEST_F(MainLoopTreeTest, AltF10GoesToTheDirectoryChosenByTheCursor) {
    left_.MakeDir("alpha");
    left_.MakeDir("alpha/inner");
    left_.MakeDir("beta");
    TreeFile(left_.path(), {{1, "alpha"}, {2, "inner"}, {1, "beta"}});
    // Down from the panel's directory is alpha; Enter goes there.
    RunKeys("Alt-F10 Down Enter");
    EXPECT_EQ(Dir(0), left_ / "alpha");
    EXPECT_TRUE(Shown(" Directory Tree ")) << Screens().back().Dump();
}

TEST_F(MainLoopTreeTest, TypingSeeksANameIgnoringCase) {
    left_.MakeDir("alpha");
    left_.MakeDir("beta");
    left_.MakeDir("beta/Bravo");
    TreeFile(left_.path(), {{1, "alpha"}, {1, "beta"}, {2, "Bravo"}});
    // "b" finds beta, "br" then Bravo (ignoring case); Enter goes there.
    RunKeys("Alt-F10 b r Enter");
    EXPECT_EQ(Dir(0), left_ / "beta/Bravo");
}

TEST_F(MainLoopTreeTest, EscClosesTheTreeWindowWithoutMoving) {
    left_.MakeDir("alpha");
    TreeFile(left_.path(), {{1, "alpha"}});
    RunKeys("Alt-F10 Down Esc");
    EXPECT_EQ(Dir(0), left_.path());
}

class MainLoopTreeKeysTest : public MainLoopTreeTest {
protected:
    void SetUp() override {
        MainLoopTreeTest::SetUp();
        for (const char* dir : {"alpha", "alpha/inner", "beta", "beta/deep"}) left_.MakeDir(dir);
        TreeFile(left_.path(), {{1, "alpha"}, {2, "inner"}, {1, "beta"}, {2, "deep"}});
    }
};

TEST_F(MainLoopTreeKeysTest, ACollapsedBranchIsPassedOver) {
    // alpha collapsed: Down from it is beta, not inner.
    RunKeys("Alt-F10 Down Grey - Down Enter");
    EXPECT_EQ(Dir(0), left_ / "beta");
}

TEST_F(MainLoopTreeKeysTest, AltDownStopsAtAShallowerNode) {
    // From inner the next node of its depth is deep, but beta lies
    // between: the cursor stays on inner.
    RunKeys("Alt-F10 Down Down Alt-Down Enter");
    EXPECT_EQ(Dir(0), left_ / "alpha/inner");
}

TEST_F(MainLoopTreeKeysTest, AltDownMovesToTheNextSibling) {
    RunKeys("Alt-F10 Down Alt-Down Enter");
    EXPECT_EQ(Dir(0), left_ / "beta");
}

// The Alt-F10 window on an 80 by 25 screen: columns 38 to 79, the frame's
// top on row 2, the list on rows 3 to 17, the rule on row 18.
constexpr int kListColumn = 60;
constexpr int kFirstListRow = 3;
constexpr int kRuleRow = 18;

class MainLoopTreeMouseTest : public MainLoopTreeTest {
protected:
    void SetUp() override {
        MainLoopTreeTest::SetUp();
        for (const char* dir : {"alpha", "beta", "gamma"}) left_.MakeDir(dir);
        TreeFile(left_.path(), {{1, "alpha"}, {1, "beta"}, {1, "gamma"}});
    }
    int RowOfChild(int child) const { return kFirstListRow + LeftLine() + 1 + child; }
};

TEST_F(MainLoopTreeMouseTest, AClickMovesTheCursorAndAPressAboveTheListStepsUp) {
    ui.Keys("Alt-F10");
    ui.Click(kListColumn, RowOfChild(1));  // beta
    ui.ButtonDown(kListColumn, kFirstListRow - 1);
    ui.ButtonUp(kListColumn, kFirstListRow - 1);
    RunKeys("Enter");
    EXPECT_EQ(Dir(0), left_ / "alpha");
    // The narrow window has no room for the hint.
    EXPECT_FALSE(Shown("Ctrl-Enter for next match"));
}

TEST_F(MainLoopTreeMouseTest, ADoubleClickChoosesTheLineButNotPastTheLastOrBesideTheWindow) {
    ui.Keys("Alt-F10");
    ui.DoubleClick(kListColumn, RowOfChild(3));  // below gamma, still in the list
    ui.DoubleClick(10, RowOfChild(1));           // in the left panel
    ui.DoubleClick(kListColumn, RowOfChild(2));
    RunKeys();
    EXPECT_EQ(Dir(0), left_ / "gamma");
}

TEST_F(MainLoopTreeTest, AButtonHeldBelowTheListScrollsItALineAtATime) {
    std::vector<std::pair<int, std::string>> lines;
    for (int i = 0; i < 30; i++) {
        const std::string name = "d" + std::to_string(10 + i);
        left_.MakeDir(name);
        lines.push_back({1, name});
    }
    TreeFile(left_.path(), lines);
    // The press steps once; the program then polls, and each poll that
    // finds the button still down steps again. The fourth wait lets go.
    ui.Keys("Alt-F10");
    ui.ButtonDown(kListColumn, kRuleRow);
    int waits = 0;
    WhenIdle([&] {
        if (++waits != 4) return;
        ui.ButtonUp(kListColumn, kRuleRow);
        ui.Keys("Enter");
        QueueQuit();
    });
    ui.AllowIdle(true);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Dir(0), left_ / "d13");
}

TEST_F(MainLoopTreeTest, CtrlRFindsADirectoryMadeBehindTheProgramsBack) {
    left_.MakeDir("alpha");
    // The tree known at the start: the left directory's own, without zeta.
    CTree* tree = TreeSet.GetTree(L'/', FsId(left_.path()));
    ASSERT_TRUE(tree->Scan(DecodeFileName(left_.path().c_str())));
    left_.MakeDir("alpha/zeta");
    // The cursor starts on the top; zeta is the second line down only
    // once the disk was read again.
    ui.Keys("Alt-F10 Ctrl-R");
    bool fed = false;
    WhenIdle([&] {
        if (fed) return;
        fed = true;
        ui.Keys("Down Down Enter");
        QueueQuit();
    });
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Dir(0), left_ / "alpha/zeta");
}

TEST_F(MainLoopTreeKeysTest, EscDuringTheRescanClosesTheWindow) {
    // Were the window still open, F10 and Enter (the quit) would choose a
    // directory there and the program would never end.
    RunKeys("Alt-F10 Down Ctrl-R Esc");
    EXPECT_EQ(Dir(0), left_.path());
}

// F10 in the copy dialog: the destination picked from the tree.
TEST_F(MainLoopTreeTest, CopyDialogF10PutsTheChosenDirectoryInTheField) {
    left_.Write("note.txt", "some bytes\n");
    right_.MakeDir("target");
    right_.MakeDir("target/inner");
    TreeFile(right_.path(), {{1, "target"}, {2, "inner"}});
    // The copy's poll for Esc would take the keys queued after it.
    copy_seams.esc_pending = [] { return false; };
    // The field holds the right panel's directory: the cursor starts there.
    RunKeys("Down F5 F10 Down Enter Enter");
    copy_seams = CopySeams();
    std::ifstream copied(right_ / "target/note.txt");
    std::stringstream bytes;
    bytes << copied.rdbuf();
    EXPECT_EQ(bytes.str(), "some bytes\n");
    // The picker is as wide as the dialog, with the wide tree lines and the hint.
    EXPECT_TRUE(Shown("Ctrl-Enter for next match")) << Screens().back().Dump();
    EXPECT_TRUE(Shown("└── target")) << Screens().back().Dump();
    EXPECT_TRUE(Shown("    └── inner"));
}

// F10 in the link dialog picks the directory that receives the link.
TEST_F(MainLoopTreeTest, LinkDialogF10PutsTheChosenDirectoryInTheField) {
    left_.Write("note.txt", "x");
    right_.MakeDir("target");
    TreeFile(right_.path(), {{1, "target"}});
    RunKeys("Down Shift-Ctrl-F5 F10 Down Enter Enter");
    char target[4096] = {};
    ASSERT_GT(readlink((right_ / "target/note.txt").c_str(), target, sizeof target - 1), 0) << ui.Dump();
    EXPECT_EQ(std::string(target), left_ / "note.txt");
}

}  // namespace

TEST_F(MainLoopTreeKeysTest, RenameMakeAndDeleteKeepTheTreeAndItsFileInStep) {
    // The delete's poll for Esc would take the keys queued after it.
    copy_seams.esc_pending = [] { return false; };
    ui.Keys("Down Down F8 Enter");  // beta and deep below it
    ui.Type("YES");
    ui.Keys("Enter");
    ui.Keys("Home Down Shift-F6");        // alpha renamed in place
    ui.Type("gamma");
    ui.Keys("Enter F7");
    ui.Type("made/below");
    RunKeys("Enter");
    copy_seams = CopySeams();
    ASSERT_FALSE(std::filesystem::exists(left_ / "beta")) << ui.Dump();
    ASSERT_TRUE(std::filesystem::exists(left_ / "gamma/inner")) << ui.Dump();
    const auto has = [&](const std::string& path) {
        return panel_base[0].tree.Find(DecodeFileName((left_ / path).c_str())) != nullptr;
    };
    EXPECT_TRUE(has("gamma/inner")) << "the renamed directory keeps its subtree";
    EXPECT_FALSE(has("alpha"));
    EXPECT_FALSE(has("beta"));
    EXPECT_FALSE(has("beta/deep"));
    EXPECT_TRUE(has("made/below"));
    // The tree file says the same at the next start.
    const std::string saved = ReadFile(home_ / ".dvl/vadodu.dat");
    for (const char* name : {"gamma\n", "inner\n", "made\n", "below\n"})
        EXPECT_NE(saved.find(name), std::string::npos) << name;
    for (const char* name : {"alpha\n", "beta\n", "deep\n"}) EXPECT_EQ(saved.find(name), std::string::npos) << name;
}
