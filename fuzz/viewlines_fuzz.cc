// Finding lines in the viewer (viewer/viewlines.h): the input's first byte
// picks the format set before opening (a byte-order mark may still change
// it); the rest is the file. Walking down with Next and back up with Prev
// must meet the same starts, the line around every offset must be the one
// the walk found, and line n must be the walk's n-th start.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "editor/textfile.h"
#include "fuzz/check.h"
#include "lib/fsname.h"
#include "viewer/viewlines.h"

namespace {

// The file lives under $TMPDIR, which fuzz/run points at a scratch directory.
const std::string& ScratchFile() {
    static const std::string path = [] {
        const char* tmp = std::getenv("TMPDIR");
        return std::string(tmp && *tmp ? tmp : "/tmp") + "/viewlines_fuzz." + std::to_string(getpid());
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string& path = ScratchFile();
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return 0;
    std::fwrite(data + 1, 1, size - 1, out);
    std::fclose(out);

    CTextFile file;
    file.format = static_cast<EFileFormat>(data[0] % 7);
    fuzz_check(file.Open(DecodeFileName(path.c_str()).c_str()) == 0, "cannot open the file");
    const int64_t length = file.size();

    ViewLines down(file);
    std::vector<int64_t> starts = {down.StartOf(0)};
    fuzz_check(starts[0] == file.data_start, "the first line starts after the mark");
    for (;;) {
        const int64_t end = down.EndOf(starts.back());
        const int64_t next = down.Next(starts.back());
        fuzz_check(next > starts.back() || next == length, "Next goes nowhere");
        fuzz_check(end >= starts.back() && end <= next, "a line ends outside itself");
        if (next >= length) break;
        starts.push_back(next);
    }

    ViewLines up(file);
    fuzz_check(up.Prev(length) == starts.back(), "Prev from the end misses the last line");
    for (size_t i = starts.size() - 1; i > 0; i--)
        fuzz_check(up.Prev(starts[i]) == starts[i - 1], "Prev differs from Next");

    ViewLines around(file);
    for (int64_t offset = 0; offset < length; offset++) {
        const int64_t expected =
            *(std::upper_bound(starts.begin(), starts.end(), std::max<int64_t>(offset, starts[0])) - 1);
        fuzz_check(around.StartOf(offset) == expected, "StartOf differs from Next");
    }

    ViewLines numbered(file);
    for (size_t n = starts.size(); n-- > 0;)
        fuzz_check(numbered.LineStart(static_cast<int64_t>(n)) == starts[n], "LineStart differs from Next");
    int64_t count = 0;
    fuzz_check(numbered.LineStart(static_cast<int64_t>(starts.size()), &count) == -1 &&
                   count == static_cast<int64_t>(starts.size()),
               "LineStart counts another number of lines");
    unlink(path.c_str());
    return 0;
}
