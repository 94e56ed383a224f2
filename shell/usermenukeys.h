// F2 and Shift-F2: the user menu, for the panel commands work on.
#pragma once

#include "console/console.h"

class CMainLoop;

// F2: the menu file of the panel's directory or the nearest above it, else
// the global one; Shift-F2: the global menu file alone.
void show_user_menu(CMainLoop& loop, int key, _MEVENT& event);
