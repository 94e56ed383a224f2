// copy_small: copying a tree of 100,000 files of 0-4 KiB in 1,000
// directories, against `cp -r` of the same tree into a fresh directory.
// Measured twice: as the copy command runs it, with its progress window
// drawn on a headless console, and with the copy routine alone, so that
// the cost of showing progress is seen.
#include <cstdio>

#include "bench/smalltree.h"
#include "config/config.h"
#include "console/console.h"
#include "console/headlessview.h"
#include "fileops/copyfile.h"
#include "fileops/copymove.h"
#include "fileops/copystatus.h"
#include "fileops/descbatch.h"
#include "fileops/fileglobals.h"
#include "lib/fsname.h"

namespace {

constexpr int kFiles = 100000;
constexpr int kDirectories = 1000;

Comparison CopyComparison(const CSmallTree& tree, const std::string& name, bool window) {
    const std::string target = tree.root() + "/copy";
    Comparison c;
    c.name = name;
    c.tool = "cp -r";
    c.iterations = 3;
    c.ours = [&tree, target, window](benchmark::State& state) {
        const Westring source_name = DecodeFileName(tree.tmpl().c_str());
        const Westring target_name = DecodeFileName(target.c_str());
        for (auto _ : state) {
            state.PauseTiming();
            CSmallTree::Remove(target);
            ResetFileGlobals();
            state.ResumeTiming();
            DescBatch descriptions;
            if (window) {
                copy_status status;
                int copied = copy_file(source_name.c_str(), target_name.c_str(), 1, 1, &status, descriptions);
                EndCopyProgress(&status);
                if (copied != 0) state.SkipWithError("the copy failed");
            } else if (copyfile(source_name.c_str(), target_name.c_str(), false, false, nullptr, descriptions, 0)
                           .code != 0) {
                state.SkipWithError("the copy failed");
            }
        }
    };
    c.theirs = [&tree, target](benchmark::State& state) {
        for (auto _ : state) {
            state.PauseTiming();
            CSmallTree::Remove(target);
            state.ResumeTiming();
            if (TimeCommand("cp -r '" + tree.tmpl() + "' '" + target + "'") < 0) state.SkipWithError("cp failed");
        }
    };
    return c;
}

}  // namespace

int main(int argc, char** argv) {
    CSmallTree tree(kFiles, kDirectories);
    if (!tree.ok()) {
        std::fprintf(stderr, "copy_small: cannot make the tree\n");
        return 1;
    }
    std::printf("copy_small: %d files in %d directories in %s\n", kFiles, kDirectories, BenchBaseDirectory().c_str());
    config.Confirmations = 0;
    console = new CConsole(new CHeadlessView());
    int status = RunComparison(argc, argv, CopyComparison(tree, "copy_small", true));
    delete console;
    console = nullptr;
    status |= RunComparison(argc, argv, CopyComparison(tree, "copy_small (no window)", false));
    CSmallTree::Remove(tree.root() + "/copy");
    return status;
}
