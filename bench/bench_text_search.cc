// Searching a 1 GiB UTF-8 text as the viewer does: a word found near the
// end, then every occurrence of another word counted by searching on from
// each one found, against `grep -c -F` for each word on the same file.
// The text is lines of words with accented letters and the odd emoji.
#include <chrono>
#include <cstdio>
#include <string>

#include "bench/harness.h"
#include "bench/wordtext.h"
#include "editor/textfile.h"
#include "lib/fsname.h"

namespace {

constexpr int64_t kFileBytes = int64_t(1) << 30;
constexpr int kFrequentEvery = 1000;  // lines between occurrences of the common word
const char kRare[] = "quixotic-zeppelin";
const char kFrequent[] = "marmalade";

// Writes the text; the number of lines holding the common word, or -1.
long MakeText(const std::string& path) {
    static const char* const kWords[] = {"the", "caf\xC3\xA9", "river", "na\xC3\xAFve", "stone", "\xF0\x9F\x98\x80",
                                         "window", "\xD0\xB4\xD0\xBE\xD0\xBC", "lantern", "garden", "quiet", "over"};
    const WordText text = WriteWordText(path, {kFileBytes, kWords, kFrequent, kFrequentEvery, kRare});
    return text.written ? text.frequent_lines : -1;
}

// The viewer's work: the rare word's position and the common word's count.
bool SearchOnce(const Westring& path, long expected_frequent, long long* rare_at) {
    CTextFile file;
    if (file.Open(path.c_str()) != 0 || file.format != FF_UTF8) return false;
    *rare_at = file.Search(Westring(kRare), -1, true, false, false);
    long count = 0;
    for (long long at = file.Search(Westring(kFrequent), -1, true, false, false); at >= 0;
         at = file.Search(Westring(kFrequent), at + 1, true, false, false))
        count++;
    return *rare_at > 0 && count == expected_frequent;
}

}  // namespace

int main(int argc, char** argv) {
    CBenchScratch dir("dvbenchtext");
    const std::string path = dir.path() + "/big.txt";
    const long frequent = dir.path().empty() ? -1 : MakeText(path);
    if (frequent < 0) {
        std::fprintf(stderr, "text_search: cannot write the text\n");
        return 1;
    }
    const Westring wide_path = DecodeFileName(path.c_str());
    long long rare_at = 0;
    if (!SearchOnce(wide_path, frequent, &rare_at)) {
        std::fprintf(stderr, "text_search: the search found the wrong things\n");
        return 1;
    }
    std::printf("text_search: the rare word at byte %lld of %lld, the common one %ld times\n", rare_at,
                static_cast<long long>(kFileBytes), frequent);

    Comparison c;
    c.name = "text_search";
    c.tool = "grep -c -F";
    c.iterations = 3;
    c.ours = [&](benchmark::State& state) {
        for (auto _ : state) {
            long long at = 0;
            if (!SearchOnce(wide_path, frequent, &at)) state.SkipWithError("the search is wrong");
        }
    };
    const std::string command = std::string("grep -c -F ") + kRare + " '" + path + "' >/dev/null && grep -c -F " +
                                kFrequent + " '" + path + "' >/dev/null";
    c.theirs = [&](benchmark::State& state) {
        for (auto _ : state) {
            if (TimeCommand(command) < 0) state.SkipWithError("grep failed");
        }
    };
    return RunComparison(argc, argv, c);
}
