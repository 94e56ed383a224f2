// The entries the case and date commands change: the tagged entries of a
// panel in panel order, or else the one under the cursor ("..", never).
#pragma once

#include <vector>

#include "lib/westring.h"

struct PANEL;

// Their names; empty when there is nothing to change.
std::vector<Westring> ChosenNames(const PANEL* panel);
// The dialogs' line for them: the cursor name collapsed to 26 columns, or
// "N files" ("1 file") when entries are tagged.
Westring ChosenSubject(const PANEL* panel);
