// read_dir_floor: reading a directory of 100,000 files into a panel against
// the least any reader must do, a bare loop of readdir and fstatat over the
// same directory (built here, not a tool).
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "bench/benchpanel.h"
#include "bench/smalltree.h"
#include "lib/fsname.h"
#include "panels/panel.h"

namespace {

constexpr int kFiles = 100000;

// Every entry of dir looked at once; the number of entries.
long bare_read(const std::string& dir) {
    DIR* listing = opendir(dir.c_str());
    if (!listing) return -1;
    long count = 0;
    struct stat status;
    while (const struct dirent* d = readdir(listing)) {
        if (fstatat(dirfd(listing), d->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0) count++;
    }
    closedir(listing);
    return count;
}

}  // namespace

int main(int argc, char** argv) {
    CBenchScratch dir("dvfloor", BenchBaseDirectory());
    const auto name = [](int i) { return "file_" + std::to_string(i) + (i % 4 ? ".txt" : ".c"); };
    if (dir.path().empty() || !MakeEmptyFiles(dir.path(), kFiles, name)) return 1;
    PANEL panel;
    SetUpBenchPanel(panel, dir.path());

    Comparison c;
    c.name = "read_dir_floor";
    c.tool = "readdir+fstatat loop";
    c.ours = FreshReads(panel, kFiles);
    c.theirs = [&](benchmark::State& state) {
        for (auto _ : state) benchmark::DoNotOptimize(bare_read(dir.path()));
    };
    return RunComparison(argc, argv, c);
}
