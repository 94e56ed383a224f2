// The terminal that shows a running command: its output laid onto a
// headless console, the answers and keys it sends back.
#include "exec/ansiterminal.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/config.h"
#include "console/keys.h"
#include "tests/support/uitest.h"

namespace {

std::vector<std::string> scrolled;
void KeepScrolled(const ScreenCell* row, int columns) {
    std::string text = CellsText(row, columns);
    text.erase(text.find_last_not_of(' ') + 1);
    scrolled.push_back(text);
}

// A command's terminal on a console of its own, the screen cleared and the
// cursor at the top left; what it sends back is collected in sent.
struct Terminal {
    explicit Terminal(int columns = 80, int rows = 25)
        : ui(columns, rows), term(ui.Console(), [this](const char* bytes, size_t n) { sent.append(bytes, n); }) {
        scrolled.clear();
        console_hooks.scrolled_off = KeepScrolled;
        config.ConsoleScrollback = true;
        Out("\x1b[H\x1b[2J");
    }
    ~Terminal() { console_hooks.scrolled_off = nullptr; }
    void Out(const std::string& bytes) { term.WriteOutput(bytes.data(), bytes.size()); }
    std::string Line(int y) const { return ui.Line(y); }
    unsigned char Attr(int x, int y) const { return ui.Attr(x, y); }
    void Cursor(int& x, int& y) const {
        CUiTest::Screen screen = ui.Current();
        x = screen.cursor_x;
        y = screen.cursor_y;
    }

