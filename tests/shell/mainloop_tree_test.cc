// The tree style chosen from the pull-down menu, run headless over a tree
// data file prepared for the left panel's file system.
#include <sys/stat.h>

#include <string>
#include <vector>

#include "panels/dirtree.h"
#include "panels/treefile.h"
#include "lib/fsname.h"
#include "tests/shell/mainloop_fixture.h"

namespace {

class MainLoopTreeTest : public MainLoopTest {
protected:
    void SetUp() override {
        MainLoopTest::SetUp();
        TreeSet.Clear();
    }
    void TearDown() override {
        for (int side = 0; side < 2; side++) panel_base[side].tree.Detach();
        TreeSet.Clear();
        MainLoopTest::TearDown();
    }
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

}  // namespace
