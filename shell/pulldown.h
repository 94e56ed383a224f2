// The pull-down menu: a bar over the top row with five drop-down menus.
// Choosing an item gives its key code, which the main loop then dispatches
// like a typed key.
#pragma once

enum class MenuOpening {
    kStart,   // F9, Ctrl-N: on the current panel's column, nothing dropped down
    kResume,  // Shift-F10: where the menu was left
    kClick,   // a right click on the top row: on the column under the pointer
};

// Runs the menu for the panel on side (0 left, 1 right); click_x is the
// clicked column for kClick. The chosen item's key code, or 0 when the user
// left without choosing (the left panel's "Info" code, KEY_MENU alone, is a
// choice like any other).
int menu(int side, MenuOpening how, int click_x = 0);

// Forgets where the menu was left (tests start from a fresh menu).
void ResetMenuPosition();
