// sync_tree: synchronising a target tree of 100,000 small files in 1,000
// directories of which every tenth file is older and different in the
// target, against `rsync -a --delete` from the same source into a copy of
// the same target. Both scan both trees in full and copy the 10%.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/harness.h"
#include "bench/smalltree.h"
#include "config/config.h"
#include "console/console.h"
#include "console/headlessview.h"
#include "lib/fsname.h"
#include "tools/syncplan.h"
#include "tools/syncrun.h"

namespace {

constexpr int kFiles = 100000;
constexpr int kDirectories = 1000;

// A fresh target: the template with every tenth file cut short and dated
// back, so that both tools must copy it again.
bool PrepareTarget(const CSmallTree& tree, const std::string& target) {
    CSmallTree::Remove(target);
    if (!tree.CopyTo(target)) return false;
    const std::string command = "cd '" + target + "' && find . -type f | awk 'NR % 10 == 0' | "
                                "xargs -d '\\n' sh -c 'truncate -s 1 \"$@\" && touch -d 2001-01-01 \"$@\"' x";
    return std::system(command.c_str()) == 0;
}

Comparison SyncComparison(const CSmallTree& tree) {
    const std::string target = tree.root() + "/target";
    Comparison c;
    c.name = "sync_tree";
    c.tool = "rsync";
    c.iterations = 3;
    c.ours = [&tree, target](benchmark::State& state) {
        const Westring source_name = DecodeFileName(tree.tmpl().c_str());
        const Westring target_name = DecodeFileName(target.c_str());
        SyncChoices choices;
        choices.delete_extra = true;
        for (auto _ : state) {
            state.PauseTiming();
            if (!PrepareTarget(tree, target)) state.SkipWithError("cannot prepare the target");
            state.ResumeTiming();
            SyncPlan plan;
            if (CalcSyncPlan(source_name, target_name, choices, SyncScanOptions(), plan).status !=
                SyncPlanStatus::kReady) {
                state.SkipWithError("the scan failed");
                continue;
            }
            if (plan.ops.size() != kFiles / 10) state.SkipWithError("unexpected number of operations");
            if (PerformSyncPlan(source_name, target_name, plan).last != 0) state.SkipWithError("the run failed");
        }
    };
    c.theirs = [&tree, target](benchmark::State& state) {
        for (auto _ : state) {
            state.PauseTiming();
            if (!PrepareTarget(tree, target)) state.SkipWithError("cannot prepare the target");
            state.ResumeTiming();
            if (TimeCommand("rsync -a --delete '" + tree.tmpl() + "/' '" + target + "/'") < 0)
                state.SkipWithError("rsync failed");
        }
    };
    return c;
}

}  // namespace

int main(int argc, char** argv) {
    CSmallTree tree(kFiles, kDirectories);
    if (!tree.ok()) {
        std::fprintf(stderr, "sync_tree: cannot make the tree\n");
        return 1;
    }
    std::printf("sync_tree: %d files in %d directories in %s\n", kFiles, kDirectories, BenchBaseDirectory().c_str());
    config.Confirmations = 0;
    console = new CConsole(new CHeadlessView());
    const int status = RunComparison(argc, argv, SyncComparison(tree));
    delete console;
    console = nullptr;
    CSmallTree::Remove(tree.root() + "/target");
    return status;
}
