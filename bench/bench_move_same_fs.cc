// move_same_fs: moving within one file system. A tree of 100,000 files in
// 10 directories moved to another directory (one rename), against `mv`; and
// all 100,000 files moved one by one, as tagged files are, against one `mv`
// per directory naming the same files.
#include <cstdio>
#include <string>
#include <vector>

#include "bench/smalltree.h"
#include "fileops/copymove.h"
#include "fileops/descbatch.h"
#include "fileops/fileglobals.h"
#include "lib/fsname.h"

namespace {

constexpr int kFiles = 100000;
constexpr int kDirectories = 10;  // 10,000 files each

}  // namespace

int main(int argc, char** argv) {
    CSmallTree tree(kFiles, kDirectories);
    if (!tree.ok()) {
        std::fprintf(stderr, "move_same_fs: cannot make the tree\n");
        return 1;
    }
    const std::string moving = tree.root() + "/moving";
    const std::string into = tree.root() + "/into";
    const std::string moved = into + "/moved";

    Comparison whole;
    whole.name = "move_same_fs (tree)";
    whole.tool = "mv";
    whole.iterations = 5;
    auto fresh = [&](benchmark::State& state) {
        state.PauseTiming();
        CSmallTree::Remove(into);
        if (!tree.CopyTo(moving) || system(("mkdir '" + into + "'").c_str()) != 0) state.SkipWithError("no tree");
        ResetFileGlobals();
        state.ResumeTiming();
    };
    whole.ours = [&](benchmark::State& state) {
        const Westring from = DecodeFileName(moving.c_str()), to = DecodeFileName(moved.c_str());
        for (auto _ : state) {
            fresh(state);
            DescBatch descriptions;
            if (move_file(from.c_str(), to.c_str(), 1, 1, nullptr, descriptions, true) != 0)
                state.SkipWithError("the move failed");
        }
    };
    whole.theirs = [&](benchmark::State& state) {
        for (auto _ : state) {
            fresh(state);
            if (TimeCommand("mv '" + moving + "' '" + moved + "'") < 0) state.SkipWithError("mv failed");
        }
    };
    int status = RunComparison(argc, argv, whole);

    // Every file, one by one: file i lies in directory d(i mod 10).
    std::vector<std::string> sources;
    for (int i = 0; i < kFiles; i++)
        sources.push_back(moving + "/d" + std::to_string(i % kDirectories) + "/file" + std::to_string(i));
    Comparison each;
    each.name = "move_same_fs (100,000 files one by one)";
    each.tool = "mv";
    each.iterations = 3;
    each.ours = [&](benchmark::State& state) {
        for (auto _ : state) {
            fresh(state);
            DescBatch descriptions;
            for (size_t i = 0; i < sources.size(); i++) {
                const Westring from = DecodeFileName(sources[i].c_str());
                const Westring to = DecodeFileName((into + "/file" + std::to_string(i)).c_str());
                if (move_file(from.c_str(), to.c_str(), static_cast<int>(i) + 1, static_cast<int>(sources.size()),
                              nullptr, descriptions, true) != 0) {
                    state.SkipWithError("a move failed");
                    break;
                }
            }
        }
    };
    each.theirs = [&](benchmark::State& state) {
        for (auto _ : state) {
            fresh(state);
            // The same names, one mv per directory (all of them at once
            // would pass the limit of a command line).
            std::string command = "cd '" + moving + "'";
            for (int d = 0; d < kDirectories; d++)
                command.append(" && (cd d").append(std::to_string(d)).append(" && mv file* '" + into + "/')");
            if (TimeCommand(command) < 0) state.SkipWithError("mv failed");
        }
    };
    status |= RunComparison(argc, argv, each);
    CSmallTree::Remove(into);
    CSmallTree::Remove(moving);
    return status;
}
