// The cursor positions a panel remembers per directory, so that coming back
// to a directory puts the cursor where it was.
#pragma once

#include "lib/sortedcollection.h"
#include "lib/westring.h"

struct TPanelPosition {
    Westring dir;   // the directory the position belongs to
    int top = 0;    // the first entry shown
    Westring name;  // the entry the cursor was on
};

// Keyed by the directory, compared exactly (case matters).
class CPosStack : public TSortedCollection<TPanelPosition, Westring> {
public:
    const Westring* KeyFromItem(const TPanelPosition* item) const override { return &item->dir; }
    int compare(const Westring* a, const Westring* b) const override;

    // Updates the position kept for dir, or adds one.
    void Store(const Westring& dir, int top, const Westring& name);
    // The position kept for dir, or null.
    TPanelPosition* Find(const Westring& dir) { return FindItem(&dir); }
};
