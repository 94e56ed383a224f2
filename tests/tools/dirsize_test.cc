// The size count over a panel's selection, against find's sums.
#include <unistd.h>

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "archive/archivepanel.h"
#include "config/archivers.h"
#include "config/config.h"
#include "exec/chdir.h"
#include "fileops/copyseams.h"
#include "lib/fsname.h"
#include "panels/dirtree.h"
#include "panels/entry.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"
#include "panels/sortpanel.h"
#include "panels/treeupdate.h"
#include "tests/panels/panel_test_util.h"
#include "tests/support/shell_output.h"
#include "tests/support/temp_dir.h"
#include "tools/dirsize.h"

namespace {

uint64_t find_total(const std::string& dir) {
    return std::stoull(ShellOutput("find '" + dir + "' \\( -type f -o -type l \\) -printf '%s\\n' | awk '{s+=$1} END {printf \"%d\", s}'"));
}

int index_of(const PANEL& panel, const char* name) {
    for (int i = 0; i < panel.num_files; i++)
        if (Westring(panel.files[i]->name) == Westring(name)) return i;
    ADD_FAILURE() << name << " is not listed";
    return 0;
}

// A panel listing a temporary directory, its tree data kept in another.
class DirSizeTest : public ::testing::Test {
protected:
    void SetUp() override { config.TreeDir = Westring(store.path().c_str()); }
    void TearDown() override {
        panel.tree.Detach();
        config.TreeDir = saved_tree_dir_;
    }
    void List(sortby sort) {
        panel.dir = DecodeFileName(disk.path().c_str());
        panel.visible = 1;
        panel.filter = L"*";
        panel.page_size = 20;
        panel.sort = sort;
        read_panel(&panel);
    }

    CTempDir disk, store;
    PANEL panel;

private:
    Westring saved_tree_dir_ = config.TreeDir;
};

TEST_F(DirSizeTest, TwoTaggedDirectoriesAndAFileMakeTheTaggedTotal) {
    disk.MakeDir("one");
    disk.MakeDir("one/inner");
    disk.MakeDir("two");
    disk.Write("one/a", std::string(3000, 'a'));
    disk.Write("one/inner/b", std::string(40, 'b'));
    disk.Write("two/c", std::string(500, 'c'));
    disk.Write("file", std::string(77, 'f'));
    ASSERT_EQ(symlink((disk / "one/a").c_str(), (disk / "two/link").c_str()), 0);
    ASSERT_EQ(symlink((disk / "one").c_str(), (disk / "dirlink").c_str()), 0);

    List(SORT_NAME);
    for (const char* name : {"one", "two", "file", "dirlink"}) tag(&panel, index_of(panel, name), 1);
    const uint64_t link_size = panel.files[index_of(panel, "dirlink")]->size;

    ASSERT_TRUE(du(&panel, true));
    const uint64_t one = find_total(disk / "one");
    const uint64_t two = find_total(disk / "two");
    EXPECT_EQ(panel.files[index_of(panel, "one")]->size, one);
    EXPECT_TRUE(panel.files[index_of(panel, "one")]->size_known);
    EXPECT_EQ(panel.files[index_of(panel, "two")]->size, two);
    // The link to a directory is not counted through.
    EXPECT_EQ(panel.files[index_of(panel, "dirlink")]->size, link_size);
    EXPECT_EQ(panel.tagged_size, one + two + 77 + link_size);

    // The totals are in the tree, and in its file.
    CTree* tree = panel_tree(&panel);
    ASSERT_NE(tree, nullptr);
    const TREENODE* node = tree->Find(panel.dir.AppendBackslash() + L"one/inner", false);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->size, 40u);

    // Nothing tagged: the cursor's directory alone.
    for (int i = 0; i < panel.num_files; i++) tag(&panel, i, -1);
    panel.top = 0;
    panel.cur = index_of(panel, "two");
    panel.files[panel.cur]->size = 0;
    ASSERT_TRUE(du(&panel, true));
    EXPECT_EQ(panel.files[panel.cur]->size, two);
    EXPECT_EQ(panel.tagged_size, 0u);
}

