#include "lib/thread.h"

namespace {

// What the new thread needs to know; it owns and frees this record.
struct ThreadStart {
    ThreadFunction function;
    void* argument;
};

void* run_thread(void* record) {
    // Taken out first so that the record is freed even when the function
    // ends its thread with pthread_exit.
    ThreadStart start = *static_cast<ThreadStart*>(record);
    delete static_cast<ThreadStart*>(record);
    start.function(start.argument);
    return nullptr;
}

}  // namespace

ThreadId StartThread(ThreadFunction function, void* argument, size_t) {
    ThreadStart* start = new ThreadStart{function, argument};
    pthread_t id;
    if (pthread_create(&id, nullptr, run_thread, start) != 0) {
        delete start;
        return ThreadId();
    }
    return id;
}

int ThreadHandle::Wait() {
    if (!Valid()) return 0;
    int result = pthread_join(id_, nullptr);
    if (result == 0) id_ = ThreadId();
    return result;
}

