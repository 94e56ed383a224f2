// The targets of the symbolic links a panel shows, read once per listing.
#pragma once

#include "lib/sortedcollection.h"
#include "lib/westring.h"

struct TLinkTarget {
    Westring path;    // the link's full path
    Westring target;  // what the link points to, as stored in the link
};

// Keyed by the full path, compared exactly.
class CLinkTargetCache : public TSortedCollection<TLinkTarget, Westring> {
public:
    const Westring* KeyFromItem(const TLinkTarget* item) const override { return &item->path; }
    int compare(const Westring* a, const Westring* b) const override;

    // The cached target of the link path, or the link read now (and cached);
    // empty when path is not a link or cannot be read.
    Westring GetLinkTarget(const Westring& path);
};
