#include "lib/objectstore.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

[[noreturn]] void out_of_memory() {
    std::fputs("dv: out of memory for a collection\n", stderr);
    std::abort();
}

}  // namespace

int NextCapacity(int capacity) {
    if (capacity >= INT_MAX) return -1;
    if (capacity < 0) capacity = 0;
    int64_t grown = static_cast<int64_t>(capacity) * 13 / 10;
    if (grown <= capacity) grown = capacity + 1;  // small arrays still grow
    if (grown > INT_MAX) grown = INT_MAX;
    return static_cast<int>(grown);
}

void** GrowPointerArray(void** items, int count, int& capacity) {
    int grown = NextCapacity(capacity);
    if (grown < 0) return nullptr;
    void** bigger = static_cast<void**>(std::malloc(static_cast<size_t>(grown) * sizeof(void*)));
    if (!bigger) out_of_memory();
    if (count > 0) std::memcpy(bigger, items, static_cast<size_t>(count) * sizeof(void*));
    std::free(items);
    capacity = grown;
    return bigger;
}

ObjectStore::ObjectStore() : current_(0), count_(0), items_(nullptr), capacity_(kInitialCapacity) {
    items_ = static_cast<void**>(std::malloc(kInitialCapacity * sizeof(void*)));
    if (!items_) out_of_memory();
}

ObjectStore::~ObjectStore() { std::free(items_); }

int ObjectStore::AddObject(void* p) {
    if (count_ == capacity_) {
        void** grown = GrowPointerArray(items_, count_, capacity_);
        if (!grown) return -1;
        items_ = grown;
    }
    current_ = count_;
    items_[count_++] = p;
    return 0;
}

int ObjectStore::InsertObject(void* p) {
    if (count_ == capacity_) {
        void** grown = GrowPointerArray(items_, count_, capacity_);
        if (!grown) return -1;
        items_ = grown;
    }
    if (current_ < 0) current_ = 0;
    if (current_ > count_) current_ = count_;
    std::memmove(items_ + current_ + 1, items_ + current_,
                 static_cast<size_t>(count_ - current_) * sizeof(void*));
    items_[current_] = p;
    count_++;
    return 0;
}

void* ObjectStore::GetFirst() {
    current_ = 0;
    return GetCurrent();
}

void* ObjectStore::GetNext() {
    if (current_ < -1) current_ = -1;
    if (current_ < count_) current_++;
    return GetCurrent();
}

void* ObjectStore::GetPrevious() {
    if (current_ > count_) current_ = count_;
    if (current_ > -1) current_--;
    return GetCurrent();
}

void* ObjectStore::GetLast() {
    current_ = count_ - 1;
    return GetCurrent();
}

void* ObjectStore::GetCurrent() const { return in_range(current_) ? items_[current_] : nullptr; }

void* ObjectStore::operator[](int i) {
    current_ = i;
    return GetCurrent();
}

void* ObjectStore::operator[](int i) const { return in_range(i) ? items_[i] : nullptr; }

void* ObjectStore::RemoveCurrent() {
    if (!in_range(current_)) return nullptr;
    void* p = items_[current_];
    count_--;
    std::memmove(items_ + current_, items_ + current_ + 1,
                 static_cast<size_t>(count_ - current_) * sizeof(void*));
    return p;
}

void ObjectStore::DestroyCurrent() {
    if (!in_range(current_)) return;
    DestroyObject(RemoveCurrent());
}

void ObjectStore::DestroyAll() {
    for (int i = 0; i < count_; i++) DestroyObject(items_[i]);
    count_ = 0;
    current_ = 0;
}

void ObjectStore::RemoveAll() {
    count_ = 0;
    current_ = 0;
}
