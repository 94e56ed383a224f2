// CMovedSources: the sources of a move by copying that wait for their copies
// to be on the disk. A source may go only once its copy is complete and
// synced; syncing each copy by itself costs a disk flush per file, so a
// directory moved to another disk took minutes where a copy takes seconds.
// One sync of the destination's file system for a batch of copies keeps the
// same promise for all of them at the cost of one flush.
//
// While a batch is open on a thread, the copy worker hands it each moved
// file's source instead of syncing the copy and deleting the source itself,
// and a moved directory hands it its own removal, which follows that of its
// entries. One batch serves a whole tree: one sync for all its files.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "lib/westring.h"

class DescBatch;

class CMovedSources {
public:
    // Opens the batch for this thread until it is destroyed; descriptions
    // loses the line of each source that goes.
    explicit CMovedSources(DescBatch& descriptions);
    // What is still waiting is settled.
    ~CMovedSources();
    CMovedSources(const CMovedSources&) = delete;
    CMovedSources& operator=(const CMovedSources&) = delete;

    // The innermost batch open on this thread, or null.
    static CMovedSources* Open();

    // src has been copied to dst, completely but not yet synced.
    void Add(const Westring& src, const Westring& dst);
    // Every entry of the directory src has been handed over (its copy is
    // dst): src goes after them, its leftover descriptions carried to dst.
    void AddDirectory(const Westring& src, const Westring& dst);
    // Whether enough is waiting to settle it now.
    bool Full() const { return waiting_.size() >= kMostWaiting; }
    // Syncs the destinations' file systems, then deletes each waiting
    // source in the order given. When the sync fails (reported once) every
    // source stays; a directory that something stayed in stays too. The
    // number of sources that stay, or -1 when the user cancelled.
    [[nodiscard]] int Settle();

private:
    static constexpr size_t kMostWaiting = 4096;

    struct Source {
        Westring path;
        // For a directory: its copy, which gets its leftover descriptions.
        Westring directory_copy;
        bool directory = false;
    };
    // Removes an emptied source directory: 1 gone, 0 stays, -1 cancelled.
    int remove_directory(const Source& source);

    DescBatch& descriptions_;
    CMovedSources* outer_;
    std::vector<Source> waiting_;
    // The directories the copies went to, in the system's encoding.
    std::set<std::string> destinations_;
};
