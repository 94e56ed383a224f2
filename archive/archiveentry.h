// One member of an archive as its table of contents describes it, and the
// sorted list of them. Entries and their strings live in the archive's
// memory pool and go with it; an archive of a million members must stay
// small, so names are kept as UTF-8 and directory paths once each.
#pragma once

#include <cstdint>
#include <vector>

#include "lib/timestamp.h"

struct ArchiveEntry {
    static constexpr uint64_t kUnknown = ~uint64_t(0);
    // Bits of flags.
    static constexpr uint8_t kUnsafe = 1;      // the stored name climbed out with ".." or began with "/"
    static constexpr uint8_t kStoredName = 2;  // the stored bytes follow name in the pool

    const char* path;  // directory part, UTF-8, '/'-separated, no leading "./", no trailing '/'; "" at the top
    const char* name;  // last component, UTF-8; "" for a record that only describes a directory
    uint64_t size;     // uncompressed size; kUnknown when the format does not record it
    uint64_t packed;   // compressed size; kUnknown when not recorded
    TimeStamp time;    // modification time
    uint32_t uid;
    uint32_t gid;
    uint32_t mode;     // Unix mode bits, 0 when the format has none
    uint16_t attr;     // FA_* bits: FA_DIREC, and for some formats the DOS bits
    uint8_t dot_slash; // the directory part began with "./" or was "."
    uint8_t flags;

    bool is_dir() const { return attr & 0x10; }
    bool unsafe() const { return flags & kUnsafe; }
};

// Every member, in the order that puts each directory's members and
// subdirectories together right after the directory itself.
class ArchiveEntryStore {
public:
    // Orders by path, '/' weighing as 1 so that "a/b" sorts right after
    // "a" and before "a!"; then by name, exactly.
    static int CompArchEntry(const ArchiveEntry* a, const ArchiveEntry* b);
    // Compares two paths with '/' weighing as 1.
    static int ComparePaths(const char* a, const char* b);

    void Add(ArchiveEntry* e) { items_.push_back(e); }
    void Sort();
    size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    ArchiveEntry* operator[](size_t i) const { return items_[i]; }
    // The first entry not below (path, name).
    size_t LowerBound(const char* path, const char* name) const;

private:
    std::vector<ArchiveEntry*> items_;  // the entries belong to the archive's pool
};
