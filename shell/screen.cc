#include "shell/screen.h"

#include "config/config.h"
#include "console/console.h"
#include "lib/version.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"
#include "panels/sortpanel.h"
#include "shell/clock.h"
#include "shell/keybar.h"

const wchar_t* const kProgramTitle = kProgramNameAndVersion;

namespace {

void before_resize() {
    delete_key_bar();
    hide_clock();
}

void after_resize() {
    get_screen_size();
    create_key_bar();
}

}  // namespace

void install_resize_hooks() {
    console_hooks.before_resize = before_resize;
    console_hooks.after_resize = after_resize;
}

void get_screen_size() {
    int columns = config.screen_columns, rows = config.screen_rows;
    if (console) console->GetSize(columns, rows);
    config.screen_columns = columns;
    config.screen_rows = rows;
    config.panel_rows = config.FullScreen ? rows - 6 : rows - (rows / 2 + 2);
    if (config.panel_rows < 1) config.panel_rows = 1;
}

void set_title(const wchar_t* text) {
    if (!console) return;
    if (!text) {
        console->SetTitle(kProgramTitle);
        return;
    }
    Westring title = Westring(L"DV/L: ") + text;
    console->SetTitle(title.c_str());
}

void change_lines() {
    hide_clock();
    for (int side = 0; side < 2; side++) {
        PANEL* panel = panel_base + side;
        if (panel->visible) panel->window.reset();
        else panel->changed = 1;
    }
    set_lines(config.screen_rows, config.screen_columns);
    get_screen_size();
    for (int side = 0; side < 2; side++)
        if (panel_base[side].visible) make_panel(panel_base + side, side);
    if (panel_base[currpanel].visible) make_curr(panel_base, currpanel);
}

void refit_screen(int columns, int rows) {
    if (columns == config.screen_columns && rows == config.screen_rows) return;
    config.screen_columns = columns;
    config.screen_rows = rows;
    change_lines();
    // A dialog may be open: the main loop draws the rest when it closes.
    draw_key_bar(alt_on & 7);
}

int ega_rows(int rows, int lines) {
    if (rows == 25) return lines >= 26 && lines <= 50 ? lines : 50;
    if (rows == 50) return lines > 50 ? lines : 25;
    return rows < 50 ? 50 : 25;
}

void ega_lines() {
    config.screen_rows = ega_rows(config.screen_rows, config.Lines);
    change_lines();
}

int switch_columns(int columns, int setting) {
    if (columns == 80) return 132;
    if (columns == 132) return setting >= 81 && setting != 132 ? setting : 80;
    return 80;
}

void switch_width() {
    config.screen_columns = switch_columns(config.screen_columns, config.Columns);
    change_lines();
}

void hide_panels(PANEL* panels) {
    PANEL* left = panels;
    PANEL* right = panels + 1;
    if (!left->visible && !right->visible) {
        const bool both_were_hidden = left->was_hidden && right->was_hidden;
        for (int side = 0; side < 2; side++) {
            PANEL* panel = panels + side;
            if (both_were_hidden || !panel->was_hidden) make_panel(panel, side);
        }
        if (console) console->ResetSelectionZone();
        if (panels[currpanel].visible) make_curr(panels, currpanel);
        else if (panels[1 - currpanel].visible) make_curr(panels, 1 - currpanel);
        return;
    }
    for (int side = 0; side < 2; side++) {
        PANEL* panel = panels + side;
        panel->was_hidden = !panel->visible;
        if (panel->visible) remove_panel(panel);
    }
    if (console) console->SetSelectionZone(0, 0, console->columns(), console->rows() - 2);
}

void toggle_panel(int side) {
    PANEL* panel = panel_base + side;
    if (panel->visible) {
        remove_panel(panel);
    } else {
        make_panel(panel, side);
        if (console) console->ResetSelectionZone();
    }
}

sortby next_sort(sortby present, int order) {
    if (order < 5) return static_cast<sortby>(order);
    int value = present;
    value = value >= 5 ? value - 5 : value + 5;
    return static_cast<sortby>(value);
}

void set_sort(PANEL* panel, sortby sort) {
    panel->sort = sort;
    (panel == panel_base ? config.LeftSort : config.RightSort) = sort;
    entry* current = panel->CurrentEntry();
    Westring name = current ? Westring(current->name) : Westring();
    if (panel->detail != DETAIL_TREE) {
        if (sort == SORT_UNSORTED || sort == SORT_RUNSORTED) {
            read_panel(panel);
        } else {
            sort_panel(panel);
            if (!name.empty()) goto_fname(panel, name.c_str());
        }
    }
    paint_panel(panel);
}

void SetFilesPanelDetail(PANEL* panel, paneldetail detail, int side) {
    if (panel->type == PANEL_FILES && panel->detail == detail) return;
    const bool tree_change = (panel->detail == DETAIL_TREE) != (detail == DETAIL_TREE);
    const bool was_info = panel->type != PANEL_FILES;
    panel->type = PANEL_FILES;
    panel->detail = detail;
    if (tree_change || was_info) panel->reread = 1;
    make_panel(panel, side);
    make_curr(panel_base, currpanel);
}

void full_screen() {
    hide_clock();
    for (int side = 0; side < 2; side++) {
        PANEL* panel = panel_base + side;
        panel->window.reset();
        if (!panel->visible) panel->reread = 1;
    }
    config.FullScreen = !config.FullScreen;
    get_screen_size();
    remake_panels();
}

void remake_panels() {
    for (int side = 0; side < 2; side++)
        if (panel_base[side].visible) make_panel(panel_base + side, side);
    if (panel_base[currpanel].visible) make_curr(panel_base, currpanel);
}

void store_panel_state() {
    PANEL* left = panel_base;
    PANEL* right = panel_base + 1;
    config.LeftShowing = left->visible;
    config.RightShowing = right->visible;
    config.LeftStyle = left->detail == DETAIL_TREE ? config.LeftStyle : left->detail;
    config.RightStyle = right->detail == DETAIL_TREE ? config.RightStyle : right->detail;
    config.LeftType = left->type;
    config.RightType = right->type;
    config.LeftFilter = left->filter;
    config.RightFilter = right->filter;
}
