// delete_tree: deleting a tree of 100,000 files of 0-4 KiB in 1,000
// directories with the program's delete routine, against `rm -rf` on a copy
// of the same tree. Measured twice: with the deletion window drawn on a
// headless console, and with no console at all, so that the cost of showing
// progress is seen.
#include <cstdio>

#include "bench/smalltree.h"
#include "config/config.h"
#include "console/console.h"
#include "console/headlessview.h"
#include "fileops/delete.h"
#include "fileops/fileglobals.h"
#include "lib/fsname.h"

namespace {

constexpr int kFiles = 100000;
constexpr int kDirectories = 1000;

Comparison DeleteComparison(const CSmallTree& tree, const std::string& name) {
    const std::string victim = tree.root() + "/victim";
    Comparison c;
    c.name = name;
    c.tool = "rm -rf";
    c.iterations = 3;
    c.ours = [&tree, victim](benchmark::State& state) {
        const Westring path = DecodeFileName(victim.c_str());
        for (auto _ : state) {
            state.PauseTiming();
            if (!tree.CopyTo(victim)) state.SkipWithError("cannot copy the tree");
            ResetFileGlobals();
            del_all_trees = 1;  // no question
            state.ResumeTiming();
            if (delete_tree(path.c_str(), L"*") != 1) state.SkipWithError("the deletion failed");
        }
    };
    c.theirs = [&tree, victim](benchmark::State& state) {
        for (auto _ : state) {
            state.PauseTiming();
            if (!tree.CopyTo(victim)) state.SkipWithError("cannot copy the tree");
            state.ResumeTiming();
            if (TimeCommand("rm -rf '" + victim + "'") < 0) state.SkipWithError("rm failed");
        }
    };
    return c;
}

}  // namespace

int main(int argc, char** argv) {
    CSmallTree tree(kFiles, kDirectories);
    if (!tree.ok()) {
        std::fprintf(stderr, "delete_tree: cannot make the tree\n");
        return 1;
    }
    std::printf("delete_tree: %d files in %d directories in %s\n", kFiles, kDirectories, BenchBaseDirectory().c_str());
    config.Confirmations = 0;
    console = new CConsole(new CHeadlessView());
    int status = RunComparison(argc, argv, DeleteComparison(tree, "delete_tree"));
    delete console;
    console = nullptr;
    status |= RunComparison(argc, argv, DeleteComparison(tree, "delete_tree (no window)"));
    return status;
}
