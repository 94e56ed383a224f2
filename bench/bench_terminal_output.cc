// terminal_output: 100 MB of a command's output (plain lines, colours,
// cursor movement, erasing, scrolling, a scroll region, wide characters)
// fed in 64 KiB chunks to the program's terminal emulator on a headless
// console, against libvterm with its screen layer fed the same chunks.
#include <vterm.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "bench/harness.h"
#include "console/console.h"
#include "console/headlessview.h"
#include "exec/ansiterminal.h"

namespace {

constexpr size_t kTotalBytes = 100u << 20;
constexpr size_t kChunk = 64u << 10;
constexpr int kColumns = 80, kRows = 25;

// A small fixed generator, so that both sides see the same bytes every run.
struct Random {
    unsigned long long state = 0x9E3779B97F4A7C15ull;
    unsigned Next(unsigned bound) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return static_cast<unsigned>(state % bound);
    }
};

std::string MixedOutput() {
    static const char* const words[] = {"total", "drwxr-xr-x", "README.md", "src/", "1024", "Makefile",
                                        "warning:", "error", "build", "\xE4\xB8\xAD\xE6\x96\x87", "caf\xC3\xA9"};
    Random random;
    std::string out;
    out.reserve(kTotalBytes + 4096);
    while (out.size() < kTotalBytes) {
        switch (random.Next(10)) {
        case 0:  // a full-screen program moving about and erasing
            out += "\x1b[" + std::to_string(1 + random.Next(kRows)) + ";" + std::to_string(1 + random.Next(kColumns)) + "H";
            out += "\x1b[K";
            break;
        case 1:
            out += "\x1b[38;5;" + std::to_string(random.Next(256)) + "m";
            break;
        case 2:
            out += "\x1b[1;3" + std::to_string(random.Next(8)) + ";4" + std::to_string(random.Next(8)) + "m";
            break;
        case 3:
            if (random.Next(20) == 0) out += random.Next(2) ? "\x1b[3;20r\x1b[20;1H" : "\x1b[r\x1b[25;1H";
            else out += "\x1b[0m";
            break;
        default:
            break;
        }
        // A line of words, as ls or a compiler writes it.
        int length = 0, target = static_cast<int>(random.Next(kColumns));
        while (length < target) {
            const char* word = words[random.Next(sizeof words / sizeof words[0])];
            out += word;
            out += ' ';
            length += static_cast<int>(std::char_traits<char>::length(word)) + 1;
        }
        out += "\r\n";
    }
    out.resize(kTotalBytes);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string output = MixedOutput();
    console = new CConsole(new CHeadlessView());
    std::printf("terminal_output: %zu bytes in %zu-byte chunks on %dx%d cells\n", output.size(), kChunk,
                console->columns(), console->rows());

    Comparison c;
    c.name = "terminal_output";
    c.tool = "libvterm";
    c.iterations = 3;
    c.ours = [&output](benchmark::State& state) {
        for (auto _ : state) {
            CAnsiTerminalEmulator terminal(*console, nullptr);
            for (size_t at = 0; at < output.size(); at += kChunk)
                terminal.WriteOutput(output.data() + at, std::min(kChunk, output.size() - at));
        }
    };
    c.theirs = [&output](benchmark::State& state) {
        for (auto _ : state) {
            VTerm* vt = vterm_new(kRows, kColumns);
            vterm_set_utf8(vt, 1);
            VTermScreen* screen = vterm_obtain_screen(vt);
            vterm_screen_reset(screen, 1);
            for (size_t at = 0; at < output.size(); at += kChunk)
                vterm_input_write(vt, output.data() + at, std::min(kChunk, output.size() - at));
            benchmark::DoNotOptimize(screen);
            vterm_free(vt);
        }
    };
    int status = RunComparison(argc, argv, c);
    delete console;
    console = nullptr;
    return status;
}
