// The viewer's search through a 1 GiB text for a word near its end: once
// as the viewer searches a UTF-8 text (CTextFile::Search), once over the
// raw bytes in code page 1252 without regard to case (SearchFile), each
// against `grep -c -F` for the word on the same file.
#include <cstdio>
#include <string>

#include "bench/harness.h"
#include "bench/wordtext.h"
#include "editor/textfile.h"
#include "lib/fsname.h"
#include "viewer/viewsearch.h"

namespace {

constexpr int64_t kFileBytes = int64_t(1) << 30;
const char kWord[] = "verdigris-harmonium";

// Writes lines of words with a few accented letters and the word once,
// 1/64 of the text before the end; the word's offset, or -1.
long long MakeText(const std::string& path) {
    static const char* const kWords[] = {"the",    "caf\xC3\xA9", "river",  "na\xC3\xAFve", "stone", "harbour",
                                         "window", "\xC3\xBC" "ber", "lantern", "garden", "quiet", "verdigris"};
    const WordText text = WriteWordText(path, {kFileBytes, kWords, nullptr, 0, kWord});
    return text.written ? text.rare_at : -1;
}

long long SearchText(const Westring& path) {
    CTextFile file;
    if (file.Open(path.c_str()) != 0 || file.format != FF_UTF8) return -3;
    return file.Search(Westring(kWord), -1, true, false, false);
}

long long SearchBytes(const Westring& path) {
    RandomFile file;
    if (file.open(path) != 0) return -3;
    return SearchFile(file, 0, Westring("VERDIGRIS-Harmonium"), false, false, false, 1252);
}

}  // namespace

int main(int argc, char** argv) {
    CBenchScratch dir("dvbenchview");
    const std::string path = dir.path() + "/big.txt";
    const long long word_at = dir.path().empty() ? -1 : MakeText(path);
    if (word_at < 0) {
        std::fprintf(stderr, "view_search: cannot write the text\n");
        return 1;
    }
    const Westring wide_path = DecodeFileName(path.c_str());
    const std::string grep = std::string("grep -c -F ") + kWord + " '" + path + "'";
    const long long text_at = SearchText(wide_path), bytes_at = SearchBytes(wide_path);
    const long long grep_count = CommandNumber(grep);
    if (text_at != word_at || bytes_at != word_at || grep_count != 1) {
        std::fprintf(stderr, "view_search: the word is at %lld; found at %lld and %lld, grep counts %lld\n",
                     word_at, text_at, bytes_at, grep_count);
        return 1;
    }
    std::printf("view_search: the word at byte %lld of %lld found by both searches and grep\n", word_at,
                static_cast<long long>(kFileBytes));

    auto run_grep = [&](benchmark::State& state) {
        for (auto _ : state) {
            if (TimeCommand(grep + " >/dev/null") < 0) state.SkipWithError("grep failed");
        }
    };
    Comparison text;
    text.name = "view_search";
    text.tool = "grep -c -F";
    text.iterations = 3;
    text.ours = [&](benchmark::State& state) {
        for (auto _ : state) {
            if (SearchText(wide_path) != word_at) state.SkipWithError("the text search is wrong");
        }
    };
    text.theirs = run_grep;
    if (const int status = RunComparison(argc, argv, text); status != 0) return status;

    Comparison bytes = text;
    bytes.name = "view_search (cp1252 bytes, any case)";
    bytes.ours = [&](benchmark::State& state) {
        for (auto _ : state) {
            if (SearchBytes(wide_path) != word_at) state.SkipWithError("the byte search is wrong");
        }
    };
    return RunComparison(argc, argv, bytes);
}
