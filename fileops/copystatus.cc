#include "fileops/copystatus.h"

#include <cstdio>
#include <cstring>

#include "console/console.h"
#include "console/win.h"
#include "lib/nls.h"
#include "lib/numfmt.h"
#include "lib/timestamp.h"

namespace {

constexpr int kUpdateIntervalMs = 100;
constexpr wchar_t kFull = 0x2588;
constexpr wchar_t kEmpty = 0x2591;

// Row y of the window's inner width with text centred in it.
void put_centred_row(Win* window, int y, const Westring& text) {
    int width = window->inner_width();
    int length = text.strlen();
    int left = length < width ? (width - length) / 2 : 0;
    Westring row = String(L' ', left) + text;
    window->puts_at(0, y, row.pad(width).c_str());
}

// Exact comparison (Westring's == ignores case).
bool same_text(const Westring& a, const Westring& b) { return fncompare(a.c_str(), b.c_str()) == 0; }

}  // namespace

Westring FormatSeconds(int seconds) {
    if (seconds < 0) seconds = 0;
    if (seconds >= 3600)
        return Westring(esprintf("%d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60));
    return Westring(esprintf("%d:%02d", seconds / 60, seconds % 60));
}

copy_status* copy_status::drawing_ = nullptr;

copy_status::~copy_status() { StopUpdate(); }

void copy_status::StartUpdate(Win* window) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (window != window_) {
            window_ = window;
            forget_drawn_locked();
        }
    }
    if (Running()) return;
    stop_.Reset();
    thread_ = StartThread(&copy_status::UpdateThread, this);
    if (Running()) drawing_ = this;
}

void copy_status::StopUpdate() {
    if (drawing_ == this) drawing_ = nullptr;
    if (!Running()) return;
    stop_.Trigger();
    thread_.Wait();
}

CProgressPause::CProgressPause() : paused_(copy_status::drawing_) {
    if (!paused_) return;
    {
        std::lock_guard<std::mutex> lock(paused_->mutex_);
        window_ = paused_->window_;
    }
    paused_->StopUpdate();
}

CProgressPause::~CProgressPause() {
    if (paused_) paused_->StartUpdate(window_);
}

void copy_status::UpdateThread(void* self) {
    copy_status* status = static_cast<copy_status*>(self);
    do {
        if (status->needs_update.exchange(false)) status->ProgressUpdate();
    } while (status->stop_.WaitFor(kUpdateIntervalMs) != 0);
    status->ProgressUpdate();
}

void copy_status::SetPaths(const Westring& source, const Westring& destination, const char* counter) {
    std::lock_guard<std::mutex> lock(mutex_);
    source_ = source;
    destination_ = destination;
    if (counter) std::snprintf(counter_, sizeof counter_, "%s", counter);
}

void copy_status::ForgetDrawn() {
    std::lock_guard<std::mutex> lock(mutex_);
    forget_drawn_locked();
}

void copy_status::forget_drawn_locked() {
    last_bar_ = last_bar_width_ = -1;
    last_time_line_ = last_source_ = last_destination_ = Westring();
    last_counter_ = Estring();
}

void copy_status::ShowPath() {
    std::lock_guard<std::mutex> lock(mutex_);
    draw_paths_locked();
}

void copy_status::ShowPathIn(Win* window) {
    if (Running()) return;  // the thread draws into its own window
    std::lock_guard<std::mutex> lock(mutex_);
    if (window != window_) {
        window_ = window;
        forget_drawn_locked();
    }
    draw_paths_locked();
}

void copy_status::draw_paths_locked() {
    if (!window_ || !console) return;
    if (!source_.empty() && !same_text(source_, last_source_)) {
        put_centred_row(window_, 1, source_);
        last_source_ = source_;
    }
    if (!destination_.empty() && !same_text(destination_, last_destination_)) {
        put_centred_row(window_, 3, destination_);
        last_destination_ = destination_;
    }
    if (counter_[0] && std::strcmp(counter_, last_counter_.c_str()) != 0) {
        put_centred_row(window_, 4, Westring(Estring(counter_)));
        last_counter_ = counter_;
    }
}

void copy_status::ProgressUpdate() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!window_ || !console) return;
    draw_paths_locked();
    const int64_t total = total_bytes.load();
    if (total <= 0) {
        last_bar_ = last_bar_width_ = -1;
        last_time_line_ = Westring();
        return;
    }
    const int64_t done = bytes_done.load();
    const int width = window_->width() - 3;
    if (width <= 0) return;
    int64_t filled = done > 0 ? done * width / total : 0;
    if (filled > width) filled = width;
    int length = static_cast<int>(filled);
    if (length != last_bar_ || width != last_bar_width_) {
        Westring bar = String(kFull, length) + String(kEmpty, width - length);
        window_->puts_at(1, 5, bar.c_str());
        last_bar_ = length;
        last_bar_width_ = width;
    }

    const double start = start_time.load();
    const double elapsed = start > 0.0 ? TimeStamp::GetRelativeTime() - start : 0.0;
    if (start > 0.0 && elapsed > 0.0 && done > 0) {
        int64_t rate = static_cast<int64_t>(static_cast<double>(done) / elapsed);
        int64_t left = static_cast<int64_t>(static_cast<double>(total - done) * elapsed / static_cast<double>(done));
        Westring rate_text = addCommas(Westring(IntToStr(rate, 10)).c_str());
        if (rate_text.strlen() < 7) rate_text = rate_text.pad(7);
        Westring line = Westring(L"Time: ") + FormatSeconds(static_cast<int>(elapsed)) + L"  BPS: " + rate_text +
                        L"  ETA: " + FormatSeconds(left > INT32_MAX ? INT32_MAX : static_cast<int>(left));
        line = line.pad(window_->inner_width() - 1);
        if (!same_text(line, last_time_line_)) {
            window_->puts_at(1, 6, line.c_str());
            last_time_line_ = line;
        }
    } else {
        last_time_line_ = Westring();
    }
}

void progressUpdate(copy_status* status) {
    if (status) status->needs_update = true;
}
