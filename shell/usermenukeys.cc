#include "shell/usermenukeys.h"

#include "console/keys.h"
#include "shell/mainloop.h"
#include "shell/panelaccess.h"
#include "shell/progfiles.h"
#include "tools/usermenu.h"

void show_user_menu(CMainLoop& loop, int key, _MEVENT&) {
    // Named afresh each time: the settings file, which the menu file's name
    // follows, may change while the program runs.
    SetUserMenuFile(DVFilename(DV_USER_MENU));
    // A tree or an information panel has no files of its own: the commands
    // work on the other panel, as typed commands do.
    user_menu(static_cast<int>(directory_target() - panel_base), key == KEY_SHIFT_F2);
    loop.ShowCursorAgain();
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}
