#include "fileops/selection.h"

#include "panels/panel.h"
#include "panels/paneldisplay.h"

void restore_selection(PANEL* panel) {
    if (!panel || panel->type != PANEL_FILES || panel->detail == DETAIL_TREE) return;
    for (int i = 0; i < panel->num_files; i++) {
        entry* e = panel->files[i];
        if (static_cast<bool>(e->tagged) != static_cast<bool>(e->done)) tag(panel, i, e->done ? 1 : -1);
    }
}
