// edit_open: opening a 100 MB source file in the editor on a headless
// console (the whole file read, the first screen painted with syntax
// colours), against `vim -u NONE -es '+q'`, which also reads the whole file
// before it quits. Further lines give the peak memory of each side, each run
// once in a child process of its own, and how soon the editor's first screen
// was up, which it paints before the rest of the file is read.
#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "bench/harness.h"
#include "console/console.h"
#include "console/headlessview.h"
#include "editor/editor.h"
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

// The text rows as the view shows them, trimmed as TrimmedRow does.
std::vector<std::wstring> ShownTextRows(const CHeadlessView& view) {
    std::vector<std::wstring> rows;
    for (int y = 1; y <= kTextRows; y++) {
        std::wstring text;
        for (int x = 0; x < view.ShownColumns(); x++) text += view.Shown(x, y).cell.ch;
        rows.push_back(TrimmedRow(text));
    }
    return rows;
}

// A headless view that notes when a given text row first shows the text
// expected there after Arm: when the editor's first screen was up.
class FirstScreenWatch : public CHeadlessView {
public:
    void Arm(int row, const std::wstring& text) {
        std::lock_guard<std::mutex> guard(watch_mutex_);
        row_ = row;
        expected_ = text;
        seconds_ = -1;
        armed_at_ = std::chrono::steady_clock::now();
    }
    // Seconds from Arm to the paint that showed the row; -1 until then.
    double seconds() const {
        std::lock_guard<std::mutex> guard(watch_mutex_);
        return seconds_;
    }
    void PaintCells(int left, int top, int right, int bottom) override {
        CHeadlessView::PaintCells(left, top, right, bottom);
        std::lock_guard<std::mutex> guard(watch_mutex_);
        if (seconds_ >= 0 || row_ < top || row_ >= bottom) return;
        std::wstring text;
        for (int x = 0; x < ShownColumns(); x++) text += Shown(x, row_).cell.ch;
        if (TrimmedRow(text) == expected_)
            seconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - armed_at_).count();
    }

private:
    mutable std::mutex watch_mutex_;
    int row_ = -1;
    std::wstring expected_;
    double seconds_ = -1;
    std::chrono::steady_clock::time_point armed_at_;
};

// A fresh headless console of the editor's size, made the program's console.
CConsole* MakeScreen(CHeadlessView* view) {
    auto* screen = new CConsole(view);
    console = screen;
    if (!screen->SetSize(kColumns, kRows)) return nullptr;
    return screen;
}

void BlankScreen(CConsole& screen) {
    const std::vector<ScreenCell> blanks(static_cast<size_t>(kColumns) * kRows, ScreenCell(L' ', 0x07));
    screen.BeginPaint();
    screen.PutRect(0, 0, kColumns, kRows, blanks.data());
    screen.EndPaint();
}

// Opens path in the editor: the whole file read, the first screen painted.
std::unique_ptr<DVEditor> OpenInEditor(const Westring& path) {
    auto editor = std::make_unique<DVEditor>();
    if (!editor->Open(path.c_str()) || editor->model().incomplete) return nullptr;
    return editor;
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
    editor_hooks.syntax_file = Westring(DV_SYNTAX_FILE);
    // The child of the memory measurement: opens the file and ends.
    if (argc == 3 && std::strcmp(argv[1], kChildFlag) == 0)
        return MakeScreen(new CHeadlessView()) && OpenInEditor(DecodeFileName(argv[2])) ? 0 : 1;

    CBenchScratch dir("dvbenchedit");
    const std::string path = dir.path() + "/big.c";
    if (dir.path().empty() || !MakeSource(path)) {
        std::fprintf(stderr, "edit_open: cannot write the text\n");
        return 1;
    }
    // The children are started while this process is still small: a child's
    // peak counts the memory it had from the fork until its exec.
    char self_path[4096];
    const ssize_t self_length = readlink("/proc/self/exe", self_path, sizeof self_path - 1);
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

    const Westring wide_path = DecodeFileName(path.c_str());
    const std::vector<std::wstring> expected = FirstRowsByTools(path);
    int watched_row = 0;  // the first text row that is not blank
    while (watched_row < static_cast<int>(expected.size()) && expected[static_cast<size_t>(watched_row)].empty())
        watched_row++;
    if (expected.size() != static_cast<size_t>(kTextRows) || watched_row == kTextRows) {
        std::fprintf(stderr, "edit_open: head and expand did not give the first screen\n");
        return 1;
    }
    auto* watch = new FirstScreenWatch();  // the console owns its view
    CConsole* screen = MakeScreen(watch);
    if (!screen) {
        std::fprintf(stderr, "edit_open: cannot make the screen\n");
        return 1;
    }
    const auto arm = [&] {
        BlankScreen(*screen);
        watch->Arm(watched_row + 1, expected[static_cast<size_t>(watched_row)]);
    };

    // One checked open: every line read, the first screen as the tools show it.
    arm();
    std::unique_ptr<DVEditor> checked = OpenInEditor(wide_path);
    // The text ends with a line end, so the editor has one empty line more.
    const long long file_lines = CommandNumber("wc -l < '" + path + "'");
    if (!checked || checked->model().text.LineCount() != file_lines + 1 || ShownTextRows(*watch) != expected ||
        watch->seconds() < 0) {
        std::fprintf(stderr, "edit_open: FAILED: the editor did not open the file, or its text (%d lines) or first "
                             "screen differs from the file (%lld lines)\n",
                     checked ? checked->model().text.LineCount() : -1, file_lines);
        return 1;
    }
    checked.reset();

    Comparison c;
    c.name = "edit_open";
    c.tool = "vim -es";
    c.iterations = 3;
    double first_screen_seconds = 0;
    int opens = 0;
    c.ours = [&](benchmark::State& state) {
        for (auto _ : state) {
            state.PauseTiming();
            arm();
            state.ResumeTiming();
            std::unique_ptr<DVEditor> editor = OpenInEditor(wide_path);
            state.PauseTiming();
            if (!editor || watch->seconds() < 0) state.SkipWithError("the open failed");
            first_screen_seconds += watch->seconds();
            opens++;
            editor.reset();
            state.ResumeTiming();
        }
    };
    const std::string command = "vim -u NONE -es '+q' '" + path + "' </dev/null >/dev/null 2>&1";
    c.theirs = [&](benchmark::State& state) {
        for (auto _ : state)
            if (TimeCommand(command) < 0) state.SkipWithError("vim failed");
    };
    const int status = RunComparison(argc, argv, c);
    std::printf("edit_open memory: ours %.0f MB, vim %.0f MB, file %.0f MB\n", Megabytes(ours_peak),
                Megabytes(vim_peak), Megabytes(kFileBytes));
    if (opens > 0)
        std::printf("edit_open first screen: up after %.4f s, before the rest of the file is read\n",
                    first_screen_seconds / opens);
    return status;
}
