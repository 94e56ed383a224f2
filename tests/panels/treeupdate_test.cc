// Keeping the tree in step with the disk: a panel's read, mkdir, removal,
// renames and moves.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "config/config.h"
#include "panels/dirtree.h"
#include "panels/treefile.h"
#include "panels/treeupdate.h"
#include "tests/panels/panel_test_util.h"
#include "tests/support/temp_dir.h"
#include "tests/support/thread_time.h"

namespace {

void quiet(const Westring&, const Westring&) {}

// The names below node, each "name" or "name/child...", in the tree's order.
std::vector<std::string> names_below(const TREENODE* node) {
    std::vector<std::string> names;
    for (const TREENODE* c = node ? node->child : nullptr; c; c = c->next) {
        std::string name = Narrow(c->name);
        for (const TREENODE* g = c->child; g; g = g->next) name += "/" + Narrow(g->name);
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

class TreeUpdateTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        saved_dir_ = config.TreeDir;
        config.TreeDir = Westring(store_.path().c_str());
        saved_message_ = tree_message;
        tree_message = quiet;
        SetUpPanel(panel_, disk_.path());
        read_panel(&panel_);
        tree_ = panel_tree(&panel_);
        ASSERT_NE(tree_, nullptr);
        // A tree that knows the way down to the test's directory.
        tree_->MakeRoot(Westring(L"/"));
        tree_->valid = true;
        tree_add_directory(&panel_, panel_.dir);
        ASSERT_NE(Here(), nullptr);
    }
    void TearDown() override {
        panel_.tree.Detach();
        TreeSet.Clear();
        config.TreeDir = saved_dir_;
        tree_message = saved_message_;
        PanelTest::TearDown();
    }
    TREENODE* Here() const { return tree_->Find(panel_.dir, false); }
    Westring Path(const std::string& leaf) const { return Westring((disk_ / leaf).c_str()); }
    // The names the tree data file holds, one line each without the depth.
    std::vector<std::string> FileNames() const {
        std::vector<TreeFileRecord> records;
        std::string error;
        std::vector<std::string> names;
        if (ParseTreeFile(ReadFile(store_ / "dv2tree.dat"), tree_->fs_id(), records, error) != TreeFileStatus::kOk)
            return {"unreadable: " + error};
        for (const TreeFileRecord& r : records) names.push_back(Narrow(r.name));
        return names;
    }

    CTempDir disk_;
    CTempDir store_;
    PANEL panel_;
    CTree* tree_ = nullptr;
    Westring saved_dir_;
    void (*saved_message_)(const Westring&, const Westring&) = nullptr;
};

TEST_F(TreeUpdateTest, ReadingAPanelAddsAndPrunesExactNamesAndSkipsLinks) {
    disk_.MakeDir("Foo");
    disk_.MakeDir("foo");
    disk_.MakeDir(".hidden");
    ASSERT_EQ(symlink("Foo", (disk_ / "link").c_str()), 0);
    config.Hidden = false;  // hidden directories are still directories
    read_panel(&panel_);
    EXPECT_EQ(names_below(Here()), (std::vector<std::string>{".hidden", "Foo", "foo"}));
    EXPECT_FALSE(tree_->modified);  // written at once
    const std::vector<std::string> file = FileNames();
    EXPECT_EQ(std::vector<std::string>(file.end() - 3, file.end()), (std::vector<std::string>{".hidden", "Foo", "foo"}));

    // Removed outside the program: the next read prunes it, and only it.
    ASSERT_EQ(rmdir((disk_ / "foo").c_str()), 0);
    EXPECT_FALSE(check_tree(&panel_));  // nothing new before the read
    read_panel(&panel_);
    EXPECT_EQ(names_below(Here()), (std::vector<std::string>{".hidden", "Foo"}));
    read_panel(&panel_);
    EXPECT_FALSE(check_tree(&panel_));
}

TEST_F(TreeUpdateTest, MkdirRemovalAndGraftsMoveWholeSubtrees) {
    tree_add_directory(&panel_, Westring(L"a/b/c"));  // relative to the panel
    tree_add_directory(&panel_, Path("d"));
    EXPECT_TRUE(tree_->modified);
    EXPECT_EQ(names_below(Here()), (std::vector<std::string>{"a/b", "d"}));
    ASSERT_NE(tree_->Find(Path("a/b/c"), false), nullptr);
    EXPECT_EQ(tree_->Find(Path("a/b/c"), false)->depth, Here()->depth + 3);

    // A rename keeps the subtree under the new name.
    TREENODE* a = tree_->Find(Path("a"), false);
    graft(&panel_, Path("a"), Path("A"));
    EXPECT_EQ(tree_->Find(Path("a"), false), nullptr);
    EXPECT_EQ(tree_->Find(Path("A"), false), a);
    EXPECT_NE(tree_->Find(Path("A/b/c"), false), nullptr);

    // A move under another directory, by its new full path: depths follow.
    graft(&panel_, Path("A"), Path("d/A"));
    ASSERT_NE(tree_->Find(Path("d/A/b/c"), false), nullptr);
    EXPECT_EQ(tree_->Find(Path("d/A/b/c"), false)->depth, Here()->depth + 4);
    EXPECT_EQ(names_below(Here()), (std::vector<std::string>{"d/A"}));

    // A move into a directory that is there already, named by that directory.
    tree_add_directory(&panel_, Path("e"));
    graft(&panel_, Path("d/A"), Path("e"));
    EXPECT_NE(tree_->Find(Path("e/A/b"), false), nullptr);
    // Into its own subtree: refused, nothing lost.
    graft(&panel_, Path("e"), Path("e/A/b"));
    EXPECT_NE(tree_->Find(Path("e/A/b/c"), false), nullptr);
    // Somewhere the tree does not know: the subtree leaves the tree.
    graft(&panel_, Path("e/A"), Westring(L"/nowhere-known/x/A"));
    EXPECT_EQ(tree_->Find(Path("e/A"), false), nullptr);

    tree_remove_directory(Path("e"));
    tree_remove_directory(Path("never-there"));
    EXPECT_EQ(names_below(Here()), (std::vector<std::string>{"d"}));
    EXPECT_TRUE(panel_.WriteTree());
    EXPECT_FALSE(tree_->modified);
}

// check_tree must be linear in the subdirectories: 4n of them may cost
// about four times n's, never sixteen.
TEST_F(TreeUpdateTest, CheckingManySubdirectoriesIsNotQuadratic) {
    auto cost = [this](int n) {
        panel_.subdirs.DestroyAll();
        panel_.subdirs.duplicates = true;
        for (int i = 0; i < n; i++) (void)panel_.subdirs.AddString(Westring(NumberedName("d", i).c_str()));
        delete Here()->child;
        Here()->child = nullptr;
        // The thread's own processor time: other work on a busy machine
        // does not count.
        const double start = ThreadSeconds();
        EXPECT_TRUE(check_tree(&panel_));
        // Half of them go again.
        panel_.subdirs.DestroyAll();
        for (int i = 0; i < n; i += 2) (void)panel_.subdirs.AddString(Westring(NumberedName("d", i).c_str()));
        EXPECT_TRUE(check_tree(&panel_));
        const double spent = ThreadSeconds() - start;
        int count = 0;
        for (const TREENODE* c = Here()->child; c; c = c->next) count++;
        EXPECT_EQ(count, (n + 1) / 2);
        return spent;
    };
    (void)cost(2000);  // warm up
    // The best of three runs each.
    const double small = std::min({cost(16000), cost(16000), cost(16000)});
    const double large = std::min({cost(64000), cost(64000), cost(64000)});
    EXPECT_LT(large, small * 10) << small << " s for 16000, " << large << " s for 64000";
}

}  // namespace
