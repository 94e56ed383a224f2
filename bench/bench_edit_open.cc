// edit_open: opening a 100 MB source file in the editor until its first
// screen is drawn in a headless console, against `vim -u NONE -es '+q'`,
// which also reads the whole file before it quits. A second line gives the
// peak memory of each side, each run once in a child process of its own.
//
// The editor window is not built yet, so our side is its model's part of
// the work: the whole file loaded into an EditModel and the first screen's
// lines coloured by the shipped syntax definitions and put on the console.
#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/harness.h"
#include "console/console.h"
#include "console/headlessview.h"
#include "editor/editmodel.h"
#include "editor/syntaxhighlighter.h"
#include "editor/textfile.h"
#include "lib/fsname.h"

namespace {

constexpr long long kFileBytes = 100000000;
constexpr int kColumns = 80;
constexpr int kRows = 25;  // a status row, the text, the key bar
constexpr int kTextRows = kRows - 2;
const char kChildFlag[] = "--open-in-child";

double Megabytes(long long bytes) { return static_cast<double>(bytes) / 1e6; }

// A small deterministic generator, so every run writes the same file.
struct Lcg {
    unsigned long long state = 0x2545F4914F6CDD1DULL;
    unsigned Next(unsigned bound) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<unsigned>((state >> 33) % bound);
    }
};

// One line of C-like source: indentation by tabs (now and then blanks),
// then a statement, a comment, a string or nothing, from 0 to about 400
// bytes, most between 20 and 80.
void AppendSourceLine(std::string& out, Lcg& random, long line) {
    static const char* const kNames[] = {"total", "buffer", "index", "left_margin", "next_entry", "count",
                                         "table", "result", "parser_state", "x", "header_length", "node"};
    const auto name = [&] { return kNames[random.Next(sizeof kNames / sizeof *kNames)]; };
    const unsigned depth = random.Next(5);
    for (unsigned i = 0; i < depth; i++) out += line % 7 == 0 ? "    " : "\t";
    char buffer[512];
    const unsigned n = random.Next(100000);
    buffer[0] = 0;
    switch (random.Next(13)) {
        case 0: std::snprintf(buffer, sizeof buffer, "int %s = %s + %u;", name(), name(), n); break;
        case 1: std::snprintf(buffer, sizeof buffer, "if (%s > %u && %s != nullptr) {", name(), n, name()); break;
        case 2: std::snprintf(buffer, sizeof buffer, "}"); break;
        case 3: std::snprintf(buffer, sizeof buffer, "return %s;", name()); break;
        case 4:
            std::snprintf(buffer, sizeof buffer, "for (int i = 0; i < %u; i++) %s[i] = %s[i] * 2.5e3;", n, name(),
                          name());
            break;
        case 5:
            std::snprintf(buffer, sizeof buffer, "printf(\"%%s: \\\"%s\\\" took %%d ms\\n\", %s, %u);", name(),
                          name(), n);
            break;
        case 6: std::snprintf(buffer, sizeof buffer, "/* %s keeps the count of %s seen so far */", name(), name()); break;
        case 7: std::snprintf(buffer, sizeof buffer, "// caf\xC3\xA9 %s: the na\xC3\xAFve way, %u steps", name(), n); break;
        case 8: std::snprintf(buffer, sizeof buffer, "#define %s_LIMIT 0x%x", name(), n); break;
        case 9: std::snprintf(buffer, sizeof buffer, "static const char* %s = \"%s/%s\";", name(), name(), name()); break;
        case 10:
            std::snprintf(buffer, sizeof buffer, "%s = compute_%s(%s, %u, sizeof(struct %s));", name(), name(), name(),
                          n, name());
            break;
        case 11: std::snprintf(buffer, sizeof buffer, "} else {"); break;
        default: break;  // an empty line
    }
    out += buffer;
    // Now and then a long line, as generated tables and joined macros make.
    if (random.Next(200) == 0)
        for (unsigned k = random.Next(12); k > 0; k--) out += " /* padding */ 0x7F, 0x80, 0xFF,";
    out += '\n';
}

// Writes the file once; false when it cannot be written whole.
bool MakeSource(const std::string& path) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    Lcg random;
    std::string block;
    long long written = 0;
    long line = 0;
    bool ok = true;
    while (ok && written < kFileBytes) {
        block.clear();
        while (block.size() < (1u << 20) && written + static_cast<long long>(block.size()) < kFileBytes)
            AppendSourceLine(block, random, line++);
        ok = std::fwrite(block.data(), 1, block.size(), out) == block.size();
        written += static_cast<long long>(block.size());
    }
    return std::fclose(out) == 0 && ok;
}

// A screen row as text: cut at the screen's width, trailing blanks dropped.
std::wstring TrimmedRow(std::wstring text) {
    if (text.size() > static_cast<size_t>(kColumns)) text.resize(kColumns);
    const size_t last = text.find_last_not_of(L' ');
    return last == std::wstring::npos ? std::wstring() : text.substr(0, last + 1);
}

// What the first screen showed, for checking it against the file.
struct FirstScreen {
    int lines = 0;                     // lines in the loaded text
    std::vector<std::wstring> shown;   // the text rows' characters, blanks trimmed
};

