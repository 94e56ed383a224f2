#include "panels/linkcache.h"

#include "fileops/query/links.h"
#include "lib/nls.h"

int CLinkTargetCache::compare(const Westring* a, const Westring* b) const {
    return fncompare(a->c_str(), b->c_str());
}

Westring CLinkTargetCache::GetLinkTarget(const Westring& path) {
    if (TLinkTarget* cached = FindItem(&path)) return cached->target;
    TLinkTarget* item = new TLinkTarget;
    item->path = path;
    item->target = ::GetLinkTarget(path);
    Westring target = item->target;
    if (AddItem(item) != 0) delete item;
    return target;
}
