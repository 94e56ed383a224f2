// Bringing back the selection a file operation processed.
#pragma once

struct PANEL;

// Tags again every entry a file operation processed (done) and untags the
// others, so that the last selection can be used once more. Nothing happens
// in a panel that shows information or a tree.
void restore_selection(PANEL* panel);
