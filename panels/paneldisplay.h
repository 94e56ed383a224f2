// Drawing a panel into its framed window, moving its cursor, tagging, quick
// search, swapping the panels and the mount-point chooser.
#pragma once

#include "console/cells.h"
#include "console/console.h"
#include "lib/westring.h"
#include "shell/config.h"

struct PANEL;

// ---- showing and painting
// Makes the panel's window on its side (0 left, 1 right), reads the panel
// when it is marked for reading, and paints it.
void make_panel(PANEL* panel, int side);
// Hides the panel's window.
void remove_panel(PANEL* panel);
// Draws the whole panel.
void paint_panel(PANEL* panel);
// Recomputes the column widths of every style for the screen width.
void resize_columns();
// Column x, row y and name width of the k-th entry of a page in a style.
void ColInfo(int& x, int& y, int& width, paneldetail detail, int k);
// A frame or separator line for a style (see the display rules).
void make_line(paneldetail detail, CellString& line, wchar_t fill, wchar_t sep, wchar_t left, wchar_t right);
// One entry formatted for its row; colour 0 picks the entry's own colours.
// shift (for the cursor entry) scrolls its name.
void print_entry(CellString& line, PANEL* panel, int index, unsigned char colour, int* shift);
void print_entry(int x, int y, PANEL* panel, int index, unsigned char colour, int* shift);
void print_entry(PANEL* panel, int index, unsigned char colour, int* shift);
// Shortens a name to width columns (keeping its extension when asked).
void compact_name(CellString& name, int width);
// Draws the cursor entry highlighted (on) or normal, then the status line.
void show_cursor(PANEL* panels, int side, bool on);
// Moves the cursor by delta entries, scrolling as needed.
void move_cursor(PANEL* panel, int delta);
void print_status(PANEL* panel);
// Makes the panel of side the current one.
void make_curr(PANEL* panels, int side);
// The top frame line with the title.
void topline(const Westring& path, bool active, bool clock, PANEL* panel);

// ---- tagging
// how: +1 tag, -1 untag, 0 toggle.
void tag(PANEL* panel, int index, int how);
// Tag or untag by a mask asked for in a dialog, or all; how 1 selects, -1
// unselects; shift_state inverts the TagDirs setting when Shift is held.
void wild_tag(PANEL* panel, int how, int shift_state);
void tag_all(PANEL* panel, int how, int shift_state);
// Names that mask selection never tags.
bool reserved_file(const wchar_t* name);

// ---- other panel commands
void swap_panels(PANEL* panels);
// Quick search: key is the character typed (0 searches again); the key that
// ended the search comes back in key_out. True when the search consumed the
// final key.
bool name_seek(int key, PANEL* panel, int& key_out, _MEVENT& event, int step);
void AutoFillSeek(PANEL* panel);
// Mouse-driven continuous scrolling while a button is held.
void scroll_panel(PANEL* panel, int direction, int tagging);
// The mount-point chooser; all shows pseudo file systems too.
void ChooseMountPoint(PANEL* panel, bool all);
// The filter dialog for the left (0) or right (1) panel.
void edit_filter(int side);

// The date text of a time stamp in the locale's order, and the time text in
// the TimeMode setting's form; set up from the locale at start-up.
void init_date_format();
