// The keys of the histories: Alt-F8 the command-history window, Alt-\ and
// Shift-Alt-F8 the directory-history window; and the history file's part in
// the program's start and end.
#pragma once

#include "console/console.h"

class CMainLoop;

// Alt-F8: the command-history window; a command copied from it replaces the
// command line.
void show_command_history(CMainLoop& loop, int key, _MEVENT& event);
// Alt-\ and Shift-Alt-F8: the directory-history window for the current panel
// (the other one when the current shows a tree or information).
void show_directory_history(CMainLoop& loop, int key, _MEVENT& event);

// Names the history file, lets new commands and field values reach it and
// loads it; StopHistory takes the hooks away again.
void StartHistory();
void StopHistory();
