// The real program in a real window: start-up shows the panels with the
// files of the directories named on the command line, keys typed with
// xdotool copy, make a directory, delete and switch panels, the close button
// asks, F10 and Enter quit, and the run leaves its configuration (AutoSave)
// and the -x file behind. A resized window gets as many cells as fit.
//
// The screen is read back through the program's test-only screen dump
// (DV_SCREEN_DUMP), so nothing depends on reading pixels as text.
#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>
#include <functional>
#include <sstream>
#include <string>
#include <utility>

#include "tests/e2e/xsession.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr const char* kQuestion = "Are you sure you want to exit DV/L ?";

class DvE2E : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"xdotool", "Xvfb"})
            ASSERT_FALSE(FindProgram(tool).empty())
                << tool << " is not installed; scripts/deps installs the packages the end-to-end tests need";
        ASSERT_FALSE(scratch_.path().empty());
        std::string error;
        ASSERT_TRUE(UseTestDisplay(xserver_, error)) << error;
        setenv("LSAN_OPTIONS", "suppressions=" DV_LSAN_SUPPRESSIONS ":print_suppressions=0", 0);

        home_ = scratch_ / "home";
        left_ = scratch_ / "left dir";
        right_ = scratch_ / "right";
        for (const std::string& dir : {home_, home_ + "/.dvl", left_, right_}) ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
        WriteFile(left_ + "/left_one.txt", "1");
        WriteFile(left_ + "/left_two.txt", "22");
        WriteFile(right_ + "/right.txt", "333");
        // The configuration file where the program looks by default.
        ini_ = home_ + "/.dvl/dv.ini";
        WriteFile(ini_, "AutoSave=on\r\n");
        dump_ = scratch_ / "screen.txt";
        dir_file_ = scratch_ / "cd.sh";
        setenv("HOME", home_.c_str(), 1);
        setenv("DV_SCREEN_DUMP", dump_.c_str(), 1);
    }
    void TearDown() override {
        if (dv_.Running()) dv_.Stop(30000);
        unsetenv("DV_SCREEN_DUMP");
    }

    // Waits until the screen dump satisfies wanted; the last dump in screen.
    bool WaitForScreen(const std::function<bool(const std::string&)>& wanted, int timeout_ms, std::string* screen) {
        return WaitForDump(dump_, dv_, wanted, timeout_ms, screen);
    }
    bool WaitForText(const std::string& text, std::string* screen, int timeout_ms = kEventMs) {
        return WaitForScreen([&](const std::string& s) { return s.find(text) != std::string::npos; }, timeout_ms,
                             screen);
    }

    // The screen's row y of the dump (rows end with "\n").
    static std::string Row(const std::string& screen, int y) {
        std::istringstream lines(screen);
        std::string line;
        for (int i = 0; i <= y && std::getline(lines, line); i++)
            if (i == y) return line;
        return std::string();
    }

    // Starts the program and waits for its first screen.
    void StartAndShow(std::string* screen) {
        ASSERT_TRUE(dv_.Start({DV_PROGRAM_PATH, "-l", left_, "-r", right_, "-x", dir_file_}, false))
            << "cannot start " << DV_PROGRAM_PATH;
        ASSERT_TRUE(WaitForText("left_one.txt", screen, kStartMs)) << "no first screen:\n" << *screen;
        window_ = FindWindow("^DV/L", kStartMs);
        ASSERT_FALSE(window_.empty()) << "no window titled DV/L";
        ASSERT_TRUE(Xdo({"windowfocus", "--sync", window_}));
    }

    CXServer xserver_;  // declared first: it goes last, after the program
    CTempDir scratch_;
    CChildProcess dv_;
    std::string home_, left_, right_, ini_, dump_, dir_file_, window_;
};

