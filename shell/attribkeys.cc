#include "shell/attribkeys.h"

#include "panels/panel.h"
#include "panels/paneldisplay.h"
#include "shell/mainloop.h"
#include "shell/panelaccess.h"
#include "tools/attribdialog.h"
#include "tools/fileinfodialog.h"

namespace {

// The path of the panel's cursor entry (the tree node's in the tree style),
// or empty when there is none or the panel shows an archive.
Westring cursor_path(const PANEL* panel) {
    if (!panel->visible || panel->type != PANEL_FILES || panel->archive) return Westring();
    entry* e = panel->CurrentEntry();
    if (!e) return Westring();
    if (panel->detail == DETAIL_TREE) {
        TREENODE* node = entry_tree_node(e);
        return node ? tree_node_path(node) : Westring();
    }
    Westring path = panel->dir;
    if (path.empty() || path[path.strlen() - 1] != L'/') path += L'/';
    return path + e->name;
}

}  // namespace

void change_attributes(CMainLoop& loop, int, _MEVENT&) {
    PANEL* panel = current_panel();
    if (!panel->visible || panel->type != PANEL_FILES) return;
    // Read again also after Cancel: files before the one cancelled at may
    // have changed, and the other panel may list the same files.
    (void)file_attrib(panel);
    reread_and_paint(panel);
    reread_and_paint(other_side_panel());
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

void show_file_information(CMainLoop& loop, int, _MEVENT&) {
    const Westring path = cursor_path(current_panel());
    if (path.empty()) return;
    FileInfo(path);
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}
