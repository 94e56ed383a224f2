// A console in a real desktop window for the end-to-end tests: writes known
// text, then reports every event getkey returns, one line each, on stdout.
//
// Prints "ready title=<title> cell=<w>x<h> screen=<columns>x<rows>" once the
// screen is written; ends on KEY_QUIT, SIGTERM or after 280 seconds (a
// forgotten probe does not outlive its test for long).
// Rows 12 and 13 hold a separator '\u2502' at column 50, after a plain name
// and after names with an emoji and CJK characters.
// Some keys also act, after their line is printed:
//   F3  scrolls rows 0-2 up by one line ("scrolled")
//   F4  reads the desktop clipboard ("clip=[text]")
//   F6  puts "put by the program" on the clipboard ("clip put")
//   F8  shows a half-cell cursor at (30,10) ("cursor")
//   F7  makes the screen 100x30 and writes it again
//       ("resized cell=<w>x<h> screen=<columns>x<rows>")
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "console/console.h"
#include "console/gtkstartup.h"

namespace {

volatile sig_atomic_t stop_requested = 0;

constexpr int kSeparatorColumn = 50;

void OnTerminate(int) { stop_requested = 1; }

// The text the tests look for, with the cells they expect it in; the whole
// screen may be selected with the mouse.
void WriteScreen() {
    console->SetSelectionZone(0, 0, console->columns(), console->rows());
    console->PutStringAt(2, 1, L"Hello", 0x1E);
    console->PutStringAt(8, 1, L"\x2588\x2588", 0x1E);  // solid blocks: surely foreground pixels
    console->PutStringAt(0, 3, L"first line", 0x07);
    console->PutStringAt(0, 4, L"  second", 0x1B);
    console->PutStringAt(0, 5, L"third   line", 0x4F);
    console->PutStringAt(20, 5, L"outside", 0x07);
    // A column separator after plain names and after names with glyphs
    // wider than a cell: it must stay in its column. Painted at once, whole
    // rows, as the panels paint.
    console->BeginPaint();
    console->PutStringAt(0, 12, L"plain_file.txt", 0x07);
    console->PutStringAt(0, 13, L"emoji_\U0001F600_file.txt \x65E5\x672C\x8A9E\x306E\x30D5\x30A1\x30A4\x30EB.txt",
                         0x07);
    for (int row = 12; row <= 13; row++) console->PutStringAt(kSeparatorColumn, row, L"\x2502", 0x07);
    console->EndPaint();
}

// What the probe does for a key besides reporting it.
void Act(int key) {
    if (key == KEY_F3) {
        console->ScrollUp(0, 0, console->columns(), 3, 1, 0x07);
        std::printf("scrolled\n");
    } else if (key == KEY_F4) {
        Westring text;
        if (!console->GetClipText(text)) text = Westring();
        std::printf("clip=[%s]\n", text.ToUTF8().c_str());
    } else if (key == KEY_F6) {
        console->PutClipText(L"put by the program");
        std::printf("clip put\n");
    } else if (key == KEY_F8) {
        console->SetCursorPos(30, 10);
        console->SetCursorType(50);
        std::printf("cursor\n");
    } else if (key == KEY_F7) {
        if (!console->SetSize(100, 30)) std::printf("resize refused\n");
        WriteScreen();
        std::printf("resized cell=%dx%d screen=%dx%d\n", console->cell_width(), console->cell_height(),
                    console->columns(), console->rows());
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (!InitToolkit(argc, argv)) {
        std::fprintf(stderr, "console_probe: cannot open the display\n");
        return 2;
    }
    signal(SIGTERM, OnTerminate);
    signal(SIGINT, OnTerminate);

    console = new CConsole(CreateDesktopView());
    std::string title = "console probe " + std::to_string(getpid());
    console->SetTitle(title.c_str());
    WriteScreen();
    std::printf("ready title=%s cell=%dx%d screen=%dx%d\n", title.c_str(), console->cell_width(),
                console->cell_height(), console->columns(), console->rows());

    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(280);
    while (!stop_requested && std::chrono::steady_clock::now() < deadline) {
        _MEVENT event;
        int key = getkey(&event, 200);
        if (key == 0) continue;
        if (key == KEY_QUIT) {
            std::printf("quit\n");
            break;
        }
        if (key == KEY_MOUSE)
            std::printf("mouse kind=%d x=%d y=%d shift=%d wheel=%d\n", event.kind, event.x, event.y, event.shift,
                        event.wheel);
        else
            std::printf("key=0x%X shift=%d unalt=0x%X\n", key, event.shift, un_alt(key, &event));
        Act(key);
    }

    delete console;
    console = nullptr;
    std::printf("bye\n");
    return 0;
}
