#include "shell/findkeys.h"

#include "console/keys.h"
#include "panels/panel.h"
#include "shell/mainloop.h"
#include "shell/panelaccess.h"
#include "tools/finddialog.h"

void find_files(CMainLoop& loop, int key, _MEVENT&) {
    findfile(directory_target(), key == KEY_SHIFT_ALT_F7);
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}
