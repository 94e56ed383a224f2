// The mouse in the main loop: clicks on the key bar, on panel entries (the
// cursor, tagging by right button and drag, entering by double click), the
// wheel, and scrolling by pressing above or below a panel's entries.
#pragma once

#include "console/console.h"

class CMainLoop;

// Turns a mouse event into an action; a click on the key bar gives the
// function key to dispatch (else 0).
int DispatchMouse(CMainLoop& loop, _MEVENT& event);
