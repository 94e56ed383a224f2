// Exchanging the left and the right panel.
#include <utility>

#include "console/console.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"

namespace {

// Every field of the two records changes place; the collections exchange
// their item arrays. A field added to PANEL belongs here too.
void swap_records(PANEL& a, PANEL& b) {
    using std::swap;
    swap(a.dir, b.dir);
    swap(a.read_dir, b.read_dir);
    swap(a.read_pos, b.read_pos);
    swap(a.prev_dir, b.prev_dir);
    swap(a.prev_pos, b.prev_pos);
    swap(a.cur, b.cur);
    swap(a.top, b.top);
    swap(a.visible, b.visible);
    swap(a.reread, b.reread);
    swap(a.changed, b.changed);
    swap(a.was_hidden, b.was_hidden);
    swap(a.window, b.window);
    a.positions.Swap(b.positions);
    swap(a.files, b.files);
    swap(a.max_files, b.max_files);
    swap(a.num_files, b.num_files);
    swap(a.num_tagged, b.num_tagged);
    swap(a.tagged_size, b.tagged_size);
    swap(a.search, b.search);
    swap(a.sort, b.sort);
    swap(a.type, b.type);
    swap(a.detail, b.detail);
    swap(a.filter, b.filter);
    swap(a.page_size, b.page_size);
    swap(a.fs_type, b.fs_type);
    swap(a.fs_id, b.fs_id);
    swap(a.fs_label, b.fs_label);
    swap(a.mount_point, b.mount_point);
    swap(a.read_error, b.read_error);
    TREENODE* root = a.tree.Root();
    a.tree.Attach(b.tree.Root());
    b.tree.Attach(root);
    swap(a.archive, b.archive);
    swap(a.name_shift, b.name_shift);
    swap(a.name_shift_index, b.name_shift_index);
    a.subdirs.Swap(b.subdirs);
    swap(a.dirinfo_row, b.dirinfo_row);
    a.link_targets.Swap(b.link_targets);
}

}  // namespace

void swap_panels(PANEL* panels) {
    PANEL& left = panels[0];
    PANEL& right = panels[1];
    // The clock sits on the right panel's frame: off it before the windows go.
    if (panel_clock_hook && (left.visible || right.visible)) panel_clock_hook();
    if (console) console->BeginPaint();
    swap_records(left, right);
    if (console) {
        left.window.reset();
        right.window.reset();
    }
    if (left.visible) make_panel(&left, 0);
    if (right.visible) make_panel(&right, 1);
    if (console) console->EndPaint();
}
