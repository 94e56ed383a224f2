// "cd NAME" for a directory the panel cannot reach by its path: found in the
// directory tree of the panel's file system, one or more components deep.
#include <unistd.h>

#include "exec/builtins.h"
#include "exec/histories.h"
#include "panels/dirtree.h"
#include "panels/treeupdate.h"
#include "tests/panels/panel_test_util.h"

namespace {

// A scanned tree of a temporary directory, the left panel in its "here".
class BuiltinCdTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        saved_cwd_ = std::filesystem::current_path();
        DirectoryHistory.DestroyAll();
        TreeSet.Clear();
        config.TreeDir = DecodeFileName(tree_dir_.path().c_str());
    }
    void TearDown() override {
        if (chdir(saved_cwd_.c_str()) != 0) ADD_FAILURE();
        panel_->prev_dir = Westring();
        DirectoryHistory.DestroyAll();
        PanelTest::TearDown();
        TreeSet.Clear();
    }
    // Makes the directories, reads the panel in "here" and scans the tree of
    // the temporary directory.
    void Layout(const std::vector<std::string>& dirs) {
        tmp.MakeDir("here");
        for (const std::string& dir : dirs) tmp.MakeDir(dir);
        SetUpPanel(*panel_, tmp / "here");
        read_panel(panel_);
        CTree* tree = panel_tree(panel_);
        ASSERT_NE(tree, nullptr);
        ASSERT_TRUE(tree->Scan(DecodeFileName(tmp.path().c_str())));
    }
    BuiltinResult Cd(const char* argument) {
        return RunBuiltin(panel_, Westring(L"cd ") + DecodeFileName(argument));
    }
    std::string Dir() const { return Narrow(panel_->dir); }

    CTempDir tree_dir_;
    PANEL* panel_ = panel_base;
    std::string saved_cwd_;
};

TEST_F(BuiltinCdTest, BelowThePanelsDirectoryComesFirst) {
    // "aaa" comes first in the tree, but "here" holds a match too.
    Layout({"aaa", "aaa/lib", "aaa/lib/deep", "here/x", "here/x/lib", "here/x/lib/deep"});
    EXPECT_EQ(Cd("lib/deep"), BuiltinResult::kDone);
    EXPECT_EQ(Dir(), tmp / "here/x/lib/deep");
}

TEST_F(BuiltinCdTest, TheFirstNodeFromWhichEveryComponentFollows) {
    // The first "share" has no "doc" below it; the second does. A trailing
    // slash changes nothing.
    Layout({"aaa", "aaa/share", "aaa/share/man", "zzz", "zzz/share", "zzz/share/doc"});
    EXPECT_EQ(Cd("share/doc/"), BuiltinResult::kDone);
    EXPECT_EQ(Dir(), tmp / "zzz/share/doc");
    // Nothing below the panel's directory: the whole tree.
    EXPECT_EQ(Cd("man"), BuiltinResult::kDone);
    EXPECT_EQ(Dir(), tmp / "aaa/share/man");
}

TEST_F(BuiltinCdTest, NamesAreComparedExactlyAndMissesFail) {
    Layout({"aaa", "aaa/Lib"});
    EXPECT_EQ(Cd("lib"), BuiltinResult::kFailed);
    EXPECT_EQ(Cd("Lib/none"), BuiltinResult::kFailed);
    EXPECT_EQ(Dir(), tmp / "here");
    // A reachable name still goes the plain way.
    EXPECT_EQ(Cd("../aaa/Lib"), BuiltinResult::kDone);
    EXPECT_EQ(Dir(), tmp / "aaa/Lib");
}

}  // namespace
