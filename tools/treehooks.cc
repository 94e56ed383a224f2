#include "tools/treehooks.h"

#include "fileops/hooks.h"
#include "panels/panel.h"
#include "panels/treeupdate.h"
#include "panels/treeview.h"

namespace {

FileOpsHooks saved;
void (*saved_read_tree)(PANEL*) = nullptr;

void add(PANEL* panel, const Westring& path) { tree_add_directory(panel, path); }
void remove(const Westring& path) { tree_remove_directory(path); }
bool cursor_path(PANEL* panel, Westring& path) {
    path = treeFullPath(panel, panel->top + panel->cur);
    return !path.empty();
}
void moved(PANEL* panel, const Westring& from, const Westring& to) { graft(panel, from, to); }

}  // namespace

void InstallTreeHooks() {
    saved = fileops_hooks;
    fileops_hooks.tree_add = add;
    fileops_hooks.tree_remove = remove;
    fileops_hooks.tree_graft = moved;
    fileops_hooks.tree_cursor_path = cursor_path;
    saved_read_tree = panel_hooks.read_tree;
    panel_hooks.read_tree = read_tree;
}

void RestoreTreeHooks() {
    fileops_hooks.tree_add = saved.tree_add;
    fileops_hooks.tree_remove = saved.tree_remove;
    fileops_hooks.tree_graft = saved.tree_graft;
    fileops_hooks.tree_cursor_path = saved.tree_cursor_path;
    panel_hooks.read_tree = saved_read_tree;
}
