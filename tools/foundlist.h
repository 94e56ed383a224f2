// The list of files a file search found: records that outlive the search
// dialog, filled by the scan thread and read by the dialog under one lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "lib/memorypool.h"
#include "lib/mutexsem.h"
#include "lib/westring.h"
#include "panels/entry.h"

// Values of FoundFile::match besides a byte offset.
constexpr int64_t kFoundNoContentSearch = -2;  // no containing text was asked for
constexpr int64_t kFoundCannotOpen = -3;       // the file could not be opened to search it

struct FoundFile {
    // A copy of the directory entry whose name holds the full path.
    entry* file;
    // The byte offset of the first match of the containing text, or one of
    // the kFound values above.
    int64_t match;
};

class FoundList {
public:
    FoundList() = default;
    FoundList(const FoundList&) = delete;
    FoundList& operator=(const FoundList&) = delete;

    // Taken by everything that reads or changes the records, the count and
    // the current index. Whoever also paints takes this lock second.
    MutexSem& lock() { return mutex_; }

    // Appends a record for the entry found as path, taking the lock. False
    // when memory ran out (the list then stays as it was).
    [[nodiscard]] bool Add(const Westring& path, const entry& found, int64_t match);
    // Forgets every record and releases their memory, taking the lock.
    void Clear();

    // The number of records, readable without the lock (it only grows
    // while a scan runs).
    int count() const { return count_.load(); }
    // Record i; the caller holds the lock and keeps i below count().
    const FoundFile& operator[](int i) const { return files_[static_cast<size_t>(i)]; }
    // Takes record i out of the list (its memory stays with the pool until
    // Clear), taking the lock.
    void Remove(int i);

    // Orders the records by before (stable: equal records keep their
    // order), taking the lock; the current index stays on its record.
    void Sort(const std::function<bool(const FoundFile& a, const FoundFile& b)>& before);

    // The index the user last had the cursor on; kept with the records so a
    // resumed dialog comes back to it.
    int current = 0;

    // The sum of the records' sizes, taking the lock.
    uint64_t TotalSize();

private:
    MutexSem mutex_{"found files"};
    MemoryPool pool_;
    std::vector<FoundFile> files_;
    std::atomic<int> count_{0};
};
