// The terminal emulator (exec/ansiterminal.h) on arbitrary output of a
// command, cut into chunks where the input says. Beyond not crashing it
// checks that the screen holds no half of a wide character, that the cursor
// stays on the screen, and that the same bytes in one chunk give the same
// screen and the same answers as in pieces.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "console/console.h"
#include "console/headlessview.h"
#include "exec/ansiterminal.h"
#include "fuzz/check.h"

namespace {

CConsole& Screen() {
    static CConsole* screen = [] {
        console = new CConsole(new CHeadlessView());
        return console;
    }();
    return *screen;
}

struct Run {
    std::vector<ScreenCell> cells;
    std::string answers;
    int columns = 0, rows = 0;
    int cursor_x = 0, cursor_y = 0;
};

// Feeds bytes in the chunks that end at the cut positions.
Run Feed(const uint8_t* data, size_t size, const std::vector<size_t>& cuts) {
    CConsole& screen = Screen();
    screen.Clear(0, 0, screen.columns(), screen.rows(), 0x07);
    screen.SetCursorPos(0, 0);
    Run run;
    {
        CAnsiTerminalEmulator terminal(screen, [&run](const char* bytes, size_t n) { run.answers.append(bytes, n); });
        size_t start = 0;
        for (size_t cut : cuts) {
            terminal.WriteOutput(reinterpret_cast<const char*>(data) + start, cut - start);
            start = cut;
        }
        terminal.WriteOutput(reinterpret_cast<const char*>(data) + start, size - start);
        screen.GetCursorPos(run.cursor_x, run.cursor_y);
        run.columns = screen.columns();
        run.rows = screen.rows();
        for (int y = 0; y < screen.rows(); y++)
            for (int x = 0; x < screen.columns(); x++) run.cells.push_back(screen.cell(x, y));
    }
    return run;
}

void CheckScreen(const Run& run) {
    const int columns = run.columns;
    fuzz_check(run.cursor_x >= 0 && run.cursor_x < columns && run.cursor_y >= 0 && run.cursor_y < run.rows,
               "the cursor left the screen");
    for (int y = 0; y < run.rows; y++) {
        const ScreenCell* row = &run.cells[static_cast<size_t>(y) * columns];
        for (int x = 0; x < columns; x++) {
            if (is_wide_tail(row[x])) fuzz_check(x > 0 && is_wide_head(row[x - 1]), "a wide character's tail alone");
            if (is_wide_head(row[x])) fuzz_check(x + 1 < columns && is_wide_tail(row[x + 1]), "a wide character without its tail");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<size_t> cuts;
    if (!fuzz_take_cuts(data, size, cuts)) return 0;
    Run pieces = Feed(data, size, cuts);
    CheckScreen(pieces);
    Run whole = Feed(data, size, {});
    fuzz_check(whole.cells == pieces.cells, "chunks give another screen than the whole output");
    fuzz_check(whole.answers == pieces.answers, "chunks give other answers than the whole output");
    fuzz_check(whole.cursor_x == pieces.cursor_x && whole.cursor_y == pieces.cursor_y,
               "chunks leave the cursor elsewhere");
    return 0;
}
