// Colouring every line of a 10 MB C file by the shipped syntax.ini, against
// laying out the same lines without colours (no Debian program colours text
// the same way, so the floor is our own uncoloured pass). The file is made
// here from a few lines of C with comments, strings and numbers that repeat
// with a changing name.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/harness.h"
#include "editor/syntaxhighlighter.h"

namespace {

constexpr size_t kBytes = 10u * 1024 * 1024;

std::vector<std::wstring> MakeLines() {
    static const wchar_t* const kTemplate[] = {
        L"/* Function number %d: adds up the values",
        L"   of a table, a block comment over two lines. */",
        L"static int sum_%d(const int* values, int count) {",
        L"\tint total = 0x%x; // the running total",
        L"\tfor (int i = 0; i < count; i++) total += values[i] * 3.5e2;",
        L"\tif (total < 0) printf(\"negative \\\"%%d\\\"\\n\", total);",
        L"#define LIMIT_%d 1024",
        L"\treturn total;",
        L"}",
        L"",
    };
    std::vector<std::wstring> lines;
    size_t bytes = 0;
    wchar_t buffer[256];
    for (int n = 0; bytes < kBytes; n++)
        for (const wchar_t* line : kTemplate) {
            std::swprintf(buffer, 256, line, n);
            lines.emplace_back(buffer);
            bytes += lines.back().size() + 1;
        }
    return lines;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Colours every line once; the number of cells made, so nothing is optimised away.
long ColourAll(SyntaxHighlighter& h, const std::vector<std::wstring>& lines) {
    CellString out;
    long cells = 0;
    h.Clear();
    for (const std::wstring& line : lines) {
        h.ProcessLine(line.c_str(), out);
        cells += out.length();
    }
    return cells;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::wstring> lines = MakeLines();
    SyntaxHighlighter coloured, plain;
    if (!coloured.LoadDef(DV_SYNTAX_FILE, L"big.c") || !coloured.def.messages().empty()) {
        std::fprintf(stderr, "highlight: cannot load %s\n", DV_SYNTAX_FILE);
        return 1;
    }
    plain.Disable();

    auto start = std::chrono::steady_clock::now();
    const long cells = ColourAll(coloured, lines);
    const double seconds = SecondsSince(start);
    std::printf("highlight: %zu lines (%ld cells) coloured in %.3f s, %.0f lines per second\n", lines.size(), cells,
                seconds, lines.size() / seconds);

    Comparison c;
    c.name = "highlight";
    c.tool = "the same lines uncoloured";
    c.ours = [&](benchmark::State& state) {
        for (auto _ : state)
            if (ColourAll(coloured, lines) != cells) state.SkipWithError("the colouring changed");
    };
    c.theirs = [&](benchmark::State& state) {
        for (auto _ : state) benchmark::DoNotOptimize(ColourAll(plain, lines));
    };
    return RunComparison(argc, argv, c);
}