    CUiTest ui;
    std::string sent;
    CAnsiTerminalEmulator term;
};

// The rows the lines of text run on, numbered from 1 as a program counts them.
std::string Numbered(int first, int last) {
    std::string out;
    for (int i = first; i <= last; i++) out += "\x1b[" + std::to_string(i) + ";1Hrow" + std::to_string(i);
    return out;
}

TEST(AnsiTerminalTest, CharactersAndSequencesSplitBetweenChunksArriveWhole) {
    Terminal t;
    t.Out("caf\xC3");
    t.Out("\xA9 \xE2\x82");
    t.Out("\xAC\x1b");
    t.Out("[3");
    t.Out("1mred\x1b[0m \x1b]0;ti");
    t.Out("tle\x07" "after");
    EXPECT_EQ(t.Line(0), "café €red after");
    const unsigned char plain = colours[CLR_COMMAND_LINE];
    EXPECT_EQ(t.Attr(7, 0), (plain & 0xF0) | 4) << "red foreground";
    EXPECT_EQ(t.Attr(11, 0), plain);
}

TEST(AnsiTerminalTest, LineDrawingSetDrawsCornersAndLinesUntilSwitchedBack) {
    Terminal t;
    t.Out("\x1b(0lqk\x1b(Blqk");
    EXPECT_EQ(t.Line(0), "\u250C\u2500\u2510lqk");
    t.Out("\r\n\x1b)0a\x0Ex\x0Fx");  // G1 chosen by SO, G0 back by SI
    EXPECT_EQ(t.Line(1), "a\u2502x");
}

TEST(AnsiTerminalTest, SequencesWithIntermediatesAndStringsShowNothing) {
    Terminal t;
    t.Out("a\x1b[2 qb\x1b[!pc\x1b[?1$pd\x1b[>4;1me");
    t.Out("1\x1bPq#0;2;0;0;0#0~~\x1b\\2\x1b_apc\x1b\\3\x1b^pm\x1b\\4\x1bXsos\x1b\\5\x1b]2;t\x1b\\6");
    EXPECT_EQ(t.Line(0), "abcde123456");
    EXPECT_EQ(t.Attr(4, 0), colours[CLR_COMMAND_LINE]) << "CSI > 4;1 m is no underline";
    // 0x9C in a UTF-8 title is part of a character, not the string's end.
    t.Out("\r\n\x1b]0;\xE2\x9C\x93 \xE2\x9C\x9C done\x07ok \xE2\x9C\x9C");
    EXPECT_EQ(t.Line(1), "ok \u271C");
}

TEST(AnsiTerminalTest, UnterminatedStringGivesUpAfterItsCap) {
    Terminal t;
    t.Out("\x1b]0;" + std::string(CAnsiParser::kMaxStringBytes - 2, 'x'));
    EXPECT_EQ(t.Line(0), "");
    // Chunk by chunk, the bytes beyond the cap are output again.
    for (int i = 0; i < 10; i++) t.Out("y");
    t.Out("\r\x1b[Kvisible");
    EXPECT_EQ(t.Line(0), "visible");
}

TEST(AnsiTerminalTest, HugeCountsAndNumbersStayOnTheScreen) {
    Terminal t;
    int x, y;
    t.Out("\x1b[99999;99999H");
    t.Cursor(x, y);
    EXPECT_EQ(x, 79);
    EXPECT_EQ(y, 24);
    t.Out("\x1b[H\x1b[99999999999999999999999C\x1b[99999999999999999999B");
    t.Cursor(x, y);
    EXPECT_EQ(x, 79);
    EXPECT_EQ(y, 24);
    t.Out("\x1b[Hx\x1b[2000000000b");
    EXPECT_EQ(t.Line(0), std::string(80, 'x'));
    EXPECT_EQ(t.Line(23), std::string(80, 'x'));
    t.Out("\x1b[99999S");
    for (int row = 0; row < 25; row++) EXPECT_EQ(t.Line(row), "") << row;
    t.Out("\x1b[Habc\x1b[2000000000@\x1b[2000000000P\x1b[2000000000X\x1b[2000000000L\x1b[2000000000M");
    EXPECT_EQ(t.ui.Headless().View().ShownMismatches(), 0);
}

TEST(AnsiTerminalTest, ScrollRegionKeepsTheRowsOutsideIt) {
    Terminal t;
    t.Out(Numbered(1, 25));
    t.Out("\x1b[2;5r\x1b[5;1H\n\n");
    EXPECT_EQ(t.Line(0), "row1");
    EXPECT_EQ(t.Line(1), "row4");
    EXPECT_EQ(t.Line(2), "row5");
    EXPECT_EQ(t.Line(3), "");
    EXPECT_EQ(t.Line(4), "");
    EXPECT_EQ(t.Line(5), "row6");
    EXPECT_EQ(t.Line(24), "row25");
    // A region upside down is no region: line feeds still scroll 2 to 5.
    t.Out("\x1b[5;2r\x1b[5;1H" + std::string(85, 'w'));
    EXPECT_EQ(t.Line(1), "row5");
    EXPECT_EQ(t.Line(3), std::string(80, 'w'));
    EXPECT_EQ(t.Line(4), "wwwww");
    EXPECT_EQ(t.Line(5), "row6");
    EXPECT_TRUE(scrolled.empty()) << "a region below the top row keeps its lines";
}

TEST(AnsiTerminalTest, ReverseIndexScrollsOnlyAtTheRegionTop) {
    Terminal t;
    t.Out(Numbered(1, 25));
    int x, y;
    t.Out("\x1b[10;1H\x1bM\x1bM");
    t.Cursor(x, y);
    EXPECT_EQ(y, 7);
    EXPECT_EQ(t.Line(0), "row1");
    t.Out("\x1b[3;6r\x1b[3;1H\x1bM");
    EXPECT_EQ(t.Line(1), "row2");
    EXPECT_EQ(t.Line(2), "");
    EXPECT_EQ(t.Line(3), "row3");
    EXPECT_EQ(t.Line(5), "row5");
    EXPECT_EQ(t.Line(6), "row7");
}

TEST(AnsiTerminalTest, ScrollUpWithoutCountScrollsOneLine) {
    Terminal t;
    t.Out(Numbered(1, 3) + "\x1b[S");
    EXPECT_EQ(t.Line(0), "row2");
    t.Out("\x1b[0S");
    EXPECT_EQ(t.Line(0), "row3");
}

TEST(AnsiTerminalTest, ExtendedColoursSetOnlyTheColour) {
    Terminal t;
    const unsigned char plain = colours[CLR_COMMAND_LINE];
    const unsigned char background = plain & 0xF0;
    t.Out("\x1b[38;5;1ma\x1b[0;38;5;4mb\x1b[0;48;5;1mc\x1b[0;38;2;0;7;0md\x1b[0;38:5:2me\x1b[0;38:2::0:1:0mf");
    EXPECT_EQ(t.Attr(0, 0), background | 4) << "38;5;1 is red, not bold";
    EXPECT_EQ(t.Attr(1, 0), background | 1) << "38;5;4 is blue, not underlined";
    EXPECT_EQ(t.Attr(2, 0), 0x40 | (plain & 0x0F));
    EXPECT_EQ(t.Attr(3, 0), background | 0) << "38;2;0;7;0 is black, not reversed";
    EXPECT_EQ(t.Attr(4, 0), background | 2);
    EXPECT_EQ(t.Attr(5, 0), background | 0);
    t.Out("\x1b[0;38;2;250;0;0mg\x1b[0;38:2:250:0:0mh\x1b[0;38:2::250:0:0mi");
    EXPECT_EQ(t.Attr(6, 0), t.Attr(7, 0));
    EXPECT_EQ(t.Attr(6, 0), t.Attr(8, 0));
    EXPECT_EQ(t.Attr(6, 0) & 0xF0, background);
    EXPECT_EQ(t.Attr(6, 0) & 0x07, 4) << "a red";
    EXPECT_EQ(t.Line(0), "abcdefghi");
}

TEST(AnsiTerminalTest, RenditionsAreTurnedOffOneByOne) {
    Terminal t;
    const unsigned char plain = colours[CLR_COMMAND_LINE];
    t.Out("\x1b[1;31;44ma\x1b[7mb\x1b[22mc\x1b[27md\x1b[4me\x1b[24mf\x1b[39mg\x1b[49mh\x1b[1;4;7;32;45m\x1b[22;24;27;39;49mi");
    EXPECT_EQ(t.Attr(0, 0), 0x1C) << "bright red on blue";
    EXPECT_EQ(t.Attr(1, 0), 0x49) << "reversed: the bright bit on the shown foreground";
    EXPECT_EQ(t.Attr(2, 0), 0x41);
    EXPECT_EQ(t.Attr(3, 0), 0x14);
    EXPECT_EQ(t.Attr(4, 0), 0x94);
    EXPECT_EQ(t.Attr(5, 0), 0x14);
    EXPECT_EQ(t.Attr(6, 0), 0x10 | (plain & 0x0F));
    EXPECT_EQ(t.Attr(7, 0), plain);
    EXPECT_EQ(t.Attr(8, 0), plain);
}

TEST(AnsiTerminalTest, LinesScrolledOffTheTopGoToTheScrollback) {
    {
        Terminal t;
        t.Out(Numbered(1, 25) + "\n\n\n");
        EXPECT_EQ(scrolled, (std::vector<std::string>{"row1", "row2", "row3"}));
        EXPECT_EQ(t.Line(0), "row4");
        EXPECT_EQ(t.Line(21), "row25");
        t.Out("\x1b[2S");  // a scroll of the region at the top row keeps its lines too
        EXPECT_EQ(scrolled.size(), 5u);
        scrolled.clear();
        t.Out("\x1b[?1049h" + Numbered(1, 25) + "\n\n\x1b[S\x1b[?1049l");
        EXPECT_TRUE(scrolled.empty()) << "nothing from the alternate screen";
        t.Out("\x1b[3;25r\x1b[25;1H\n\n\x1b[r");
        EXPECT_TRUE(scrolled.empty()) << "nothing from a region below the top";
    }
    {
        Terminal t;
        config.ConsoleScrollback = false;
        t.Out(Numbered(1, 25) + "\n\n");
        EXPECT_TRUE(scrolled.empty());
        config.ConsoleScrollback = true;
    }
}

TEST(AnsiTerminalTest, ChunkingDoesNotChangeTheScreenOrTheScrollback) {
    std::string stream;
    for (int i = 0; i < 120; i++) {
        stream += "line " + std::to_string(i) + " \x1b[3" + std::to_string(i % 8) + "m\xE4\xB8\xAD\x1b[0m";
        stream += i % 7 == 0 ? "\r\n\r\n" : "\r\n";
        if (i == 60) stream += "\x1b[5;20r\x1b[20;1H";
        if (i == 90) stream += "\x1b[r\x1b[25;1H";
        if (i % 13 == 0) stream += "\x1b[A\x1b[5Cover\x1b[B\r";
    }
    std::vector<std::string> whole_scrolled;
    std::vector<ScreenCell> whole_cells;
    std::string whole_dump;
    {
        Terminal whole;
        whole.Out(stream);
        whole_scrolled = scrolled;
        whole_cells = whole.ui.Snapshot();
        whole_dump = whole.ui.Dump();
        EXPECT_EQ(whole.ui.Headless().View().ShownMismatches(), 0);
    }
    Terminal bytewise;
    for (char c : stream) bytewise.Out(std::string(1, c));
    EXPECT_EQ(scrolled, whole_scrolled);
    EXPECT_TRUE(bytewise.ui.Snapshot() == whole_cells) << whole_dump << bytewise.ui.Dump();
}

TEST(AnsiTerminalTest, ChunkOfManyLinesIsOneRepaint) {
    Terminal t;
    t.Out(Numbered(1, 25));
    CHeadlessView& view = t.ui.Headless().View();
    view.ClearRecords();
    std::string lines;
    for (int i = 0; i < 60; i++) lines += "\x1b[3" + std::to_string(i % 8) + "mtext " + std::to_string(i) + "\r\n";
    t.Out(lines);
    EXPECT_EQ(view.PaintCount(), 1);
    EXPECT_EQ(view.ShownMismatches(), 0);
    EXPECT_EQ(t.Line(23), "text 59");
}

TEST(AnsiTerminalTest, AnswersTheQueriesProgramsWaitFor) {
    Terminal t;
    t.Out("\x1b[3;5H\x1b[6n");
    EXPECT_EQ(t.sent, "\x1b[3;5R");
    t.sent.clear();
    t.Out("\x1b[c\x1b[0c\x1b[>c\x1b[5n");
    EXPECT_EQ(t.sent, "\x1b[?62;22c\x1b[?62;22c\x1b[>0;0;0c\x1b[0n");
    t.sent.clear();
    t.Out("\x1b[1;80Hx\x1b[6n");  // the cursor waits in the last column
    EXPECT_EQ(t.sent, "\x1b[1;80R");
}

TEST(AnsiTerminalTest, KeysAndPastesGoAsAnXtermSendsThem) {
    Terminal t;
    t.term.Key(KEY_UP);
    t.Out("\x1b[?1h");
    t.term.Key(KEY_UP);
    t.term.Key('a');
    EXPECT_EQ(t.sent, "\x1b[A\x1bOAa");
    t.sent.clear();
    t.ui.Headless().View().SetClipText(L"echo one\r\necho two\n");
    t.term.Key(KEY_SHIFT_INS);
    EXPECT_EQ(t.sent, "echo one\recho two\r");
    t.sent.clear();
    t.Out("\x1b[?2004h");
    t.ui.Headless().View().SetClipText(L"ls\nrm x\x1b[201~\nid");
    t.term.Key(KEY_SHIFT_INS);
    EXPECT_EQ(t.sent, "\x1b[200~ls\rrm x\rid\x1b[201~");
    t.sent.clear();
    t.Out("\x1b[?2004l");
    t.term.Key(KEY_SHIFT_INS);
    EXPECT_EQ(t.sent, "ls\rrm x\x1b[201~\rid");
}

TEST(AnsiTerminalTest, WideCharactersTakeTwoCells) {
    Terminal t;
    int x, y;
    t.Out("\xE4\xB8\xAD\xE6\x96\x87x");  // 中文x
    t.Cursor(x, y);
    EXPECT_EQ(x, 5);
    EXPECT_EQ(t.Line(0), "中文x");
    EXPECT_EQ(t.ui.Current().Char(4, 0), L'x');
    t.Out("\x1b[1;2Hy");  // over the right half of 中
    EXPECT_EQ(t.Line(0), " y文x");
    t.Out("\x1b[1;5H\xE4\xB8\xAD");  // over the left half of x's cell and beyond
    EXPECT_EQ(t.Line(0), " y文中");
    t.Out("\x1b[2;80H\xE4\xB8\xAD");  // no room in the last column: the next row
    EXPECT_EQ(t.Line(1), "");
    EXPECT_EQ(t.Line(2), "中");
    t.Out("\x1b[5;1H\xE4\xB8\xAD\b\x1b[@");  // a blank inserted between the halves of 中
    EXPECT_EQ(t.ui.Current().Char(0, 4), L' ');
    EXPECT_EQ(t.ui.Current().Char(2, 4), L' ') << "no half character is left";
    t.Out("\x1b[4;1He\xCC\x81\xE4\xB8\xAD\xCC\x81z");  // marks join the character before
    EXPECT_EQ(t.Line(3), "é中\u0301z");
    t.Cursor(x, y);
    EXPECT_EQ(x, 4);
}

TEST(AnsiTerminalTest, AlternateScreenGivesBackTheNormalOne) {
    {
        Terminal t;
        t.Out(Numbered(1, 25) + "\x1b[7;3H");
        const std::vector<ScreenCell> before = t.ui.Snapshot();
        t.Out("\x1b[?1049h\x1b[H\x1b[44m\x1b[2Jfull screen\x1b[10;10H");
        EXPECT_EQ(t.Line(0), "full screen");
        t.Out("\x1b[?1049l");
        EXPECT_TRUE(t.ui.Snapshot() == before);
        t.Out("back");
        EXPECT_EQ(t.Line(6), "roback");
        int x, y;
        t.Cursor(x, y);
        EXPECT_EQ(x, 6);
        EXPECT_EQ(y, 6);
        t.Out("\x1b[?47hleft open");
        EXPECT_EQ(t.Line(6), "      left open");
        // The terminal goes away with the alternate screen still shown.
        std::vector<ScreenCell> shown;
        {
            CAnsiTerminalEmulator second(t.ui.Console(), nullptr);
            second.Output("\x1b[?1049hX");
            shown = t.ui.Snapshot();
        }
        EXPECT_FALSE(shown == t.ui.Snapshot());
    }
}

TEST(AnsiTerminalTest, EditingTheLineMovesTheRest) {
    Terminal t;
    t.Out("abcdef\x1b[1;3H\x1b[2@\x1b[1;8H\x1b[P");
    EXPECT_EQ(t.Line(0), "ab  cde");
    t.Out("\x1b[1;2H\x1b[4hXY\x1b[4l\x1b[1;4H\x1b[2X");
    EXPECT_EQ(t.Line(0), "aXY   cde");
    t.Out("\x1b[1;5H\x1b[1K");
    EXPECT_EQ(t.Line(0), "      cde");
    t.Out(Numbered(2, 6) + "\x1b[3;1H\x1b[2L\x1b[6;1H\x1b[M");
    EXPECT_EQ(t.Line(2), "");
    EXPECT_EQ(t.Line(3), "");
    EXPECT_EQ(t.Line(4), "row3");
    EXPECT_EQ(t.Line(5), "row5");
    t.Out("\x1b[4;1H\x1b[J");
    EXPECT_EQ(t.Line(4), "");
    EXPECT_EQ(t.Line(1), "row2");
}

}  // namespace
