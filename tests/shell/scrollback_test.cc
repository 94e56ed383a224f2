// The scroll-back store and its full-screen viewer: lines kept with their
// colours and widths in a bounded ring, paged through together with the
// screen, and the screen, the store and the selection zone left as they
// were.

#include <algorithm>
#include <string>
#include <vector>

#include "config/config.h"
#include "console/cells.h"
#include "shell/scrollback.h"
#include "shell/scrollbackviewer.h"
#include "tests/shell/config_fixture.h"
#include "tests/shell/mainloop_fixture.h"
#include "tests/support/uitest.h"
#include "tests/support/thread_time.h"

namespace {

// A row of width cells: text, then blanks, all in attr.
std::vector<ScreenCell> Row(const std::string& text, int width, unsigned char attr) {
    std::vector<ScreenCell> row(static_cast<size_t>(width), ScreenCell(L' ', attr));
    for (size_t i = 0; i < text.size() && i < row.size(); i++) row[i].ch = static_cast<unsigned char>(text[i]);
    return row;
}

void AddLine(CScrollBackBuffer& store, const std::string& text, int width = 80, unsigned char attr = 0x07) {
    std::vector<ScreenCell> row = Row(text, width, attr);
    store.Add(row.data(), width);
}

std::string Text(const CScrollBackBuffer::StoredLine& line) {
    std::string text;
    for (int i = 0; i < line.width(); i++) text += static_cast<char>(line[i].ch);
    return text.substr(0, text.find_last_not_of(' ') + 1);
}

std::string Numbered(int i) { return "line " + std::to_string(i); }

// Writes "screen r" on the rows above the command line and something on the
// command line and the key bar, which the viewer must not show.
void PaintScreen(CUiTest& ui) {
    CConsole& con = ui.Console();
    for (int y = 0; y < con.rows(); y++) {
        std::string text = y < con.rows() - 2 ? "screen " + std::to_string(y) : "bottom " + std::to_string(y);
        con.PutStringAt(0, y, text.c_str(), 0x07);
    }
}

// ---- the store

TEST(ScrollBackStore, AFullRingDropsTheOldestLineAndReusesItsCells) {
    CScrollBackBuffer store(5);
    for (int i = 0; i < 5; i++) AddLine(store, Numbered(i));
    const long filled = store.allocations();
    for (int i = 5; i < 8; i++) AddLine(store, Numbered(i));
    ASSERT_EQ(store.count(), 5);
    for (int i = 0; i < 5; i++) EXPECT_EQ(Text(store.Line(i)), Numbered(i + 3));
    EXPECT_EQ(store.allocations(), filled) << "a full store took new storage for lines of the same width";

    // Each line keeps its own width, exactly.
    AddLine(store, "wide", 132);
    EXPECT_EQ(store.Line(4).width(), 132);
    EXPECT_EQ(store.Line(3).width(), 80);

    // Removed lines make room for the next ones without new storage.
    store.RemoveLast(2);
    ASSERT_EQ(store.count(), 3);
    EXPECT_EQ(Text(store.Line(2)), Numbered(6));
    const long before = store.allocations();
    AddLine(store, "again");
    EXPECT_EQ(store.allocations(), before);
    EXPECT_EQ(Text(store.Line(3)), "again");
    EXPECT_EQ(Text(store.Line(0)), Numbered(4));

    // A smaller store keeps the newest lines; none keeps nothing.
    store.SetCapacity(2);
    ASSERT_EQ(store.count(), 2);
    EXPECT_EQ(Text(store.Line(0)), Numbered(6));
    EXPECT_EQ(Text(store.Line(1)), "again");
    AddLine(store, "next");
    EXPECT_EQ(Text(store.Line(0)), "again");
    store.SetCapacity(0);
    AddLine(store, "dropped");
    EXPECT_EQ(store.count(), 0);
    store.SetCapacity(-3);
    EXPECT_EQ(store.capacity(), 0);
}

// Adding to a full store must not cost more per line when the store is
// larger: removing the oldest line by moving the others would show as a
// cost growing with the square of the size. The sizes are timed in turn,
// best of several runs, in the processor time of the test's own thread.
TEST(ScrollBackStore, FillingAndTurningOverAStoreCostsLinearTime) {
    std::vector<ScreenCell> row = Row("x", 16, 0x07);
    auto run = [&](int n) {
        CScrollBackBuffer store(n);
        const double start = ThreadSeconds();
        for (int i = 0; i < 3 * n; i++) store.Add(row.data(), 16);
        double seconds = ThreadSeconds() - start;
        EXPECT_EQ(store.allocations(), n) << "turning over a full store allocated";
        return seconds;
    };
    const int n = 20000;
    double small = 1e9, large = 1e9;
    for (int i = 0; i < 5; i++) {
        small = std::min(small, run(n));
        large = std::min(large, run(4 * n));
    }
    EXPECT_LT(large, 10 * std::max(small, 1e-4)) << small << " s for " << n << ", " << large << " s for " << 4 * n;
}

TEST(ScrollBackStore, TheSettingSwitchesTheProgramStoreOnAndOff) {
    const ScrollbackSetting saved = config.ConsoleScrollback;
    ScrollBack.Clear();
    std::vector<ScreenCell> row = Row("kept", 80, 0x07);
    config.ConsoleScrollback = false;
    AddScrollBackLine(row.data(), 80);
    EXPECT_EQ(ScrollBack.count(), 0);
    config.ConsoleScrollback = true;
    AddScrollBackLine(row.data(), 80);
    ASSERT_EQ(ScrollBack.count(), 1);
    EXPECT_EQ(ScrollBack.capacity(), CScrollBackBuffer::kMaxLines);
    EXPECT_EQ(Text(ScrollBack.Line(0)), "kept");
    ScrollBack.Clear();
    config.ConsoleScrollback = saved;
}

class ScrollBackSettingTest : public ConfigFileTest {};

// On and off as before, or a number of lines, each written back as read.
TEST_F(ScrollBackSettingTest, OnOffOrACountIsKeptAndWrittenBackAsRead) {
    const std::pair<const char*, int> values[] = {
        {"on", CScrollBackBuffer::kMaxLines}, {"ON", CScrollBackBuffer::kMaxLines}, {"off", 0}, {"yes", 0},
        {"250", 250}, {"0", 0}, {"20000000", CScrollBackBuffer::kMostLines},
    };
    for (const auto& [text, lines] : values) {
        Load(std::string("[General Options]\nConsoleScrollback=") + text + "\n");
        ApplyScrollBackSetting();
        EXPECT_EQ(ScrollBack.capacity(), lines) << text;
        ASSERT_EQ(Save(), 0);
        const std::string saved = Section(ReadFile(ini_), "[General Options]")["ConsoleScrollback"];
        const std::string word = std::string(text) == "ON" ? "on" : std::string(text) == "yes" ? "off" : text;
        EXPECT_EQ(saved, word) << text;
    }
    // A file without the directive keeps the usual count.
    Load("[General Options]\n");
    ApplyScrollBackSetting();
    EXPECT_EQ(ScrollBack.capacity(), CScrollBackBuffer::kMaxLines);
}

// ---- the viewer

// Runs a viewer over the store (and screen_rows rows of the screen) on the
// queued keys, recording the screen at every key it reads.
void View(CUiTest& ui, const CScrollBackBuffer& store, int screen_rows, const std::string& keys) {
    ui.Keys(keys);
    ui.RecordScreens(true);
    ui.RunVoid([&] {
        CScrollBackHistory history(store, screen_rows);
        CScrollBackViewer viewer(history);
        viewer.Show();
    });
}

TEST(ScrollBackViewer, FewerLinesThanRowsStartAtTheFirstAndLeaveTheRestBlank) {
    CUiTest ui(80, 25);
    PaintScreen(ui);
    CScrollBackBuffer store;
    for (int i = 0; i < 3; i++) AddLine(store, Numbered(i));
    View(ui, store, 0, "PgUp PgDn Up Down Home End Esc");
    ASSERT_EQ(ui.Screens().size(), 7u);
    const CUiTest::Screen& first = ui.Screens()[0];
    for (int i = 0; i < 3; i++) EXPECT_EQ(first.Line(i), Numbered(i)) << first.Dump();
    for (int y = 3; y < 25; y++) {
        EXPECT_EQ(first.Line(y), "") << y;
        EXPECT_EQ(first.Attr(40, y), colours[CLR_COMMAND_LINE]) << y;
    }
    // No key moves a history that fits on one page.
    for (const CUiTest::Screen& screen : ui.Screens()) EXPECT_EQ(screen.cells, first.cells) << screen.Dump();
}

TEST(ScrollBackViewer, PagesScrollWithTwoLinesOfOverlapAndStopAtTheEnds) {
    CUiTest ui(80, 25);
    CScrollBackBuffer store;
    for (int i = 0; i < 100; i++) AddLine(store, Numbered(i));
    View(ui, store, 0, "PgDn Down PgUp Up Down Home PgUp Up PgDn End Esc");
    const std::vector<CUiTest::Screen>& s = ui.Screens();
    ASSERT_EQ(s.size(), 11u);
    // The last page first; PgDn and Down there change nothing.
    EXPECT_EQ(s[0].Line(0), Numbered(75));
    EXPECT_EQ(s[0].Line(24), Numbered(99));
    EXPECT_EQ(s[1].cells, s[0].cells);
    EXPECT_EQ(s[2].cells, s[0].cells);
    // PgUp: the page's top two lines end the new page.
    EXPECT_EQ(s[3].Line(0), Numbered(52));
    EXPECT_EQ(s[3].Line(23), Numbered(75));
    EXPECT_EQ(s[3].Line(24), Numbered(76));
    // Up and Down move by one line.
    EXPECT_EQ(s[4].Line(0), Numbered(51));
    EXPECT_EQ(s[4].Line(24), Numbered(75));
    EXPECT_EQ(s[5].cells, s[3].cells);
    // Home; PgUp and Up on the first page change nothing.
    EXPECT_EQ(s[6].Line(0), Numbered(0));
    EXPECT_EQ(s[7].cells, s[6].cells);
    EXPECT_EQ(s[8].cells, s[6].cells);
    EXPECT_EQ(s[9].Line(0), Numbered(23));
    EXPECT_EQ(s[10].Line(24), Numbered(99));
}

TEST(ScrollBackViewer, LinesKeepTheirColoursAndOtherInputIsIgnored) {
    CUiTest ui(80, 25);
    CScrollBackBuffer store;
    AddLine(store, "red on black", 80, 0x04);
    std::vector<ScreenCell> mixed = Row("ab", 80, 0x1E);
    mixed[1].attr = 0x70;
    store.Add(mixed.data(), 80);
    ui.Click(5, 5);
    ui.WheelUp(5, 5);
    ui.Keys("x F1 Enter Left");
    View(ui, store, 0, "Esc");
    const std::vector<CUiTest::Screen>& s = ui.Screens();
    ASSERT_FALSE(s.empty());
    EXPECT_EQ(s.back().cells, s.front().cells);
    EXPECT_EQ(s.back().Line(0), "red on black");
    EXPECT_EQ(s.back().Attr(0, 0), 0x04);
    EXPECT_EQ(s.back().Attr(79, 0), 0x04);
    EXPECT_EQ(s.back().Attr(0, 1), 0x1E);
    EXPECT_EQ(s.back().Attr(1, 1), 0x70);
    EXPECT_EQ(ui.QueueLength(), 0);
}

TEST(ScrollBackViewer, AFullStoreShowsEveryRemainingLineAndThenTheScreen) {
    CUiTest ui(80, 25);
    PaintScreen(ui);
    CScrollBackBuffer store(30);
    for (int i = 0; i < 35; i++) AddLine(store, Numbered(i));
    View(ui, store, 23, "Home Down End Esc");
    const std::vector<CUiTest::Screen>& s = ui.Screens();
    ASSERT_EQ(s.size(), 4u);
    // The last page: the two newest lines, then the screen above the command line.
    EXPECT_EQ(s[0].Line(0), Numbered(33));
    EXPECT_EQ(s[0].Line(1), Numbered(34));
    for (int y = 0; y < 23; y++) EXPECT_EQ(s[0].Line(y + 2), "screen " + std::to_string(y)) << s[0].Dump();
    EXPECT_FALSE(s[0].Find("bottom"));
    // From the oldest line kept, one after another.
    for (int y = 0; y < 25; y++) EXPECT_EQ(s[1].Line(y), Numbered(5 + y));
    for (int y = 0; y < 25; y++) EXPECT_EQ(s[2].Line(y), Numbered(6 + y));
    EXPECT_EQ(s[3].cells, s[0].cells);
    EXPECT_EQ(store.count(), 30);
}

TEST(ScrollBackViewer, LinesOfAnotherWidthArePaddedInTheirColourOrCut) {
    CUiTest ui(80, 25);
    CScrollBackBuffer store;
    AddLine(store, "eighty", 80, 0x1E);
    store.Add(nullptr, 0);
    std::vector<ScreenCell> wide = Row("one hundred and thirty-two", 132, 0x2F);
    wide[79] = ScreenCell(L'日', 0x2F);  // cut in half by an 80-column screen
    wide[80] = ScreenCell(kWideTail, 0x2F);
    wide[131].ch = L'Z';
    store.Add(wide.data(), 132);

    ASSERT_TRUE(ui.Console().SetSize(132, 25));
    View(ui, store, 0, "Esc");
    const CUiTest::Screen& broad = ui.Screens().back();
    EXPECT_EQ(broad.Line(0), "eighty");
    for (int x : {0, 79, 80, 131}) EXPECT_EQ(broad.Attr(x, 0), 0x1E) << x;
    EXPECT_EQ(broad.Attr(100, 1), colours[CLR_COMMAND_LINE]);
    EXPECT_EQ(broad.Char(131, 2), L'Z');
    EXPECT_EQ(broad.Char(79, 2), L'日');

    ASSERT_TRUE(ui.Console().SetSize(80, 25));
    View(ui, store, 0, "Esc");
    const CUiTest::Screen& narrow = ui.Screens().back();
    EXPECT_EQ(narrow.columns, 80);
    EXPECT_EQ(narrow.Line(0), "eighty");
    EXPECT_EQ(narrow.Line(2), "one hundred and thirty-two");
    EXPECT_EQ(narrow.Char(79, 2), L' ');
    EXPECT_EQ(narrow.Attr(79, 2), 0x2F);
}

TEST(ScrollBackViewer, LeavingPutsBackTheScreenAndTheSelectionZone) {
    CUiTest ui(80, 25);
    ui.FillPattern();
    const std::vector<ScreenCell> before = ui.Snapshot();
    ui.Console().SetSelectionZone(3, 4, 10, 5);
    CScrollBackBuffer store;
    for (int i = 0; i < 40; i++) AddLine(store, Numbered(i));
    View(ui, store, 23, "PgUp Up Esc");
    EXPECT_EQ(ui.Snapshot(), before);
    CConsole::Rect zone;
    ui.Console().GetSelectionZone(zone);
    EXPECT_EQ(zone.left, 3);
    EXPECT_EQ(zone.top, 4);
    EXPECT_EQ(zone.right, 12);
    EXPECT_EQ(zone.bottom, 8);
}

// ---- the program-wide viewer

TEST(ScrollBackViewer, ShowingTheProgramStoreLeavesItsLinesAsTheyWere) {
    CUiTest ui(80, 25);
    PaintScreen(ui);
    ScrollBack.Clear();
    // No panels to put away and bring back.
    const uint8_t shown[2] = {panel_base[0].visible, panel_base[1].visible};
    panel_base[0].visible = panel_base[1].visible = false;
    const int total = CScrollBackBuffer::kMaxLines + 3;
    for (int i = 0; i < total; i++) AddScrollBackLine(Row(Numbered(i), 80, 0x07).data(), 80);
    ASSERT_EQ(ScrollBack.count(), CScrollBackBuffer::kMaxLines);
    ui.Keys("Home End Esc");
    ui.RecordScreens(true);
    ui.RunVoid([] { ShowScrollBack(); });
    const std::vector<CUiTest::Screen>& s = ui.Screens();
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[1].Line(0), Numbered(3));
    EXPECT_EQ(s[2].Line(1), Numbered(total - 1));
    EXPECT_EQ(s[2].Line(2), "screen 0");
    EXPECT_EQ(s[2].Line(24), "screen 22");

