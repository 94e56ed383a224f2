// The keys that change a panel's directory: into the cursor directory, up,
// to the root, back, home, through a link, to a hot directory, and reading
// it again. Each is a key-table handler (shell/keytable.h).
#pragma once

#include "console/console.h"

class CMainLoop;

// Ctrl-PgDn: into the cursor directory.
void enter_directory(CMainLoop& loop, int key, _MEVENT& event);
// Ctrl-PgUp: up to the parent directory.
void parent_directory(CMainLoop& loop, int key, _MEVENT& event);
// Ctrl-\: the root (out of an archive: the directory that holds it);
// Shift-Ctrl-\: the other panel's directory.
void root_or_other_directory(CMainLoop& loop, int key, _MEVENT& event);
// Ctrl--: the directory the panel showed before, at its old position.
void previous_directory(CMainLoop& loop, int key, _MEVENT& event);
// Alt-Home: the home directory.
void home_directory(CMainLoop& loop, int key, _MEVENT& event);
// Ctrl-G: the directory of the cursor link's target, the cursor on it.
void follow_link(CMainLoop& loop, int key, _MEVENT& event);
// Ctrl-R: reads the panel again (or chooses a mount point, when the
// CtrlRDriveChng setting says so).
void reread_or_choose_mount(CMainLoop& loop, int key, _MEVENT& event);
// Ctrl-H: shows or hides the hidden files.
void toggle_hidden_files(CMainLoop& loop, int key, _MEVENT& event);
// Ctrl with a keypad digit: to that hot directory; with Shift, stores the
// current directory under the digit.
void hot_directory(CMainLoop& loop, int key, const _MEVENT& event);
