// The note file reader (panels/dirinfo.h) on arbitrary bytes: any directory
// may hold a "dirinfo" of any content. The first two bytes choose how many
// lines are kept and how the rest is cut into the pieces the reader is fed;
// the lines must not depend on the cutting, must agree with a plain
// split-and-cut of the whole, and each shown row must fit its width and
// hold no control character.
#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/check.h"
#include "lib/cellwidth.h"
#include "panels/dirinfo.h"

namespace {

// The lines the reader should give: split at "\n", a "\r" ending a line
// dropped, each cut to the limit, the first max_lines of them.
std::vector<std::string> reference_lines(const std::string& bytes, size_t max_lines) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size() && lines.size() < max_lines) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > kNoteLineBytes) line.resize(kNoteLineBytes);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const size_t max_lines = data[0] % 64;
    const size_t piece = 1 + data[1] % 97;
    const std::string bytes(reinterpret_cast<const char*>(data) + 2, size - 2);

    CNoteLines whole(kNoteLineBytes, max_lines);
    whole.Feed(bytes.data(), bytes.size());
    whole.Finish();
    CNoteLines pieces(kNoteLineBytes, max_lines);
    for (size_t at = 0; at < bytes.size(); at += piece)
        pieces.Feed(bytes.data() + at, std::min(piece, bytes.size() - at));
    pieces.Finish();
    fuzz_check(whole.lines() == pieces.lines(), "the lines depend on how the bytes arrived");

    fuzz_check(whole.lines() == reference_lines(bytes, max_lines), "the lines differ from splitting the whole");

    const int width = 1 + data[1] % 80;
    const int tab_width = data[0] % 9;
    for (const std::string& line : whole.lines()) {
        const Westring text = NoteLineText(line, tab_width, width);
        fuzz_check(TextCells(text.c_str()) <= width, "a row wider than its window");
        for (int i = 0; i < text.strlen(); i++)
            fuzz_check(text[i] >= L' ' && text[i] != 0x7F, "a control character reaches the screen");
    }
    return 0;
}
