// Scanning a tree of 100,000 directories into the directory tree, against
// `find -type d` on the same tree.
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "bench/harness.h"
#include "lib/westring.h"
#include "panels/dirtree.h"

namespace {

// 10 top directories, 100 below each, 100 below those: 101,110 in all.
constexpr int kTop = 10;
constexpr int kMiddle = 100;
constexpr int kLeaves = 100;

bool make_tree(const std::string& top) {
    for (int i = 0; i < kTop; i++) {
        const std::string a = top + "/top" + std::to_string(i);
        if (mkdir(a.c_str(), 0755) != 0) return false;
        for (int j = 0; j < kMiddle; j++) {
            const std::string b = a + "/middle_directory_" + std::to_string(j);
            if (mkdir(b.c_str(), 0755) != 0) return false;
            for (int k = 0; k < kLeaves; k++)
                if (mkdir((b + "/leaf" + std::to_string(k)).c_str(), 0755) != 0) return false;
        }
    }
    return true;
}

uint64_t count_nodes(const TREENODE* root) {
    uint64_t count = 0;
    std::vector<const TREENODE*> stack{root};
    while (!stack.empty()) {
        const TREENODE* node = stack.back();
        stack.pop_back();
        count++;
        for (const TREENODE* c = node->child; c; c = c->next) stack.push_back(c);
    }
    return count;
}

}  // namespace

int main(int argc, char** argv) {
    CBenchScratch dir("dvbench");
    if (dir.path().empty() || !make_tree(dir.path())) {
        std::fprintf(stderr, "tree_scan: cannot make the tree\n");
        return 1;
    }
    const Westring top(dir.path().c_str());
    // A check before the timing: the scan finds what find finds.
    {
        CTree tree('/', 1);
        tree.do_not_save = true;
        const long long found = CommandNumber("find '" + dir.path() + "' -type d | wc -l");
        if (!tree.Scan(top) || static_cast<long long>(count_nodes(tree.root())) != found) {
            std::fprintf(stderr, "tree_scan: the scan found %llu directories, find %lld\n",
                         static_cast<unsigned long long>(count_nodes(tree.root())), found);
            return 1;
        }
    }
    Comparison c;
    c.name = "tree_scan";
    c.tool = "find";
    c.ours = [&](benchmark::State& state) {
        for (auto _ : state) {
            CTree tree('/', 1);
            tree.do_not_save = true;
            if (!tree.Scan(top)) state.SkipWithError("the scan failed");
        }
    };
    const std::string command = "find '" + dir.path() + "' -type d >/dev/null";
    c.theirs = [&](benchmark::State& state) {
        for (auto _ : state) {
            if (TimeCommand(command) < 0) state.SkipWithError("find failed");
        }
    };
    return RunComparison(argc, argv, c);
}
