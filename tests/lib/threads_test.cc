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

// Runs a lambda on a thread of StartThread and waits for it.
template <typename Body>
void RunOnThread(Body body) {
    ThreadHandle thread = StartThread([](void* argument) { (*static_cast<Body*>(argument))(); }, &body);
    ASSERT_TRUE(thread.Valid());
    ASSERT_EQ(thread.Wait(), 0);
}

TEST(MutexSem, Recursion) {
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
    RunOnThread([&] { EXPECT_EQ(mutex.Request(0), EBUSY); });
    mutex.Release();
    EXPECT_FALSE(mutex.IsOwned());
    RunOnThread([&] {
        EXPECT_EQ(mutex.Request(0), 0);
        mutex.Release();
    });
    // A release too many is ignored.
    mutex.Release();
    EXPECT_FALSE(mutex.IsOwned());
    EXPECT_EQ(mutex.Request(0), 0);
    mutex.Release();
}

TEST(MutexSem, ReleaseByOtherThreadHasNoEffect) {
    MutexSem mutex;
    ASSERT_EQ(mutex.Request(), 0);
    RunOnThread([&] {
        EXPECT_FALSE(mutex.IsOwnedByCaller());
        mutex.Release();
        mutex.Release();
    });
    EXPECT_TRUE(mutex.IsOwned());
    EXPECT_TRUE(mutex.IsOwnedByCaller());
    RunOnThread([&] { EXPECT_EQ(mutex.Request(0), EBUSY); });
    mutex.Release();
    EXPECT_FALSE(mutex.IsOwned());
}

TEST(MutexSem, TimedRequestTimesOut) {
    MutexSem mutex;
    ASSERT_EQ(mutex.Request(), 0);
    RunOnThread([&] {
        EXPECT_EQ(mutex.Request(30), ETIMEDOUT);
        EXPECT_EQ(mutex.Request(-7), ETIMEDOUT);  // a deadline already passed
    });
    mutex.Release();
}

TEST(MutexSem, WaitingRequestGetsTheMutexWhenReleased) {
    MutexSem mutex;
    EventSem waiting;
    std::atomic<bool> got{false};
    ASSERT_EQ(mutex.Request(), 0);
    struct Shared {
        MutexSem* mutex;
        EventSem* waiting;
        std::atomic<bool>* got;
        int result = -1;
    } shared{&mutex, &waiting, &got};
    ThreadHandle thread = StartThread(
        [](void* argument) {
            Shared* s = static_cast<Shared*>(argument);
            s->waiting->Trigger();
            s->result = s->mutex->Request(-1);
            s->got->store(true);
            s->mutex->Release();
        },
        &shared);
    ASSERT_TRUE(thread.Valid());
    ASSERT_EQ(waiting.WaitFor(10000), 0);
    EXPECT_FALSE(got.load());
    mutex.Release();
    ASSERT_EQ(thread.Wait(), 0);
    EXPECT_TRUE(got.load());
    EXPECT_EQ(shared.result, 0);
    EXPECT_FALSE(mutex.IsOwned());
}

TEST(MutexSem, GuardsACounter) {
    MutexSem mutex;
    int counter = 0;
    struct Shared {
        MutexSem* mutex;
        int* counter;
    } shared{&mutex, &counter};
    std::vector<ThreadHandle> threads;
    for (int i = 0; i < 4; i++) {
        threads.push_back(StartThread(
            [](void* argument) {
                Shared* s = static_cast<Shared*>(argument);
                for (int k = 0; k < 10000; k++) {
                    s->mutex->Request();
                    s->mutex->Request();  // nested, as callers of callers do
                    ++*s->counter;
                    s->mutex->Release();
                    s->mutex->Release();
                }
            },
            &shared));
    }
    for (ThreadHandle& thread : threads) EXPECT_EQ(thread.Wait(), 0);
    EXPECT_EQ(counter, 40000);
}

TEST(MutexSem, DestructorReleasesOwnRequest) {
    auto* mutex = new MutexSem;
    ASSERT_EQ(mutex->Request(), 0);
    delete mutex;  // must not leave a locked mutex behind to destroy
}

TEST(EventSem, WaitForZero) {
    EventSem event;
    EXPECT_FALSE(event.IsSet());
    EXPECT_EQ(event.WaitFor(0), ETIMEDOUT);
    event.Trigger();
    EXPECT_EQ(event.WaitFor(0), 0);
    EXPECT_EQ(event.WaitFor(0), 0);  // manual reset: still set
    EXPECT_EQ(event.WaitFor(-1), 0);
    EXPECT_TRUE(event.IsSet());
    event.Reset();
    EXPECT_EQ(event.WaitFor(0), ETIMEDOUT);
    EXPECT_EQ(event.WaitFor(20), ETIMEDOUT);
}

