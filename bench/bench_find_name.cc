// Finding files by name: a search for "*.c" over a tree of 200,000 empty
// files in 400 directories two levels deep, against `find -iname` on the
// same tree (our masks match without regard to case).
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "bench/benchpanel.h"
#include "bench/harness.h"
#include "bench/smalltree.h"
#include "lib/fsname.h"
#include "tools/findscan.h"
#include "tools/foundlist.h"

namespace {

constexpr int kTop = 20;
constexpr int kSub = 20;
constexpr int kFilesEach = 500;  // 20 * 20 * 500 = 200,000 files

std::string FileName(int i) {
    static const char* stems[] = {"report", "Makefile", "image", "backup", "notes", "README", "data", "main"};
    static const char* extensions[] = {"", ".txt", ".c", ".h", ".jpg", ".tar.gz", ".md", ".C"};
    return std::string(stems[i % 8]) + "_" + std::to_string(i) + extensions[(i / 8) % 8];
}

bool MakeTree(const std::string& root) {
    for (int t = 0; t < kTop; t++) {
        const std::string top = root + "/dir" + std::to_string(t);
        if (mkdir(top.c_str(), 0755) != 0) return false;
        for (int s = 0; s < kSub; s++) {
            const std::string sub = top + "/Sub" + std::to_string(s);
            if (mkdir(sub.c_str(), 0755) != 0 || !MakeEmptyFiles(sub, kFilesEach, FileName)) return false;
        }
    }
    return true;
}

int Search(const std::string& root) {
    FoundList found;
    FileScan scan(found);
    FindOptions options;
    options.root = DecodeFileName(root.c_str());
    options.filter = L"*.c";
    if (scan.Run(options) != FindStart::kStarted) return -1;
    return found.count();
}

}  // namespace

int main(int argc, char** argv) {
    CBenchScratch dir("dvbenchfind", BenchBaseDirectory());
    if (dir.path().empty() || !MakeTree(dir.path())) {
        std::fprintf(stderr, "find_name: cannot make the tree\n");
        return 1;
    }
    const std::string command = "find '" + dir.path() + "' -iname '*.c'";
    const long long expected = CommandNumber(command + " | wc -l");
    if (Search(dir.path()) != expected) {
        std::fprintf(stderr, "find_name: found %d files, find %lld\n", Search(dir.path()), expected);
        return 1;
    }
    Comparison c;
    c.name = "find_name";
    c.tool = "find -name";
    c.ours = [&](benchmark::State& state) {
        for (auto _ : state) {
            if (Search(dir.path()) != expected) state.SkipWithError("the search found the wrong files");
        }
    };
    c.theirs = [&](benchmark::State& state) {
        for (auto _ : state) {
            if (TimeCommand(command + " >/dev/null") < 0) state.SkipWithError("find failed");
        }
    };
    return RunComparison(argc, argv, c);
}
