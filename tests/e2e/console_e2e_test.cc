// The console in a real desktop window: keys typed with xdotool come back as
// the program's key codes, written cells show their colours on the screen,
// and a mouse drag puts the selected text on the desktop clipboard.
//
// Every test starts its own X server (Xvfb) and console_probe, so tests can
// run in parallel and never type into the user's desktop. Setting
// DV_E2E_DISPLAY to a display name uses that display instead.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>

#include "tests/e2e/xsession.h"

namespace {

bool StartsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

// The value after "name=" among "name=value" words (blank- or line-separated), or empty.
std::string Field(const std::string& line, const std::string& name) {
    std::istringstream words(line);
    std::string word;
    while (words >> word)
        if (StartsWith(word, name + "=")) return word.substr(name.size() + 1);
    return std::string();
}

std::string Hex(int code) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "0x%X", code);
    return buffer;
}

class ConsoleE2E : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"xdotool", "xclip"})
            ASSERT_FALSE(FindProgram(tool).empty())
                << tool << " is not installed; scripts/deps installs the packages the end-to-end tests need";

        std::string error;
        ASSERT_TRUE(UseTestDisplay(xserver_, error)) << error;
        ASSERT_EQ(0, RunCapture({DV_BIND_KEYSYMS_PATH, "eacute"}, kToolMs)) << "cannot give the accented letter a keycode";
        // Sanitizer builds: the desktop libraries keep memory until exit.
        setenv("LSAN_OPTIONS", "suppressions=" DV_LSAN_SUPPRESSIONS ":print_suppressions=0", 0);

        ASSERT_TRUE(probe_.Start({DV_CONSOLE_PROBE_PATH}, true)) << "cannot start console_probe";
        std::string ready;
        ASSERT_TRUE(WaitFor("ready ", &ready, kStartMs)) << "console_probe did not get ready";
        title_ = ready.substr(ready.find("title=") + 6);
        title_ = title_.substr(0, title_.find(" cell="));
        ASSERT_EQ(2, std::sscanf(Field(ready, "cell").c_str(), "%dx%d", &cell_width_, &cell_height_)) << ready;
        ASSERT_EQ(2, std::sscanf(Field(ready, "screen").c_str(), "%dx%d", &columns_, &rows_)) << ready;
        ASSERT_TRUE(cell_width_ > 0 && cell_height_ > 0) << ready;

        window_ = FindWindow("^" + title_ + "$", kStartMs);
        ASSERT_TRUE(!window_.empty() && ReadGeometry()) << "no window titled \"" << title_ << "\"";
        ASSERT_TRUE(Xdo({"windowfocus", "--sync", window_})) << "cannot focus the probe's window";
    }

    void TearDown() override { probe_.Stop(30000); }

    // The window's position and size on the screen.
    bool ReadGeometry() {
        std::string geometry;
        if (RunCapture({"xdotool", "getwindowgeometry", "--shell", window_}, kToolMs, &geometry) != 0) return false;
        // One "NAME=value" line each.
        window_x_ = std::atoi(Field(geometry, "X").c_str());
        window_y_ = std::atoi(Field(geometry, "Y").c_str());
        window_width_ = std::atoi(Field(geometry, "WIDTH").c_str());
        window_height_ = std::atoi(Field(geometry, "HEIGHT").c_str());
        return true;
    }

    // The probe's next line that starts with prefix (lines before it are
    // skipped); the whole line in line.
    bool WaitFor(const std::string& prefix, std::string* line = nullptr, int timeout_ms = kEventMs) {
        return probe_.WaitForLine([&](const std::string& l) { return StartsWith(l, prefix); }, timeout_ms, line);
    }
    // The probe's next report of this key code.
    bool ExpectKey(int code, std::string* line = nullptr) { return WaitFor("key=" + Hex(code) + " ", line); }

    // The pixel position of a cell's middle, relative to the window.
    std::string CellX(int column) const { return std::to_string(column * cell_width_ + cell_width_ / 2); }
    std::string CellY(int row) const { return std::to_string(row * cell_height_ + cell_height_ / 2); }

    std::string ProbeOutput() const {
        std::string all;
        for (const std::string& line : probe_.Lines()) all += line + "\n";
        return all;
    }

    // Pixels of some cells of a row on the screen (by default cells 2-9,
    // where the probe writes), by colour; lines top..bottom-1 of the cells.
    struct CellColours {
        int blue = 0, yellow = 0, white = 0, not_black = 0, total = 0;
    };
    bool Colours(int row, CellColours& colours, int first = 2, int last = 9, int top_line = 0, int bottom_line = -1) {
        Screenshot shot;
        std::string error;
        if (!TakeScreenshot(shot, error)) {
            ADD_FAILURE() << error;
            return false;
        }
        if (bottom_line < 0) bottom_line = cell_height_;
        int left = window_x_ + first * cell_width_, right = window_x_ + (last + 1) * cell_width_;
        int top = window_y_ + row * cell_height_ + top_line, bottom = window_y_ + row * cell_height_ + bottom_line;
        if (right > shot.width || bottom > shot.height) {
            ADD_FAILURE() << "the cells are off the screen";
            return false;
        }
        auto near = [](const unsigned char* p, int r, int g, int b) {
            return std::abs(p[0] - r) <= 2 && std::abs(p[1] - g) <= 2 && std::abs(p[2] - b) <= 2;
        };
        colours = CellColours();
        for (int y = top; y < bottom; y++)
            for (int x = left; x < right; x++) {
                const unsigned char* p = shot.Pixel(x, y);
                colours.total++;
                if (near(p, 0, 0, 0x7F)) colours.blue++;
                if (near(p, 0xFF, 0xFF, 0)) colours.yellow++;
                if (near(p, 0xFF, 0xFF, 0xFF)) colours.white++;
                if (!near(p, 0, 0, 0)) colours.not_black++;
            }
        return true;
    }
    // The window draws asynchronously: looks again until the row shows what
    // is wanted or the time is up (then the last look is returned).
    bool WaitForColours(int row, const std::function<bool(const CellColours&)>& wanted, CellColours& colours) {
        bool looked = true;
        Eventually([&] { return !(looked = Colours(row, colours)) || wanted(colours); }, kEventMs);
        return looked;
    }

    CXServer xserver_;  // declared first: it goes last, after the probe
    CChildProcess probe_;
    std::string title_, window_;
    int cell_width_ = 0, cell_height_ = 0, columns_ = 0, rows_ = 0;
    int window_x_ = 0, window_y_ = 0, window_width_ = 0, window_height_ = 0;
};

