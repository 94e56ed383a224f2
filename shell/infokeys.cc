#include "shell/infokeys.h"

#include "config/config.h"
#include "console/keys.h"
#include "panels/infopanel.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"
#include "shell/editfile.h"
#include "shell/mainloop.h"
#include "shell/panelaccess.h"

void toggle_info_panel(CMainLoop& loop, int, _MEVENT&) {
    // info_panel switches the panel opposite the side it is given.
    const int side = current_panel()->type == PANEL_INFO ? 1 - currpanel : currpanel;
    info_panel(panel_base, side);
    loop.ShowCursorAgain();
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

bool info_panel_double_click(CMainLoop& loop, _MEVENT& event) {
    if (event.kind != _MEVENT::LeftDouble || !console) return false;
    const int side = event.x < console->columns() / 2 ? 0 : 1;
    PANEL* panel = panel_base + side;
    if (!panel->visible || panel->type != PANEL_INFO || panel->dirinfo_row < 0) return false;
    // The window's inner rows start below the frame on screen row 0 and
    // end above the bottom frame line.
    const int row = event.y - 1;
    if (row <= panel->dirinfo_row || row > config.panel_rows + 1) return false;
    if (side != currpanel) make_curr(panel_base, side);
    edit_cursor_file(loop, KEY_F4, event);
    return true;
}
