// Small pieces the archive commands share: a message naming a format, and
// the directory a panel offers as a destination.
#pragma once

#include "lib/westring.h"

struct PANEL;

// pattern with its "%s" replaced by the name of archive format type.
Westring FormatMessage(const wchar_t* pattern, int type);

// The panel's directory, or in the tree style the directory under its
// tree cursor.
Westring DestinationDirectory(PANEL* panel);
