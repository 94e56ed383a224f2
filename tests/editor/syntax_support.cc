#include "tests/editor/syntax_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

SyntaxScratch::SyntaxScratch() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/dvsyntaxXXXXXX";
    if (mkdtemp(pattern.data())) path_ = pattern;
}

SyntaxScratch::~SyntaxScratch() {
    if (!path_.empty()) {
        std::string command = "rm -rf '" + path_ + "'";
        if (std::system(command.c_str()) != 0) std::fprintf(stderr, "cannot remove %s\n", path_.c_str());
    }
}

std::string SyntaxScratch::Write(const std::string& name, const std::string& text) const {
    std::string full = path_ + "/" + name;
    FILE* f = std::fopen(full.c_str(), "wb");
    if (f) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    return full;
}

unsigned char Colour(const char* text) { return Str2Attr(text, colours[CLR_FILE_VIEWER]); }

std::vector<unsigned char> Colours(SyntaxHighlighter& h, const wchar_t* line) {
    CellString out;
    h.ProcessLine(line, out);
    std::vector<unsigned char> cells;
    for (int i = 0; i < out.length(); i++) cells.push_back(out[i].attr);
    return cells;
}

unsigned char ColourOf(const std::vector<unsigned char>& cells, int from, int n) {
    if (from < 0 || n <= 0 || from + n > static_cast<int>(cells.size())) return 0xFF;
    for (int i = from + 1; i < from + n; i++)
        if (cells[i] != cells[from]) return 0xFF;
    return cells[from];
}

std::string DefaultSyntaxFile() { return std::string(DV_TEST_DATA_DIR) + "/../../data/syntax.ini"; }
