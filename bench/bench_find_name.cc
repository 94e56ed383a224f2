// Finding files by name: a search for "*.c" over a tree of 200,000 empty
// files in 400 directories two levels deep, against `find -iname` on the
// same tree (our masks match without regard to case).
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "bench/benchpanel.h"
#include "bench/findbench.h"
#include "bench/harness.h"
#include "bench/smalltree.h"

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

}  // namespace

int main(int argc, char** argv) {
    CBenchScratch dir("dvbenchfind", BenchBaseDirectory());
    if (dir.path().empty() || !MakeTree(dir.path())) {
        std::fprintf(stderr, "find_name: cannot make the tree\n");
        return 1;
    }
    Comparison c;
    c.name = "find_name";
    c.tool = "find -name";
    return CompareSearches(argc, argv, c, "find '" + dir.path() + "' -iname '*.c'",
                           [&] { return CountFound(dir.path(), L"*.c"); });
}
