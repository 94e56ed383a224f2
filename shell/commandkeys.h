// The keys that run commands: Enter and Alt-Enter on the command line or a
// file, and Ctrl-W for a terminal window of the desktop. Each is a
// key-table handler (shell/keytable.h).
#pragma once

#include "console/console.h"

class CMainLoop;

// Enter: runs the typed command; on an empty line acts on the cursor entry
// (enters a directory or an archive, runs the file's association or the
// program). Alt-Enter does the same in a terminal window of its own.
void run_command_or_entry(CMainLoop& loop, int key, _MEVENT& event);
// Ctrl-W: a terminal window of the desktop in the panel's directory.
void open_terminal_window(CMainLoop& loop, int key, _MEVENT& event);

// Installs what command execution asks of the application's screen, and
// puts back what was there.
void install_exec_hooks();
void restore_exec_hooks();
