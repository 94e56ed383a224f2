// Going from the top to the last page of a 4 GiB file that is one hole
// with a short line at its end, as the viewer does on End: open the file,
// find the top line of the last page of 23 rows and read what each row
// shows. Compared with `tail -c 4096`, which seeks to the end at once.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "bench/harness.h"
#include "editor/textfile.h"
#include "lib/fsname.h"
#include "viewer/viewlines.h"

namespace {

constexpr int64_t kHole = int64_t{4} << 30;
constexpr int kRows = 23;
constexpr int kShownBytes = 256;  // of each row: a wide screen's width
const char kLastLine[] = "the last line of a very large file\n";

bool MakeSparseFile(const std::string& path) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    const ssize_t length = static_cast<ssize_t>(sizeof kLastLine - 1);
    const bool made = ftruncate(fd, kHole) == 0 && pwrite(fd, kLastLine, sizeof kLastLine - 1, kHole) == length;
    return close(fd) == 0 && made;
}

// The viewer's work; the text of the last row, empty when it went wrong.
std::string ShowLastPage(const Westring& path) {
    CTextFile file;
    if (file.Open(path.c_str()) != 0) return std::string();
    ViewLines lines(file);
    int64_t at = lines.LastPage(kRows);
    if (at != kHole - (kRows - 1) * ViewLines::kPiece) return std::string();
    std::string row;
    for (int i = 0; i < kRows && at < file.size(); i++) {
        const int64_t end = lines.EndOf(at);
        int n = static_cast<int>(std::min<int64_t>(end - at, kShownBytes));
        row.assign(static_cast<size_t>(n), '\0');
        if (n > 0 && file.GetBlock(at, row.data(), n) != 0) return std::string();
        row.resize(static_cast<size_t>(n));
        at = lines.Next(at);
    }
    return row;
}

}  // namespace

int main(int argc, char** argv) {
    CBenchScratch dir("dvbenchviewend");
    const std::string path = dir.path() + "/hole.txt";
    if (dir.path().empty() || !MakeSparseFile(path)) {
        std::fprintf(stderr, "view_end: cannot make the sparse file\n");
        return 1;
    }
    const Westring wide_path = DecodeFileName(path.c_str());
    const std::string expected(kLastLine, sizeof kLastLine - 2);
    if (ShowLastPage(wide_path) != expected) {
        std::fprintf(stderr, "view_end: the last page is not where it should be\n");
        return 1;
    }

    Comparison c;
    c.name = "view_end";
    c.tool = "tail -c 4096";
    c.iterations = 10;
    c.ours = [&](benchmark::State& state) {
        for (auto _ : state) {
            if (ShowLastPage(wide_path) != expected) state.SkipWithError("the last page is wrong");
        }
    };
    const std::string command = "tail -c 4096 '" + path + "' >/dev/null";
    c.theirs = [&](benchmark::State& state) {
        for (auto _ : state) {
            if (TimeCommand(command) < 0) state.SkipWithError("tail failed");
        }
    };
    return RunComparison(argc, argv, c);
}
