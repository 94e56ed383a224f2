#include "tools/syncrun.h"

#include <errno.h>
#include <sys/stat.h>

#include "console/console.h"
#include "fileops/copymove.h"
#include "fileops/copyseams.h"
#include "fileops/copystatus.h"
#include "fileops/delete.h"
#include "fileops/descbatch.h"
#include "fileops/dosops.h"
#include "fileops/fileglobals.h"
#include "fileops/fserror.h"
#include "lib/fsname.h"
#include "lib/timestamp.h"

namespace {

Westring Join(const Westring& root, const Westring& relative) { return root.AppendBackslash() + relative; }

// Repeats step while the user answers Retry to its failure. 0 done, -1
// cancelled, or the failure's code once the user let it be.
template <class Step>
int WithRetry(const Westring& path, Step step) {
    for (;;) {
        int code = step();
        if (code == 0) return 0;
        int done = 0;
        fs_error(code, done, path.c_str());
        if (done) return code;
    }
}

int MakeTargetDirectory(const Westring& path) {
    return WithRetry(path, [&path] {
        const int code = MakeDirectory(path.c_str());
        // Made meanwhile by someone else: as good as made here (a link of
        // that name is not).
        struct stat st;
        if (code == EEXIST && lstat(EncodeFileName(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return 0;
        return code;
    });
}

int DeleteTargetFile(const Westring& path) {
    switch (delete_file(path.c_str(), DELETE_SILENT)) {
    case 1:
        return 0;
    case 0:
        return RESULT_SKIPPED;
    default:
        return -1;
    }
}

TimeStamp ModificationTime(const struct stat& st) {
    return TimeStamp(st.st_mtim.tv_sec, static_cast<uint32_t>(st.st_mtim.tv_nsec));
}

// An update replaces the target without asking, but only when the target is
// still older than the source and of the same kind as when it was listed:
// a file changed since then is left alone. The times compared are the
// items' own (a link's, not its target's).
int UpdateTargetFile(const Westring& from, const Westring& to, int index, int count, copy_status& status,
                     DescBatch& descriptions, bool coarse_times) {
    struct stat source_stat, target_stat;
    if (lstat(EncodeFileName(from).c_str(), &source_stat) != 0 || lstat(EncodeFileName(to).c_str(), &target_stat) != 0)
        return RESULT_SKIPPED;
    if ((source_stat.st_mode & S_IFMT) != (target_stat.st_mode & S_IFMT) || S_ISDIR(target_stat.st_mode) ||
        !SyncTargetOlder(ModificationTime(target_stat), ModificationTime(source_stat), coarse_times))
        return RESULT_SKIPPED;
    overwrite_mode = OVERWRITE_ALWAYS;
    const int code = copy_file(from.c_str(), to.c_str(), index, count, &status, descriptions);
    overwrite_mode = OVERWRITE_IF_OLDER;
    return code;
}

int RemoveTargetDirectory(const Westring& path) {
    return WithRetry(path, [&path] { return DosRemoveDir(path.c_str()); });
}

}  // namespace

SyncRunResult PerformSyncPlan(const Westring& source, const Westring& target, const SyncPlan& plan) {
    ResetFileGlobals();
    // A file that turned up in the target since the scan and is newer stays.
    overwrite_mode = OVERWRITE_IF_OLDER;
    copy_status status;
    status.total_bytes = static_cast<int64_t>(plan.total_bytes);
    status.start_time = TimeStamp::GetRelativeTime();
    DescBatch descriptions;
    break_status = 1;

    int copies = 0;
    for (const SyncOp& op : plan.ops) copies += op.type == SyncOpType::Copy || op.type == SyncOpType::Update;

    SyncRunResult result;
    int copy_index = 0;
    for (const SyncOp& op : plan.ops) {
        if (fileops_esc_pending() || break_status == 2) {
            result.last = -1;
            break;
        }
        const Westring to = Join(target, op.path);
        int code = 0;
        switch (op.type) {
        case SyncOpType::MkDir:
            code = MakeTargetDirectory(to);
            break;
        case SyncOpType::Copy:
            code = copy_file(Join(source, op.path).c_str(), to.c_str(), ++copy_index, copies, &status, descriptions);
            break;
        case SyncOpType::Update:
            code = UpdateTargetFile(Join(source, op.path), to, ++copy_index, copies, status, descriptions,
                                    plan.coarse_times);
            break;
        case SyncOpType::Delete:
            code = DeleteTargetFile(to);
            break;
        case SyncOpType::DelDir:
            code = RemoveTargetDirectory(to);
            break;
        case SyncOpType::Conflict:
            continue;
        }
        result.last = code;
        if (code == 0) result.performed++;
        if (code < 0) break;
    }
    break_status = 0;
    descriptions.Flush();
    EndCopyProgress(&status);
    end_delete_batch();
    return result;
}