TEST_F(DvE2E, PanelsFileKeysQuitAndWhatTheRunLeavesBehind) {
    std::string screen;
    StartAndShow(&screen);
    // Both panels with their files, the left one current.
    EXPECT_NE(Row(screen, 2).substr(0, 40).find("left_one.txt"), std::string::npos) << screen;
    EXPECT_NE(screen.find("left_two.txt"), std::string::npos) << screen;
    EXPECT_NE(screen.find("right.txt"), std::string::npos) << screen;
    EXPECT_EQ(Row(screen, 23).substr(0, left_.size() + 1), left_ + ">") << screen;

    // The window's close button asks first; Escape keeps the program running.
    ASSERT_EQ(0, RunCapture({DV_SEND_CLOSE_PATH, window_}, kToolMs));
    EXPECT_TRUE(WaitForText(kQuestion, &screen)) << screen;
    ASSERT_TRUE(Xdo({"key", "Escape"}));
    const auto gone = [](const char* text) {
        return [text](const std::string& s) { return s.find(text) == std::string::npos; };
    };
    ASSERT_TRUE(WaitForScreen(gone("Are you sure"), kEventMs, &screen)) << screen;
    EXPECT_TRUE(dv_.Running());

    // F5 on left_one.txt: the dialog proposes the other panel; Enter copies.
    ASSERT_TRUE(Xdo({"key", "Down", "F5"}));
    EXPECT_TRUE(WaitForText("Copy \"left_one.txt\" to", &screen)) << screen;
    ASSERT_TRUE(Xdo({"key", "Return"}));
    EXPECT_TRUE(Eventually([&] { return ReadFile(right_ + "/left_one.txt") == "1"; }, kEventMs));
    EXPECT_TRUE(WaitForScreen(gone("Copy \""), kEventMs, &screen)) << screen;

    // F7 makes a directory; F8 deletes the cursor entry (the new directory)
    // after the confirmation.
    ASSERT_TRUE(Xdo({"key", "F7"}));
    EXPECT_TRUE(WaitForText("Create the directory", &screen)) << screen;
    ASSERT_TRUE(Xdo({"type", "made by dv"}));
    ASSERT_TRUE(Xdo({"key", "Return"}));
    EXPECT_TRUE(Eventually([&] { return PathExists(left_ + "/made by dv"); }, kEventMs));
    ASSERT_TRUE(WaitForScreen(gone("Create the directory"), kEventMs, &screen)) << screen;
    ASSERT_TRUE(Xdo({"key", "F8"}));
    EXPECT_TRUE(WaitForText("Do you wish to delete", &screen)) << screen;
    ASSERT_TRUE(Xdo({"key", "Return"}));
    EXPECT_TRUE(Eventually([&] { return !PathExists(left_ + "/made by dv"); }, kEventMs)) << ReadFile(dump_);
    EXPECT_TRUE(PathExists(left_ + "/left_one.txt"));

    // Tab makes the other panel current.
    ASSERT_TRUE(Xdo({"key", "Tab"}));
    EXPECT_TRUE(WaitForScreen(
        [&](const std::string& s) { return Row(s, 23).compare(0, right_.size() + 1, right_ + ">") == 0; }, kEventMs,
        &screen))
        << screen;
    ASSERT_TRUE(Xdo({"key", "F10"}));
    EXPECT_TRUE(WaitForText(kQuestion, &screen)) << screen;
    ASSERT_TRUE(Xdo({"key", "Return"}));
    EXPECT_EQ(dv_.Wait(kEventMs), 0);

    const std::string saved = ReadFile(ini_);
    EXPECT_NE(saved.find("AutoSave=on\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("StartupSide=R\r\n"), std::string::npos) << saved;
    EXPECT_EQ(ReadFile(dir_file_), "cd -- '" + right_ + "'\n");
}

// The columns and rows of a dump (characters of its first row, its rows).
std::pair<int, int> DumpSize(const std::string& screen) {
    int columns = 0, rows = 0;
    for (char c : screen) {
        if (c == '\n') rows++;
        else if (rows == 0 && (static_cast<unsigned char>(c) & 0xC0) != 0x80) columns++;
    }
    return {columns, rows};
}

TEST_F(DvE2E, ALargerWindowGetsMoreColumnsAndRowsWithTheKeyBarAtTheBottom) {
    std::string screen;
    StartAndShow(&screen);
    ASSERT_EQ(DumpSize(screen), std::pair(80, 25)) << screen;
    ASSERT_TRUE(Xdo({"windowsize", window_, "1600", "1000"}));
    const auto grown = [](const std::string& s) {
        auto [columns, rows] = DumpSize(s);
        return columns > 80 && rows > 25;
    };
    ASSERT_TRUE(WaitForScreen(grown, kEventMs, &screen)) << screen;
    const int rows = DumpSize(screen).second;
    EXPECT_EQ(Row(screen, rows - 1).substr(0, 5), "1Help") << screen;
    EXPECT_NE(Row(screen, rows - 1).find("10Quit"), std::string::npos) << screen;
    EXPECT_NE(screen.find("right.txt"), std::string::npos) << screen;
}

// A command typed on the command line runs in the panel's directory under
// the user's shell; afterwards the panels come back with its file listed,
// and Ctrl-O shows the command's screen beneath them.
TEST_F(DvE2E, ATypedCommandRunsAndItsScreenStaysBeneathThePanels) {
    std::string screen;
    StartAndShow(&screen);
    ASSERT_TRUE(Xdo({"type", "--delay", "20", "printf 'hello\\n' > out.txt; echo done-$((6*7))"}));
    ASSERT_TRUE(Xdo({"key", "Return"}));
    EXPECT_TRUE(Eventually([&] { return ReadFile(left_ + "/out.txt") == "hello\n"; }, kEventMs))
        << ReadFile(left_ + "/out.txt");
    EXPECT_TRUE(WaitForText("out.txt", &screen)) << screen;  // the panel was read again
    EXPECT_EQ(Row(screen, 23).substr(0, left_.size() + 1), left_ + ">") << screen;  // the line is empty again

    ASSERT_TRUE(Xdo({"key", "ctrl+o"}));
    EXPECT_TRUE(WaitForText("done-42", &screen)) << screen;
    EXPECT_NE(screen.find(left_ + ">printf 'hello"), std::string::npos) << screen;  // the echo line
    ASSERT_TRUE(Xdo({"key", "ctrl+o"}));
    EXPECT_TRUE(WaitForText("left_one.txt", &screen)) << screen;
}

// A full-screen editor runs inside the window: vi opens a file, takes
// typed text and writes it back; the panels return afterwards.
TEST_F(DvE2E, ViEditsAFileInsideTheWindow) {
    ASSERT_FALSE(FindProgram("vi").empty()) << "vi is not installed";
    WriteFile(left_ + "/notes.txt", "first line\n");
    std::string screen;
    StartAndShow(&screen);
    ASSERT_TRUE(Xdo({"type", "--delay", "20", "vi -u NONE -N notes.txt"}));
    ASSERT_TRUE(Xdo({"key", "Return"}));
    // The screen dump waits for the main loop: wait for vi itself, then a
    // moment for it to take the terminal over.
    ASSERT_TRUE(Eventually([] { return RunCapture({"pgrep", "-f", "vi -u NONE -N notes.txt"}, kToolMs) == 0; },
                           kStartMs));
    usleep(500 * 1000);
    ASSERT_TRUE(Xdo({"type", "--delay", "30", "Oadded by vi"}));
    ASSERT_TRUE(Xdo({"key", "Escape"}));
    ASSERT_TRUE(Xdo({"type", "--delay", "30", ":wq"}));
    ASSERT_TRUE(Xdo({"key", "Return"}));
    EXPECT_TRUE(Eventually([&] { return ReadFile(left_ + "/notes.txt") == "added by vi\nfirst line\n"; }, kEventMs))
        << ReadFile(left_ + "/notes.txt");
    EXPECT_TRUE(WaitForText("notes.txt", &screen)) << screen;  // the panels are back
}

// Names of CJK characters and an emoji take two cells a character: the
// column separators of their rows stand at the same pixels as in the rows
// of plain names.
TEST_F(DvE2E, WideNamesKeepTheSeparatorsInTheirPixelColumns) {
    WriteFile(left_ + "/\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\xe3\x81\xae\xe3\x83\x95\xe3\x82\xa1\xe3\x82\xa4\xe3\x83\xab.txt",
              "4444");  // 日本語のファイル.txt
    WriteFile(left_ + "/emoji_\xf0\x9f\x98\x80_file.txt", "55555");
    std::string screen;
    StartAndShow(&screen);
    ASSERT_TRUE(WaitForText("emoji_", &screen)) << screen;
    std::string geometry;
    ASSERT_EQ(RunCapture({"xdotool", "getwindowgeometry", "--shell", window_}, kToolMs, &geometry), 0);
    auto field = [&](const std::string& name) {
        size_t at = geometry.find(name + "=");
        return at == std::string::npos ? 0 : std::atoi(geometry.c_str() + at + name.size() + 1);
    };
    const int cell_width = field("WIDTH") / 80, cell_height = field("HEIGHT") / 25;
    const int window_x = field("X"), window_y = field("Y");
    ASSERT_GT(cell_width, 0);
    ASSERT_GT(cell_height, 0);

    // The rows of the left panel's entries, by what the dump shows: the
    // cursor's row ("..", highlighted) is left out.
    int plain_row = -1;
    std::vector<int> wide_rows;
    for (int y = 2; y < 7; y++) {
        const std::string row = Row(screen, y);
        if (row.find("left_one.txt") != std::string::npos) plain_row = y;
        else if (row.find("emoji_") != std::string::npos || row.find("\xe6\x97\xa5") != std::string::npos)
            wide_rows.push_back(y);
    }
    ASSERT_GE(plain_row, 0) << screen;
    ASSERT_EQ(wide_rows.size(), 2u) << screen;

    // A pixel column lit (not the panel's dark blue) over most of a row's height.
    auto lit_line = [&](const Screenshot& shot, int y, int x) {
        int lit = 0;
        for (int line = 0; line < cell_height; line++) {
            const unsigned char* p = shot.Pixel(window_x + x, window_y + y * cell_height + line);
            if (p[1] > 0x80) lit++;  // the line is bright cyan; the background has no green
        }
        return lit >= cell_height * 3 / 4;
    };
    Screenshot shot;
    std::string error;
    ASSERT_TRUE(TakeScreenshot(shot, error)) << error;
    // The separators of the plain row, left of the middle frame.
    std::vector<int> separators;
    for (int x = cell_width; x < 39 * cell_width; x++)
        if (lit_line(shot, plain_row, x) && (separators.empty() || x > separators.back() + 1)) separators.push_back(x);
    ASSERT_EQ(separators.size(), 3u) << "the full style has three separators";
    for (int y : wide_rows)
        for (int x : separators) EXPECT_TRUE(lit_line(shot, y, x)) << "no separator at pixel " << x << " of row " << y;
}

// A zip file opens as a directory: Enter shows its top level with the
// archive's path as the panel's directory, Enter goes into a folder inside
// it, and going up past its top leaves it with the cursor on the file.
TEST_F(DvE2E, AZipOpensAsADirectoryAndIsLeftAgain) {
    ASSERT_FALSE(FindProgram("zip").empty()) << "zip is not installed";
    const std::string tree = scratch_ / "tree";
    ASSERT_EQ(0, std::system(("mkdir -p '" + tree + "/docs/inner' && echo r > '" + tree + "/docs/readme.txt' && echo t > '" +
                              tree + "/top.txt' && cd '" + tree + "' && zip -qr '" + left_ + "/pack.zip' docs top.txt")
                                 .c_str()));
    std::string screen;
    StartAndShow(&screen);
    ASSERT_TRUE(Xdo({"key", "End", "Return"}));
    ASSERT_TRUE(WaitForText("top.txt", &screen)) << screen;
    EXPECT_NE(screen.find("docs"), std::string::npos) << screen;
    EXPECT_EQ(screen.find("left_one.txt"), std::string::npos) << screen;
    // The cursor starts on ".."; the folder comes next.
    ASSERT_TRUE(Xdo({"key", "Down", "Return"}));
    ASSERT_TRUE(WaitForText("readme.txt", &screen)) << screen;
    EXPECT_NE(screen.find("inner"), std::string::npos) << screen;
    EXPECT_EQ(screen.find("top.txt"), std::string::npos) << screen;
    ASSERT_TRUE(Xdo({"key", "ctrl+Prior"}));
    ASSERT_TRUE(WaitForText("top.txt", &screen)) << screen;
    ASSERT_TRUE(Xdo({"key", "ctrl+Prior"}));
    ASSERT_TRUE(WaitForText("left_one.txt", &screen)) << screen;
    // Enter again, now on the cursor left on the archive.
    ASSERT_TRUE(Xdo({"key", "Return"}));
    EXPECT_TRUE(WaitForText("top.txt", &screen)) << screen;
}

// F5 in a zip panel extracts the member under the cursor into the other
// panel's directory, byte for byte, and the other panel shows it.
TEST_F(DvE2E, F5FromAZipPanelExtractsAMemberIntoTheOtherPanel) {
    ASSERT_FALSE(FindProgram("zip").empty()) << "zip is not installed";
    const std::string tree = scratch_ / "tree";
    ASSERT_EQ(0, std::system(("mkdir -p '" + tree + "' && printf 'line one\\nline two\\n' > '" + tree +
                              "/inside.txt' && cd '" + tree + "' && zip -q '" + left_ + "/pack.zip' inside.txt")
                                 .c_str()));
    std::string screen;
    StartAndShow(&screen);
    ASSERT_TRUE(Xdo({"key", "End", "Return"}));
    ASSERT_TRUE(WaitForText("inside.txt", &screen)) << screen;
    ASSERT_TRUE(Xdo({"key", "Down", "F5"}));
    ASSERT_TRUE(WaitForText("Extract \"inside.txt\" to", &screen)) << screen;
    ASSERT_TRUE(Xdo({"key", "Return"}));
    EXPECT_TRUE(Eventually([&] { return ReadFile(right_ + "/inside.txt") == "line one\nline two\n"; }, kEventMs))
        << ReadFile(right_ + "/inside.txt");
    // Both panels show the file: the member on the left, the copy on the right.
    EXPECT_TRUE(WaitForScreen([](const std::string& s) {
        const size_t first = s.find("inside.txt");
        return first != std::string::npos && s.find("inside.txt", first + 1) != std::string::npos;
    }, kEventMs, &screen)) << screen;
}

// "dv -e": the program's own editor alone in the window, without the
// panels; typed text is saved with F2 and Esc ends the program with it.
TEST_F(DvE2E, DashEEditsAFileAndTheProgramEndsWithTheEditor) {
    const std::string file = scratch_ / "alone.txt";
    WriteFile(file, "first line\n");
    ASSERT_TRUE(dv_.Start({DV_PROGRAM_PATH, "-l", left_, "-r", right_, "-e", file}, false));
    std::string screen;
    ASSERT_TRUE(WaitForText("first line", &screen, kStartMs)) << screen;
    EXPECT_EQ(screen.find("left_one.txt"), std::string::npos) << "no panels\n" << screen;
    window_ = FindWindow("^DV/L: alone.txt", kStartMs);
    ASSERT_FALSE(window_.empty()) << "the title names the file";
    ASSERT_TRUE(Xdo({"windowfocus", "--sync", window_}));
    ASSERT_TRUE(Xdo({"type", "--delay", "30", "typed "}));
    ASSERT_TRUE(WaitForText("typed first line", &screen)) << screen;
    ASSERT_TRUE(Xdo({"key", "F2"}));
    EXPECT_TRUE(Eventually([&] { return ReadFile(file) == "typed first line\n"; }, kEventMs)) << ReadFile(file);
    ASSERT_TRUE(Xdo({"key", "Escape"}));
    EXPECT_EQ(dv_.Wait(kEventMs), 0);
    EXPECT_EQ(ReadFile(file), "typed first line\n");
}

// Bytes that are no UTF-8 survive opening and saving unchanged: cmp
// compares the file with the copy taken before.
TEST_F(DvE2E, DashEKeepsBytesThatAreNoUtf8WhenSavingUnchanged) {
    const std::string file = scratch_ / "raw.txt";
    const std::string original = scratch_ / "raw.orig";
    const std::string bytes = "caf\xe9 au lait\n\xff\xfe\x80 raw\n\xc3\x28 cut pair\r\nno end\x81";
    WriteFile(file, bytes);
    WriteFile(original, bytes);
    ASSERT_TRUE(dv_.Start({DV_PROGRAM_PATH, "-e", file}, false));
    std::string screen;
    ASSERT_TRUE(WaitForText(" raw", &screen, kStartMs)) << screen;
    window_ = FindWindow("^DV/L: raw.txt", kStartMs);
    ASSERT_FALSE(window_.empty());
    ASSERT_TRUE(Xdo({"windowfocus", "--sync", window_}));
    ASSERT_TRUE(Xdo({"key", "F2"}));
    ASSERT_TRUE(Xdo({"key", "Escape"}));
    EXPECT_EQ(dv_.Wait(kEventMs), 0);
    EXPECT_EQ(RunCapture({"cmp", original, file}, kToolMs), 0) << "the file's bytes changed";
}

// F4 on the cursor file opens the program's own editor over the panels;
// after Esc the panels come back with the saved file's new size.
TEST_F(DvE2E, F4EditsTheCursorFileAndThePanelsComeBack) {
    std::string screen;
    StartAndShow(&screen);
    ASSERT_TRUE(Xdo({"key", "Down", "F4"}));  // left_one.txt
    ASSERT_TRUE(WaitForScreen([](const std::string& s) { return s.find("left_two.txt") == std::string::npos; },
                              kEventMs, &screen))
        << "the editor covers the panels\n" << screen;
    ASSERT_TRUE(Xdo({"type", "--delay", "30", "abc"}));
    ASSERT_TRUE(Xdo({"key", "F2"}));
    EXPECT_TRUE(Eventually([&] { return ReadFile(left_ + "/left_one.txt") == "abc1"; }, kEventMs))
        << ReadFile(left_ + "/left_one.txt");
    ASSERT_TRUE(Xdo({"key", "Escape"}));
    EXPECT_TRUE(WaitForText("left_two.txt", &screen)) << screen;
    EXPECT_TRUE(dv_.Running());
    // The main screen's key bar is back in place of the editor's, and the
    // title names the directory again.
    EXPECT_EQ(Row(screen, 24).substr(0, 5), "1Help") << screen;
    EXPECT_NE(Row(screen, 24).find("4Edit"), std::string::npos) << screen;
    EXPECT_FALSE(FindWindow("^DV/L: .*left dir", kEventMs).empty());
}

// "dv -v": the program's own viewer alone in the window. A sparse file of
// 4 GiB opens at once, and End reaches the line written at its very end.
TEST_F(DvE2E, DashVShowsTheLastLineOfAFourGigabyteFileAfterEnd) {
    const std::string file = scratch_ / "big.txt";
    WriteFile(file, "FIRST LINE\n");
    ASSERT_EQ(RunCapture({"truncate", "-s", "4G", file}, kToolMs), 0);
    ASSERT_EQ(RunCapture({"sh", "-c", "printf '\\nTHE END LINE\\n' >> \"$0\"", file}, kToolMs), 0);
    ASSERT_TRUE(dv_.Start({DV_PROGRAM_PATH, "-v", file}, false));
    std::string screen;
    ASSERT_TRUE(WaitForText("FIRST LINE", &screen, kStartMs)) << screen;
    EXPECT_EQ(screen.find("THE END LINE"), std::string::npos) << "4 GiB lie between the lines\n" << screen;
    window_ = FindWindow("^DV/L: big.txt", kStartMs);
    ASSERT_FALSE(window_.empty()) << "the title names the file";
    ASSERT_TRUE(Xdo({"windowfocus", "--sync", window_}));
    ASSERT_TRUE(Xdo({"key", "End"}));
    EXPECT_TRUE(WaitForText("THE END LINE", &screen)) << screen;
    ASSERT_TRUE(Xdo({"key", "Escape"}));
    EXPECT_EQ(dv_.Wait(kEventMs), 0);
}

// F3 opens the program's own viewer on the cursor file; Alt-Down pages to
// the next file and, past the last one, stays there. After Esc the cursor
// stands on the last file viewed, so F3 opens that one again.
TEST_F(DvE2E, F3PagesThroughThePanelsFilesAndTheCursorFollows) {
    std::string screen;
    StartAndShow(&screen);
    const auto heading = [&](const std::string& name) {
        return WaitForScreen([&](const std::string& s) {
            return Row(s, 0).rfind("View: ", 0) == 0 && Row(s, 0).find(name) != std::string::npos;
        }, kEventMs, &screen);
    };
    ASSERT_TRUE(Xdo({"key", "Down", "F3"}));
    ASSERT_TRUE(heading("left_one.txt")) << screen;
    ASSERT_TRUE(Xdo({"key", "alt+Down"}));
    ASSERT_TRUE(heading("left_two.txt")) << screen;
    ASSERT_TRUE(Xdo({"key", "alt+Down"}));
    ASSERT_TRUE(Xdo({"key", "Escape"}));
    ASSERT_TRUE(WaitForText("right.txt", &screen)) << "the panels come back\n" << screen;
    ASSERT_TRUE(Xdo({"key", "F3"}));
    EXPECT_TRUE(heading("left_two.txt")) << screen;
    ASSERT_TRUE(Xdo({"key", "Escape"}));
    EXPECT_TRUE(WaitForText("right.txt", &screen)) << screen;
    EXPECT_TRUE(dv_.Running());
}

}  // namespace

// The pull-down menu in the real window: F9, Right, Enter drops the Files
// menu down on its first item; a letter chooses an Options item, whose
// effect the screen shows (the command line loses its prompt).
TEST_F(DvE2E, F9OpensThePullDownMenuAndALetterChoosesAnItem) {
    std::string screen;
    StartAndShow(&screen);
    ASSERT_TRUE(Xdo({"key", "F9", "Right", "Return"}));
    ASSERT_TRUE(WaitForText("Manual       Shift-F1", &screen)) << screen;
    EXPECT_NE(Row(screen, 0).find("Files"), std::string::npos) << screen;
    EXPECT_NE(Row(screen, 2).find("Manual"), std::string::npos) << screen;
    ASSERT_TRUE(Xdo({"key", "Escape", "Escape"}));
    ASSERT_TRUE(WaitForScreen([](const std::string& s) { return s.find("Shift-F1") == std::string::npos; },
                              kEventMs, &screen))
        << screen;

    ASSERT_TRUE(Xdo({"key", "F9", "o", "p"}));
    EXPECT_TRUE(WaitForScreen([&](const std::string& s) { return Row(s, 23).find(left_ + ">") == std::string::npos; },
                              kEventMs, &screen))
        << screen;
}

TEST_F(DvE2E, AltF7FindsByContentAndF2RunsAUserMenuEntry) {
    WriteFile(home_ + "/.dvl/dv.mnu", "t: Touch\n  touch '" + right_ + "/made-by-menu'\n");
    std::string screen;
    StartAndShow(&screen);
    // Only below the panel's directory (Start at Root off), files holding "22".
    ASSERT_TRUE(Xdo({"key", "alt+F7"}));
    ASSERT_TRUE(WaitForText(" File Find ", &screen)) << screen;
    ASSERT_TRUE(Xdo({"type", "*.txt"}));
    ASSERT_TRUE(Xdo({"key", "alt+r", "alt+t"}));
    ASSERT_TRUE(Xdo({"type", "22"}));
    ASSERT_TRUE(Xdo({"key", "alt+f"}));
    ASSERT_TRUE(WaitForText("Search Complete: 1 match uses 2 bytes", &screen)) << screen;
    EXPECT_NE(screen.find(left_ + "/left_two.txt"), std::string::npos) << screen;
    ASSERT_TRUE(Xdo({"key", "Escape"}));
    ASSERT_TRUE(WaitForScreen([](const std::string& s) { return s.find(" File Find ") == std::string::npos; },
                              kEventMs, &screen))
        << screen;

    ASSERT_TRUE(Xdo({"key", "F2"}));
    ASSERT_TRUE(WaitForText("Touch", &screen)) << screen;
    ASSERT_TRUE(Xdo({"key", "t"}));
    EXPECT_TRUE(Eventually([&] { return access((right_ + "/made-by-menu").c_str(), F_OK) == 0; }, kEventMs));
}
