// The keys that run commands: Enter and Alt-Enter on the command line or a
// file, and Ctrl-W for the desktop's file manager on the panel's directory. Each is a
// key-table handler (shell/keytable.h).
#pragma once

#include "console/console.h"

class CMainLoop;

// Enter: runs the typed command; on an empty line acts on the cursor entry
// (enters a directory or an archive, runs the file's association or the
// program). Alt-Enter does the same in a terminal window of its own.
void run_command_or_entry(CMainLoop& loop, int key, _MEVENT& event);
// Ctrl-W: the desktop's file manager on the panel's directory.
void open_file_window(CMainLoop& loop, int key, _MEVENT& event);

// Installs what command execution asks of the application's screen, and
// puts back what was there.
void install_exec_hooks();
void restore_exec_hooks();
