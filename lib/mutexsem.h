// MutexSem: a recursive mutex with time-outs that knows its owning thread.
#pragma once

#include <pthread.h>

#include <atomic>

class MutexSem {
public:
    // The name only documents the lock at its place of creation.
    explicit MutexSem(const char* name = nullptr);
    // Releases one request of the calling thread, then destroys the mutex.
    ~MutexSem();
    MutexSem(const MutexSem&) = delete;
    MutexSem& operator=(const MutexSem&) = delete;

    // Time-out in milliseconds: 0 tries once, -1 waits without limit, any
    // other value waits until that long from now. 0 or the error number
    // (EBUSY, ETIMEDOUT, ...). The same thread may request it again; each
    // request needs its own Release.
    [[nodiscard]] int Request(int timeout_ms = -1);
    // Undoes one request; does nothing unless the calling thread owns the mutex.
    void Release();

    // The standard lockable interface, so that std::lock_guard and
    // std::unique_lock hold the mutex for a scope. lock() waits without limit;
    // a recursive mutex fails there only on a broken program (a corrupt mutex
    // or a recursion count overflow), which aborts rather than run unlocked.
    void lock();
    void unlock() { Release(); }
    [[nodiscard]] bool try_lock() { return Request(0) == 0; }
    // Whether some thread holds the mutex.
    bool IsOwned() const { return count_.load() > 0; }
    // Whether the calling thread holds the mutex.
    bool IsOwnedByCaller() const;

private:
    pthread_mutex_t mutex_;
    // Set by the owner just after locking, cleared just before the last
    // unlock, so only the owner itself ever finds its own id here.
    std::atomic<pthread_t> owner_;
    std::atomic<int> count_;
};
