#include "shell/menucommands.h"

#include "config/config.h"
#include "console/cells.h"
#include "console/dialog.h"
#include "console/keys.h"
#include "panels/paneldisplay.h"
#include "shell/clock.h"
#include "shell/configdialog.h"
#include "shell/configsave.h"
#include "shell/filecommands.h"
#include "shell/mainloop.h"
#include "shell/panelaccess.h"
#include "shell/screen.h"

namespace {

void sort_command(int side, int order) {
    PANEL* panel = panel_base + side;
    set_sort(panel, next_sort(panel->sort, order));
}

void style_command(CMainLoop& loop, int side, paneldetail detail) {
    SetFilesPanelDetail(panel_base + side, detail, side);
    loop.ShowCursorAgain();
}

void filter_command(int side) {
    if (edit_filter(side)) reread_and_paint(panel_base + side);
}

void toggle_clock() {
    config.Clock = !config.Clock;
    if (config.Clock) return;
    hide_clock();
    if (!panel_base[1].visible && console) {
        int columns = console->columns();
        console->Clear(columns - 10, 0, 10, 1, colours[CLR_COMMAND_LINE]);
    }
}

}  // namespace

bool RunMenuCommand(CMainLoop& loop, int key) {
    const int code = key & ~KEY_MENU;
    if (code >= MENU_LEFT_SORT_NAME && code <= MENU_LEFT_SORT_REVERSE) {
        sort_command(0, code - MENU_LEFT_SORT_NAME);
    } else if (code >= MENU_RIGHT_SORT_NAME && code <= MENU_RIGHT_SORT_REVERSE) {
        sort_command(1, code - MENU_RIGHT_SORT_NAME);
    } else {
        switch (code) {
        case MENU_LEFT_BRIEF: style_command(loop, 0, DETAIL_BRIEF); break;
        case MENU_RIGHT_BRIEF: style_command(loop, 1, DETAIL_BRIEF); break;
        case MENU_LEFT_FULL: style_command(loop, 0, DETAIL_FULL); break;
        case MENU_RIGHT_FULL: style_command(loop, 1, DETAIL_FULL); break;
        case MENU_LEFT_WIDE: style_command(loop, 0, DETAIL_WIDE); break;
        case MENU_RIGHT_WIDE: style_command(loop, 1, DETAIL_WIDE); break;
        case MENU_LEFT_BRIEFWIDE: style_command(loop, 0, DETAIL_BRIEFWIDE); break;
        case MENU_RIGHT_BRIEFWIDE: style_command(loop, 1, DETAIL_BRIEFWIDE); break;
        case MENU_LEFT_UNIX: style_command(loop, 0, DETAIL_UNIX); break;
        case MENU_RIGHT_UNIX: style_command(loop, 1, DETAIL_UNIX); break;
        case MENU_LEFT_FILTER: filter_command(0); break;
        case MENU_RIGHT_FILTER: filter_command(1); break;
        case MENU_LEFT_REREAD: reread_and_paint(panel_base); break;
        case MENU_RIGHT_REREAD: reread_and_paint(panel_base + 1); break;
        case MENU_CONFIGURATION:
            // Cancelled or not, the screen is drawn again below.
            static_cast<void>(edit_config());
            break;
        case MENU_COLOURS:
            if (change_colours() == 0) remake_panels();
            break;
        case MENU_TOGGLE_HIDDEN: toggle_hidden(); break;
        case MENU_TOGGLE_PATH_PROMPT: config.PathPrompt = !config.PathPrompt; break;
        case MENU_TOGGLE_FULL_SCREEN: full_screen(); break;
        case MENU_TOGGLE_CLOCK: toggle_clock(); break;
        case MENU_TOGGLE_TAG_DIRS: config.TagDirs = !config.TagDirs; break;
        case MENU_RESTORE_SELECTION: {
            _MEVENT none;
            restore_last_selection(loop, key, none);
            break;
        }
        case MENU_SAVE_SETTINGS:
            // A failure has been shown to the user; the settings stay in use.
            static_cast<void>(save_config());
            break;
        case MENU_TOGGLE_THOUSAND_SEP:
            config.ThousandSep = !config.ThousandSep;
            for (int side = 0; side < 2; side++) paint_panel(panel_base + side);
            break;
        case MENU_TOGGLE_RETAIN_COUNT:
            config.RetainCount = !config.RetainCount;
            panel_refresh();
            break;
        default: return false;
        }
    }
    loop.ShowCursorAgain();
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
    return true;
}
