// The keys that edit the command line, recall commands from the history and
// put names and paths on the line or the clipboard. Each is a key-table
// handler (shell/keytable.h).
#pragma once

#include "console/console.h"

class CMainLoop;

// Esc: clears the command line and the quick search; on an empty line with
// the EscPanelSwitch setting, hides or shows the panels. Ctrl-[ (which comes
// as Esc with Ctrl held) inserts the left panel's directory.
void clear_line(CMainLoop& loop, int key, _MEVENT& event);
// Ctrl-]: inserts the right panel's directory.
void insert_right_directory(CMainLoop& loop, int key, _MEVENT& event);
// Ctrl-Enter: after a letter or digit, searches the history for a command
// that begins with the line, else inserts the cursor entry's name.
// Shift-Ctrl-Enter searches the other way or copies the name to the
// clipboard; Shift-Ctrl-J always copies the name.
void insert_name_or_search_history(CMainLoop& loop, int key, _MEVENT& event);
// Ctrl-F inserts the cursor entry's full path; Shift-Ctrl-F copies it to
// the clipboard.
void insert_path(CMainLoop& loop, int key, _MEVENT& event);
// Ctrl-Tab: completes the file name before the cursor.
void complete_file_name(CMainLoop& loop, int key, _MEVENT& event);
// Ctrl-Insert: copies the command line to the clipboard.
void copy_line(CMainLoop& loop, int key, _MEVENT& event);
// Shift-Insert: inserts the clipboard's first line.
void paste_clipboard(CMainLoop& loop, int key, _MEVENT& event);

void delete_left(CMainLoop& loop, int key, _MEVENT& event);
void delete_word_left(CMainLoop& loop, int key, _MEVENT& event);
void delete_right(CMainLoop& loop, int key, _MEVENT& event);
void delete_word_right(CMainLoop& loop, int key, _MEVENT& event);
void word_left(CMainLoop& loop, int key, _MEVENT& event);
void word_right(CMainLoop& loop, int key, _MEVENT& event);
void line_start(CMainLoop& loop, int key, _MEVENT& event);
void line_end(CMainLoop& loop, int key, _MEVENT& event);
// The previous and the next command of the history.
void older_command(CMainLoop& loop, int key, _MEVENT& event);
void newer_command(CMainLoop& loop, int key, _MEVENT& event);
