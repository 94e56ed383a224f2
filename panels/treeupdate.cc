#include "panels/treeupdate.h"

#include <string_view>
#include <unordered_set>
#include <vector>

#include "config/panelenums.h"
#include "lib/pathparts.h"
#include "panels/dirtree.h"
#include "panels/panel.h"
#include "panels/treeview.h"

namespace {

std::wstring_view view(const Westring& text) { return std::wstring_view(text.c_str(), static_cast<size_t>(text.strlen())); }

Westring absolute(const PANEL* panel, const Westring& path) {
    if (path.strlen() > 0 && path[0] == L'/') return path;
    return panel->dir.AppendBackslash() + path;
}

Westring last_component(const Westring& path) {
    Westring trimmed = path;
    while (trimmed.strlen() > 1 && trimmed[trimmed.strlen() - 1] == L'/') trimmed = trimmed.left(trimmed.strlen() - 1);
    const int slash = trimmed.rchr(L'/');
    return slash < 0 ? trimmed : Westring(trimmed.c_str() + slash + 1);
}

Westring parent_of(const Westring& path) {
    const int slash = path.rchr(L'/');
    if (slash <= 0) return Westring(L"/");
    return path.left(slash);
}

void add_first_child(TREENODE* parent, TREENODE* node) {
    node->parent = parent;
    node->next = parent->child;
    parent->child = node;
    RenumberTreeDepths(node);
}

bool descends_from(const TREENODE* node, const TREENODE* ancestor) {
    for (; node; node = node->parent)
        if (node == ancestor) return true;
    return false;
}

}  // namespace

CTree* panel_tree(const PANEL* panel) {
    if (!panel || panel->archive || panel->dir.strlen() == 0 || panel->dir[0] != L'/') return nullptr;
    return TreeSet.GetTree(L'/', panel->fs_id);
}

bool check_tree(PANEL* panel) {
    if (panel->type != PANEL_FILES || panel->detail == DETAIL_TREE) return false;
    CTree* tree = panel_tree(panel);
    TREENODE* node = tree ? tree->Find(panel->dir, false) : nullptr;
    if (!node) return false;

    std::unordered_set<std::wstring_view> found;
    found.reserve(static_cast<size_t>(panel->subdirs.count()));
    for (int i = 0; i < panel->subdirs.count(); i++) found.insert(view(*panel->subdirs.At(i)));

    bool changed = false;
    std::unordered_set<std::wstring_view> known;
    for (TREENODE** link = &node->child; *link;) {
        TREENODE* child = *link;
        if (found.count(view(child->name)) && known.insert(view(child->name)).second) {
            link = &child->next;
            continue;
        }
        // Gone from the disk (or a second node of one name).
        *link = child->next;
        child->next = nullptr;
        delete child;
        changed = true;
    }
    for (int i = 0; i < panel->subdirs.count(); i++) {
        const Westring& name = *panel->subdirs.At(i);
        if (known.count(view(name))) continue;
        add_first_child(node, NewTreeNode(name, node));
        known.insert(view(node->child->name));
        changed = true;
    }
    if (changed) {
        relist_tree_panels(tree->root());
        node->size = TREENODE::kUnknownSize;
        tree->modified = true;
        (void)tree->Write();  // a failure was reported; the tree in memory stays
    }
    return changed;
}

TREENODE* tree_node_for(CTree* tree, const Westring& path) {
    // Climb to the nearest ancestor the tree knows, then add the rest.
    std::vector<Westring> missing;
    Westring at = path;
    TREENODE* node = nullptr;
    while (!(node = tree->Find(at, false))) {
        if (at.strlen() <= 1) return nullptr;
        missing.push_back(last_component(at));
        at = parent_of(at);
    }
    for (auto name = missing.rbegin(); name != missing.rend(); ++name) {
        add_first_child(node, NewTreeNode(*name, node));
        node->size = TREENODE::kUnknownSize;
        node = node->child;
    }
    if (!missing.empty()) tree->modified = true;
    return node;
}

void tree_add_directory(PANEL* panel, const Westring& path) {
    CTree* tree = panel_tree(panel);
    if (tree) (void)tree_node_for(tree, absolute(panel, path));
}

void tree_remove_directory(const Westring& path) {
    TreeSet.ForEach([&path](CTree& tree) {
        TREENODE* node = tree.Find(path, false);
        if (!node || !node->parent) return;
        node->parent->size = TREENODE::kUnknownSize;
        UnlinkTreeNode(node);
        delete node;
        tree.modified = true;
        relist_tree_panels(tree.root());
    });
}

void graft(PANEL* panel, const Westring& old_path, const Westring& new_path) {
    const PANEL* owner = panel->detail == DETAIL_TREE && other_panel(panel) ? other_panel(panel) : panel;
    CTree* tree = panel_tree(owner);
    if (!tree) return;
    const Westring from = absolute(owner, old_path);
    const Westring to = absolute(owner, new_path);
    TREENODE* old_node = tree->Find(from, false);
    if (!old_node || !old_node->parent || SameChars(from, to)) return;
    TREENODE* new_node = tree->Find(to, false);
    if (new_node == old_node || (new_node && descends_from(new_node, old_node))) return;
    TREENODE* destination = new_node;
    if (!destination) {
        // Renamed, or moved under another known directory.
        destination = tree->Find(parent_of(to), false);
        old_node->name = last_component(to);
    }
    old_node->parent->size = TREENODE::kUnknownSize;
    UnlinkTreeNode(old_node);
    tree->modified = true;
    if (!destination || descends_from(destination, old_node)) {
        delete old_node;
    } else {
        destination->size = TREENODE::kUnknownSize;
        add_first_child(destination, old_node);
    }
    relist_tree_panels(tree->root());
}
