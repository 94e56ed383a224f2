#include "panels/entry.h"

#include <cstring>
#include <cwchar>
#include <new>

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
