// Finding files by content: a rare word in 1 GiB of text spread over 16
// files (it is in half of them), against `grep -rlF` on the same tree.
#include <cstdio>
#include <string>

#include "bench/findbench.h"
#include "bench/harness.h"
#include "bench/smalltree.h"
#include "bench/wordtext.h"

namespace {

constexpr int kFiles = 16;
constexpr int64_t kFileBytes = (int64_t(1) << 30) / kFiles;
const char kRare[] = "quixotic-zeppelin";
const char kNearMiss[] = "quixotic-balloon";

bool MakeTexts(const std::string& root) {
    static const char* const kWords[] = {"the", "caf\xC3\xA9", "river", "na\xC3\xAFve", "stone", "lamp",
                                         "window", "\xD0\xB4\xD0\xBE\xD0\xBC", "lantern", "garden", "quiet", "over"};
    for (int i = 0; i < kFiles; i++) {
        const std::string path = root + "/text" + std::to_string(i) + ".txt";
        // Every other file holds the rare word near its end, the others a
        // word that shares its first half.
        WordTextShape shape{kFileBytes, kWords, nullptr, 0, i % 2 ? kRare : kNearMiss};
        if (!WriteWordText(path, shape).written) return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    CBenchScratch dir("dvbenchfindtext", BenchBaseDirectory());
    if (dir.path().empty() || !MakeTexts(dir.path())) {
        std::fprintf(stderr, "find_content: cannot write the texts\n");
        return 1;
    }
    Comparison c;
    c.name = "find_content";
    c.tool = "grep -rlF";
    c.iterations = 3;
    return CompareSearches(argc, argv, c, std::string("grep -rlF ") + kRare + " '" + dir.path() + "'",
                           [&] { return CountFound(dir.path(), L"*", kRare); });
}
