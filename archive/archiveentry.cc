#include "archive/archiveentry.h"

#include <algorithm>
#include <cstring>

int ArchiveEntryStore::ComparePaths(const char* a, const char* b) {
    if (a == b) return 0;
    while (*a && *a == *b) {
        a++;
        b++;
    }
    auto weight = [](char c) { return c == '/' ? 1 : static_cast<unsigned char>(c); };
    return weight(*a) - weight(*b);
}

int ArchiveEntryStore::CompArchEntry(const ArchiveEntry* a, const ArchiveEntry* b) {
    int order = ComparePaths(a->path, b->path);
    if (order != 0) return order;
    return std::strcmp(a->name, b->name);
}

void ArchiveEntryStore::Sort() {
    // Stable, so that of two members of the same name the one stored first
    // stays first.
    std::stable_sort(items_.begin(), items_.end(),
                     [](const ArchiveEntry* a, const ArchiveEntry* b) { return CompArchEntry(a, b) < 0; });
}

size_t ArchiveEntryStore::LowerBound(const char* path, const char* name) const {
    auto found = std::lower_bound(items_.begin(), items_.end(), nullptr,
                                  [path, name](const ArchiveEntry* e, std::nullptr_t) {
                                      int order = ComparePaths(e->path, path);
                                      return order < 0 || (order == 0 && std::strcmp(e->name, name) < 0);
                                  });
    return static_cast<size_t>(found - items_.begin());
}
