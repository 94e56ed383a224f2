// copy_small: copying a tree of 100,000 files of 0-4 KiB in 1,000
// directories with the program's copy routine (no user interface), against
// `cp -r` of the same tree into a fresh directory.
#include <cstdio>

#include "bench/smalltree.h"
#include "fileops/copyfile.h"
#include "fileops/descbatch.h"
#include "lib/fsname.h"

namespace {

constexpr int kFiles = 100000;
constexpr int kDirectories = 1000;

}  // namespace

int main(int argc, char** argv) {
    CSmallTree tree(kFiles, kDirectories);
    if (!tree.ok()) {
        std::fprintf(stderr, "copy_small: cannot make the tree\n");
        return 1;
    }
    std::printf("copy_small: %d files in %d directories in %s\n", kFiles, kDirectories, BenchBaseDirectory().c_str());
    const std::string target = tree.root() + "/copy";
    const Westring source_name = DecodeFileName(tree.tmpl().c_str());
    const Westring target_name = DecodeFileName(target.c_str());

    Comparison c;
    c.name = "copy_small";
    c.tool = "cp -r";
    c.iterations = 3;
    c.ours = [&](benchmark::State& state) {
        for (auto _ : state) {
            state.PauseTiming();
            CSmallTree::Remove(target);
            state.ResumeTiming();
            DescBatch descriptions;
            if (copyfile(source_name.c_str(), target_name.c_str(), false, false, nullptr, descriptions, 0).code != 0)
                state.SkipWithError("the copy failed");
        }
    };
    c.theirs = [&](benchmark::State& state) {
        for (auto _ : state) {
            state.PauseTiming();
            CSmallTree::Remove(target);
            state.ResumeTiming();
            if (TimeCommand("cp -r '" + tree.tmpl() + "' '" + target + "'") < 0) state.SkipWithError("cp failed");
        }
    };
    int status = RunComparison(argc, argv, c);
    CSmallTree::Remove(target);
    return status;
}
