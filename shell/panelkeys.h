// The keys that move the cursor through a file list and tag its entries.
// Each is a key-table handler (shell/keytable.h): key is the code pressed.
#pragma once

#include "console/console.h"

class CMainLoop;

// Tab, Shift-Tab: the other panel becomes the current one.
void switch_panel(CMainLoop& loop, int key, _MEVENT& event);
// Up, Down: one entry; with the panels hidden, through the command history.
void move_line(CMainLoop& loop, int key, _MEVENT& event);
void page_up(CMainLoop& loop, int key, _MEVENT& event);
void page_down(CMainLoop& loop, int key, _MEVENT& event);
// Home, End: the first or last entry; with the panels hidden, the command
// line's start or end.
void move_first_last(CMainLoop& loop, int key, _MEVENT& event);
// Left, Right: a column of a brief list, else as the name shifts below.
void move_column(CMainLoop& loop, int key, _MEVENT& event);
// A cursor left on the command line, else the cursor entry's long name
// shown from one character further left.
void shift_name_left(CMainLoop& loop, int key, _MEVENT& event);
// A cursor right on the command line, else the long name shown from one
// character further right.
void shift_name_right(CMainLoop& loop, int key, _MEVENT& event);
// Completes a quick search as far as the names agree, else as shift_name_right.
void complete_search_or_shift_name(CMainLoop& loop, int key, _MEVENT& event);
// Alt-Up, Alt-Down: the quick search's previous or next match, else the
// previous or next tagged entry.
void next_tagged(CMainLoop& loop, int key, _MEVENT& event);
// Insert: tags or untags the cursor entry and moves down.
void tag_and_move_down(CMainLoop& loop, int key, _MEVENT& event);
// Ctrl-T tags, Ctrl-Y untags the entries a mask matches.
void tag_matching(CMainLoop& loop, int key, _MEVENT& event);
// Ctrl-Grey + tags, Ctrl-Grey - untags every entry.
void tag_every_entry(CMainLoop& loop, int key, _MEVENT& event);
// Alt-Backspace: drops the quick search's last character.
void shorten_search(CMainLoop& loop, int key, _MEVENT& event);
