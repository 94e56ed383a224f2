// Showing, hiding and painting a panel in its framed window.
#pragma once

struct PANEL;

// Makes the panel's window on its side (0 left, 1 right), reads the panel
// when it is marked for reading, and paints it.
void make_panel(PANEL* panel, int side);
// Hides the panel's window.
void remove_panel(PANEL* panel);
// Draws the whole panel.
void paint_panel(PANEL* panel);
