// move_cross_fs: moving a tree of 100,000 files of 0-4 KiB in 1,000
// directories from one file system to another, against `mv`. The second
// file system is DV_BENCH_CROSS_DIR when set, else a tmpfs mounted for the
// run (as root), else the disk under /var/tmp. Our move deletes each source
// only once its copy is complete and synced; mv does not sync.
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/smalltree.h"
#include "fileops/copymove.h"
#include "fileops/descbatch.h"
#include "fileops/fileglobals.h"
#include "lib/fsname.h"

namespace {

constexpr int kFiles = 100000;
constexpr int kDirectories = 1000;

dev_t device_of(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 ? status.st_dev : 0;
}

// A directory on another file system than the tree's, mounted by this
// run when it had to be.
class COtherFileSystem {
public:
    explicit COtherFileSystem(const std::string& tree_root) {
        const char* chosen = std::getenv("DV_BENCH_CROSS_DIR");
        if (chosen && *chosen) {
            base_ = chosen;
        } else {
            char pattern[] = "/tmp/dvcrossXXXXXX";
            if (mkdtemp(pattern) && mount("dvcross", pattern, "tmpfs", 0, "size=4g") == 0) {
                base_ = mounted_ = pattern;
                kind_ = "a tmpfs of its own";
            } else {
                if (pattern[0]) rmdir(pattern);
                base_ = "/var/tmp";
            }
        }
        if (kind_.empty()) kind_ = base_;
        ok_ = device_of(base_) != 0 && device_of(base_) != device_of(tree_root);
    }
    ~COtherFileSystem() {
        if (mounted_.empty()) return;
        if (umount(mounted_.c_str()) == 0) rmdir(mounted_.c_str());
    }
    COtherFileSystem(const COtherFileSystem&) = delete;
    COtherFileSystem& operator=(const COtherFileSystem&) = delete;

    bool ok() const { return ok_; }
    const std::string& base() const { return base_; }
    const std::string& kind() const { return kind_; }

private:
    std::string base_, mounted_, kind_;
    bool ok_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    CSmallTree tree(kFiles, kDirectories);
    if (!tree.ok()) {
        std::fprintf(stderr, "move_cross_fs: cannot make the tree\n");
        return 1;
    }
    COtherFileSystem other(tree.root());
    if (!other.ok()) {
        std::fprintf(stderr, "move_cross_fs: no second file system (set DV_BENCH_CROSS_DIR)\n");
        return 1;
    }
    CBenchScratch scratch("dvcross", other.base());
    std::printf("move_cross_fs: %d files in %d directories, from %s to %s\n", kFiles, kDirectories,
                BenchBaseDirectory().c_str(), other.kind().c_str());
    const std::string moving = tree.root() + "/moving";
    const std::string moved = scratch.path() + "/moved";

    Comparison c;
    c.name = "move_cross_fs";
    c.tool = "mv";
    c.iterations = 3;
    auto fresh = [&](benchmark::State& state) {
        state.PauseTiming();
        CSmallTree::Remove(moved);
        CSmallTree::Remove(moving);
        if (!tree.CopyTo(moving)) state.SkipWithError("no tree");
        ResetFileGlobals();
        state.ResumeTiming();
    };
    c.ours = [&](benchmark::State& state) {
        const Westring from = DecodeFileName(moving.c_str()), to = DecodeFileName(moved.c_str());
        for (auto _ : state) {
            fresh(state);
            DescBatch descriptions;
            if (move_file(from.c_str(), to.c_str(), 1, 1, nullptr, descriptions, false) != 0)
                state.SkipWithError("the move failed");
        }
    };
    c.theirs = [&](benchmark::State& state) {
        for (auto _ : state) {
            fresh(state);
            if (TimeCommand("mv '" + moving + "' '" + moved + "'") < 0) state.SkipWithError("mv failed");
        }
    };
    int status = RunComparison(argc, argv, c);
    CSmallTree::Remove(moved);
    CSmallTree::Remove(moving);
    return status;
}
