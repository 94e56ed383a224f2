#include "tools/syncplan.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>

#include "fileops/query/mounts.h"
#include "lib/estring.h"
#include "lib/fsname.h"

namespace {

}  // namespace

bool SyncTargetOlder(const TimeStamp& target, const TimeStamp& source, bool coarse_times) {
    const __int128 difference = (static_cast<__int128>(source.seconds) - target.seconds) * 1000000000 +
                                (static_cast<int64_t>(source.nanoseconds) - target.nanoseconds);
    return difference > (coarse_times ? static_cast<__int128>(2000000000) : 0);
}

namespace {

// Skips the items inside dir that follow position.
size_t SkipInside(const std::vector<SyncItem>& items, size_t position, const Westring& dir) {
    while (position < items.size() && SyncPathInside(dir, items[position].path)) position++;
    return position;
}

int Depth(const Westring& path) {
    int depth = 0;
    for (const wchar_t* p = path.c_str(); *p; p++) depth += *p == L'/';
    return depth;
}

int OrderClass(SyncOpType type) {
    switch (type) {
    case SyncOpType::MkDir:
        return 0;
    case SyncOpType::DelDir:
        return 2;
    default:
        return 1;
    }
}

}  // namespace

SyncPlan MakeSyncPlan(const std::vector<SyncItem>& source, const std::vector<SyncItem>& target,
                      const SyncChoices& choices, bool coarse_times) {
    SyncPlan plan;
    plan.coarse_times = coarse_times;
    auto add = [&plan](SyncOpType type, const Westring& path, uint64_t size) {
        plan.ops.push_back(SyncOp{type, path, size});
        if (type == SyncOpType::Copy || type == SyncOpType::Update) plan.total_bytes += size;
    };
    size_t s = 0, t = 0;
    while (s < source.size() || t < target.size()) {
        const int order = s == source.size()   ? 1
                          : t == target.size() ? -1
                                               : SyncPathCompare(source[s].path, target[t].path);
        if (order < 0) {
            const SyncItem& item = source[s++];
            if (choices.copy_missing)
                add(item.kind == SyncKind::Directory ? SyncOpType::MkDir : SyncOpType::Copy, item.path,
                    item.kind == SyncKind::Directory ? 0 : item.size);
        } else if (order > 0) {
            const SyncItem& item = target[t++];
            if (choices.delete_extra)
                add(item.kind == SyncKind::Directory ? SyncOpType::DelDir : SyncOpType::Delete, item.path, 0);
        } else {
            const SyncItem& from = source[s++];
            const SyncItem& to = target[t++];
            if (from.kind != to.kind) {
                // Neither side is copied onto the other, nor is anything
                // inside a directory of that name touched.
                add(SyncOpType::Conflict, from.path, 0);
                s = SkipInside(source, s, from.path);
                t = SkipInside(target, t, to.path);
            } else if (choices.update_older && (from.kind == SyncKind::File || from.kind == SyncKind::Link) &&
                       SyncTargetOlder(to.time, from.time, coarse_times)) {
                // A device or FIFO in the target would be written into, so
                // special files are never updated.
                add(SyncOpType::Update, from.path, from.size);
            }
        }
    }
    SortSyncOps(plan.ops);
    return plan;
}

void SortSyncOps(std::vector<SyncOp>& ops) {
    std::sort(ops.begin(), ops.end(), [](const SyncOp& a, const SyncOp& b) {
        const int class_a = OrderClass(a.type), class_b = OrderClass(b.type);
        if (class_a != class_b) return class_a < class_b;
        if (class_a == 2) {
            const int depth_a = Depth(a.path), depth_b = Depth(b.path);
            if (depth_a != depth_b) return depth_a > depth_b;
        }
        return SyncPathCompare(a.path, b.path) < 0;
    });
}

bool HasCoarseTimes(const Westring& path) {
    Estring type;
    Westring mount_point;
    if (!GetUnixFSInfo(type, mount_point, path)) return false;
    const char* name = type.c_str();
    return strcmp(name, "vfat") == 0 || strcmp(name, "msdos") == 0 || strcmp(name, "exfat") == 0 ||
           strcmp(name, "fat") == 0 || strcmp(name, "umsdos") == 0;
}

namespace {

// The resolved path, or the error number.
int Resolve(const Westring& path, std::string& resolved) {
    char* real = realpath(EncodeFileName(path).c_str(), nullptr);
    if (!real) return errno;
    resolved = real;
    free(real);
    return 0;
}

bool LiesWithin(const std::string& dir, const std::string& path) {
    if (dir == "/") return true;
    return path.compare(0, dir.size(), dir) == 0 && (path.size() == dir.size() || path[dir.size()] == '/');
}

// Whether directory inner, or one of the directories above it, is the
// directory outer by device and inode.
bool AncestorIs(const std::string& inner, const struct stat& outer) {
    std::string path = inner;
    for (;;) {
        struct stat st;
        if (stat(path.c_str(), &st) == 0 && st.st_dev == outer.st_dev && st.st_ino == outer.st_ino) return true;
        if (path == "/" || path.empty()) return false;
        const size_t slash = path.rfind('/');
        path = slash == 0 || slash == std::string::npos ? std::string("/") : path.substr(0, slash);
    }
}

}  // namespace

int SyncTreesOverlap(const Westring& source, const Westring& target) {
    std::string real_source, real_target;
    if (int error = Resolve(source, real_source)) return error;
    if (int error = Resolve(target, real_target)) return error;
    if (LiesWithin(real_source, real_target) || LiesWithin(real_target, real_source)) return 1;
    struct stat source_stat, target_stat;
    if (stat(real_source.c_str(), &source_stat) != 0) return errno;
    if (stat(real_target.c_str(), &target_stat) != 0) return errno;
    if (AncestorIs(real_target, source_stat) || AncestorIs(real_source, target_stat)) return 1;
    return 0;
}

SyncPlanResult CalcSyncPlan(const Westring& source, const Westring& target, const SyncChoices& choices,
                            const SyncScanOptions& hooks, SyncPlan& plan) {
    plan = SyncPlan();
    const int overlap = SyncTreesOverlap(source, target);
    if (overlap == 1) return SyncPlanResult{SyncPlanStatus::kIntoItself, source, 0};
    if (overlap != 0) return SyncPlanResult{SyncPlanStatus::kUnreadable, source, overlap};

    SyncScanOptions options = hooks;
    options.file_filter = choices.file_filter;
    options.directory_filter = choices.directory_filter;
    std::vector<SyncItem> source_items, target_items;
    for (int side = 0; side < 2; side++) {
        SyncScanResult scan = ScanSyncTree(side == 0 ? source : target, options, side == 0 ? source_items : target_items);
        switch (scan.status) {
        case SyncScanStatus::kDone:
            break;
        case SyncScanStatus::kUnreadable:
            return SyncPlanResult{SyncPlanStatus::kUnreadable, scan.directory, scan.error};
        case SyncScanStatus::kCancelled:
            return SyncPlanResult{SyncPlanStatus::kCancelled, {}, 0};
        case SyncScanStatus::kBadFilter:
            return SyncPlanResult{SyncPlanStatus::kBadFilter, {}, 0};
        }
    }
    plan = MakeSyncPlan(source_items, target_items, choices, HasCoarseTimes(source) || HasCoarseTimes(target));
    return SyncPlanResult{};
}
