#include "shell/synckeys.h"

#include "panels/panel.h"
#include "shell/mainloop.h"
#include "shell/panelaccess.h"
#include "tools/syncdialog.h"

namespace {

// Only ordinary directories on both sides: an archive or a tree has no
// files to copy into or delete from.
bool plain_directory(const PANEL* panel) {
    return panel && file_list(panel) && panel->type == PANEL_FILES && !panel->archive;
}

}  // namespace

void synchronize_panels(CMainLoop& loop, int, _MEVENT&) {
    PANEL* source = current_panel();
    PANEL* target = other_side_panel();
    if (!plain_directory(source) || !plain_directory(target)) return;
    if (SynchronizeDirectories(source->dir, target->dir)) panel_refresh();
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}
