#include "tools/treehooks.h"

#include <sys/stat.h>

#include "config/panelenums.h"
#include "fileops/hooks.h"
#include "fileops/resolvepath.h"
#include "lib/fsname.h"
#include "panels/panel.h"
#include "panels/treeupdate.h"
#include "panels/treeview.h"
#include "tools/treewindow.h"

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

// The file system of path, or of its nearest ancestor that exists (a
// destination is often a name still to be made); false when none does.
bool file_system_of(Westring path, uint32_t& fs_id) {
    for (;;) {
        struct stat st;
        if (::stat(EncodeFileName(path).c_str(), &st) == 0) {
            fs_id = static_cast<uint32_t>(st.st_dev);
            return true;
        }
        if (path.strlen() <= 1) return false;
        path = dir_part(path);
    }
}

bool has_tree(const PANEL* panel) {
    return panel && panel->type == PANEL_FILES && panel->detail != DETAIL_TREE && panel_tree(panel);
}

// The panel whose tree the picker shows for path: the one on path's file
// system, the other panel first since a destination usually lies there;
// failing that whichever panel has a tree.
PANEL* panel_for(const Westring& path) {
    PANEL* current = panel_base + currpanel;
    PANEL* other = other_panel(current);
    uint32_t fs_id = 0;
    if (file_system_of(path, fs_id)) {
        for (PANEL* panel : {other, current})
            if (has_tree(panel) && panel->fs_id == fs_id) return panel;
    }
    for (PANEL* panel : {other, current})
        if (has_tree(panel)) return panel;
    return nullptr;
}

// F10 in the copy dialogs: the tree window over the destination's file
// system, the cursor on the destination, and the directory chosen put in
// the field with a "/" after it.
bool pick_from_tree(Westring& field, int height) {
    if (!panel_base) return false;
    const PANEL* current = panel_base + currpanel;
    Westring destination = field.trim();
    if (destination.empty() || ResolvePath(destination, current->dir.c_str()) != 0) destination = Westring();
    PANEL* panel = panel_for(destination.empty() ? current->dir : destination);
    if (!panel) return false;
    Westring chosen;
    if (tree_popup(panel, chosen, 70, height, destination) != 0) return false;
    field = chosen.AppendBackslash();
    return true;
}

}  // namespace

void InstallTreeHooks() {
    saved = fileops_hooks;
    fileops_hooks.tree_add = add;
    fileops_hooks.tree_remove = remove;
    fileops_hooks.tree_graft = moved;
    fileops_hooks.tree_cursor_path = cursor_path;
    fileops_hooks.tree_pick = pick_from_tree;
    saved_read_tree = panel_hooks.read_tree;
    panel_hooks.read_tree = read_tree;
}

void RestoreTreeHooks() {
    fileops_hooks.tree_add = saved.tree_add;
    fileops_hooks.tree_remove = saved.tree_remove;
    fileops_hooks.tree_graft = saved.tree_graft;
    fileops_hooks.tree_cursor_path = saved.tree_cursor_path;
    fileops_hooks.tree_pick = saved.tree_pick;
    panel_hooks.read_tree = saved_read_tree;
}
