// What the archive benchmarks share: listing one directory of an open
// archive as a panel does, each entry made and freed.
#pragma once

#include "archive/archive.h"
#include "lib/westring.h"
#include "panels/entry.h"

// Lists directory dir of the archive ("" for the top); the number of
// entries listed, ".." included, or 0 when the archive has no such directory.
inline int ListArchiveDirectory(Archive& archive, const wchar_t* dir = L"") {
    entry* e = nullptr;
    if (archive.FindFirst(Westring(dir), &e) != 0) return 0;
    int listed = 0;
    do {
        listed++;
        entry::Destroy(e);
    } while (archive.FindNext(&e) == 0);
    return listed;
}
