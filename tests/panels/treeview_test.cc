// The tree style of a panel: the flattened tree, its line masks past 32
// levels, the 63-level limit and the cursor's place.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "config/config.h"
#include "console/cells.h"
#include "panels/dirtree.h"
#include "panels/entry.h"
#include "panels/paneldisplay.h"
#include "panels/treeupdate.h"
#include "panels/treeview.h"
#include "tests/panels/panel_test_util.h"
#include "tests/support/temp_dir.h"

namespace {

TREENODE* add(TREENODE* parent, const wchar_t* name) {
    TREENODE* node = NewTreeNode(Westring(name), parent);
    TREENODE** link = &parent->child;
    while (*link) link = &(*link)->next;
    *link = node;
    return node;
}

std::vector<std::string> listed(const PANEL& panel) {
    std::vector<std::string> names;
    for (int i = 0; i < panel.num_files; i++) names.push_back(Narrow(Westring(panel.files[i]->name)));
    return names;
}

class TreeViewTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        SetUpPanel(panel_, "/");
        panel_.detail = DETAIL_TREE;
    }
    void TearDown() override {
        panel_.FreeEntries();
        PanelTest::TearDown();
    }
    PANEL panel_;
};

TEST_F(TreeViewTest, MasksMarkEachLevelThatGoesOnAndCollapsedNodesHideTheirChildren) {
    TREENODE root(Westring(L"/"));
    TREENODE* a = add(&root, L"a");
    add(a, L"x");
    TREENODE* y = add(a, L"y");
    add(y, L"deep");
    add(&root, L"b");
    treenodelist(&panel_, &root);
    ASSERT_EQ(listed(panel_), (std::vector<std::string>{"/", "a", "x", "y", "deep", "b"}));
    const std::vector<uint64_t> masks = {0, 0b10, 0b110, 0b010, 0b010, 0};
    for (size_t i = 0; i < masks.size(); i++) {
        EXPECT_EQ(panel_.files[i]->size, masks[i]) << listed(panel_)[i];
        EXPECT_EQ(entry_tree_node(panel_.files[i])->name, Westring(panel_.files[i]->name));
    }
    EXPECT_EQ(panel_.files[4]->size_known, 3);

    // The drawn row shows "├─"/"└─" and a "│" for each level that goes on.
    CellString line;
    print_tree_row(line, panel_.files[2], 20, 1, 2);  // x under a, a has b after it
    EXPECT_EQ(line[0].ch, wchar_t(0x2502));  // a's line continues
    EXPECT_EQ(line[2].ch, wchar_t(0x251C));  // y follows x

    expand_branch(a, false, false);
    treenodelist(&panel_, &root);
    EXPECT_EQ(listed(panel_), (std::vector<std::string>{"/", "a", "b"}));
    expand_branch(a, true, true);
    expand_branch(&root, false, true);  // the root stays open
    treenodelist(&panel_, &root);
    EXPECT_EQ(listed(panel_), (std::vector<std::string>{"/", "a", "b"}));
    // Moving to a hidden node opens the way to it.
    TREENODE* deep = y->child;
    position_tree(&panel_, &root, deep, 10);
    EXPECT_EQ(listed(panel_), (std::vector<std::string>{"/", "a", "x", "y", "deep", "b"}));
    EXPECT_EQ(panel_.top + panel_.cur, 4);
    EXPECT_TRUE(panel_.files[4]->tagged);
}

TEST(TreeNodeTest, AVeryDeepTreeIsFreedWithoutExhaustingTheStack) {
    // Deeper than any stack could follow one frame per level.
    auto* root = new TREENODE(Westring(L"/"));
    TREENODE* node = root;
    for (int depth = 1; depth <= 1000000; depth++) {
        node->child = new TREENODE(Westring(L"d"));
        node->child->parent = node;
        node->child->next = new TREENODE(Westring(L"s"));
        node = node->child;
    }
    delete root;
}

TEST_F(TreeViewTest, DeepTreesShowSixtyThreeLevelsWithSixtyFourBitMasks) {
    TREENODE root(Westring(L"/"));
    TREENODE* node = &root;
    TREENODE* at40 = nullptr;
    for (int depth = 1; depth <= 80; depth++) {
        node = add(node, L"d");
        if (depth == 40) at40 = node;
    }
    add(at40->parent, L"sibling-at-40");
    treenodelist(&panel_, &root);
    ASSERT_EQ(panel_.num_files, 1 + kMaxShownTreeDepth + 1);  // root, 63 levels, the sibling
    for (int i = 1; i <= kMaxShownTreeDepth; i++) {
        const entry* e = panel_.files[i];
        EXPECT_EQ(e->size_known, i);
        // Every node from depth 40 down has the sibling's line at bit 40.
        EXPECT_EQ((e->size >> 40) & 1, i >= 40 ? 1u : 0u) << i;
    }
    CellString line;
    print_tree_row(line, panel_.files[50], 200, 1, 2);
    EXPECT_EQ(line[2 * 39].ch, wchar_t(0x2502));  // level 40's line, past 32 bits
    EXPECT_EQ(line[2 * 38].ch, L' ');
}

