// The mounted file systems: the mount table, which file system holds a
// path, and disk space.
#pragma once

#include <cstdint>

#include "lib/estring.h"
#include "lib/objectstore.h"
#include "lib/timestamp.h"
#include "lib/westring.h"

struct TMountPoint {
    Westring device;
    Westring mount_point;
    Westring fs_type;
    uint64_t total_bytes = 0;
    uint64_t free_bytes = 0;  // all free blocks, the superuser's reserve included
};

// The file systems of the mount table, in table order.
class CMountPointList : public TObjectStore<TMountPoint> {
public:
    // Loads the first of "/etc/mnttab", "/proc/self/mounts" and "/etc/mtab"
    // that opens. detail 1 fills in the sizes; unless all is set, pseudo file
    // systems (no blocks at all, or "tmpfs") are left out. False when no
    // table can be opened (the list is then empty).
    [[nodiscard]] bool Load(int detail, bool all);
    // The same from the named mount table only.
    [[nodiscard]] bool Load(int detail, bool all, const char* table);

    // True when the table changed since Load: its modification time is
    // later, or, for a table the system generates on reading (such as
    // /proc/self/mounts, whose time and size say nothing), its contents
    // differ. A table that cannot be read is never stale.
    bool IsStale() const;

    // Index of the file system that holds path (symbolic links followed):
    // the longest mount point that path lies in. -1 when there is none, or
    // when path cannot be resolved; then failure, when given, receives the
    // error number (0 when the path resolved but no mount point holds it).
    int FindPos(const Westring& path, int* failure = nullptr) const;
    // The record of FindPos, or null.
    TMountPoint* Find(const Westring& path, int* failure = nullptr);

    // The table the list was loaded from and its modification time then.
    const Estring& table() const { return table_; }
    const TimeStamp& table_time() const { return table_time_; }

private:
    Estring table_;
    TimeStamp table_time_;
    bool generated_ = false;  // the table's time and size say nothing
    uint64_t table_hash_ = 0;
};

// The type name (plain ASCII) and the mount point of the file system that
// holds path; false when it cannot be found.
[[nodiscard]] bool GetUnixFSInfo(Estring& type, Westring& mountPoint, const Westring& path);

// Size and space free for ordinary users of the file system holding path,
// and its block size. 0 or the error number.
[[nodiscard]] int dvGetDiskSpace(Westring path, long long& total, long long& free, unsigned long& blockSize);
