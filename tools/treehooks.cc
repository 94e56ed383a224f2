#include "tools/treehooks.h"

#include "fileops/hooks.h"
#include "panels/treeupdate.h"

namespace {

FileOpsHooks saved;

void add(PANEL* panel, const Westring& path) { tree_add_directory(panel, path); }
void remove(const Westring& path) { tree_remove_directory(path); }
void moved(PANEL* panel, const Westring& from, const Westring& to) { graft(panel, from, to); }

}  // namespace

void InstallTreeHooks() {
    saved = fileops_hooks;
    fileops_hooks.tree_add = add;
    fileops_hooks.tree_remove = remove;
    fileops_hooks.tree_graft = moved;
}

void RestoreTreeHooks() {
    fileops_hooks.tree_add = saved.tree_add;
    fileops_hooks.tree_remove = saved.tree_remove;
    fileops_hooks.tree_graft = saved.tree_graft;
}
