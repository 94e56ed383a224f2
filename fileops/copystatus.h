// The progress of one copy or move command: bytes done of the total, the
// paths being copied, and a thread that redraws the progress window at most
// every 100 ms while the main thread copies.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "lib/eventsem.h"
#include "lib/thread.h"
#include "lib/westring.h"

class Win;

// "%d:%02d:%02d" (hours, minutes, seconds) from an hour on, else "%d:%02d".
Westring FormatSeconds(int seconds);

class copy_status {
public:
    copy_status() = default;
    // Stops the update thread.
    ~copy_status();
    copy_status(const copy_status&) = delete;
    copy_status& operator=(const copy_status&) = delete;

    // Starts the update thread drawing into window, unless it runs already.
    void StartUpdate(Win* window);
    // Ends the update thread (after one last redraw) and waits for it.
    void StopUpdate();
    // Draws the bar and the time line (and the paths) where they changed.
    void ProgressUpdate();
    // Draws the source, destination and counter rows where they changed.
    void ShowPath();
    // The same into window, for a step that runs without the update thread.
    void ShowPathIn(Win* window);

    // The paths and counter text shown (a null counter keeps the last one);
    // any thread may call these.
    void SetPaths(const Westring& source, const Westring& destination, const char* counter);
    // Forgets what was drawn, so that a new window is drawn in full.
    void ForgetDrawn();
    bool Running() const { return thread_.Valid(); }

    std::atomic<int64_t> bytes_done{0};
    std::atomic<int64_t> total_bytes{0};
    std::atomic<double> start_time{0.0};  // relative clock; 0 means not started
    std::atomic<bool> needs_update{false};

private:
    friend class CProgressPause;
    static void UpdateThread(void* self);
    void draw_paths_locked();
    void forget_drawn_locked();

    std::mutex mutex_;  // the paths, the window and what was drawn
    Win* window_ = nullptr;
    Westring source_, destination_;
    char counter_[20] = {};
    ThreadHandle thread_;
    EventSem stop_;
    int last_bar_ = -1;
    int last_bar_width_ = -1;
    Westring last_time_line_, last_source_, last_destination_;
    Estring last_counter_;

    // The status whose update thread runs, if any (set and read by the main
    // thread only).
    static copy_status* drawing_;
};

// Keeps the progress of a running copy or move off the screen while a
// prompt is shown: the update thread drawing now (if any) ends for the life
// of the pause and starts again, into the same window, afterwards.
class CProgressPause {
public:
    CProgressPause();
    ~CProgressPause();
    CProgressPause(const CProgressPause&) = delete;
    CProgressPause& operator=(const CProgressPause&) = delete;

private:
    copy_status* paused_ = nullptr;
    Win* window_ = nullptr;
};

// Asks for a redraw of the progress (nothing for a null status).
void progressUpdate(copy_status* status);
