#include "lib/strcoll.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "lib/casefold.h"
#include "lib/csv.h"

namespace {

// Adds a heap copy of text to a collection of T: 1 added, 0 refused.
template <class T, class Collection>
int add_copy(Collection& collection, const T& text) {
    T* copy = new T(text);
    if (collection.AddItem(copy) == 0) return 1;
    delete copy;
    return 0;
}

}  // namespace

int StringCollection::compare(const Estring* a, const Estring* b) const {
    return strcasecmp(a->c_str(), b->c_str());
}

int StringCollection::AddString(const Estring& text) { return add_copy(*this, text); }

int StringCollection::AddCSV(const char* text) {
    if (!text) return 0;
    int added = 0;
    const char* pos = text;
    while (*pos) {
        const char* before = pos;
        Estring field = ParseCSVField(pos);
        added += AddString(field);
        // Every field takes at least one byte; stop rather than loop forever.
        if (pos == before) break;
    }
    return added;
}

Estring StringCollection::ToCSV() const {
    // Measured first and copied in place: appending piece by piece would
    // measure the growing line again for every item.
    int64_t total = 0;
    for (int i = 0; i < count(); i++) total += At(i)->strlen() + (i > 0 ? 1 : 0);
    if (total > INT_MAX - 1) {
        std::fputs("dv: list too long to join\n", stderr);
        std::abort();
    }
    Estring line;
    line.reserve_discard(static_cast<int>(total));
    char* out = line.data();
    for (int i = 0; i < count(); i++) {
        if (i > 0) *out++ = ',';
        int n = At(i)->strlen();
        std::memcpy(out, At(i)->c_str(), n);
        out += n;
    }
    line.set_length(static_cast<int>(total));
    return line;
}

int FnStringCollection::compare(const Westring* a, const Westring* b) const {
    return fold_wcscasecmp(a->c_str(), b->c_str());
}

int FnStringCollection::AddString(const Westring& text) { return add_copy(*this, text); }

int WestringCollection::compare(const Westring* a, const Westring* b) const {
    return fold_wcscasecmp(a->c_str(), b->c_str());
}

int WestringCollection::AddString(const Westring& text) { return add_copy(*this, text); }