// The window, the cells written in it, the cursor, scrolling and a new
// screen size; "Hello" and two solid blocks are bright yellow on blue at
// (2,1), the row below blank in grey on black.
TEST_F(ConsoleE2E, CellsCursorScrollingAndResizingShowOnTheScreen) {
    EXPECT_EQ(std::pair(80, 25), std::pair(columns_, rows_));
    EXPECT_EQ(std::pair(columns_ * cell_width_, rows_ * cell_height_), std::pair(window_width_, window_height_));
    CellColours hello, below;
    ASSERT_TRUE(WaitForColours(1, [](const CellColours& c) { return c.blue > 0 && c.yellow > 0; }, hello));
    EXPECT_GT(hello.blue, hello.total / 4) << "blue background pixels: " << hello.blue << " of " << hello.total;
    EXPECT_GT(hello.yellow, hello.total / 20) << "bright yellow pixels: " << hello.yellow << " of " << hello.total;
    ASSERT_TRUE(Colours(2, below));
    EXPECT_EQ(0, below.not_black) << "ink of the row above leaks into the blank row below";

    // A cursor of 50 on a black cell: a white bar over the lower half of the
    // cell, shown half of the time, nothing ever drawn above it.
    ASSERT_TRUE(Xdo({"key", "F8"}));
    ASSERT_TRUE(WaitFor("cursor")) << ProbeOutput();
    int bar = cell_height_ * 50 / 100;
    bool seen_on = false, seen_off = false;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kEventMs);
    while (!(seen_on && seen_off) && std::chrono::steady_clock::now() < deadline) {
        CellColours lower, upper;
        ASSERT_TRUE(Colours(10, lower, 30, 30, cell_height_ - bar, cell_height_));
        ASSERT_TRUE(Colours(10, upper, 30, 30, 0, cell_height_ - bar));
        ASSERT_EQ(0, upper.not_black);
        if (lower.white == lower.total) seen_on = true;
        if (lower.not_black == 0) seen_off = true;
        ASSERT_TRUE(lower.white == lower.total || lower.not_black == 0)
            << "cursor bar partly drawn: " << lower.white << " white of " << lower.total;
    }
    EXPECT_TRUE(seen_on) << "the cursor never showed";
    EXPECT_TRUE(seen_off) << "the cursor never blinked off";

    // Scrolling moves the drawn pixels and paints the row that came free.
    ASSERT_TRUE(Xdo({"key", "F3"}));
    ASSERT_TRUE(WaitFor("scrolled")) << ProbeOutput();
    CellColours top, second, freed;
    ASSERT_TRUE(WaitForColours(0, [](const CellColours& c) { return c.blue > 0 && c.yellow > 0; }, top));
    EXPECT_GT(top.blue, top.total / 4);
    ASSERT_TRUE(WaitForColours(1, [](const CellColours& c) { return c.not_black == 0; }, second));
    EXPECT_EQ(0, second.not_black) << "the old row 1 was not replaced by the blank row 2";
    ASSERT_TRUE(Colours(2, freed));
    EXPECT_EQ(0, freed.not_black) << "the row that came free is not blank";

    // A new screen size resizes the window, with the same cells, and paints again.
    ASSERT_TRUE(Xdo({"key", "F7"}));
    std::string line;
    ASSERT_TRUE(WaitFor("resized ", &line)) << ProbeOutput();
    int cell_width = 0, cell_height = 0, columns = 0, rows = 0;
    ASSERT_EQ(2, std::sscanf(Field(line, "cell").c_str(), "%dx%d", &cell_width, &cell_height)) << line;
    ASSERT_EQ(2, std::sscanf(Field(line, "screen").c_str(), "%dx%d", &columns, &rows)) << line;
    EXPECT_EQ(std::pair(100, 30), std::pair(columns, rows));
    EXPECT_EQ(cell_width_, cell_width);
    Eventually([&] { return !ReadGeometry() || window_width_ == columns * cell_width; }, kEventMs);
    EXPECT_EQ(std::pair(columns * cell_width, rows * cell_height), std::pair(window_width_, window_height_));
    ASSERT_TRUE(WaitForColours(1, [](const CellColours& c) { return c.blue > 0 && c.yellow > 0; }, hello));
    EXPECT_GT(hello.blue, hello.total / 4);
}

