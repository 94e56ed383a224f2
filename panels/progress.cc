#include "panels/progress.h"

#include <errno.h>

#include <string>

#include "console/cells.h"
#include "console/console.h"
#include "console/dialog.h"
#include "console/toolkitlock.h"
#include "lib/numfmt.h"

namespace {

// How long the progress thread waits for the screen before it skips one
// step: a caller that holds the toolkit lock while it stops the thread
// must not wait for it forever.
constexpr int kScreenWaitMs = 100;

// Holds the toolkit lock when it could be had within kScreenWaitMs.
class CScreenTryLock {
public:
    CScreenTryLock() : held_(GdkMutex.Request(kScreenWaitMs) == 0) {}
    ~CScreenTryLock() {
        if (held_) GdkMutex.Release();
    }
    CScreenTryLock(const CScreenTryLock&) = delete;
    CScreenTryLock& operator=(const CScreenTryLock&) = delete;
    bool held() const { return held_; }

private:
    bool held_;
};

}  // namespace

// ---------------------------------------------------------------- the thread

ProgressIndicatorThread::ProgressIndicatorThread(int first_delay_ms, int interval_ms)
    : first_delay_ms_(first_delay_ms), interval_ms_(interval_ms) {}

ProgressIndicatorThread::~ProgressIndicatorThread() {
    // Derived classes have stopped already; this only catches a forgotten
    // Stop before the members go.
    stop_.Trigger();
    thread_.Wait();
}

void ProgressIndicatorThread::Start() {
    if (thread_.Valid()) return;
    stop_.Reset();
    thread_ = StartThread(thread_main, this);
}

void ProgressIndicatorThread::Stop() {
    stop_.Trigger();
    thread_.Wait();
    Finish();
}

void ProgressIndicatorThread::thread_main(void* argument) {
    ProgressIndicatorThread* self = static_cast<ProgressIndicatorThread*>(argument);
    int wait = self->first_delay_ms_;
    while (self->stop_.WaitFor(wait) == ETIMEDOUT) {
        self->Update();
        wait = self->interval_ms_;
    }
}

// ---------------------------------------------------------------- directory reading

DirReadProgress::DirReadProgress(const std::atomic<int>& count, int first_delay_ms, int interval_ms)
    : ProgressIndicatorThread(first_delay_ms, interval_ms), count_(count) {
    Start();
}

DirReadProgress::~DirReadProgress() { Stop(); }

void DirReadProgress::Update() {
    if (!console) return;
    CScreenTryLock lock;
    if (!lock.held()) return;
    if (!window_) {
        window_ = std::make_unique<Dialog>(-1, -2, 35, 6, colours[CLR_MESSAGES]);
        window_->puts_at(4, 1, L"Reading directory:");
    }
    static const wchar_t kSpinner[] = L"-\\|/";
    wchar_t spinner[2] = {kSpinner[spin_], 0};
    spin_ = (spin_ + 1) % 4;
    window_->puts_at(23, 1, spinner);
    Westring files = addCommas(std::to_wstring(count_.load()).c_str());
    window_->puts_at(4, 2, (Westring(L"Files: ") + files.lpad(12)).c_str());
}

void DirReadProgress::Finish() {
    CToolkitLock lock;
    window_.reset();
}

// ---------------------------------------------------------------- file loading

FileReadProgress::FileReadProgress(const Westring& title, int first_delay_ms, int interval_ms)
    : ProgressIndicatorThread(first_delay_ms, interval_ms), title_(title) {
    Start();
}

FileReadProgress::~FileReadProgress() { Stop(); }

void FileReadProgress::SetProgress(uint64_t done, uint64_t total) {
    total_ = total;
    done_ = done;
}

void FileReadProgress::Update() {
    if (!console) return;
    CScreenTryLock lock;
    if (!lock.held()) return;
    if (!window_) {
        window_ = std::make_unique<Dialog>(-1, -2, 40, 5, colours[CLR_MESSAGES]);
        window_->PutCentre(0, title_.c_str());
        bar_ = window_->AddProgressIndicator(1, 2, 36, fraction_);
        window_->Draw(bar_);
    }
    uint64_t total = total_.load();
    if (total > 0) {
        uint64_t done = done_.load();
        fraction_ = done >= total ? 1.0 : static_cast<double>(done) / static_cast<double>(total);
        window_->Draw(bar_);
    }
}

void FileReadProgress::Finish() {
    CToolkitLock lock;
    window_.reset();
}
