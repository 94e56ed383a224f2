// Ctrl-K: the directory compare of the two panels.
#pragma once

#include "console/console.h"

class CMainLoop;

void compare_directories(CMainLoop& loop, int key, _MEVENT& event);
