#include "shell/menucommands.h"

#include "config/config.h"
#include "console/cells.h"
#include "console/dialog.h"
#include "console/keys.h"
#include "panels/infopanel.h"
#include "panels/paneldisplay.h"
#include "shell/casedatekeys.h"
#include "shell/clock.h"
#include "shell/configdialog.h"
#include "shell/configread.h"
#include "shell/configsave.h"
#include "shell/confirmdialog.h"
#include "shell/editfile.h"
#include "shell/filecommands.h"
#include "shell/inifile.h"
#include "shell/mainloop.h"
#include "shell/panelaccess.h"
#include "shell/progfiles.h"
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

void tag_command(int code) {
    PANEL* panel = current_panel();
    if (!file_list(panel)) return;
    const int shift = static_cast<int>(lastShiftState);
    if (code == MENU_SELECT_GROUP) wild_tag(panel, 1, shift);
    else if (code == MENU_UNSELECT_GROUP) wild_tag(panel, -1, shift);
    else tag_all(panel, 0, shift);
}

// Edits one of the program's own files in its editor.
void edit_program_file(const Westring& name) { static_cast<void>(internal_editor(name.c_str(), 0, 0)); }

// The configuration file in use (where the associations are kept), read
// again afterwards.
void edit_associations() {
    edit_program_file(decide_ini_file(1));
    configure(true);
    panel_refresh();
}

using Command = void (*)(CMainLoop& loop, int code);

struct MenuCommandEntry {
    int code;
    Command run;
};

// The commands by code; the sort codes are ranges handled before the table.
const MenuCommandEntry kCommands[] = {
    {MENU_LEFT_BRIEF, [](CMainLoop& loop, int) { style_command(loop, 0, DETAIL_BRIEF); }},
    {MENU_RIGHT_BRIEF, [](CMainLoop& loop, int) { style_command(loop, 1, DETAIL_BRIEF); }},
    {MENU_LEFT_FULL, [](CMainLoop& loop, int) { style_command(loop, 0, DETAIL_FULL); }},
    {MENU_RIGHT_FULL, [](CMainLoop& loop, int) { style_command(loop, 1, DETAIL_FULL); }},
    {MENU_LEFT_WIDE, [](CMainLoop& loop, int) { style_command(loop, 0, DETAIL_WIDE); }},
    {MENU_RIGHT_WIDE, [](CMainLoop& loop, int) { style_command(loop, 1, DETAIL_WIDE); }},
    {MENU_LEFT_BRIEFWIDE, [](CMainLoop& loop, int) { style_command(loop, 0, DETAIL_BRIEFWIDE); }},
    {MENU_RIGHT_BRIEFWIDE, [](CMainLoop& loop, int) { style_command(loop, 1, DETAIL_BRIEFWIDE); }},
    {MENU_LEFT_UNIX, [](CMainLoop& loop, int) { style_command(loop, 0, DETAIL_UNIX); }},
    {MENU_RIGHT_UNIX, [](CMainLoop& loop, int) { style_command(loop, 1, DETAIL_UNIX); }},
    {MENU_LEFT_TREE, [](CMainLoop& loop, int) { style_command(loop, 0, DETAIL_TREE); }},
    {MENU_RIGHT_TREE, [](CMainLoop& loop, int) { style_command(loop, 1, DETAIL_TREE); }},
    // The information panel takes the place of the menu's own panel.
    {MENU_LEFT_INFO, [](CMainLoop&, int) { info_panel(panel_base, 1); }},
    {MENU_RIGHT_INFO, [](CMainLoop&, int) { info_panel(panel_base, 0); }},
    {MENU_LEFT_FILTER, [](CMainLoop&, int) { filter_command(0); }},
    {MENU_RIGHT_FILTER, [](CMainLoop&, int) { filter_command(1); }},
    {MENU_LEFT_REREAD, [](CMainLoop&, int) { reread_and_paint(panel_base); }},
    {MENU_RIGHT_REREAD, [](CMainLoop&, int) { reread_and_paint(panel_base + 1); }},
    {MENU_SELECT_GROUP, [](CMainLoop&, int code) { tag_command(code); }},
    {MENU_UNSELECT_GROUP, [](CMainLoop&, int code) { tag_command(code); }},
    {MENU_INVERT_SELECTION, [](CMainLoop&, int code) { tag_command(code); }},
    {MENU_RESTORE_SELECTION,
     [](CMainLoop& loop, int) {
         _MEVENT none;
         restore_last_selection(loop, KEY_ALT_GREY_PLUS, none);
     }},
    {MENU_FILE_DATES, [](CMainLoop& loop, int) { change_file_dates(loop); }},
    {MENU_EDIT_ASSOCIATIONS, [](CMainLoop&, int) { edit_associations(); }},
    {MENU_EDIT_USER_MENU, [](CMainLoop&, int) { edit_program_file(DVFilename(DV_USER_MENU)); }},
    // Cancelled or not, the screen is drawn again afterwards.
    {MENU_CONFIGURATION, [](CMainLoop&, int) { static_cast<void>(edit_config()); }},
    {MENU_COLOURS,
     [](CMainLoop&, int) {
         if (change_colours() == 0) remake_panels();
     }},
    {MENU_CONFIRMATIONS, [](CMainLoop&, int) { edit_confirmations(); }},
    {MENU_TOGGLE_HIDDEN, [](CMainLoop&, int) { toggle_hidden(); }},
    {MENU_TOGGLE_PATH_PROMPT, [](CMainLoop&, int) { config.PathPrompt = !config.PathPrompt; }},
    {MENU_TOGGLE_FULL_SCREEN, [](CMainLoop&, int) { full_screen(); }},
    {MENU_TOGGLE_CLOCK, [](CMainLoop&, int) { toggle_clock(); }},
    {MENU_TOGGLE_TAG_DIRS, [](CMainLoop&, int) { config.TagDirs = !config.TagDirs; }},
    // A failure has been shown to the user; the settings stay in use.
    {MENU_SAVE_SETTINGS, [](CMainLoop&, int) { static_cast<void>(save_config()); }},
    {MENU_TOGGLE_THOUSAND_SEP,
     [](CMainLoop&, int) {
         config.ThousandSep = !config.ThousandSep;
         for (int side = 0; side < 2; side++) paint_panel(panel_base + side);
     }},
    {MENU_TOGGLE_RETAIN_COUNT,
     [](CMainLoop&, int) {
         config.RetainCount = !config.RetainCount;
         panel_refresh();
     }},
};

bool is_sort_code(int code) { return code >= MENU_LEFT_SORT_NAME && code <= MENU_RIGHT_SORT_REVERSE; }

const MenuCommandEntry* find_command(int code) {
    for (const MenuCommandEntry& entry : kCommands)
        if (entry.code == code) return &entry;
    return nullptr;
}

}  // namespace

bool HasMenuCommand(int key) {
    const int code = key & ~KEY_MENU;
    return (key & KEY_MENU) && (is_sort_code(code) || find_command(code));
}

bool RunMenuCommand(CMainLoop& loop, int key) {
    const int code = key & ~KEY_MENU;
    if (is_sort_code(code)) {
        const int side = code >= MENU_RIGHT_SORT_NAME ? 1 : 0;
        sort_command(side, code - (side ? MENU_RIGHT_SORT_NAME : MENU_LEFT_SORT_NAME));
    } else if (const MenuCommandEntry* command = find_command(code)) {
        command->run(loop, code);
    } else {
        return false;
    }
    loop.ShowCursorAgain();
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
    return true;
}