// A glyph wider than its cell (an emoji, CJK characters) moves no other
// cell: the separator after such a name is at the same pixels as the one
// after a plain name in the row above, and in its own column.
TEST_F(ConsoleE2E, WideGlyphsLeaveLaterCellsInTheirColumns) {
    constexpr int kSeparatorColumn = 50;
    // The first pixel column right of the names that is lit over most of the
    // row's height: the vertical line of the separator. -1 when none.
    auto separator_x = [&](const Screenshot& shot, int row) {
        for (int x = 40 * cell_width_; x < columns_ * cell_width_; x++) {
            int lit = 0;
            for (int line = 0; line < cell_height_; line++) {
                const unsigned char* p = shot.Pixel(window_x_ + x, window_y_ + row * cell_height_ + line);
                if (p[0] > 0x40 || p[1] > 0x40 || p[2] > 0x40) lit++;
            }
            if (lit >= cell_height_ * 3 / 4) return x;
        }
        return -1;
    };
    int plain = -1, wide = -1;
    std::string error;
    Eventually([&] {
        Screenshot shot;
        if (!TakeScreenshot(shot, error)) return true;
        plain = separator_x(shot, 12);
        wide = separator_x(shot, 13);
        return plain >= 0 && wide >= 0;
    }, kEventMs);
    ASSERT_TRUE(error.empty()) << error;
    ASSERT_GE(plain, 0) << "no separator after the plain name";
    EXPECT_EQ(kSeparatorColumn, plain / cell_width_);
    EXPECT_EQ(plain, wide) << "the separator after the wide glyphs is not below the one after the plain name"
                              " (-1: no full-height line found in its row)";
}

