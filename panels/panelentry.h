// The pieces of an entry's row that the panel drawing code shares: its
// colours and the row formatted for any style.
#pragma once

#include "config/panelenums.h"
#include "console/cells.h"

struct PANEL;
struct entry;

// The entry's colour: Tagged, or Directories / Panel changed by the first
// matching colour association.
unsigned char entry_colour(const entry* e);
// The cursor's colour on the entry: Highlight-Tagged, Directory High or Highlight.
unsigned char cursor_colour(const entry* e);
// The name, and for a symbolic link " » " and its target.
CellString entry_name_cells(PANEL* panel, const entry* e, unsigned char colour);
// Entry index of the panel formatted in a style with a name column of
// name_width cells (the whole row width for the tree style).
void format_entry(CellString& line, PANEL* panel, int index, unsigned char colour, int* shift, paneldetail detail,
                  int name_width);
