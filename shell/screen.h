// The screen's layout and the commands that change it: the size, the panels
// shown or hidden, their style and sort order, and the window title.
#pragma once

#include "config/config.h"
#include "lib/westring.h"

struct PANEL;

// The program's name and version, the window title when none is set.
extern const wchar_t* const kProgramTitle;

// Reads the console's size into the configuration and sets the panels'
// entry rows: rows - 6 with FullScreen, else rows - (rows / 2 + 2).
void get_screen_size();
// The window title: "DV/L: " and text, or the program's name and version
// when text is null.
void set_title(const wchar_t* text);
// Resizes the console to the size in the configuration: the clock goes, the
// visible panels' windows are destroyed and made again afterwards.
void change_lines();
// Gives the screen columns by rows cells and lays the program out on it
// again (the window was resized); nothing when that is the size already.
void refit_screen(int columns, int rows);
// Alt-F9: 25 rows become the Lines setting when it is 26 to 50 (else 50),
// 50 rows become Lines when above 50 (else 25), fewer than 50 other rows
// become 50, more than 50 become 25.
int ega_rows(int rows, int lines_setting);
void ega_lines();
// Shift-Alt-F9: 80 columns become 132, 132 become the Columns setting when
// it is at least 81 and not 132 (else 80), any other width 80.
int switch_columns(int columns, int columns_setting);
void switch_width();
// The panel commands of Ctrl-O: hides both panels, or shows again those
// that were shown before.
void hide_panels(PANEL* panels);
// Shows the panel of side when hidden, hides it when shown.
void toggle_panel(int side);
// Sorts the panel by sort (also the side's LeftSort or RightSort setting),
// keeping the cursor on its entry, and repaints it.
void set_sort(PANEL* panel, sortby sort);
// The sort a Ctrl-F3 ... Ctrl-F8 or menu sort command gives: order 0 to 4,
// or 5 reverses the present sort.
sortby next_sort(sortby present, int order);
// Makes the panel a file panel of style detail and shows it.
void SetFilesPanelDetail(PANEL* panel, paneldetail detail, int side);
// Toggles FullScreen and lays the panels out again.
void full_screen();
// Makes the visible panels again (after the colours or the layout changed).
void remake_panels();
// Copies the panels' visibility, style, type and filter into the settings.
void store_panel_state();
// Installs the console's resize hooks: the key bar is made again for the
// new size and the layout recomputed.
void install_resize_hooks();
