// The keys that arrange the screen: panels shown, hidden, swapped and
// styled, the screen size, mount points, the manual, saving the settings
// and quitting. Each is a key-table handler (shell/keytable.h).
#pragma once

#include "console/console.h"

class CMainLoop;

// Ctrl-O: hides both panels, or shows again those that were shown.
void toggle_panels(CMainLoop& loop, int key, _MEVENT& event);
// Ctrl-U: the panels change sides.
void swap_sides(CMainLoop& loop, int key, _MEVENT& event);
// Ctrl-P: shows or hides the other panel.
void toggle_other_panel(CMainLoop& loop, int key, _MEVENT& event);
// Ctrl-F1, Ctrl-F2: shows or hides the left or right panel.
void toggle_side_panel(CMainLoop& loop, int key, _MEVENT& event);
// Alt-F1, Alt-F2: a mount point for the left or right panel.
void choose_side_mount(CMainLoop& loop, int key, _MEVENT& event);
// Ctrl-M: a mount point for the current panel; with Shift, from all of them.
void choose_mount(CMainLoop& loop, int key, _MEVENT& event);
// Ctrl-B: the scroll-back of the commands' output, in a full-screen viewer.
void show_scrollback(CMainLoop& loop, int key, _MEVENT& event);
// Shift-F1: the manual in a web browser.
void show_manual(CMainLoop& loop, int key, _MEVENT& event);
// F9, Ctrl-N: the pull-down menu on the current panel's column; Shift-F10:
// where it was left. The chosen item is dispatched as a key.
void pull_down_menu(CMainLoop& loop, int key, _MEVENT& event);
// Shift-F9: writes the settings to the configuration file.
void save_settings(CMainLoop& loop, int key, _MEVENT& event);
// F10: quits, after asking unless the user switched that question off.
void quit(CMainLoop& loop, int key, _MEVENT& event);
// Alt-F9: switches between 25 and 50 (or the configured) rows.
void change_rows(CMainLoop& loop, int key, _MEVENT& event);
// Shift-Alt-F9: switches between 80 and 132 (or the configured) columns.
void change_width(CMainLoop& loop, int key, _MEVENT& event);
// The window was resized: the screen takes event.x columns by event.y rows
// and is laid out again.
void fit_to_window(CMainLoop& loop, int key, _MEVENT& event);
// Shift-Alt-F1 ... Shift-Alt-F5: the current panel's style, brief, full,
// wide, brief wide or unix.
void choose_style(CMainLoop& loop, int key, _MEVENT& event);
