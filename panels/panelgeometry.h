// The sizes of a panel on the screen, shared by the drawing and navigation
// code: entry rows, half the screen width, inner width, and whether a panel
// can be drawn now.
#pragma once

#include "config/config.h"
#include "console/console.h"
#include "panels/panel.h"

// R: the entry rows of a panel (at least 1).
inline int panel_rows() { return config.panel_rows > 0 ? config.panel_rows : 1; }

inline int screen_width() {
    int columns = config.screen_columns, rows = 0;
    if (console) console->GetSize(columns, rows);
    return columns;
}

// The width of a panel window: half the screen.
inline int panel_width() { return screen_width() / 2; }

// W: the width inside the frame.
inline int panel_inner_width() {
    int w = panel_width() - 2;
    return w > 1 ? w : 1;
}

// Entries on one page of a style.
inline int page_size_of(paneldetail detail) {
    int rows = panel_rows();
    if (detail == DETAIL_BRIEF) return 3 * rows;
    if (detail == DETAIL_BRIEFWIDE) return 2 * rows;
    return rows;
}

// Whether the style shows names in columns filled one after the other.
inline bool is_brief(paneldetail detail) { return detail == DETAIL_BRIEF || detail == DETAIL_BRIEFWIDE; }

// 0 for the left panel, 1 for the right one (a panel outside the pair
// counts as left).
inline int side_of(const PANEL* panel) { return panel == panel_base + 1 ? 1 : 0; }

// Whether the panel is visible with a window on the screen.
inline bool panel_shown(const PANEL* panel) {
    return console && panel->visible && panel->window && !panel->window->hidden();
}

// Whether the panel lists files (not the information panel).
inline bool is_file_panel(const PANEL* panel) { return panel->type == PANEL_FILES; }

// Draws the panel's cursor entry highlighted or normal and its status line.
void draw_cursor(PANEL* panel, bool on);
// Sets the desktop window's title to the panel's directory.
void set_panel_title(const PANEL* panel);
