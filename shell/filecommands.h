// The file-operation keys of the main loop: copy, move, make directory,
// delete, launcher objects and restoring the last selection.
#pragma once

#include "console/console.h"

class CMainLoop;

// Each acts on the current panel (key is the code that was pressed).
void copy_or_move_files(CMainLoop& loop, int key, _MEVENT& event);
void make_new_directory(CMainLoop& loop, int key, _MEVENT& event);
// Shift-F7: a new archive of the tagged files, in a format the user picks.
void make_archive(CMainLoop& loop, int key, _MEVENT& event);
void delete_files(CMainLoop& loop, int key, _MEVENT& event);
void make_launcher_objects(CMainLoop& loop, int key, _MEVENT& event);
void restore_last_selection(CMainLoop& loop, int key, _MEVENT& event);

// The session environment for the file operations (HOME, DELDIR).
const char* session_getenv(const char* name);
