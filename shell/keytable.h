// The main loop's key table: which handler each key of the panels and the
// command line runs. Keys the table does not name (menu commands, the grey
// keypad operators, Ctrl-F3 ... Ctrl-F8, hot directories, typed characters
// and the quick search) are handled by the dispatcher itself.
#pragma once

#include "console/console.h"

class CMainLoop;

// A handler is told the key that was pressed, so that one handler can serve
// a key and its shifted or mirrored twin.
using KeyHandler = void (*)(CMainLoop& loop, int key, _MEVENT& event);

struct KeyBinding {
    int key;
    KeyHandler handler;
    const char* what;  // a short description, for reading the table
};

extern const KeyBinding key_bindings[];
extern const int key_binding_count;

// The handler of key, or null when the table has none.
KeyHandler FindKeyHandler(int key);
