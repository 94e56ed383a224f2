// SortedCollection: an owning array of pointers kept in the order of a key
// and searched by bisection. TSortedCollection<T, K> supplies the element
// type T and key type K; a derived collection supplies the key and the
// comparison.
#pragma once

class SortedCollection {
public:
    static constexpr int kInitialCapacity = 100;

    SortedCollection();
    // Frees the array. The elements must already be gone: a class that
    // implements DestroyItem calls DestroyAll in its own destructor, since
    // DestroyItem can no longer be reached from here.
    virtual ~SortedCollection();
    SortedCollection(const SortedCollection&) = delete;
    SortedCollection& operator=(const SortedCollection&) = delete;

    virtual const void* KeyFromItem(const void* item) const = 0;
    // Negative, 0 or positive as key is below, equal to or above item's key.
    virtual int compare(const void* key, const void* item) const = 0;
    virtual void DestroyItem(void* item) = 0;

    // Equal keys may be added.
    bool duplicates;
    // Items are appended as they come. FindPosition and FindItem then look
    // at every item for an equal key; the ordered searches mean nothing.
    bool unsorted;

    int count() const { return count_; }
    int current() const { return current_; }
    int capacity() const { return capacity_; }

    // 0 when added; -1 when refused (an equal key exists and duplicates are
    // not allowed, item is null, or the collection holds INT_MAX items): the
    // caller then still owns item. The cursor is left alone.
    int AddItem(void* item);

    // 0 when an item with an equal key exists (position = where the bisection
    // met it); -1 otherwise (position = where key would be inserted).
    int FindPosition(int& position, const void* key) const;
    // The item with an equal key, or null; sets current when found.
    void* FindItem(const void* key);
    // The item with an equal key, else the first with a greater key, else
    // null; sets current to its index (count when null).
    void* FindGreaterEqual(const void* key);
    // The item with an equal key, else the last with a smaller key, else
    // null; sets current to its index (-1 when null).
    void* FindLessEqual(const void* key);

    void* FindFirst();   // current = 0
    void* FindNext();    // current moves on, stopping at count
    void* GetCurrent() const;

    // Item i, or null when i is outside 0..count-1; this form sets current = i.
    void* operator[](int i);
    // Item i, or null; the cursor is left alone.
    void* At(int i) const;

    // Takes the item at current out without destroying it (null when current
    // is out of range); current then names the item after it.
    void* RemoveCurrent();
    // The same, destroying the item.
    void DestroyCurrent();
    // Destroys every item in order; the collection is then empty.
    void DestroyAll();
    // Forgets every item without destroying it (the caller keeps them).
    void RemoveAll();
    // Exchanges the items, counts, capacities, cursors and flags with other.
    // Both must order their items the same way (the same derived class),
    // or each would then hold items sorted by the other's comparison.
    void Swap(SortedCollection& other);

private:
    void** items_;
    int count_;
    int capacity_;
    int current_;

    bool in_range(int i) const { return i >= 0 && i < count_; }
    int insert_at(int position, void* item);
};

template <class T, class K>
class TSortedCollection : public SortedCollection {
public:
    // A derived class that overrides DestroyItem calls DestroyAll in its own
    // destructor, since its override is gone by the time this one runs.
    ~TSortedCollection() override { DestroyAll(); }

    virtual const K* KeyFromItem(const T* item) const = 0;
    virtual int compare(const K* a, const K* b) const = 0;

    const void* KeyFromItem(const void* item) const final {
        return KeyFromItem(static_cast<const T*>(item));
    }
    int compare(const void* key, const void* item) const final {
        return compare(static_cast<const K*>(key), KeyFromItem(static_cast<const T*>(item)));
    }
    void DestroyItem(void* item) override { delete static_cast<T*>(item); }

    int AddItem(T* item) { return SortedCollection::AddItem(item); }
    int FindPosition(int& position, const K* key) const {
        return SortedCollection::FindPosition(position, key);
    }
    T* FindItem(const K* key) { return static_cast<T*>(SortedCollection::FindItem(key)); }
    T* FindGreaterEqual(const K* key) {
        return static_cast<T*>(SortedCollection::FindGreaterEqual(key));
    }
    T* FindLessEqual(const K* key) {
        return static_cast<T*>(SortedCollection::FindLessEqual(key));
    }
    T* FindFirst() { return static_cast<T*>(SortedCollection::FindFirst()); }
    T* FindNext() { return static_cast<T*>(SortedCollection::FindNext()); }
    T* GetCurrent() const { return static_cast<T*>(SortedCollection::GetCurrent()); }
    T* operator[](int i) { return static_cast<T*>(SortedCollection::operator[](i)); }
    T* At(int i) const { return static_cast<T*>(SortedCollection::At(i)); }
    T* RemoveCurrent() { return static_cast<T*>(SortedCollection::RemoveCurrent()); }
};
