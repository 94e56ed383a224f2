#include "panels/sortpanel.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <vector>

#include "lib/nls.h"
#include "lib/sortkey.h"
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

// An entry beside its sort key.
struct KeyedEntry {
    CSortKeys::Key key;
    entry* e;
};

// The key of an entry for the order by name, extension or size: its group,
// then what the order looks at before the name, then the name. The larger
// size goes first, so it is added inverted.
[[nodiscard]] bool make_key(CSortKeys& keys, int order, const entry* e, CSortKeys::Key& key) {
    keys.Begin();
    keys.AddByte(static_cast<uint8_t>(e->sort_class));
    switch (order) {
    case SORT_EXTENSION: keys.AddName(extension(e->name)); break;
    case SORT_SIZE: keys.AddNumber(~e->size); break;
    default: break;
    }
    keys.AddName(e->name);
    return keys.End(key);
}

// The keys and the keyed entries of one sort. A small one is kept for the
// thread's next sort: the panel sorts again on every re-read, and fresh
// pages from the system cost more than the sort itself fills them.
struct SortScratch {
    CSortKeys keys;
    std::vector<KeyedEntry> list;

    size_t bytes() const { return keys.capacity() + list.capacity() * sizeof(KeyedEntry); }
};

constexpr size_t kMostKeptScratch = size_t{1} << 20;

thread_local SortScratch kept_scratch;

// The sort of the comparators with every name folded once: the entries are
// sorted by their keys beside them and put back in that order. Returns
// false, leaving the entries as they were, when the keys do not fit.
[[nodiscard]] bool sort_with_keys(SortScratch& scratch, entry** files, int count, int order, int direction) {
    CSortKeys& keys = scratch.keys;
    std::vector<KeyedEntry>& list = scratch.list;
    keys.Reserve(static_cast<size_t>(count) * 32);
    list.reserve(static_cast<size_t>(count));
    // The entries lie scattered in memory; fetching a few ahead hides most
    // of the wait for them.
    constexpr int kAhead = 16;
    for (int i = 0; i < count; i++) {
        if (i + kAhead < count) __builtin_prefetch(files[i + kAhead]);
        CSortKeys::Key key;
        if (!make_key(keys, order, files[i], key)) return false;
        list.push_back({key, files[i]});
    }
    std::sort(list.begin(), list.end(), [&keys, direction](const KeyedEntry& a, const KeyedEntry& b) {
        // The group, the keys' first byte, is never reversed.
        if ((a.key.head[0] ^ b.key.head[0]) >> 56) return a.key.head[0] < b.key.head[0];
        int c = keys.Compare(a.key, b.key);
        if (c == 0) c = fncompare(a.e->name, b.e->name);
        return sign(c) * direction < 0;
    });
    for (int i = 0; i < count; i++) files[i] = list[i].e;
    return true;
}

[[nodiscard]] bool sort_by_keys(entry** files, int count, int order, int direction) {
    SortScratch& scratch = kept_scratch;
    const bool sorted = sort_with_keys(scratch, files, count, order, direction);
    scratch.keys.Clear();
    scratch.list.clear();
    if (scratch.bytes() > kMostKeptScratch) {
        scratch.keys.Release();
        scratch.list.shrink_to_fit();
    }
    return sorted;
}

}  // namespace

void sort_panel(const wchar_t* /*path*/, sortby sort, entry** files, int count) {
    if (!files || count < 2) return;
    const int order = static_cast<int>(sort);
    if (order < 0 || order > 9) return;
    const int direction = order < SORT_RNAME ? 1 : -1;
    if (order % 5 == SORT_UNSORTED) return;
    // Times seldom tie, and comparing two costs less than the keys of all
    // the entries would; the other orders compare names far more often.
    if (order % 5 != SORT_TIME && sort_by_keys(files, count, order % 5, direction)) return;
    // Times, and keys beyond 4 GiB: the comparators, folding names every time.
    switch (order % 5) {
    case SORT_NAME: sort_by<comp_name>(files, count, direction); break;
    case SORT_EXTENSION: sort_by<comp_ext>(files, count, direction); break;
    case SORT_TIME: sort_by<comp_time>(files, count, direction); break;
    case SORT_SIZE: sort_by<comp_size>(files, count, direction); break;
    default: break;
    }
}
