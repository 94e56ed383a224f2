// Going to line 10,000,000 of a 600 MB text, as the viewer does for "go to
// line": count lines from the top, then read that line. Compared with
// `sed -n '10000000p'` on the same file; both must give the same line.
#include <cstdio>
#include <string>

#include "bench/harness.h"
#include "editor/textfile.h"
#include "lib/fsname.h"
#include "viewer/viewlines.h"

namespace {

constexpr int64_t kLines = 10200000;
constexpr int64_t kWanted = 10000000;  // counted from 1, as sed counts

// Lines of 1 to 118 characters that name their number, so the line found
// shows whether it is the right one.
bool MakeText(const std::string& path) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    static const char kFiller[] = "the quick brown fox jumps over the lazy dog while a cafe plays quiet music ";
    std::string block;
    bool written = true;
    for (int64_t line = 1; line <= kLines && written; line++) {
        block += std::to_string(line);
        const size_t extra = static_cast<size_t>((line * 2654435761u) % 111);
        for (size_t i = 0; i < extra; i++) block += kFiller[i % (sizeof kFiller - 1)];
        block += '\n';
        if (block.size() >= (1u << 20) || line == kLines) {
            written = std::fwrite(block.data(), 1, block.size(), out) == block.size();
            block.clear();
        }
    }
    return std::fclose(out) == 0 && written;
}

// The viewer's work: the text of line kWanted, or a note of what failed.
std::string FindLine(const Westring& path) {
    CTextFile file;
    if (file.Open(path.c_str()) != 0) return "cannot open";
    ViewLines lines(file);
    const int64_t start = lines.LineStart(kWanted - 1);
    if (start < 0) return "too few lines";
    const int64_t end = lines.EndOf(start);
    std::string text(static_cast<size_t>(end - start), '\0');
    int n = static_cast<int>(end - start);
    if (n > 0 && (file.GetBlock(start, text.data(), n) != 0 || n != end - start)) return "cannot read";
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    CBenchScratch dir("dvbenchviewline");
    const std::string path = dir.path() + "/lines.txt";
    if (dir.path().empty() || !MakeText(path)) {
        std::fprintf(stderr, "view_line: cannot write the text\n");
        return 1;
    }
    const Westring wide_path = DecodeFileName(path.c_str());
    const std::string command = "sed -n '" + std::to_string(kWanted) + "p' '" + path + "'";
    std::string sed_line;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char chunk[4096];
        for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) sed_line.append(chunk, n);
        pclose(pipe);
    }
    const std::string ours = FindLine(wide_path);
    if (ours + "\n" != sed_line) {
        std::fprintf(stderr, "view_line: we found \"%s\", sed \"%s\"\n", ours.c_str(), sed_line.c_str());
        return 1;
    }
    std::printf("view_line: line %lld is \"%.24s...\" for both\n", static_cast<long long>(kWanted), ours.c_str());

    Comparison c;
    c.name = "view_line";
    c.tool = "sed -n '10000000p'";
    c.iterations = 3;
    c.ours = [&](benchmark::State& state) {
        for (auto _ : state) {
            if (FindLine(wide_path) != ours) state.SkipWithError("the line is wrong");
        }
    };
    const std::string quiet = command + " >/dev/null";
    c.theirs = [&](benchmark::State& state) {
        for (auto _ : state) {
            if (TimeCommand(quiet) < 0) state.SkipWithError("sed failed");
        }
    };
    return RunComparison(argc, argv, c);
}
