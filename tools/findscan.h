// The file search itself: walks a directory tree on its own thread and
// adds every entry that passes the filter expression (and, when asked,
// contains a text) to a FoundList.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <deque>
#include <functional>
#include <set>
#include <utility>

#include "lib/thread.h"
#include "lib/westring.h"
#include "tools/foundlist.h"

class NameListing;

struct FindOptions {
    Westring root;        // the directory the search starts in
    Westring filter;      // a mask or filter expression on the entry names (panels/mask.h)
    Westring containing;  // empty: no content search
    bool recurse = true;        // scan subdirectories
    bool follow_links = false;  // enter symbolic links to directories
    bool case_sensitive = false;
    bool whole_word = false;
    bool hidden = true;  // look at names that begin with '.'
    int code_page = 0;   // of files in no Unicode form; 0: the default text code page
};

// Results of FileScan::Start.
enum class FindStart {
    kStarted,
    kBadFilter,      // the filter expression has a syntax error
    kNoThread,       // the system could not start the scan thread
};

// Orders the pending directories by name without regard to case, so that
// the tree is walked as a panel sorts it, yet keeps names that differ only
// in case apart: "/x/Foo" and "/x/foo" are two directories.
struct PendingDirectoryOrder {
    bool operator()(const Westring& a, const Westring& b) const;
};

class FileScan {
public:
    explicit FileScan(FoundList& found);
    // Stops and joins a scan still running.
    ~FileScan();
    FileScan(const FileScan&) = delete;
    FileScan& operator=(const FileScan&) = delete;

    // Checks the filter and starts the scan thread (stopping one still
    // running first). The list is not cleared: the caller decides that.
    [[nodiscard]] FindStart Start(const FindOptions& options);
    // The same scan on the calling thread, to its end.
    [[nodiscard]] FindStart Run(const FindOptions& options);

    // Asks the scan to stop and waits for its thread to end. Safe to call
    // when none runs, and from any thread but the scan's own.
    void Abort();
    // Waits for the scan thread to end.
    void Wait();

    bool running() const { return running_.load(); }
    // Whether the last scan was stopped before it had looked everywhere.
    bool stopped() const { return stop_.load(); }
    bool stop_requested() const { return stop_.load(); }
    // Directories that could not be listed in the last scan (no
    // permission, vanished meanwhile, ...); the scan goes on without them.
    int unreadable() const { return unreadable_.load(); }
    // Directories the last scan listed.
    int scanned() const { return scanned_.load(); }

    // Called on the scan thread with each directory before it is listed:
    // the dialog shows it on the status line. Set it before Start.
    std::function<void(const Westring& directory)> on_directory;
    // Called on the scan thread when it has finished, stopped or not.
    std::function<void()> on_finished;

private:
    // Stops a scan still running and takes the options of the next one;
    // false when the filter has a syntax error.
    bool Prepare(const FindOptions& options);
    static void ThreadMain(void* self);
    void Scan();
    // Lists one directory: adds its subdirectories to the pending set and
    // its matching entries to the list.
    void ScanDirectory(const Westring& directory);
    // Whether the listing's current name is a directory the scan enters:
    // one by its kind, or a link to one when links are followed.
    bool IsDirectoryToEnter(NameListing& listing) const;
    // Whether the directory was entered before in this scan (by its device
    // and inode, so that links and bind mounts are recognised); marks it.
    bool AlreadyVisited(const Westring& directory);

    FoundList& found_;
    FindOptions options_;
    // Whether the filter looks at nothing but the name, so that an entry
    // is described only once it matches.
    bool filter_tests_name_only_ = false;
    ThreadHandle thread_;
    std::atomic<bool> running_{false};
    std::atomic<bool> stop_{false};
    std::atomic<int> unreadable_{0};
    std::atomic<int> scanned_{0};

    std::deque<Westring> pending_roots_;
    std::set<Westring, PendingDirectoryOrder> pending_;
    std::set<std::pair<dev_t, ino_t>> visited_;
};
