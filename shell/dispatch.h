// The main loop's dispatch of keys: the steps before the key table (the grey
// keypad operators, hot directories, sort keys, typed characters and menu
// commands), the table itself, and the quick search for the keys left over.
#pragma once

#include "console/console.h"

class CMainLoop;

// Whether a key leaves the cursor entry's highlight alone.
bool IsCursorNeutralKey(int key);
// Whether the program has a command for key (a key or a menu command code):
// the pull-down menu disables the items it lacks.
bool HasCommand(int key);
// Acts on a key after the main loop's own steps.
void DispatchKey(CMainLoop& loop, int key, _MEVENT& event);
// Enter on an empty command line: acts on the cursor entry of the current
// panel (enters a directory or archive, runs the file).
void EnterCursorEntry(CMainLoop& loop);