    ASSERT_EQ(ScrollBack.count(), CScrollBackBuffer::kMaxLines);
    for (int i = 0; i < ScrollBack.count(); i++)
        if (Text(ScrollBack.Line(i)) != Numbered(i + 3)) FAIL() << "line " << i << ": " << Text(ScrollBack.Line(i));
    EXPECT_EQ(ui.Line(0), "screen 0");
    EXPECT_EQ(ui.Line(24), "bottom 24");
    ScrollBack.Clear();
    panel_base[0].visible = shown[0];
    panel_base[1].visible = shown[1];
}

class ScrollBackKeyTest : public MainLoopTest {};

TEST_F(ScrollBackKeyTest, CtrlBOpensTheViewerAndEscapeLeavesTheScreenAsItWas) {
    ScrollBack.Clear();
    for (int i = 0; i < 30; i++) AddScrollBackLine(Row(Numbered(i), 80, 0x04).data(), 80);
    RunKeys("Ctrl-B Home Esc");
    const std::vector<CUiTest::Screen>& s = Screens();
    ASSERT_GE(s.size(), 4u);
    // The viewer's first page is the end of the history: the screen under
    // the panels, with no panel frame on it.
    EXPECT_FALSE(s[1].Find("╔")) << s[1].Dump();
    EXPECT_EQ(s[2].Line(0), Numbered(0));
    EXPECT_EQ(s[2].Attr(0, 0), 0x04);
    EXPECT_EQ(s[3].cells, s[0].cells) << s[0].Dump() << s[3].Dump();
    EXPECT_EQ(ScrollBack.count(), 30);
    ScrollBack.Clear();
}

}  // namespace
