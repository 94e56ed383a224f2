// The user menu (F2): commands of the user's own, picked from a menu file
// and run with the panel's files put in. A directory may carry a menu file
// of its own, which serves it and the directories below it instead of the
// global one.
#pragma once

#include "lib/westring.h"

struct MenuEntry;

// The global menu file (the shell knows where the program's files live).
void SetUserMenuFile(const Westring& global_file);

// Shows the user menu for panel panel_index and runs the entry chosen:
// the menu file of the panel's directory or the nearest directory above it
// that has one, else (and always with global) the global file. Problems
// with the files are told first; with no entries nothing happens.
void user_menu(int panel_index, bool global);

// Runs entry's command lines on panel side, in order: each is prepared
// first (the typed parameters asked for), then run for the cursor file, or
// once for each tagged file when it holds the per-file macro. cd moves
// the panel, and the commands after it run there. The first command that
// fails or is cancelled stops the rest: its result, -1 for a cancel or a
// failure already reported, else 0.
[[nodiscard]] int RunMenuEntry(const MenuEntry& entry, int side);
