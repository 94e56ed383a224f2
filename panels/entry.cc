#include "panels/entry.h"

#include <cstring>
#include <cwchar>
#include <functional>
#include <new>
#include <string_view>

entry* entry::Create(const wchar_t* name, int length) {
    if (!name || length < 0) length = 0;
    size_t bytes = offsetof(entry, name) + (static_cast<size_t>(length) + 1) * sizeof(wchar_t);
    void* block = ::operator new(bytes);
    std::memset(block, 0, offsetof(entry, name));
    entry* e = static_cast<entry*>(block);
    new (&e->time) TimeStamp();
    e->desc[0] = e->desc[1] = 0xFFFFFFFFu;
    if (length > 0) std::wmemcpy(e->name, name, length);
    e->name[length] = 0;
    return e;
}

entry* entry::Create(const wchar_t* name) {
    return Create(name, name ? static_cast<int>(std::wcslen(name)) : 0);
}

void entry::Destroy(entry* e) { ::operator delete(e); }

entry* entry::Clone(const entry* e) {
    int length = static_cast<int>(std::wcslen(e->name));
    size_t bytes = offsetof(entry, name) + (static_cast<size_t>(length) + 1) * sizeof(wchar_t);
    void* block = ::operator new(bytes);
    std::memcpy(block, e, bytes);
    return static_cast<entry*>(block);
}

namespace {

// The standard library's hash of a name's characters.
uint64_t name_hash(const wchar_t* name) { return std::hash<std::wstring_view>()(std::wstring_view(name)); }

}  // namespace

EntryNameIndex::EntryNameIndex(entry* const* list, int count) : list_(list) {
    if (!list || count <= 0) return;
    // At most half full, so that a search meets an empty slot soon.
    size_t size = 16;
    while (size < static_cast<size_t>(count) * 2) size *= 2;
    slots_.assign(size, Slot{0, 0});
    mask_ = size - 1;
    for (int i = 0; i < count; i++) {
        const uint64_t hash = name_hash(list[i]->name);
        size_t at = static_cast<size_t>(hash >> 32) & mask_;
        bool seen = false;
        while (slots_[at].position != 0) {
            const Slot& slot = slots_[at];
            if (slot.hash == static_cast<uint32_t>(hash) &&
                std::wcscmp(list[slot.position - 1]->name, list[i]->name) == 0) {
                seen = true;
                break;
            }
            at = (at + 1) & mask_;
        }
        if (!seen) slots_[at] = Slot{static_cast<uint32_t>(hash), static_cast<uint32_t>(i) + 1};
    }
}

entry* EntryNameIndex::Find(const wchar_t* name) const {
    if (slots_.empty() || !name) return nullptr;
    const uint64_t hash = name_hash(name);
    for (size_t at = static_cast<size_t>(hash >> 32) & mask_; slots_[at].position != 0; at = (at + 1) & mask_) {
        const Slot& slot = slots_[at];
        entry* e = list_[slot.position - 1];
        if (slot.hash == static_cast<uint32_t>(hash) && std::wcscmp(e->name, name) == 0) return e;
    }
    return nullptr;
}
