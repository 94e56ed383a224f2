#include "panels/panel.h"

#include <cstring>

#include "config/config.h"
#include "console/console.h"
#include "lib/nls.h"
#include "panels/dirtree.h"
#include "panels/treeupdate.h"

PanelHooks panel_hooks;

namespace {
PANEL panel_pair[2];
}

PANEL* panel_base = panel_pair;
int currpanel = 0;

PANEL::PANEL() : files(new entry*[kInitialMaxFiles]), max_files(kInitialMaxFiles) {}

PANEL::~PANEL() {
    FreeEntries();
    delete[] files;
    // Without a console there is no screen to give the window's cells back
    // to; the window is dropped unrestored.
    if (!console) (void)window.release();
}

void PANEL::FreeEntries() {
    for (int i = 0; i < num_files; i++) entry::Destroy(files[i]);
    num_files = 0;
    num_tagged = 0;
    tagged_size = 0;
}

entry* PANEL::CurrentEntry() const {
    int index = top + cur;
    return index >= 0 && index < num_files ? files[index] : nullptr;
}

Westring PANEL::GetWD() const {
    if (!archive || !panel_hooks.archive_outer_file) return dir;
    Westring file = panel_hooks.archive_outer_file(this);
    int slash = file.rchr(L'/');
    if (slash < 0) return dir;
    return slash == 0 ? Westring(L"/") : file.left(slash);
}

// The program-wide set of directory trees holds the tree of the panel's
// file system; an archive has none.
bool PANEL::LoadTree() {
    // A tree attached from elsewhere, not one of the set's, stays.
    if (tree.Attached() && !TreeSet.Holds(tree.Root())) return true;
    CTree* found = panel_tree(this);
    if (found) tree.Attach(found->root());
    else tree.Detach();
    return tree.Attached();
}

bool PANEL::CheckTree() { return check_tree(this); }

bool PANEL::WriteTree() {
    CTree* found = panel_tree(this);
    return !found || !found->modified || found->Write();
}

PANEL* other_panel(const PANEL* panel) {
    if (panel == panel_base) return panel_base + 1;
    if (panel == panel_base + 1) return panel_base;
    return nullptr;
}

bool IncreaseMaxFiles(PANEL* panel) {
    if (panel->max_files > INT32_MAX / 2) return false;
    int32_t capacity = panel->max_files * 2;
    entry** grown = new entry*[capacity];
    std::memcpy(grown, panel->files, sizeof(entry*) * static_cast<size_t>(panel->num_files));
    delete[] panel->files;
    panel->files = grown;
    panel->max_files = capacity;
    return true;
}

void goto_fname(PANEL* panel, const wchar_t* name) {
    for (int i = 0; i < panel->num_files; i++) {
        if (fncompare(panel->files[i]->name, name) == 0) {
            panel->cur = i - panel->top;
            break;
        }
    }
    if (panel->cur < 0) {
        panel->top += panel->cur;
        panel->cur = 0;
    }
    // A panel that has not been laid out yet shows at least one entry.
    int page = panel->page_size > 0 ? panel->page_size : 1;
    if (panel->cur >= page) {
        panel->top = panel->top + panel->cur - page + 1;
        panel->cur = page - 1;
    }
}

namespace {

// Re-reads a file panel, or marks a hidden one; true when it was read.
bool refresh_one(PANEL* panel) {
    if (!panel->visible) {
        panel->reread = 1;
        return false;
    }
    if (panel->type == PANEL_INFO) return false;
    read_panel(panel);
    return true;
}

void paint(PANEL* panel) {
    if (panel_hooks.paint) panel_hooks.paint(panel);
}

}  // namespace

bool case_filtered(const PANEL* panel) {
    return !panel->fs_type.empty() && config.CaseFilter.instri(panel->fs_type) >= 0;
}

void panel_refresh() {
    PANEL* left = panel_base;
    PANEL* right = panel_base + 1;
    if (console) console->BeginPaint();
    if (left->visible && left->type == PANEL_INFO) {
        // The information panel follows the right panel's read.
        if (refresh_one(right)) paint(right);
    } else {
        if (refresh_one(left)) paint(left);
        if (refresh_one(right)) paint(right);
    }
    if (console) console->EndPaint();
}

void init_panel(PANEL* panel, int side) {
    const bool left = side == 0;
    panel->read_dir = panel->dir;
    panel->sort = left ? config.LeftSort : config.RightSort;
    panel->detail = left ? config.LeftStyle : config.RightStyle;
    panel->type = left ? config.LeftType : config.RightType;
    panel->filter = left ? config.LeftFilter : config.RightFilter;
    panel->visible = left ? config.LeftShowing : config.RightShowing;
    panel->page_size = config.panel_rows * (panel->detail == DETAIL_BRIEF ? 3 : 1);
    panel->name_shift_index = -1;

    // The first read is always a file list in the full style.
    const paneltype type = panel->type;
    const paneldetail detail = panel->detail;
    panel->type = PANEL_FILES;
    panel->detail = DETAIL_FULL;
    read_panel(panel);
    panel->type = type;
    panel->detail = detail;

    const bool tree_style = type == PANEL_FILES && detail == DETAIL_TREE;
    if (!tree_style && panel->visible && panel_hooks.show) panel_hooks.show(panel, side);
}
