#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
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
    ASSERT_EQ(mutex.Request(0), 0);
    ASSERT_EQ(mutex.Request(100), 0);
    EXPECT_TRUE(mutex.IsOwned());
    EXPECT_TRUE(mutex.IsOwnedByCaller());
    mutex.Release();
    mutex.Release();
    EXPECT_TRUE(mutex.IsOwned());
    RunOnThread([&] {
        EXPECT_FALSE(mutex.IsOwnedByCaller());
        EXPECT_EQ(mutex.Request(0), EBUSY);
        EXPECT_EQ(mutex.Request(30), ETIMEDOUT);
        EXPECT_EQ(mutex.Request(-7), ETIMEDOUT);  // a deadline already passed
        mutex.Release();                           // not its own: no effect
        mutex.Release();
    });
    EXPECT_TRUE(mutex.IsOwnedByCaller());
    mutex.Release();
    EXPECT_FALSE(mutex.IsOwned());
    RunOnThread([&] {
        EXPECT_EQ(mutex.Request(0), 0);
        mutex.Release();
    });
    mutex.Release();  // a release too many is ignored
    EXPECT_FALSE(mutex.IsOwned());
    EXPECT_EQ(mutex.Request(0), 0);
    mutex.Release();
    auto* owned = new MutexSem;
    ASSERT_EQ(owned->Request(), 0);
    delete owned;  // must not leave a locked mutex behind to destroy
}

TEST(MutexSem, WaitingRequestGetsTheMutexWhenReleased) {
    MutexSem mutex;
    EventSem waiting;
    std::atomic<bool> got{false};
    int result = -1;
    ASSERT_EQ(mutex.Request(), 0);
    auto body = [&] {
        waiting.Trigger();
        result = mutex.Request(-1);
        got = true;
        mutex.Release();
    };
    ThreadHandle thread = Start(body);
    ASSERT_TRUE(thread.Valid());
    ASSERT_EQ(waiting.WaitFor(10000), 0);
    EXPECT_FALSE(got.load());
    mutex.Release();
    ASSERT_EQ(thread.Wait(), 0);
    EXPECT_TRUE(got.load());
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(mutex.IsOwned());
}

TEST(MutexSem, GuardsACounter) {
    MutexSem mutex;
    int counter = 0;
    auto body = [&] {
        for (int k = 0; k < 10000; k++) {
            mutex.Request();
            mutex.Request();  // nested, as callers of callers do
            ++counter;
            mutex.Release();
            mutex.Release();
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
    for (int timeout : {0, 0, -1}) EXPECT_EQ(event.WaitFor(timeout), 0) << timeout;  // manual reset: still set
    EXPECT_TRUE(event.IsSet());
    event.Reset();
    for (int timeout : {0, 20}) EXPECT_EQ(event.WaitFor(timeout), ETIMEDOUT) << timeout;
}

TEST(EventSem, TriggerWakesWaiters) {
    for (int timeout : {-1, 60000}) {
        EventSem event, started;
        std::atomic<int> waiting{0}, woken{0}, failures{0};
        auto body = [&] {
            waiting++;
            started.Trigger();
            (event.WaitFor(timeout) == 0 ? woken : failures)++;
        };
        std::vector<ThreadHandle> threads;
        for (int i = 0; i < 3; i++) threads.push_back(Start(body));
        ASSERT_EQ(started.WaitFor(10000), 0);
        // Give all three a chance to block before the one trigger.
        while (waiting.load() < 3) usleep(1000);
        usleep(20000);
        event.Trigger();
        for (ThreadHandle& thread : threads) EXPECT_EQ(thread.Wait(), 0);
        EXPECT_EQ(woken.load(), 3) << timeout;
        EXPECT_EQ(failures.load(), 0) << timeout;
    }
}

TEST(Thread, StartAndWait) {
    std::atomic<int> value{0};
    ThreadHandle thread;
    EXPECT_FALSE(thread.Valid());
    EXPECT_EQ(thread.Wait(), 0);
    thread = StartThread([](void* argument) { static_cast<std::atomic<int>*>(argument)->store(42); }, &value, 65536);
    EXPECT_TRUE(thread.Valid());
    EXPECT_EQ(thread.Wait(), 0);
    EXPECT_EQ(value.load(), 42);
    EXPECT_FALSE(thread.Valid());
    EXPECT_EQ(thread.Wait(), 0);
    // Many threads leave nothing behind (the sanitizer build checks).
    auto count = [&] { ++value; };
    std::vector<ThreadHandle> threads;
    for (int i = 0; i < 64; i++) threads.push_back(Start(count));
    for (ThreadHandle& t : threads) EXPECT_EQ(t.Wait(), 0);
    EXPECT_EQ(value.load(), 42 + 64);
    EXPECT_EQ(RaisePriority(), 0);  // priorities are not changed, and that is no error
    EXPECT_EQ(LowerPriority(), 0);
}

TEST(OSError, Messages) {
    EXPECT_TRUE(GetOSErrorMessage(ENOENT) == L"No such file or directory");
    EXPECT_TRUE(GetOSErrorMsg(EACCES) == L"Permission denied");
    EXPECT_TRUE(GetOSErrorMessage(ENOSPC) == L"No space left on device");
    for (int error : {0, ENOENT, EIO, 99999, -1}) {  // never empty, no trailing blank or line feed
        Westring text = GetOSErrorMessage(error);
        int n = text.strlen();
        ASSERT_GT(n, 0) << error;
        EXPECT_NE(text[n - 1], L' ');
        EXPECT_NE(text[n - 1], L'\n');
    }
}

TEST(OSError, SameTextOnManyThreads) {
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
