#include "panels/treeview.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "config/panelenums.h"
#include "console/cells.h"
#include "console/console.h"
#include "console/win.h"
#include "lib/estring.h"
#include "panels/dirtree.h"
#include "panels/entry.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"
#include "panels/treeupdate.h"

namespace {

// The panel whose file system a tree-style panel shows.
PANEL* tree_source(PANEL* panel) {
    PANEL* other = other_panel(panel);
    return other && other->detail != DETAIL_TREE && !other->archive ? other : panel;
}

bool append_entry(PANEL* panel, TREENODE* node, uint64_t mask) {
    if (panel->num_files == panel->max_files && !IncreaseMaxFiles(panel)) return false;
    entry* e = entry::Create(node->name.c_str());
    e->attr = FA_DIREC;
    e->size = mask;
    e->size_known = static_cast<uint8_t>(node->depth);
    e->sort_class = 'A';
    set_entry_tree_node(e, node);
    panel->files[panel->num_files++] = e;
    return true;
}

}  // namespace

void treenodelist(PANEL* panel, TREENODE* root) {
    panel->FreeEntries();
    if (!root) return;
    // Nodes to list, each with the mask of its ancestors' bits.
    std::vector<std::pair<TREENODE*, uint64_t>> stack{{root, 0}};
    std::vector<TREENODE*> children;
    while (!stack.empty()) {
        auto [node, above] = stack.back();
        stack.pop_back();
        const int depth = node->depth;
        const uint64_t own = node->next && depth > 0 ? uint64_t(1) << depth : 0;
        const uint64_t mask = above | own;
        if (!append_entry(panel, node, mask)) return;
        if (!(node->expanded || depth == 0) || depth >= kMaxShownTreeDepth) continue;
        children.clear();
        for (TREENODE* c = node->child; c; c = c->next) children.push_back(c);
        for (auto c = children.rbegin(); c != children.rend(); ++c) stack.emplace_back(*c, mask);
    }
}

void expand_branch(TREENODE* node, bool expand, bool whole) {
    if (!node) return;
    node->expanded = expand || node->depth == 0;
    if (!whole) return;
    std::vector<TREENODE*> stack;
    for (TREENODE* c = node->child; c; c = c->next) stack.push_back(c);
    while (!stack.empty()) {
        TREENODE* n = stack.back();
        stack.pop_back();
        n->expanded = expand;
        for (TREENODE* c = n->child; c; c = c->next) stack.push_back(c);
    }
}

void position_tree(PANEL* tree_panel, TREENODE* root, TREENODE* node, int rows) {
    for (TREENODE* up = node ? node->parent : nullptr; up; up = up->parent) up->expanded = 1;
    treenodelist(tree_panel, root);
    int line = 0;
    for (int i = 0; i < tree_panel->num_files; i++) {
        tree_panel->files[i]->tagged = 0;
        if (entry_tree_node(tree_panel->files[i]) == node) line = i;
    }
    if (tree_panel->num_files > 0) tree_panel->files[line]->tagged = 1;
    rows = std::max(rows, 1);
    int top = 0;
    if (tree_panel->num_files > rows) top = std::clamp(line - rows / 2, 0, tree_panel->num_files - rows);
    tree_panel->top = top;
    tree_panel->cur = line - top;
}

void relist_tree_panels(const TREENODE* root) {
    if (!panel_base || !root) return;
    for (int side = 0; side < 2; side++) {
        PANEL* panel = panel_base + side;
        if (panel->detail != DETAIL_TREE || panel->tree.Root() != root || panel->num_files == 0) continue;
        const int line = panel->top + panel->cur;
        treenodelist(panel, const_cast<TREENODE*>(root));
        const int last = std::max(panel->num_files - 1, 0);
        const int rows = std::max(panel->page_size, 1);
        const int at = std::min(line, last);
        panel->top = std::clamp(panel->top, 0, std::max(0, std::max(panel->num_files - rows, 0)));
        if (at < panel->top || at >= panel->top + rows) panel->top = std::max(0, at - rows / 2);
        panel->cur = at - panel->top;
    }
}

bool scan_tree(CTree* tree) {
    std::unique_ptr<Win> window;
    if (console) {
        window = std::make_unique<Win>(-1, -2, 24, 4, colours[CLR_MESSAGES], colours[CLR_MESSAGES]);
        window->PutCentre(0, L"Scanning directories");
    }
    // From the tree's own top: "/" for the disk's trees.
    const Westring top = tree->root() ? tree->root()->name : Westring(L"/");
    const bool done = tree->Scan(top, [&window](uint64_t count) {
        // The count is shown now and then: drawing costs more than a directory.
        if (window && count % 256 == 0) window->PutCentre(1, Westring(IntToStr(static_cast<int64_t>(count), 10)).c_str());
        return !console || !check_esc();
    });
    relist_tree_panels(tree->root());
    return done;
}

void read_tree(PANEL* panel) {
    PANEL* source = tree_source(panel);
    CTree* tree = panel_tree(source);
    if (!tree) {
        panel->FreeEntries();
        return;
    }
    if (!tree->valid || !tree->root()->child) {
        // Esc stops the scan: the panel then shows the lone root. A failed
        // write was reported and the tree stays in memory.
        (void)scan_tree(tree);
    }
    panel->tree.Attach(tree->root());
    position_tree(panel, tree->root(), tree->Find(source->dir, false), panel->page_size);
    panel->read_dir = panel->dir;
}

Westring treeFullPath(const PANEL* panel, int index) {
    if (index < 0 || index >= panel->num_files) return Westring();
    return tree_node_path(entry_tree_node(panel->files[index]));
}
