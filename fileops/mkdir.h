// The Make Directory command.
#pragma once

// Asks for a name and makes that directory (with any missing directories
// above it) in the directory of panel panelIndex (0 left, 1 right), then
// reads the panels again with the cursor on the new directory.
void make_dir(char panelIndex);
