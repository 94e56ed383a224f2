#include "panels/sortpanel.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <vector>

#include "lib/nls.h"
#include "panels/panel.h"

namespace {

int sign(int c) { return (c > 0) - (c < 0); }

int class_order(const entry* a, const entry* b) {
    return static_cast<unsigned char>(a->sort_class) - static_cast<unsigned char>(b->sort_class);
}

// Names in the file-name order; names that order puts together (differing
// only in case) by their characters, so that every read lists them alike.
// Always -1, 0 or 1, so that reversing it cannot overflow.
int name_order(const entry* a, const entry* b) {
    int c = nls_fname_cmp(a->name, b->name);
    return sign(c ? c : fncompare(a->name, b->name));
}

const wchar_t* extension(const wchar_t* name) {
    const wchar_t* dot = std::wcsrchr(name, L'.');
    return dot ? dot + 1 : L"";
}

}  // namespace

int comp_name(const entry* a, const entry* b, int direction) {
    int c = class_order(a, b);
    return c ? c : name_order(a, b) * direction;
}

int comp_ext(const entry* a, const entry* b, int direction) {
    int c = class_order(a, b);
    if (c) return c;
    c = sign(nls_fname_cmp(extension(a->name), extension(b->name)));
    return (c ? c : name_order(a, b)) * direction;
}

int comp_time(const entry* a, const entry* b, int direction) {
    int c = class_order(a, b);
    if (c) return c;
    if (a->time != b->time) c = a->time > b->time ? -1 : 1;
    return (c ? c : name_order(a, b)) * direction;
}

int comp_size(const entry* a, const entry* b, int direction) {
    int c = class_order(a, b);
    if (c) return c;
    if (a->size != b->size) c = a->size > b->size ? -1 : 1;
    return (c ? c : name_order(a, b)) * direction;
}

int comp_none(const entry* a, const entry* b, int direction) { return comp_name(a, b, direction); }

int comp_unique(const entry* a, const entry* b) { return fncompare(a->name, b->name); }

void sort_panel(PANEL* panel) { sort_panel(panel->dir.c_str(), panel->sort, panel->files, panel->num_files); }

namespace {

// One sort with a comparator the compiler can inline.
template <int (*compare)(const entry*, const entry*, int)>
void sort_by(entry** files, int count, int direction) {
    std::sort(files, files + count,
              [direction](const entry* a, const entry* b) { return compare(a, b, direction) < 0; });
}

// The sort by extension with each name's extension found once, not in
// every comparison: the entries are sorted with their extensions beside
// them and put back in that order. The order is comp_ext's.
void sort_by_extension(entry** files, int count, int direction) {
    struct WithExtension {
        entry* e;
        const wchar_t* ext;
    };
    std::vector<WithExtension> list(static_cast<size_t>(count));
    for (int i = 0; i < count; i++) list[i] = {files[i], extension(files[i]->name)};
    std::sort(list.begin(), list.end(), [direction](const WithExtension& a, const WithExtension& b) {
        int c = class_order(a.e, b.e);
        if (c) return c < 0;
        c = sign(nls_fname_cmp(a.ext, b.ext));
        return (c ? c : name_order(a.e, b.e)) * direction < 0;
    });
    for (int i = 0; i < count; i++) files[i] = list[i].e;
}

}  // namespace

void sort_panel(const wchar_t* /*path*/, sortby sort, entry** files, int count) {
    if (!files || count < 2) return;
    const int order = static_cast<int>(sort);
    if (order < 0 || order > 9) return;
    const int direction = order < SORT_RNAME ? 1 : -1;
    switch (order % 5) {
    case SORT_NAME: sort_by<comp_name>(files, count, direction); break;
    case SORT_EXTENSION: sort_by_extension(files, count, direction); break;
    case SORT_TIME: sort_by<comp_time>(files, count, direction); break;
    case SORT_SIZE: sort_by<comp_size>(files, count, direction); break;
    default: break;  // unsorted: the order of reading
    }
}

namespace {

// A 64-bit FNV-1a hash of a name's characters.
uint64_t name_hash(const wchar_t* name) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (; *name; name++) {
        hash ^= static_cast<uint32_t>(*name);
        hash *= 0x100000001b3ull;
    }
    return hash;
}

struct HashedEntry {
    uint64_t hash;
    entry* e;
};

// Ordered by hash, and names of equal hash by their characters: two records
// compare equal exactly when the names are the same. Most comparisons are
// settled by the hashes alone, inside the contiguous copy, without touching
// the entries.
inline bool hashed_less(const HashedEntry& a, const HashedEntry& b) {
    if (a.hash != b.hash) return a.hash < b.hash;
    return comp_unique(a.e, b.e) < 0;
}

}  // namespace

void restore_tags(PANEL* panel, entry* const* kept, int count) {
    if (!kept || count <= 0 || panel->num_files <= 0) return;
    const int num_files = panel->num_files;
    entry* const* files = panel->files;
    std::vector<HashedEntry> by_name(static_cast<size_t>(num_files));
    // The entries lie scattered in memory; fetching a few ahead hides most
    // of the wait for them.
    constexpr int kAhead = 16;
    for (int i = 0; i < num_files; i++) {
        if (i + kAhead < num_files) __builtin_prefetch(files[i + kAhead]);
        by_name[i] = {name_hash(files[i]->name), files[i]};
    }
    auto less = [](const HashedEntry& a, const HashedEntry& b) { return hashed_less(a, b); };
    std::sort(by_name.begin(), by_name.end(), less);
    int tagged = 0;
    uint64_t tagged_size = 0;
    for (int i = 0; i < count; i++) {
        HashedEntry old = {name_hash(kept[i]->name), kept[i]};
        auto found = std::lower_bound(by_name.begin(), by_name.end(), old, less);
        if (found == by_name.end() || found->hash != old.hash || comp_unique(found->e, old.e) != 0) continue;
        entry* now = found->e;
        now->tagged = old.e->tagged;
        now->done = old.e->done;
        if (now->tagged) {
            tagged++;
            tagged_size += now->size;
        }
    }
    panel->num_tagged += tagged;
    panel->tagged_size += tagged_size;
}