// Opens path in the editor's model and draws its first screen on console.
bool OpenFirstScreen(const Westring& path, CConsole& screen, FirstScreen* result) {
    CTextFile file;
    if (file.Open(path.c_str()) != 0) return false;
    EditModel model;
    if (model.Load(file) != EditStatus::kOk) return false;
    SyntaxHighlighter highlighter;
    if (!highlighter.LoadDef(Westring(DV_SYNTAX_FILE), path)) return false;

    screen.BeginPaint();
    CellString status(L" big.c", 0x30);
    screen.PutRect(0, 0, std::min(kColumns, status.length()), 1, status.cells());
    CellString cells;
    std::vector<ScreenCell> row(kColumns);
    for (int y = 0; y < kTextRows; y++) {
        std::fill(row.begin(), row.end(), ScreenCell(L' ', 0x1B));
        if (y < model.text.LineCount()) {
            const std::wstring line = model.text.LineString(y);
            highlighter.ProcessLine(line.c_str(), cells);
            std::copy_n(cells.cells(), std::min(kColumns, cells.length()), row.begin());
        }
        screen.PutRect(0, y + 1, kColumns, 1, row.data());
    }
    screen.EndPaint();

    if (result) {
        result->lines = model.text.LineCount();
        result->shown.clear();
        CellString shown;
        for (int y = 0; y < kTextRows; y++) {
            screen.GetRect(shown, 0, y + 1, kColumns, 1);
            std::wstring text;
            for (int x = 0; x < shown.length(); x++) text += shown[x].ch;
            result->shown.push_back(TrimmedRow(text));
        }
    }
    return true;
}

// A fresh headless console of the editor's size, made the program's console.
CConsole* MakeScreen() {
    auto* screen = new CConsole(new CHeadlessView());
    console = screen;
    if (!screen->SetSize(kColumns, kRows)) return nullptr;
    return screen;
}

// Runs a program to its end; its peak resident memory in bytes, or -1.
long long PeakOfChild(const std::vector<std::string>& arguments) {
    pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        int null = open("/dev/null", O_RDWR);
        if (null >= 0) {
            dup2(null, 0);
            dup2(null, 1);
            dup2(null, 2);
        }
        std::vector<char*> argv;
        for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return static_cast<long long>(usage.ru_maxrss) * 1024;
}

// The first lines of the file as head and expand (tabs to eight columns)
// make them, for comparing with what the screen showed.
std::vector<std::wstring> FirstRowsByTools(const std::string& path) {
    std::vector<std::wstring> rows;
    const std::string command = "head -n " + std::to_string(kTextRows) + " '" + path + "' | expand -t 8";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return rows;
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, pipe)) {
        std::string line(buffer);
        if (!line.empty() && line.back() == '\n') line.pop_back();
        rows.push_back(TrimmedRow(DecodeFileName(line.c_str()).c_str()));
    }
    pclose(pipe);
    return rows;
}

}  // namespace

int main(int argc, char** argv) {
    // The child of the memory measurement: opens the file and ends.
    if (argc == 3 && std::strcmp(argv[1], kChildFlag) == 0) {
        CConsole* screen = MakeScreen();
        return screen && OpenFirstScreen(DecodeFileName(argv[2]), *screen, nullptr) ? 0 : 1;
    }

    CBenchScratch dir("dvbenchedit");
    const std::string path = dir.path() + "/big.c";
    if (dir.path().empty() || !MakeSource(path)) {
        std::fprintf(stderr, "edit_open: cannot write the text\n");
        return 1;
    }
    const Westring wide_path = DecodeFileName(path.c_str());
    CConsole* screen = MakeScreen();
    FirstScreen first;
    if (!screen || !OpenFirstScreen(wide_path, *screen, &first)) {
        std::fprintf(stderr, "edit_open: the editor's model could not open the text\n");
        return 1;
    }
    // The text ends with a line end, so the model has one empty line more.
    const long long file_lines = CommandNumber("wc -l < '" + path + "'");
    if (first.lines != file_lines + 1 || first.shown != FirstRowsByTools(path)) {
        std::fprintf(stderr, "edit_open: the text read (%d lines) or its first screen differs from the file (%lld lines)\n",
                     first.lines, file_lines);
        return 1;
    }

    const std::string self = "/proc/self/exe";
    char self_path[4096];
    const ssize_t self_length = readlink(self.c_str(), self_path, sizeof self_path - 1);
    if (self_length <= 0) {
        std::fprintf(stderr, "edit_open: cannot find this program\n");
        return 1;
    }
    self_path[self_length] = 0;
    const long long ours_peak = PeakOfChild({self_path, kChildFlag, path});
    const long long vim_peak = PeakOfChild({"vim", "-u", "NONE", "-es", "+q", path});
    if (ours_peak < 0 || vim_peak < 0) {
        std::fprintf(stderr, "edit_open: a child for the memory measurement failed (ours %lld, vim %lld)\n", ours_peak,
                     vim_peak);
        return 1;
    }

    Comparison c;
    c.name = "edit_open (model load and coloured first screen; no editor window yet)";
    c.tool = "vim -es";
    c.iterations = 3;
    c.ours = [&](benchmark::State& state) {
        for (auto _ : state)
            if (!OpenFirstScreen(wide_path, *screen, nullptr)) state.SkipWithError("the open failed");
    };
    const std::string command = "vim -u NONE -es '+q' '" + path + "' </dev/null >/dev/null 2>&1";
    c.theirs = [&](benchmark::State& state) {
        for (auto _ : state)
            if (TimeCommand(command) < 0) state.SkipWithError("vim failed");
    };
    const int status = RunComparison(argc, argv, c);
    std::printf("edit_open memory: ours %.0f MB, vim %.0f MB, file %.0f MB\n", Megabytes(ours_peak),
                Megabytes(vim_peak), Megabytes(kFileBytes));
    return status;
}
