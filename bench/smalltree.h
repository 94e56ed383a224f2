// The tree of many small files that the delete, copy and move benchmarks
// work on: files of 0 to 4 KiB spread over directories one level down. It is
// made once as a template; each run gets a fresh copy of it.
#pragma once

#include <string>

#include "bench/harness.h"

class CSmallTree {
public:
    // files files in directories directories, in memory (/dev/shm) when it
    // can be, else in DV_BENCH_DIR, TMPDIR or /tmp.
    CSmallTree(int files, int directories);
    CSmallTree(const CSmallTree&) = delete;
    CSmallTree& operator=(const CSmallTree&) = delete;

    bool ok() const { return ok_; }
    const std::string& root() const { return scratch_.path(); }
    std::string tmpl() const { return root() + "/template"; }
    // Makes path a fresh copy of the template (with cp -a, outside any timing).
    bool CopyTo(const std::string& path) const;
    // Removes path and everything in it.
    static void Remove(const std::string& path);

private:
    CBenchScratch scratch_;
    bool ok_ = false;
};

// Where benchmark trees live: DV_BENCH_DIR, else /dev/shm, else TMPDIR or /tmp.
std::string BenchBaseDirectory();
