#include "lib/sortedcollection.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "lib/objectstore.h"

SortedCollection::SortedCollection()
    : duplicates(false),
      unsorted(false),
      items_(nullptr),
      count_(0),
      capacity_(kInitialCapacity),
      current_(0) {
    items_ = static_cast<void**>(std::malloc(kInitialCapacity * sizeof(void*)));
    if (!items_) {
        std::fputs("dv: out of memory for a collection\n", stderr);
        std::abort();
    }
}

SortedCollection::~SortedCollection() { std::free(items_); }

int SortedCollection::insert_at(int position, void* item) {
    if (count_ == capacity_) {
        void** grown = GrowPointerArray(items_, count_, capacity_);
        if (!grown) return -1;
        items_ = grown;
    }
    std::memmove(items_ + position + 1, items_ + position,
                 static_cast<size_t>(count_ - position) * sizeof(void*));
    items_[position] = item;
    count_++;
    return 0;
}

int SortedCollection::AddItem(void* item) {
    // A null item has no key; taking it would break every later search.
    if (!item) return -1;
    if (unsorted) return insert_at(count_, item);
    int position;
    if (FindPosition(position, KeyFromItem(item)) == 0 && !duplicates) return -1;
    return insert_at(position, item);
}

int SortedCollection::FindPosition(int& position, const void* key) const {
    if (unsorted) {
        // No order to bisect: look at every item.
        for (int i = 0; i < count_; i++) {
            if (compare(key, items_[i]) == 0) {
                position = i;
                return 0;
            }
        }
        position = count_;
        return -1;
    }
    int low = 0, high = count_ - 1;
    while (low <= high) {
        int middle = low + (high - low) / 2;
        int c = compare(key, items_[middle]);
        if (c == 0) {
            position = middle;
            return 0;
        }
        if (c > 0)
            low = middle + 1;
        else
            high = middle - 1;
    }
    position = low;
    return -1;
}

void* SortedCollection::FindItem(const void* key) {
    int position;
    if (FindPosition(position, key) != 0) return nullptr;
    current_ = position;
    return items_[position];
}

void* SortedCollection::FindGreaterEqual(const void* key) {
    FindPosition(current_, key);
    return GetCurrent();
}

void* SortedCollection::FindLessEqual(const void* key) {
    int position;
    if (FindPosition(position, key) != 0) position--;
    current_ = position;
    return GetCurrent();
}

void* SortedCollection::FindFirst() {
    current_ = 0;
    return GetCurrent();
}

void* SortedCollection::FindNext() {
    if (current_ < -1) current_ = -1;
    if (current_ < count_) current_++;
    return GetCurrent();
}

void* SortedCollection::GetCurrent() const { return in_range(current_) ? items_[current_] : nullptr; }

void* SortedCollection::operator[](int i) {
    current_ = i;
    return GetCurrent();
}

void* SortedCollection::At(int i) const { return in_range(i) ? items_[i] : nullptr; }

void* SortedCollection::RemoveCurrent() {
    if (!in_range(current_)) return nullptr;
    void* item = items_[current_];
    count_--;
    std::memmove(items_ + current_, items_ + current_ + 1,
                 static_cast<size_t>(count_ - current_) * sizeof(void*));
    return item;
}

void SortedCollection::DestroyCurrent() {
    if (!in_range(current_)) return;
    DestroyItem(RemoveCurrent());
}

void SortedCollection::DestroyAll() {
    for (int i = 0; i < count_; i++) DestroyItem(items_[i]);
    count_ = 0;
    current_ = 0;
}

void SortedCollection::RemoveAll() {
    count_ = 0;
    current_ = 0;
}

void SortedCollection::Swap(SortedCollection& other) {
    if (&other == this) return;
    std::swap(items_, other.items_);
    std::swap(count_, other.count_);
    std::swap(capacity_, other.capacity_);
    std::swap(current_, other.current_);
    std::swap(duplicates, other.duplicates);
    std::swap(unsorted, other.unsorted);
}
