// edit_replace: a 20 MB text with a word in it 100,000 times, loaded into
// the editor's model, every occurrence replaced by a longer word from the
// start of the text, and saved through the text file's safe save; against
// `sed -i 's/word/other/g'` on a copy of the same file. Both results must be
// the same bytes (cmp), and the count replaced must be grep's count.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "bench/harness.h"
#include "editor/editmodel.h"
#include "editor/editsearch.h"
#include "editor/textfile.h"
#include "lib/fsname.h"

namespace {

constexpr long long kFileBytes = 20000000;
constexpr int kOccurrences = 100000;
const char kWord[] = "quince";
const wchar_t kWideWord[] = L"quince";
const char kOther[] = "blackcurrant";
const wchar_t kWideOther[] = L"blackcurrant";

struct Lcg {
    unsigned long long state = 0x9E3779B97F4A7C15ULL;
    unsigned Next(unsigned bound) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<unsigned>((state >> 33) % bound);
    }
};

// Words of the text; none holds the word, though some hold pieces of it.
const char* const kVocabulary[] = {"the",    "river", "caf\xC3\xA9", "stone", "\xD0\xB4\xD0\xBE\xD0\xBC",
                                   "window", "quinc", "garden",      "uince", "over",
                                   "quiet",  "lantern", "qu",        "ince",  "marmalade"};

// One line of 6 to 17 words holding the word 0, 1 or 2 times (while any
// are left): alone, at the start or end of the line, twice run together,
// or inside another word. Every thousandth line ends in CR LF.
void AppendLine(std::string& out, Lcg& random, long line, int& left) {
    const unsigned roll = random.Next(10);
    int here = roll < 7 ? 0 : roll < 9 ? 1 : 2;
    if (here > left) here = left;
    left -= here;
    const unsigned words = 6 + random.Next(12);
    const unsigned placement = random.Next(4);
    if (here == 2 && placement == 0) out += kWord;  // at the very start of the line
    for (unsigned w = 0; w < words; w++) {
        if (w) out += ' ';
        out += kVocabulary[random.Next(sizeof kVocabulary / sizeof *kVocabulary)];
        if (here >= 1 && w == words / 2) {
            out += ' ';
            out += here == 2 && placement == 1 ? std::string(kWord) + kWord : kWord;
            if (here == 2 && placement == 2) out += std::string(" marma") + kWord + "lade";
        }
    }
    if (here == 2 && placement == 3) out += std::string(" ") + kWord;  // at the very end
    out += line % 1000 == 999 ? "\r\n" : "\n";
}

// Writes the text; false when it cannot be written whole.
bool MakeText(const std::string& path) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    Lcg random;
    std::string text;
    int left = kOccurrences;
    long line = 0;
    // Lines go on past the size until the word's count is reached.
    while (static_cast<long long>(text.size()) < kFileBytes || left > 0) AppendLine(text, random, line++, left);
    const bool ok = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    return std::fclose(out) == 0 && ok;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct ReplaceSteps {
    int replaced = 0;
    double load = 0, replace = 0, save = 0;  // seconds
};

// The editor's work on path: load, Replace All from the start, save.
bool ReplaceInEditor(const std::string& path, ReplaceSteps& steps) {
    auto start = std::chrono::steady_clock::now();
    CTextFile file;
    if (file.Open(DecodeFileName(path.c_str()).c_str()) != 0) return false;
    EditModel model;
    if (model.Load(file) != EditStatus::kOk) return false;
    steps.load = SecondsSince(start);

    start = std::chrono::steady_clock::now();
    const TextSearcher searcher(kWideWord, SearchOptions{true, false, false});
    const ReplaceAllResult result = ReplaceAll(model, searcher, kWideOther, TextPos{0, 0});
    steps.replace = SecondsSince(start);
    if (result.refused_lines != 0) return false;
    steps.replaced = result.replaced;

    start = std::chrono::steady_clock::now();
    if (model.Save(file) != 0) return false;
    steps.save = SecondsSince(start);
    return true;
}

bool CopyFile(const std::string& from, const std::string& to) {
    std::error_code error;
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, error);
    return !error;
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

bool SameBytes(const std::string& a, const std::string& b) {
    return std::system(("cmp -s " + Quoted(a) + " " + Quoted(b)).c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    CBenchScratch dir("dvbenchreplace");
    const std::string original = dir.path() + "/words.txt";
    const std::string ours = dir.path() + "/ours.txt";
    const std::string theirs = dir.path() + "/theirs.txt";
    if (dir.path().empty() || !MakeText(original)) {
        std::fprintf(stderr, "edit_replace: cannot write the text\n");
        return 1;
    }
    const long long in_text = CommandNumber("grep -o -F " + std::string(kWord) + " " + Quoted(original) + " | wc -l");
    if (in_text != kOccurrences) {
        std::fprintf(stderr, "edit_replace: the text holds the word %lld times, not %d\n", in_text, kOccurrences);
        return 1;
    }
    const std::string sed = "sed -i 's/" + std::string(kWord) + "/" + kOther + "/g' " + Quoted(theirs);

    // One checked run of each side before any timing.
    ReplaceSteps steps;
    if (!CopyFile(original, ours) || !ReplaceInEditor(ours, steps)) {
        std::fprintf(stderr, "edit_replace: the editor's model could not load, replace or save the text\n");
        return 1;
    }
    if (!CopyFile(original, theirs) || TimeCommand(sed) < 0) {
        std::fprintf(stderr, "edit_replace: sed failed\n");
        return 1;
    }
    if (steps.replaced != kOccurrences || !SameBytes(ours, theirs)) {
        std::fprintf(stderr, "edit_replace: FAILED: %d replaced, and the saved text %s sed's\n", steps.replaced,
                     SameBytes(ours, theirs) ? "matches" : "DIFFERS FROM");
        return 1;
    }
    std::printf("edit_replace steps: load %.3f s, Replace All %.3f s, save %.3f s; %d replaced\n", steps.load,
                steps.replace, steps.save, steps.replaced);

    Comparison c;
    c.name = "edit_replace";
    c.tool = "sed -i";
    c.iterations = 5;
    c.ours = [&](benchmark::State& state) {
        for (auto _ : state) {
            state.PauseTiming();
            if (!CopyFile(original, ours)) state.SkipWithError("cannot copy the text");
            state.ResumeTiming();
            ReplaceSteps timed;
            if (!ReplaceInEditor(ours, timed) || timed.replaced != kOccurrences)
                state.SkipWithError("the replace failed");
        }
    };
    c.theirs = [&](benchmark::State& state) {
        for (auto _ : state) {
            state.PauseTiming();
            if (!CopyFile(original, theirs)) state.SkipWithError("cannot copy the text");
            state.ResumeTiming();
            if (TimeCommand(sed) < 0) state.SkipWithError("sed failed");
        }
    };
    const int status = RunComparison(argc, argv, c);
    if (!SameBytes(ours, theirs)) {
        std::fprintf(stderr, "edit_replace: FAILED: the timed runs' results differ (cmp)\n");
        return 1;
    }
    return status;
}
