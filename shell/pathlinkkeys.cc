#include "shell/pathlinkkeys.h"

#include "panels/panel.h"
#include "shell/mainloop.h"
#include "shell/panelaccess.h"
#include "tools/makelink.h"
#include "tools/storedpaths.h"

void stored_paths(CMainLoop& loop, int, _MEVENT&) {
    PANEL* panel = directory_target();
    if (!panel->visible) return;
    (void)storepop(panel);
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

void make_symbolic_links(CMainLoop& loop, int, _MEVENT&) {
    PANEL* panel = current_panel();
    if (!file_list(panel) || panel->type != PANEL_FILES || panel->archive) return;
    // The links go to the other panel's directory unless it lists no files
    // of a real directory; then they stay beside their targets.
    const PANEL* other = other_side_panel();
    const bool other_usable = other->visible && other->type == PANEL_FILES && !other->archive;
    MakeSymLinks(panel, other_usable ? other->dir : panel->dir);
    loop.ShowCursorAgain();
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}
