#include "shell/casedatekeys.h"

#include "panels/panel.h"
#include "shell/mainloop.h"
#include "shell/panelaccess.h"
#include "tools/casedialog.h"
#include "tools/datedialog.h"

void change_file_case(CMainLoop& loop, int, _MEVENT&) {
    PANEL* panel = current_panel();
    if (file_list(panel) && ChangeCase(panel)) panel_refresh();
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

void change_file_dates(CMainLoop& loop) {
    PANEL* panel = current_panel();
    if (file_list(panel) && ChangeDate(panel)) panel_refresh();
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}
