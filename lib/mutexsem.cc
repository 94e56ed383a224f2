#include "lib/mutexsem.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

MutexSem::MutexSem(const char*) : owner_(pthread_t()), count_(0) {
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&mutex_, &attributes);
    pthread_mutexattr_destroy(&attributes);
}

MutexSem::~MutexSem() {
    Release();
    pthread_mutex_destroy(&mutex_);
}

int MutexSem::Request(int timeout_ms) {
    int result;
    if (timeout_ms == 0) {
        result = pthread_mutex_trylock(&mutex_);
    } else if (timeout_ms == -1) {
        result = pthread_mutex_lock(&mutex_);
    } else {
        struct timespec deadline;
        clock_gettime(CLOCK_REALTIME, &deadline);
        deadline.tv_sec += timeout_ms / 1000;
        deadline.tv_nsec += static_cast<long>(timeout_ms % 1000) * 1000000L;
        // A negative time-out lies in the past: normalise into [0, 1 s).
        if (deadline.tv_nsec >= 1000000000L) {
            deadline.tv_sec += 1;
            deadline.tv_nsec -= 1000000000L;
        } else if (deadline.tv_nsec < 0) {
            deadline.tv_sec -= 1;
            deadline.tv_nsec += 1000000000L;
        }
        do {
            result = pthread_mutex_timedlock(&mutex_, &deadline);
        } while (result == EINTR);
    }
    if (result != 0) return result;
    owner_.store(pthread_self());
    count_.fetch_add(1);
    return 0;
}

void MutexSem::lock() {
    int result = Request(-1);
    if (result != 0) {
        std::fprintf(stderr, "MutexSem: cannot lock: %s\n", std::strerror(result));
        std::abort();
    }
}

void MutexSem::Release() {
    if (!IsOwnedByCaller()) return;
    if (count_.fetch_sub(1) == 1) owner_.store(pthread_t());
    pthread_mutex_unlock(&mutex_);
}

bool MutexSem::IsOwnedByCaller() const {
    return count_.load() > 0 && pthread_equal(owner_.load(), pthread_self());
}
