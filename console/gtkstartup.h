// Starting the desktop toolkit and creating the console's desktop window.
// Free of toolkit headers, so the start-up code needs none.
#pragma once

class CConsoleView;

// Installs the program's toolkit lock (gdkLock/gdkUnlock) as the toolkit's
// own, initialises its thread support and the toolkit itself, taking the
// toolkit's options out of the arguments. False when no display can be
// opened. Safe to call more than once.
bool InitToolkit(int& argc, char**& argv);

// The desktop window for the console (after InitToolkit succeeded); the
// console takes ownership.
CConsoleView* CreateDesktopView();
