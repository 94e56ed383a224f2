// ObjectStore: an owning array of pointers in insertion order, with a cursor.
// TObjectStoreAbstract<T> supplies the element type's destruction and
// TObjectStore<T> typed access.
#pragma once

// The capacity after capacity when one more slot is needed: capacity * 13 / 10,
// at least one more, at most INT_MAX; -1 when capacity is already INT_MAX.
int NextCapacity(int capacity);

// Grows items (count pointers in use, capacity slots) to NextCapacity(capacity)
// slots, releasing the old array. Returns the new array, or null when the
// capacity cannot grow any more (items and capacity are then unchanged).
// Running out of memory ends the program with a message.
void** GrowPointerArray(void** items, int count, int& capacity);

class ObjectStore {
public:
    static constexpr int kInitialCapacity = 10;

    ObjectStore();
    // Frees the array. The elements must already be gone: a class that
    // implements DestroyObject calls DestroyAll in its own destructor, since
    // DestroyObject can no longer be reached from here.
    virtual ~ObjectStore();
    ObjectStore(const ObjectStore&) = delete;
    ObjectStore& operator=(const ObjectStore&) = delete;

    // Destroys one element.
    virtual void DestroyObject(void* p) = 0;

    int count() const { return count_; }
    int current() const { return current_; }
    int capacity() const { return capacity_; }

    // Appends p; current becomes its index. 0, or -1 when the store already
    // holds INT_MAX elements (the caller then still owns p).
    int AddObject(void* p);
    // Inserts p at current (clamped to 0..count); current then names p.
    // Results as for AddObject.
    int InsertObject(void* p);

    void* GetFirst();      // current = 0
    void* GetNext();       // current moves on, stopping at count
    void* GetPrevious();   // current moves back, stopping at -1
    void* GetLast();       // current = count - 1
    void* GetCurrent() const;

    // Element i, or null when i is outside 0..count-1; this form sets current = i.
    void* operator[](int i);
    void* operator[](int i) const;

    // Takes the element at current out without destroying it (null when
    // current is out of range); current then names the element after it.
    void* RemoveCurrent();
    // The same, destroying the element.
    void DestroyCurrent();
    // Destroys every element in order; the store is then empty.
    void DestroyAll();
    // Forgets every element without destroying it (the caller keeps them).
    void RemoveAll();

private:
    int current_;
    int count_;
    void** items_;
    int capacity_;

    bool in_range(int i) const { return i >= 0 && i < count_; }
};

// An ObjectStore of T; elements are deleted unless a derived class says otherwise.
template <class T>
class TObjectStoreAbstract : public ObjectStore {
public:
    // A derived class that overrides DestroyObject(T*) calls DestroyAll in its
    // own destructor, since its override is gone by the time this one runs.
    ~TObjectStoreAbstract() override { DestroyAll(); }

    void DestroyObject(void* p) override { DestroyObject(static_cast<T*>(p)); }
    // Destroys one element; null is ignored.
    virtual void DestroyObject(T* p) { delete p; }
};

// Typed access to an ObjectStore of T.
template <class T>
class TObjectStore : public TObjectStoreAbstract<T> {
    using Base = TObjectStoreAbstract<T>;

public:
    int AddObject(T* p) { return Base::AddObject(p); }
    int InsertObject(T* p) { return Base::InsertObject(p); }

    T* GetFirst() { return static_cast<T*>(Base::GetFirst()); }
    T* GetNext() { return static_cast<T*>(Base::GetNext()); }
    T* GetPrevious() { return static_cast<T*>(Base::GetPrevious()); }
    T* GetLast() { return static_cast<T*>(Base::GetLast()); }
    T* GetCurrent() const { return static_cast<T*>(Base::GetCurrent()); }

    T* operator[](int i) { return static_cast<T*>(Base::operator[](i)); }
    T* operator[](int i) const { return static_cast<T*>(Base::operator[](i)); }

    T* RemoveCurrent() { return static_cast<T*>(Base::RemoveCurrent()); }
};
