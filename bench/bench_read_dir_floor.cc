// read_dir_floor: reading a directory of 100,000 files into a panel against
// the least any reader must do, a bare loop of readdir and fstatat over the
// same directory (bench/benchpanel.h, not a tool).
#include <cstdio>
#include <string>

#include "bench/benchpanel.h"
#include "bench/smalltree.h"
#include "lib/fsname.h"
#include "panels/panel.h"

namespace {

constexpr int kFiles = 100000;

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
        for (auto _ : state) benchmark::DoNotOptimize(BareRead(dir.path()));
    };
    return RunComparison(argc, argv, c);
}
