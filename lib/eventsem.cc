#include "lib/eventsem.h"

#include <cerrno>
#include <ctime>

EventSem::EventSem() : set_(false) {
    pthread_mutex_init(&mutex_, nullptr);
    // Time-outs count on the monotonic clock so that setting the system
    // clock neither shortens nor stretches a wait.
    pthread_condattr_t attributes;
    pthread_condattr_init(&attributes);
    pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
    pthread_cond_init(&condition_, &attributes);
    pthread_condattr_destroy(&attributes);
}

EventSem::~EventSem() {
    pthread_cond_destroy(&condition_);
    pthread_mutex_destroy(&mutex_);
}

void EventSem::Trigger() {
    pthread_mutex_lock(&mutex_);
    set_ = true;
    // Every waiter may go: the flag stays set for all of them.
    pthread_cond_broadcast(&condition_);
    pthread_mutex_unlock(&mutex_);
}

void EventSem::Reset() {
    pthread_mutex_lock(&mutex_);
    set_ = false;
    pthread_mutex_unlock(&mutex_);
}

bool EventSem::IsSet() {
    pthread_mutex_lock(&mutex_);
    bool set = set_;
    pthread_mutex_unlock(&mutex_);
    return set;
}

int EventSem::WaitFor(int timeout_ms) {
    struct timespec deadline;
    if (timeout_ms != -1) {
        if (timeout_ms < 0) timeout_ms = 0;
        clock_gettime(CLOCK_MONOTONIC, &deadline);
        deadline.tv_sec += timeout_ms / 1000;
        deadline.tv_nsec += static_cast<long>(timeout_ms % 1000) * 1000000L;
        if (deadline.tv_nsec >= 1000000000L) {
            deadline.tv_sec += 1;
            deadline.tv_nsec -= 1000000000L;
        }
    }
    pthread_mutex_lock(&mutex_);
    int result = 0;
    while (!set_) {
        if (timeout_ms == 0) {
            result = ETIMEDOUT;
            break;
        }
        if (timeout_ms == -1) {
            pthread_cond_wait(&condition_, &mutex_);
        } else if (pthread_cond_timedwait(&condition_, &mutex_, &deadline) == ETIMEDOUT) {
            result = set_ ? 0 : ETIMEDOUT;
            break;
        }
    }
    pthread_mutex_unlock(&mutex_);
    return result;
}
