// Starting threads and waiting for them.
#pragma once

#include <pthread.h>

#include <cstddef>

// The platform's thread identifier; 0 stands for no thread.
typedef pthread_t ThreadId;
typedef void (*ThreadFunction)(void* argument);

// Starts a thread that calls function(argument). The stack size is accepted
// for the callers' sake and has no effect. 0 when the thread could not be
// started.
ThreadId StartThread(ThreadFunction function, void* argument, size_t stack_size = 0);

// A started thread to wait for.
class ThreadHandle {
public:
    ThreadHandle() = default;
    ThreadHandle(ThreadId id) : id_(id) {}
    ThreadHandle& operator=(ThreadId id) {
        id_ = id;
        return *this;
    }

    bool Valid() const { return id_ != ThreadId(); }
    ThreadId Id() const { return id_; }
    // Joins the thread: 0 at once when there is none, else the join's result;
    // the handle becomes empty when the join succeeded. Joining a thread the
    // program started fails only through a programming error, so stopping
    // code may ignore the result.
    int Wait();

private:
    ThreadId id_ = ThreadId();
};

