#include "shell/treekeys.h"

#include "config/panelenums.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"
#include "shell/mainloop.h"
#include "shell/panelaccess.h"
#include "tools/dirsize.h"
#include "tools/treewindow.h"

void calculate_dir_size(CMainLoop& loop, int, _MEVENT&) {
    PANEL* panel = current_panel();
    if (!panel || panel->type != PANEL_FILES || panel->detail == DETAIL_TREE) return;
    // Esc leaves the sizes counted before it as they were.
    (void)du(panel, false);
    // A tree style opposite shows the new sizes at its next read.
    PANEL* other = other_panel(panel);
    if (other && other->visible && other->detail == DETAIL_TREE) other->reread = 1;
    paint_panel(panel);
    print_status(panel);
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

void tree_window(CMainLoop& loop, int, _MEVENT&) {
    PANEL* panel = directory_target();
    if (!panel || panel->archive) return;
    Westring chosen;
    const int result = tree_popup(panel, chosen, 36);
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
    if (result == 0) change_to(panel, chosen);
    loop.ShowCursorAgain();
}
