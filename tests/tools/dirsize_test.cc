// The size count over a panel's selection, against find's sums.
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "config/config.h"
#include "lib/fsname.h"
#include "panels/dirtree.h"
#include "panels/entry.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"
#include "panels/treeupdate.h"
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

TEST(DirSizeTest, TwoTaggedDirectoriesAndAFileMakeTheTaggedTotal) {
    CTempDir disk, store;
    const Westring saved_dir = config.TreeDir;
    config.TreeDir = Westring(store.path().c_str());
    disk.MakeDir("one");
    disk.MakeDir("one/inner");
    disk.MakeDir("two");
    disk.Write("one/a", std::string(3000, 'a'));
    disk.Write("one/inner/b", std::string(40, 'b'));
    disk.Write("two/c", std::string(500, 'c'));
    disk.Write("file", std::string(77, 'f'));
    ASSERT_EQ(symlink((disk / "one/a").c_str(), (disk / "two/link").c_str()), 0);
    ASSERT_EQ(symlink((disk / "one").c_str(), (disk / "dirlink").c_str()), 0);

    PANEL panel;
    panel.dir = DecodeFileName(disk.path().c_str());
    panel.visible = 1;
    panel.filter = L"*";
    panel.page_size = 20;
    read_panel(&panel);
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

    panel.tree.Detach();
    config.TreeDir = saved_dir;
}

}  // namespace