// Keys, the mouse wheel and the close button, in one window; the
// probe ends cleanly when terminated.
TEST_F(ConsoleE2E, KeysMouseAndCloseButtonGiveTheirCodes) {
    // A modifier alone reports each change of the shift state.
    ASSERT_TRUE(Xdo({"key", "ctrl"}));
    auto ctrl_line = [](bool down) {
        return [down](const std::string& l) {
            return StartsWith(l, "key=0x10100 ") && ((std::atoi(Field(l, "shift").c_str()) & 2) != 0) == down;
        };
    };
    ASSERT_TRUE(probe_.WaitForLine(ctrl_line(true), kEventMs)) << ProbeOutput();
    ASSERT_TRUE(probe_.WaitForLine(ctrl_line(false), kEventMs)) << ProbeOutput();

    // Function keys with modifiers; Ctrl with a digit of the top row is the digit.
    ASSERT_TRUE(Xdo({"key", "F5", "shift+F1", "ctrl+shift+F1", "ctrl+1"}));
    for (int code : {0x1003F, 0x30054, 0x3005E, 0x31}) EXPECT_TRUE(ExpectKey(code)) << Hex(code) << ProbeOutput();

    // Alt and a letter: its scan code, the letter, and the Alt bit.
    ASSERT_TRUE(Xdo({"key", "alt+x"}));
    std::string line;
    ASSERT_TRUE(ExpectKey(0x1002D, &line)) << ProbeOutput();
    EXPECT_EQ("0x78", Field(line, "unalt")) << line;
    EXPECT_EQ(1, std::atoi(Field(line, "shift").c_str()) & 1) << "Alt bit missing: " << line;

    // An accented letter comes through the input method as its code point.
    ASSERT_TRUE(Xdo({"type", "\xC3\xA9"}));
    ASSERT_TRUE(ExpectKey(0xE9, &line)) << ProbeOutput();
    EXPECT_EQ("0", Field(line, "shift")) << line;

    // The wheel is a mouse event at its cell.
    ASSERT_TRUE(Xdo({"mousemove", "--window", window_, CellX(10), CellY(10), "click", "4", "click", "5"}));
    for (const char* wheel : {"1", "-1"}) {
        ASSERT_TRUE(WaitFor("mouse kind=7 ", &line)) << ProbeOutput();
        EXPECT_EQ(wheel, Field(line, "wheel")) << line;
        EXPECT_EQ("10 10", Field(line, "x") + " " + Field(line, "y")) << line;
    }

    // The close button gives F10 and the window stays, taking keys.
    ASSERT_EQ(0, RunCapture({DV_SEND_CLOSE_PATH, window_}, kToolMs));
    EXPECT_TRUE(ExpectKey(0x10044)) << ProbeOutput();
    ASSERT_TRUE(Xdo({"key", "F5"}));
    ASSERT_TRUE(ExpectKey(0x1003F)) << ProbeOutput();

    EXPECT_EQ(0, probe_.Stop(60000)) << "console_probe did not shut its window and threads down cleanly\n"
                                     << ProbeOutput();
    probe_.ReadAll(kToolMs);  // what it printed before it ended
    ASSERT_FALSE(probe_.Lines().empty());
    EXPECT_EQ("bye", probe_.Lines().back());
}

// The desktop clipboard both ways: empty, put by the program, a mouse drag
// over three rows, and text another program put there.
TEST_F(ConsoleE2E, ClipboardTextGoesBothWays) {
    ASSERT_TRUE(Xdo({"key", "F4"}));
    std::string line;
    ASSERT_TRUE(WaitFor("clip=", &line)) << ProbeOutput();
    EXPECT_EQ("clip=[]", line);

    ASSERT_TRUE(Xdo({"key", "F6"}));
    ASSERT_TRUE(WaitFor("clip put")) << ProbeOutput();
    std::string text;
    EXPECT_EQ(0, RunCapture({"xclip", "-o", "-selection", "clipboard"}, kToolMs, &text));
    EXPECT_EQ("put by the program", text);

    ASSERT_TRUE(Xdo({"mousemove", "--window", window_, CellX(0), CellY(3), "sleep", "0.2", "mousedown", "1",
                     "sleep", "0.2", "mousemove", "--window", window_, CellX(8), CellY(4), "sleep", "0.2",
                     "mousemove", "--window", window_, CellX(15), CellY(5), "sleep", "0.2", "mouseup", "1"}));
    const std::string expected = "first line\n  second\nthird   line\n";
    Eventually([&] { return RunCapture({"xclip", "-o", "-selection", "clipboard"}, kToolMs, &text) == 0 && text == expected; },
               kEventMs);
    EXPECT_EQ(expected, text);
    // Inside the selection zone the press and the drag are the selection's;
    // only the release is reported to the program.
    ASSERT_TRUE(WaitFor("mouse kind=5 ")) << ProbeOutput();
    for (const std::string& l : probe_.Lines())
        EXPECT_FALSE(StartsWith(l, "mouse kind=0 ") || StartsWith(l, "mouse kind=2 ")) << l;

    char name[] = "/tmp/dv-e2e-clip-XXXXXX";
    int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    text = "from outside \xC3\xA9";
    ASSERT_EQ(static_cast<ssize_t>(text.size()), write(fd, text.data(), text.size()));
    close(fd);
    // xclip stays in the background to hand the text over.
    int status = RunCapture({"xclip", "-selection", "clipboard", "-i", name}, kToolMs);
    unlink(name);
    ASSERT_EQ(0, status);
    Eventually([&] { return Xdo({"key", "F4"}) && WaitFor("clip=", &line) && line == "clip=[" + text + "]"; },
               kEventMs);
    EXPECT_EQ("clip=[" + text + "]", line);
}

}  // namespace