// A panel sorted by size puts the counted directories in their place.
TEST_F(DirSizeTest, APanelSortedBySizeIsSortedAgainAfterTheCount) {
    disk.MakeDir("aaa");
    disk.MakeDir("mmm");
    disk.MakeDir("zzz");
    disk.Write("aaa/small", std::string(10, 's'));
    disk.Write("mmm/middle", std::string(5000, 'm'));
    disk.Write("zzz/large", std::string(90000, 'l'));

    List(SORT_SIZE);
    for (const char* name : {"aaa", "mmm", "zzz"}) tag(&panel, index_of(panel, name), 1);
    ASSERT_TRUE(du(&panel, true));
    // Largest first, as the sort by size lists files.
    EXPECT_LT(index_of(panel, "zzz"), index_of(panel, "mmm"));
    EXPECT_LT(index_of(panel, "mmm"), index_of(panel, "aaa"));
    EXPECT_EQ(panel.files[index_of(panel, "zzz")]->size, find_total(disk / "zzz"));
}

TEST_F(DirSizeTest, EscStopsTheCountAndLeavesTheSizeUnknown) {
    disk.MakeDir("many");
    for (int i = 0; i < 600; i++) disk.Write("many/f" + std::to_string(i), "x");
    List(SORT_NAME);
    panel.cur = index_of(panel, "many");
    copy_seams.esc_pending = [] { return true; };
    EXPECT_FALSE(du(&panel, true));
    copy_seams.esc_pending = nullptr;
    EXPECT_FALSE(panel.files[panel.cur]->size_known);
    const TREENODE* node = panel_tree(&panel)->Find(panel.dir.AppendBackslash() + L"many", false);
    EXPECT_TRUE(!node || node->size == TREENODE::kUnknownSize);
}

// Inside an archive its table of contents gives the sizes; the disk and the
// tree are not asked.
class DirSizeArchiveTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        saved_cwd_ = std::filesystem::current_path();
        InstallArchiveHooks();
        InitializeArchivers();
    }
    void TearDown() override {
        CloseArchives(panel_);
        if (chdir(saved_cwd_.c_str()) != 0) ADD_FAILURE() << saved_cwd_;
        PanelTest::TearDown();
    }
    PANEL* panel_ = panel_base;
    std::string saved_cwd_;
};

TEST_F(DirSizeArchiveTest, TaggedFoldersOfATarGetTheSizesOfTheirMembers) {
    const std::string src = tmp / "src";
    for (const char* dir : {"", "/one", "/one/inner", "/two", "/two/empty"}) MakeDir(src + dir);
    WriteFile(src + "/one/a", std::string(3000, 'a'));
    WriteFile(src + "/one/inner/b", std::string(40, 'b'));
    WriteFile(src + "/two/c", std::string(500, 'c'));
    WriteFile(src + "/top", std::string(77, 't'));
    ASSERT_EQ(std::system(("cd '" + src + "' && tar -cf ../pack.tar one two top").c_str()), 0);
    SetUpPanel(*panel_, tmp.path());
    read_panel(panel_);
    entry* archive = Find(*panel_, "pack.tar");
    ASSERT_NE(archive, nullptr);
    ASSERT_TRUE(EnterArchive(panel_, archive));
    ASSERT_NE(panel_->archive, nullptr);

    for (const char* name : {"one", "two", "top"}) tag(panel_, index_of(*panel_, name), 1);
    ASSERT_TRUE(du(panel_, true));
    const uint64_t one = find_total(src + "/one");
    const uint64_t two = find_total(src + "/two");
    const entry* counted = panel_->files[index_of(*panel_, "one")];
    EXPECT_EQ(counted->size, one);
    EXPECT_TRUE(counted->size_known);
    EXPECT_EQ(panel_->files[index_of(*panel_, "two")]->size, two);
    EXPECT_EQ(panel_->tagged_size, one + two + 77);

    // Nothing tagged: the folder under the cursor, one level down.
    change_dir(panel_base, 0, L"one", 0, -1, -1);
    panel_->top = 0;
    panel_->cur = index_of(*panel_, "inner");
    ASSERT_TRUE(du(panel_, true));
    EXPECT_EQ(panel_->files[panel_->cur]->size, 40u);
}

}  // namespace
