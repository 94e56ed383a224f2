// Progress windows for reading a directory or loading a file. A window
// appears only when the work lasts longer than a second, and then keeps
// itself up to date from a thread of its own while the work goes on.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "lib/eventsem.h"
#include "lib/thread.h"
#include "lib/westring.h"

class Dialog;

// A thread that waits first_delay_ms, then calls Update every interval_ms
// until it is stopped. Derived classes call Start at the end of their
// constructor and Stop at the start of their destructor, so that Update never
// runs on a half-built or half-destroyed object.
class ProgressIndicatorThread {
public:
    static constexpr int kFirstDelayMs = 1000;
    static constexpr int kIntervalMs = 250;

    explicit ProgressIndicatorThread(int first_delay_ms = kFirstDelayMs, int interval_ms = kIntervalMs);
    virtual ~ProgressIndicatorThread();
    ProgressIndicatorThread(const ProgressIndicatorThread&) = delete;
    ProgressIndicatorThread& operator=(const ProgressIndicatorThread&) = delete;

    // Starts the thread (once).
    void Start();
    // Wakes the thread, waits for it to end, then calls Finish on the calling
    // thread. Safe to call more than once.
    void Stop();

protected:
    // On the progress thread: draw the progress.
    virtual void Update() = 0;
    // On the thread that called Stop, after the progress thread has ended:
    // take the window off the screen.
    virtual void Finish() {}

private:
    static void thread_main(void* self);

    EventSem stop_;
    ThreadHandle thread_;
    int first_delay_ms_;
    int interval_ms_;
};

// "Reading directory:" with a spinner and the number of files read so far,
// which the reader keeps in count.
class DirReadProgress : public ProgressIndicatorThread {
public:
    explicit DirReadProgress(const std::atomic<int>& count, int first_delay_ms = kFirstDelayMs,
                             int interval_ms = kIntervalMs);
    ~DirReadProgress() override;

protected:
    void Update() override;
    void Finish() override;

private:
    const std::atomic<int>& count_;
    std::unique_ptr<Dialog> window_;
    int spin_ = 0;
};

// A centred title over a bar of the part of a file loaded so far.
class FileReadProgress : public ProgressIndicatorThread {
public:
    explicit FileReadProgress(const Westring& title, int first_delay_ms = kFirstDelayMs,
                              int interval_ms = kIntervalMs);
    ~FileReadProgress() override;

    // How much of how much has been read; the bar moves only while total is
    // above 0. Any thread may call it.
    void SetProgress(uint64_t done, uint64_t total);

protected:
    void Update() override;
    void Finish() override;

private:
    Westring title_;
    std::atomic<uint64_t> done_{0};
    std::atomic<uint64_t> total_{0};
    double fraction_ = 0;
    int bar_ = -1;
    std::unique_ptr<Dialog> window_;
};
