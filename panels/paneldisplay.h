// Drawing a panel into its framed window, moving its cursor, tagging, quick
// search, swapping the panels and the mount-point chooser.
//
// A panel window is half the screen wide, rows 0 to R + 3 (R the entry rows,
// config.panel_rows). Inside its frame: rows 0 to R - 1 the entries, row R
// the separator line, row R + 1 the status line; the scroll bar is drawn in
// the right frame column. W, the inner width, is half the screen width less 2.
#pragma once

#include <cstdint>

#include "config/panelenums.h"
#include "console/cells.h"
#include "console/console.h"
#include "lib/estring.h"
#include "lib/timestamp.h"
#include "lib/westring.h"

struct PANEL;
struct TREENODE;
struct entry;

// The keyboard's Scroll Lock, as the console reports it: while it is on,
// the cursor stays in the middle of the page and the list scrolls under it.
inline bool scroll_lock_on() { return console && console->ScrollLock(); }

// ---- program-wide state the main loop may set
// Whether painting and make_curr set the desktop window's title.
extern bool panel_window_titles;
// Hides the clock (it lives on the right panel's top frame line); called
// when the right panel is made or removed. Null: there is no clock.
extern void (*panel_clock_hook)();
// Draws an information panel; null: it stays as it is.
extern void (*paint_info_hook)(PANEL* panel);
// The mount table the mount-point chooser reads; null for the system's.
extern const char* mount_chooser_table;

// ---- column widths
// Styles 0-4 by up to five columns: minimum, maximum and current width. A
// negative minimum ends a style's column list.
enum { COL_MIN = 0, COL_MAX = 1, COL_CUR = 2 };
extern int16_t col_width[5][5][3];
// Recomputes the current column widths of every style for the screen width:
// the space beyond the minima goes to the columns in proportion to their
// widths, up to their maxima.
void resize_columns();
// Column x, row y and name width of the k-th entry of a page in a style.
void ColInfo(int& x, int& y, int& width, paneldetail detail, int k);
// A horizontal line for the frame or separators: fill (when not 0) repeated
// half the screen width; sep at the column boundaries of the style (counted
// from a frame column when left is not 0; '┬' over '┴' becomes '┼'); left at
// position 0; right at the last position, or at W when left is 0 (then the
// line ends after W cells when right is 0).
void make_line(paneldetail detail, CellString& line, wchar_t fill, wchar_t sep, wchar_t left, wchar_t right);

// ---- showing and painting
// Installs make_panel and paint_panel as panel_hooks.show and .paint where
// no other is set, so that panel reading shows and paints through them.
// Start-up calls it.
void install_panel_drawing();
// Makes the panel's window on its side (0 left, 1 right), reads the panel
// when it is marked for reading, and paints it. Installed as panel_hooks.show.
void make_panel(PANEL* panel, int side);
// Hides the panel's window.
void remove_panel(PANEL* panel);
// Draws the whole panel. Installed as panel_hooks.paint.
void paint_panel(PANEL* panel);
// One entry formatted for its place on the page (its name column alone in
// the brief styles, the whole row otherwise); colour 0 picks the entry's
// own colours. shift (for the cursor entry) scrolls its name and is kept
// within the name's length.
void print_entry(CellString& line, PANEL* panel, int index, unsigned char colour, int* shift);
// The same written at window position (x, y), or at the entry's own place
// (nothing when it is not on the page).
void print_entry(int x, int y, PANEL* panel, int index, unsigned char colour, int* shift);
void print_entry(PANEL* panel, int index, unsigned char colour, int* shift);
// Shortens a name to width cells: the last kept cell becomes the character
// 16 (a right-pointing triangle); with KeepExtVisible the extension stays
// when it takes at most half the width.
void compact_name(CellString& name, int width);
// Draws the cursor entry highlighted (on) or normal, then the status line.
void show_cursor(PANEL* panels, int side, bool on);
// Moves the cursor by delta entries, scrolling as needed.
void move_cursor(PANEL* panel, int delta);
// Draws the status line.
void print_status(PANEL* panel);
// Makes the panel of side the current one and changes the process's
// working directory to its directory.
void make_curr(PANEL* panels, int side);
// The top frame line with the title; clock leaves room for the clock.
void topline(const Westring& path, bool active, bool clock, PANEL* panel);
// The scroll bar in the right frame column.
void DrawScrollBar(PANEL* panel);

// ---- date, time and size texts
// Takes the date separator and field order from the locale's date format,
// and the thousands separator from the locale. Called at start-up.
void init_date_format();
// The date of a time stamp in the locale's order, two digits each ("03/15/24").
Westring format_date(const TimeStamp& time);
// The time in the TimeMode setting's form: " 1:05p" (12) or " 13:05" (24).
Westring format_time(const TimeStamp& time);
// Whether a time stamp is the unknown time (built from all ones), shown blank.
bool time_unknown(const TimeStamp& time);
// An entry's size text for a column of width cells (the directory labels,
// or the size with K and M suffixes), not yet aligned.
Westring size_text(const entry* e, int width);

// ---- tree rows
// The tree node a tree-style entry belongs to (kept in its desc words), or
// null.
TREENODE* entry_tree_node(const entry* e);
void set_entry_tree_node(entry* e, TREENODE* node);
// A tree row of width cells: the branch lines of the entry's depth (from the
// line mask in size and the depth in size_known) in line_colour, then the
// name in colour.
void print_tree_row(CellString& line, const entry* e, int width, unsigned char colour, unsigned char line_colour);
// The full path of a tree node ("/usr/lib").
Westring tree_node_path(const TREENODE* node);

// ---- tagging
// how: +1 tag, -1 untag, 0 toggle. Only in a file list (not the tree
// style), never "..".
void tag(PANEL* panel, int index, int how);
// Tag or untag by a mask asked for in a dialog, or all; how 1 selects, -1
// unselects (tag_all: 0 inverts). Directories are included when the TagDirs
// setting is on, inverted when shift_state has the Shift bit
// (CConsole::TEvent::Shift); unselecting always includes them.
void wild_tag(PANEL* panel, int how, int shift_state);
void tag_all(PANEL* panel, int how, int shift_state);
// Names that mask selection never tags.
bool reserved_file(const wchar_t* name);

// ---- other panel commands
// Exchanges the two panels' records and makes the visible ones again on
// their new sides.
void swap_panels(PANEL* panels);
// Quick search: key is the character typed (0 searches again, step entries
// on: 1 forwards, -1 backwards). With StickyAlt the search goes on reading
// keys itself. The key that ended it comes back in key_out (with event for
// a mouse event); the result is true when that key is still to be
// dispatched by the caller.
bool name_seek(int key, PANEL* panel, int& key_out, _MEVENT& event, int step);
// Extends the quick-search text to the longest beginning shared by every
// name that begins with it.
void AutoFillSeek(PANEL* panel);
// Mouse-driven continuous scrolling while a button is held outside the list:
// direction > 0 down, < 0 up; tagging 0 only moves, else it is the how of
// tag for each entry reached (a right-button drag).
void scroll_panel(PANEL* panel, int direction, int tagging);
// The mount-point chooser; all shows pseudo file systems too.
void ChooseMountPoint(PANEL* panel, bool all);
// The filter dialog for the left (0) or right (1) panel; true when the
// panel got a new filter (the caller re-reads it).
[[nodiscard]] bool edit_filter(int side);
