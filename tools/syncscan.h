// Listing a directory tree for synchronisation: every file, directory,
// symbolic link and special file below a root, with its path relative to
// the root, its time and size, sorted once so that two trees can be walked
// together.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "lib/timestamp.h"
#include "lib/westring.h"

// What an item is, judged by lstat: a symbolic link is a link whatever it
// points to, and is never entered.
enum class SyncKind : uint8_t { File, Directory, Link, Special };

struct SyncItem {
    Westring path;  // relative to the scanned root, "/"-separated, no leading "/"
    TimeStamp time;
    uint64_t size = 0;
    SyncKind kind = SyncKind::File;
};

// Orders relative paths so that a directory's contents follow it at once:
// "/" sorts before every other character ("x", "x/y", "x.a"). Otherwise a
// plain, case-sensitive comparison of the characters.
int SyncPathCompare(const Westring& a, const Westring& b);
// Whether path lies inside dir ("dir/..."), compared exactly.
bool SyncPathInside(const Westring& dir, const Westring& path);

enum class SyncScanStatus { kDone, kUnreadable, kCancelled, kBadFilter };

struct [[nodiscard]] SyncScanResult {
    SyncScanStatus status = SyncScanStatus::kDone;
    Westring directory;  // the directory that could not be listed
    int error = 0;       // its error number
};

struct SyncScanOptions {
    Westring file_filter = L"*";       // applied to files, links and special files
    Westring directory_filter = L"*";  // a directory that fails is neither listed nor entered
    // Polled between directories; true stops the scan (kCancelled).
    std::function<bool()> cancel;
    // Told the count of entries seen so far, once per directory.
    std::function<void(int64_t entries)> progress;
    // Tests make a directory fail to list with this: an error number for
    // the relative path given, or 0.
    std::function<int(const Westring& relative)> list_fault;
};

// Lists every item below root (root itself not included) into items, sorted
// by SyncPathCompare. The walk keeps its own list of directories still to
// list, so its depth costs no stack. Any directory that cannot be listed,
// or an entry that cannot be examined, ends the scan with kUnreadable: a
// partial listing must never pass for the whole tree.
SyncScanResult ScanSyncTree(const Westring& root, const SyncScanOptions& options, std::vector<SyncItem>& items);
