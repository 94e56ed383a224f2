// Counting the bytes below a directory for the directory sizes: every file
// adds its size, a symbolic link its own size (its target is never
// followed), and each directory's total is kept in its tree node.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "lib/westring.h"

class CTree;

struct DirUsageCount {
    std::atomic<uint64_t> bytes{0};
    std::atomic<uint64_t> files{0};
    std::atomic<uint64_t> directories{0};
};

// Paces a count's looks for Esc: a look takes any other key waiting off the
// queue, so it comes only after every 256 entries counted, and a small count
// never looks at all.
class DirUsageEscPacing {
public:
    explicit DirUsageEscPacing(const DirUsageCount& count) : count_(count), looked_at_(Seen()) {}
    // Whether the count has gone far enough since the last look to look again.
    bool TimeToLook() {
        const uint64_t seen = Seen();
        if (seen - looked_at_ < kEntriesBetweenLooks) return false;
        looked_at_ = seen;
        return true;
    }

private:
    static constexpr uint64_t kEntriesBetweenLooks = 256;
    uint64_t Seen() const { return count_.files.load() + count_.directories.load(); }
    const DirUsageCount& count_;
    uint64_t looked_at_;
};

// Counts everything below the directory path, adding to count as it goes.
// poll is asked with each directory before it is listed, and again after
// every 256 entries of a large one; false from it stops the count: the
// result is then all ones and no size is stored.
// Otherwise, when tree is given, every directory counted gets its total in
// its node (nodes missing are added and the tree marked modified). The
// directory's total bytes.
uint64_t dir_usage(CTree* tree, const Westring& path, DirUsageCount& count,
                   const std::function<bool(const Westring& dir)>& poll = {});
