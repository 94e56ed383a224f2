// TSmartPtr: holds one owned pointer and deletes it when the holder goes.
#pragma once

template <class T>
class TSmartPtr {
public:
    TSmartPtr() : p_(nullptr) {}
    explicit TSmartPtr(T* p) : p_(p) {}
    ~TSmartPtr() { delete p_; }
    TSmartPtr(const TSmartPtr&) = delete;
    TSmartPtr& operator=(const TSmartPtr&) = delete;

    // Takes p, deleting the pointer held before (unless it is p itself).
    TSmartPtr& operator=(T* p) {
        reset(p);
        return *this;
    }
    void reset(T* p = nullptr) {
        if (p == p_) return;
        T* old = p_;
        p_ = p;
        delete old;
    }
    // Hands the pointer back to the caller; the holder is then empty.
    T* release() {
        T* p = p_;
        p_ = nullptr;
        return p;
    }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_;
};
