// Ctrl-Shift-F9: makes the other panel's directory tree follow the current
// panel's.
#pragma once

#include "console/console.h"

class CMainLoop;

void synchronize_panels(CMainLoop& loop, int key, _MEVENT& event);