TEST(EventSem, TriggerWakesWaiters) {
    for (int timeout : {-1, 60000}) {
        EventSem event;
        EventSem started;
        struct Shared {
            EventSem* event;
            EventSem* started;
            int timeout;
            std::atomic<int> waiting{0};
            std::atomic<int> woken{0};
            std::atomic<int> failures{0};
        } shared{&event, &started, timeout};
        std::vector<ThreadHandle> threads;
        for (int i = 0; i < 3; i++) {
            threads.push_back(StartThread(
                [](void* argument) {
                    Shared* s = static_cast<Shared*>(argument);
                    s->waiting++;
                    s->started->Trigger();
                    if (s->event->WaitFor(s->timeout) == 0) {
                        s->woken++;
                    } else {
                        s->failures++;
                    }
                },
                &shared));
        }
        ASSERT_EQ(started.WaitFor(10000), 0);
        // Give all three a chance to block before the one trigger.
        while (shared.waiting.load() < 3) usleep(1000);
        usleep(20000);
        event.Trigger();
        for (ThreadHandle& thread : threads) EXPECT_EQ(thread.Wait(), 0);
        EXPECT_EQ(shared.woken.load(), 3) << timeout;
        EXPECT_EQ(shared.failures.load(), 0) << timeout;
    }
}

TEST(Thread, StartAndWait) {
    std::atomic<int> value{0};
    ThreadHandle thread;
    EXPECT_FALSE(thread.Valid());
    EXPECT_EQ(thread.Wait(), 0);
    thread = StartThread([](void* argument) { static_cast<std::atomic<int>*>(argument)->store(42); }, &value,
                         65536);
    EXPECT_TRUE(thread.Valid());
    EXPECT_EQ(thread.Wait(), 0);
    EXPECT_EQ(value.load(), 42);
    EXPECT_FALSE(thread.Valid());
    EXPECT_EQ(thread.Wait(), 0);
}

TEST(Thread, ManyThreadsLeaveNothingBehind) {
    std::atomic<int> count{0};
    std::vector<ThreadHandle> threads;
    for (int i = 0; i < 64; i++) {
        threads.emplace_back(StartThread([](void* argument) { ++*static_cast<std::atomic<int>*>(argument); }, &count));
    }
    for (ThreadHandle& thread : threads) EXPECT_EQ(thread.Wait(), 0);
    EXPECT_EQ(count.load(), 64);
}

TEST(Thread, PrioritiesAreNoOps) {
    EXPECT_EQ(RaisePriority(), 0);
    EXPECT_EQ(LowerPriority(), 0);
}

TEST(OSError, Messages) {
    EXPECT_TRUE(GetOSErrorMessage(ENOENT) == L"No such file or directory");
    EXPECT_TRUE(GetOSErrorMsg(EACCES) == L"Permission denied");
    EXPECT_TRUE(GetOSErrorMessage(ENOSPC) == L"No space left on device");
    Westring unknown = GetOSErrorMessage(99999);
    EXPECT_FALSE(unknown.empty());
    Westring negative = GetOSErrorMessage(-1);
    EXPECT_FALSE(negative.empty());
    for (int error : {0, ENOENT, EIO, 99999, -1}) {
        Westring text = GetOSErrorMessage(error);
        int n = text.strlen();
        ASSERT_GT(n, 0);
        EXPECT_NE(text[n - 1], L' ');
        EXPECT_NE(text[n - 1], L'\n');
    }
}

TEST(OSError, SameTextOnManyThreads) {
    struct Shared {
        std::atomic<int> mismatches{0};
    } shared;
    std::vector<ThreadHandle> threads;
    for (int i = 0; i < 8; i++) {
        threads.push_back(StartThread(
            [](void* argument) {
                Shared* s = static_cast<Shared*>(argument);
                for (int k = 0; k < 500; k++) {
                    int error = (k % 2) ? ENOENT : 12345 + k;
                    Westring text = GetOSErrorMessage(error);
                    Westring expected = (k % 2) ? Westring(L"No such file or directory")
                                                : Westring(("Unknown error " + std::to_string(error)).c_str());
                    if (text != expected) s->mismatches++;
                }
            },
            &shared));
    }
    for (ThreadHandle& thread : threads) EXPECT_EQ(thread.Wait(), 0);
    EXPECT_EQ(shared.mismatches.load(), 0);
}

}  // namespace
