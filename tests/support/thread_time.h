// The processor time the calling thread has used, for tests that compare the
// cost of the same work at two sizes: other work on a busy machine does not
// change it, as it changes the time on the clock.
#pragma once

#include <ctime>

inline double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}
