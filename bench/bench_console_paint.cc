// console_paint: full repaints of a 200x60 screen in a desktop window under
// Xvfb (a panel-like screen: frames, names with CJK characters and an emoji,
// several colours), against the same changes through the headless view,
// which draws nothing: the difference is the cost of the drawing itself.
// Many repaints run one after another, so the X server's share is counted
// too once its request queue is full.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/harness.h"
#include "console/console.h"
#include "console/gtkstartup.h"
#include "console/headlessview.h"

namespace {

constexpr int kColumns = 200;
constexpr int kRows = 60;

// Writes the whole screen; odd and even rounds differ in every cell, so each
// repaints all of it.
void WriteScreen(CConsole& console, int round) {
    static const wchar_t* const kNames[] = {L"README.md", L"emoji_\U0001F600_file.txt",
                                            L"\x65E5\x672C\x8A9E\x306E\x30D5\x30A1\x30A4\x30EB.txt", L"src",
                                            L"Makefile", L"build.log"};
    unsigned char frame = round % 2 ? 0x1B : 0x1F, names = round % 2 ? 0x1E : 0x3E;
    console.BeginPaint();
    for (int y = 0; y < kRows; y++) {
        for (int half = 0; half < 2; half++) {
            int x = half * kColumns / 2;
            std::wstring row(kColumns / 2, y == 0 || y == kRows - 1 ? L'\x2550' : L' ');
            row.front() = row.back() = L'\x2551';
            console.PutStringAt(x, y, row.c_str(), frame);
            if (y > 0 && y < kRows - 1) {
                console.PutStringAt(x + 1, y, kNames[(y + round) % 6], names);
                console.PutStringAt(x + 40, y, L"\x2502", frame);
                console.PutStringAt(x + 42, y, round % 2 ? L"  12345 07.12.26" : L"  54321 26.12.07", names);
            }
        }
    }
    console.EndPaint();
}

std::function<void(benchmark::State&)> Repaints(CConsole* console) {
    return [console](benchmark::State& state) {
        int round = 0;
        for (auto _ : state) WriteScreen(*console, round++);
    };
}

}  // namespace

int main(int argc, char** argv) {
    pid_t xvfb = -1;
    std::string display = StartXvfb(xvfb, "1920x1200x24");
    if (display.empty()) {
        std::fprintf(stderr, "console_paint: Xvfb did not start\n");
        return 1;
    }
    setenv("DISPLAY", display.c_str(), 1);
    int status = 1;
    if (InitToolkit(argc, argv)) {
        auto* desktop = new CConsole(CreateDesktopView());
        auto* headless = new CConsole(new CHeadlessView());
        if (desktop->SetSize(kColumns, kRows) && headless->SetSize(kColumns, kRows)) {
            WriteScreen(*desktop, 1);  // the window and its back buffer exist before timing
            Comparison comparison{"console_paint", "headless view", Repaints(desktop), Repaints(headless), 200};
            status = RunComparison(argc, argv, comparison);
        } else {
            std::fprintf(stderr, "console_paint: cannot make the screen %dx%d\n", kColumns, kRows);
        }
        delete headless;
        delete desktop;
    } else {
        std::fprintf(stderr, "console_paint: cannot open the display\n");
    }
    kill(xvfb, SIGTERM);
    waitpid(xvfb, nullptr, 0);
    return status;
}
