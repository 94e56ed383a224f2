// The list of operations that makes a target tree follow a source tree:
// directories to make, files to copy, update and delete, directories to
// remove, and conflicts (a file on one side where the other has a
// directory or a link) that are shown but never acted on.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "lib/westring.h"
#include "tools/syncscan.h"

enum class SyncOpType : uint8_t { MkDir, Copy, Update, Delete, DelDir, Conflict };

struct SyncOp {
    SyncOpType type;
    Westring path;  // relative to both roots
    uint64_t size = 0;
};

struct SyncChoices {
    bool copy_missing = true;
    bool update_older = true;
    bool delete_extra = false;
    Westring file_filter = L"*";
    Westring directory_filter = L"*";
};

struct SyncPlan {
    std::vector<SyncOp> ops;  // in the order they are carried out
    uint64_t total_bytes = 0;  // of the copies and updates
    bool coarse_times = false;  // either side keeps times to 2 seconds only
};

// Whether a target item of time target is older than its source of time
// source: later by more than 2 seconds when coarse_times, else at all.
bool SyncTargetOlder(const TimeStamp& target, const TimeStamp& source, bool coarse_times);

// The operations that take target to source, from the two sorted listings.
// coarse_times: either side keeps times to 2 seconds only (FAT), so a
// difference of up to 2 seconds does not make a file older. Pure: touches
// no file.
SyncPlan MakeSyncPlan(const std::vector<SyncItem>& source, const std::vector<SyncItem>& target,
                      const SyncChoices& choices, bool coarse_times);

// Puts operations in an order that can be carried out: every MkDir first
// (a parent before its subdirectories), then copies, updates, deletions and
// conflicts by path, then every DelDir, the deepest first.
void SortSyncOps(std::vector<SyncOp>& ops);

// Whether the file system holding path keeps times to 2 seconds only.
bool HasCoarseTimes(const Westring& path);

// 0 when source and target are two separate trees; 1 when one contains
// the other or both are the same directory, judged on the resolved paths
// and on the device and inode of every directory above each (so a link or
// a bind mount into the other tree is caught); else the error number met
// resolving either path.
int SyncTreesOverlap(const Westring& source, const Westring& target);

enum class SyncPlanStatus { kReady, kIntoItself, kUnreadable, kCancelled, kBadFilter };

struct [[nodiscard]] SyncPlanResult {
    SyncPlanStatus status = SyncPlanStatus::kReady;
    Westring directory;  // what could not be listed or resolved
    int error = 0;
};

// The whole computation: the overlap check, both scans and the plan.
// Nothing is changed on disk; any failure leaves plan empty.
SyncPlanResult CalcSyncPlan(const Westring& source, const Westring& target, const SyncChoices& choices,
                            const SyncScanOptions& hooks, SyncPlan& plan);