TEST_F(TreeViewTest, WideRowsTakeFourCellsALevelAndMarkFoldedBranches) {
    TREENODE root(Westring(L"/"));
    TREENODE* a = add(&root, L"a");
    TREENODE* x = add(a, L"x");
    add(x, L"hidden");
    add(&root, L"b");
    x->expanded = 0;
    treenodelist(&panel_, &root);
    ASSERT_EQ(listed(panel_), (std::vector<std::string>{"/", "a", "x", "b"}));
    auto text = [](const CellString& line) {
        std::wstring chars;
        for (int i = 0; i < line.length(); i++) chars += line[i].ch;
        return Narrow(Westring(chars.c_str()));
    };
    CellString line;
    print_wide_tree_row(line, panel_.files[2], 12, 1, 2);
    EXPECT_EQ(text(line), "│   └─+ x   ");  // a goes on to b; x is folded
    EXPECT_EQ(line[0].attr, 2);
    EXPECT_EQ(line[8].attr, 1);
    print_wide_tree_row(line, panel_.files[3], 6, 1, 2);
    EXPECT_EQ(text(line), "└── b ");
    // A row narrower than its lines is cut at its width.
    print_wide_tree_row(line, panel_.files[2], 3, 1, 2);
    EXPECT_EQ(line.length(), 3);
}

TEST_F(TreeViewTest, TheCursorLineIsCentredAndTheLastPageKeptFull) {
    TREENODE root(Westring(L"/"));
    std::vector<TREENODE*> nodes;
    for (int i = 0; i < 100; i++) nodes.push_back(add(&root, Westring(NumberedName("n", 100 + i).c_str()).c_str()));
    position_tree(&panel_, &root, nodes[49], 20);  // line 50
    EXPECT_EQ(panel_.top, 40);
    EXPECT_EQ(panel_.cur, 10);
    position_tree(&panel_, &root, nodes[97], 20);  // line 98 of 101
    EXPECT_EQ(panel_.top, 81);
    EXPECT_EQ(panel_.top + panel_.cur, 98);
    position_tree(&panel_, &root, nodes[1], 20);
    EXPECT_EQ(panel_.top, 0);
    EXPECT_EQ(panel_.cur, 2);
    EXPECT_EQ(Narrow(treeFullPath(&panel_, 2)), "/n101");
    EXPECT_TRUE(treeFullPath(&panel_, 500).empty());
}

// A tree-style panel's entries point at nodes: removing or moving nodes
// lists it again, so that it never shows a node that is gone.
TEST_F(TreeViewTest, ATreePanelFollowsNodesRemovedOrMoved) {
    CTree* tree = TreeSet.GetTree(L'/', 0x7ee);
    tree->MakeRoot(Westring(L"/"));
    for (const wchar_t* path : {L"/gone/below", L"/kept", L"/moved"}) ASSERT_NE(tree_node_for(tree, Westring(path)), nullptr);
    tree->Sort();
    PANEL& shown = panel_base[1];
    shown.detail = DETAIL_TREE;
    shown.page_size = 10;
    shown.tree.Attach(tree->root());
    treenodelist(&shown, tree->root());
    shown.top = 0;
    shown.cur = 4;  // the last line
    tree_remove_directory(Westring(L"/gone"));
    EXPECT_EQ(listed(shown), (std::vector<std::string>{"/", "kept", "moved"}));
    EXPECT_EQ(shown.top + shown.cur, 2);
    PANEL mover;
    mover.dir = L"/";
    mover.fs_id = 0x7ee;
    graft(&mover, Westring(L"/moved"), Westring(L"/kept/moved"));
    EXPECT_EQ(listed(shown), (std::vector<std::string>{"/", "kept", "moved"}));
    EXPECT_EQ(Narrow(treeFullPath(&shown, 2)), "/kept/moved");
    shown.FreeEntries();
    shown.tree.Detach();
    shown.detail = DETAIL_FULL;
    TreeSet.Clear();
}

}  // namespace
