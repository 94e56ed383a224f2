// Text files (editor/textfile.h): the input's first byte picks the format
// set before opening (or none, so the bytes decide) and whether long lines
// are cut; the rest is the file. Loading every line and saving them
// unchanged must give back exactly the file's bytes, and reading
// backwards must meet the characters forward reading met.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "editor/textfile.h"
#include "fuzz/check.h"
#include "lib/fsname.h"

namespace {

// The file lives under $TMPDIR, which fuzz/run points at a scratch directory.
const std::string& ScratchFile() {
    static const std::string path = [] {
        const char* tmp = std::getenv("TMPDIR");
        return std::string(tmp && *tmp ? tmp : "/tmp") + "/textfile_fuzz." + std::to_string(getpid());
    }();
    return path;
}

std::string ReadBack(const std::string& path) {
    std::string bytes;
    FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) return "(gone)";
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0) bytes.append(buffer, got);
    std::fclose(in);
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string& path = ScratchFile();
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return 0;
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);

    CTextFile file;
    file.format = static_cast<EFileFormat>(data[0] % 7);
    file.code_page = (data[0] & 0x80) ? 866 : 1252;
    const long long maxlen = (data[0] & 0x40) ? 1 + data[0] % 13 : 0;
    fuzz_check(file.Open(DecodeFileName(path.c_str()).c_str()) == 0, "cannot open the file");

    struct Line {
        std::vector<wchar_t> text;
        ELineEnd end;
    };
    std::vector<Line> lines;
    int len = 0;
    while (const wchar_t* line = file.ReadTextLine(len, maxlen)) {
        fuzz_check(len >= 0 && (maxlen == 0 || len <= maxlen), "a line longer than asked for");
        lines.push_back({std::vector<wchar_t>(line, line + len), file.last_line_end});
    }
    fuzz_check(!file.read_only, "a read error on a file that is whole");

    // Backwards from the end to the start, meeting as many characters.
    std::vector<int64_t> starts;
    file.pos = file.data_start;
    for (;;) {
        int64_t at = file.pos;
        if (file.ReadChar() < 0) break;
        starts.push_back(at);
    }
    for (size_t i = starts.size(); i-- > 0;) {
        fuzz_check(file.ReadPrevChar() >= 0 && file.pos == starts[i], "backward reading differs");
    }
    fuzz_check(file.ReadPrevChar() == -1, "characters before the start");

    fuzz_check(file.BeginSave() == 0, "cannot begin the save");
    for (const Line& line : lines)
        fuzz_check(file.WriteLine(line.text.data(), static_cast<int>(line.text.size()), line.end) == 0,
                   "a write failed");
    fuzz_check(file.EndSave() == 0, "the save failed");
    fuzz_check(file.unwritable_written == 0, "a character read could not be written");
    fuzz_check(ReadBack(path) == bytes, "the saved file differs from the loaded one");
    unlink(path.c_str());
    return 0;
}
