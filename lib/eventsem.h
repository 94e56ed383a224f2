// EventSem: a manual-reset event; once triggered it stays set until Reset.
#pragma once

#include <pthread.h>

class EventSem {
public:
    EventSem();
    ~EventSem();
    EventSem(const EventSem&) = delete;
    EventSem& operator=(const EventSem&) = delete;

    // Sets the flag and wakes the waiting threads.
    void Trigger();
    // Clears the flag.
    void Reset();
    // Waits until the flag is set: 0 when it is (or becomes) set, ETIMEDOUT
    // when the time-out passes first. Time-out in milliseconds: 0 returns at
    // once, -1 waits without limit. The flag is left set.
    [[nodiscard]] int WaitFor(int timeout_ms = -1);
    bool IsSet();

private:
    pthread_mutex_t mutex_;
    pthread_cond_t condition_;
    bool set_;
};
