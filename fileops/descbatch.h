// DescBatch: the description lines of a command that copies, moves or
// deletes many files. Each directory's description file is read at most
// once and rewritten once per flush, instead of once per file, so a
// directory of many described files costs time in proportion to its size.
#pragma once

#include <map>
#include <string>
#include <unordered_map>

#include "fileops/descriptions.h"
#include "lib/westring.h"

class DescBatch {
public:
    DescBatch() = default;
    // Whatever is still pending is written.
    ~DescBatch();
    DescBatch(const DescBatch&) = delete;
    DescBatch& operator=(const DescBatch&) = delete;

    // dst gets the description src has (a change pending for src counts);
    // without one nothing changes.
    void Copy(const Westring& src, const Westring& dst);
    // The line of path goes.
    void Remove(const Westring& path);
    void Move(const Westring& src, const Westring& dst) {
        Copy(src, dst);
        Remove(src);
    }
    // Writes the changes to the description file of the directory dir and
    // forgets what was read of it.
    void FlushDirectory(const Westring& dir);
    // Writes every pending change.
    void Flush();

private:
    // One directory, keyed by its path up to and including the last "/".
    struct Directory {
        bool read = false;
        // The description of each name as the file had it, the first line
        // of a name counting.
        std::unordered_map<std::wstring, std::string> lines;
        DescChanges changes;
    };
    Directory& directory_of(const Westring& path, Westring& name);
    void read(const Westring& key, Directory& directory);
    void write(const Westring& key, Directory& directory);
    // Pending changes are written now and then, so that a long command
    // that is cut short leaves few descriptions behind.
    void flush_when_due();

    std::map<std::wstring, Directory> directories_;
    size_t pending_ = 0;
    double last_flush_ = -1;
};
