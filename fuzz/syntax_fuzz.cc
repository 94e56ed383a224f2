// The syntax definition reader (editor/syntaxdef.h) on arbitrary bytes taken
// as a syntax.ini, then a few fixed lines coloured by what it read: a user
// may write any definition file. Beyond not crashing it checks that every
// line is coloured whole (tabs aside) and the stack stays within its cap.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "editor/syntaxhighlighter.h"
#include "fuzz/check.h"

namespace {

// The definition file the bytes are written to, in the scratch folder the
// fuzzer runs with (TMPDIR), so "!include" of its own name loops back.
const std::string& DefinitionPath() {
    static const std::string path = [] {
        const char* base = getenv("TMPDIR");
        return std::string(base && *base ? base : "/tmp") + "/seed.ini";
    }();
    return path;
}

const wchar_t* const kLines[] = {
    L"int main() { /* open",  L"still \"in\" it */ return 0x1F; // done",
    L"#define X(a) \"a\\\"b\"", L"$HOME (((( <<<< >>>> )))) 'q!'x' \\",
    L"",                       L"\x7\x8 caf\u00e9 \u4e2d\u6587 ::: a:b",
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* f = std::fopen(DefinitionPath().c_str(), "wb");
    if (!f) return 0;
    bool written = std::fwrite(data, 1, size, f) == size;
    if (std::fclose(f) != 0 || !written) return 0;

    SyntaxHighlighter h;
    (void)h.LoadDef(DefinitionPath().c_str(), L"x.c");
    CellString out;
    for (int pass = 0; pass < 2; pass++)
        for (const wchar_t* line : kLines) {
            h.ProcessLine(line, out);
            fuzz_check(out.length() >= static_cast<int>(std::wcslen(line)) - 4, "a line lost characters");
            fuzz_check(h.depth() >= 0 && h.depth() <= CContextStack::kMaxDepth, "the stack passed its cap");
        }
    return 0;
}
