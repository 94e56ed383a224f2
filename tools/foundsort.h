// The orders the find-file list sorts in (Ctrl-F3 to Ctrl-F6).
#pragma once

#include "tools/foundlist.h"

enum class FoundOrder {
    kName,       // the file name, then the directory, without regard to case
    kExtension,  // the extension, then as kName
    kTime,       // newest first
    kSize,       // largest first
};

void SortFound(FoundList& list, FoundOrder order);
