#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "lib/eventsem.h"
#include "lib/mutexsem.h"
#include "lib/oserror.h"
#include "lib/thread.h"

namespace {

// Starts a lambda on a thread of StartThread; body must outlive the thread.
template <typename Body>
ThreadHandle Start(Body& body) {
    return StartThread([](void* argument) { (*static_cast<Body*>(argument))(); }, &body);
}

// Runs a lambda on a thread of StartThread and waits for it.
template <typename Body>
void RunOnThread(Body body) {
    ThreadHandle thread = Start(body);
    ASSERT_TRUE(thread.Valid());
    ASSERT_EQ(thread.Wait(), 0);
}

TEST(MutexSem, RecursionAndOwnership) {
    MutexSem mutex("test");
    EXPECT_FALSE(mutex.IsOwned());
    ASSERT_EQ(mutex.Request(), 0);
    ASSERT_EQ(mutex.Request(100), 0);
    mutex.Release();
    EXPECT_TRUE(mutex.IsOwned());
    RunOnThread([&] {
        EXPECT_FALSE(mutex.IsOwnedByCaller());
        EXPECT_EQ(mutex.Request(0), EBUSY);
        EXPECT_EQ(mutex.Request(30), ETIMEDOUT);
        mutex.Release();  // not its own: no effect
    });
    EXPECT_TRUE(mutex.IsOwnedByCaller());
    mutex.Release();
    mutex.Release();  // a release too many is ignored
    EXPECT_FALSE(mutex.IsOwned());
    auto* owned = new MutexSem;
    ASSERT_EQ(owned->Request(), 0);
    delete owned;  // must not leave a locked mutex behind to destroy
}

TEST(MutexSem, GuardsACounter) {
    MutexSem mutex;
    int counter = 0;
    auto body = [&] {
        for (int k = 0; k < 10000; k++) {
            std::lock_guard outer(mutex);
            std::lock_guard inner(mutex);  // nested, as callers of callers do
            ++counter;
        }
    };
    std::vector<ThreadHandle> threads;
    for (int i = 0; i < 4; i++) threads.push_back(Start(body));
    for (ThreadHandle& thread : threads) EXPECT_EQ(thread.Wait(), 0);
    EXPECT_EQ(counter, 40000);
}

TEST(EventSem, WaitForZero) {
    EventSem event;
    EXPECT_FALSE(event.IsSet());
    EXPECT_EQ(event.WaitFor(0), ETIMEDOUT);
    event.Trigger();
    for (int timeout : {0, -1}) EXPECT_EQ(event.WaitFor(timeout), 0) << timeout;  // manual reset: still set
    event.Reset();
    EXPECT_EQ(event.WaitFor(20), ETIMEDOUT);
}

TEST(EventSem, TriggerWakesWaiters) {
    EventSem event;
    std::atomic<int> waiting{0}, woken{0};
    auto body = [&] {
        int mine = waiting++;  // one waits without limit, the others with one
        if (event.WaitFor(mine == 0 ? -1 : 60000) == 0) woken++;
    };
    std::vector<ThreadHandle> threads;
    for (int i = 0; i < 3; i++) threads.push_back(Start(body));
    // Give all three a chance to block before the one trigger.
    while (waiting.load() < 3) usleep(1000);
    usleep(20000);
    event.Trigger();
    for (ThreadHandle& thread : threads) EXPECT_EQ(thread.Wait(), 0);
    EXPECT_EQ(woken.load(), 3);
}

TEST(Thread, StartAndWait) {
    std::atomic<int> value{0};
    ThreadHandle thread;
    EXPECT_EQ(thread.Wait(), 0);  // waiting for no thread is harmless
    thread = StartThread([](void* argument) { static_cast<std::atomic<int>*>(argument)->store(42); }, &value, 65536);
    EXPECT_EQ(thread.Wait(), 0);
    EXPECT_EQ(value.load(), 42);
}

TEST(OSError, MessagesAlsoOnManyThreads) {
    EXPECT_TRUE(GetOSErrorMessage(ENOENT) == L"No such file or directory");
    for (int error : {0, 99999, -1}) {  // never empty, no trailing blank or line feed
        Westring text = GetOSErrorMessage(error);
        int n = text.strlen();
        ASSERT_GT(n, 0) << error;
        EXPECT_NE(text[n - 1], L' ');
        EXPECT_NE(text[n - 1], L'\n');
    }
    std::atomic<int> mismatches{0};
    auto body = [&] {
        for (int k = 0; k < 500; k++) {
            int error = (k % 2) ? ENOENT : 12345 + k;
            Westring expected = (k % 2) ? Westring(L"No such file or directory")
                                        : Westring(("Unknown error " + std::to_string(error)).c_str());
            if (GetOSErrorMessage(error) != expected) mismatches++;
        }
    };
    std::vector<ThreadHandle> threads;
    for (int i = 0; i < 8; i++) threads.push_back(Start(body));
    for (ThreadHandle& thread : threads) EXPECT_EQ(thread.Wait(), 0);
    EXPECT_EQ(mismatches.load(), 0);
}

}  // namespace
