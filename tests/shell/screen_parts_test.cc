// The key bar, the clock, the screen-size rules, the scroll-back store and
// the screen dump.

#include <tuple>

#include "console/cells.h"
#include "console/keys.h"
#include "shell/clock.h"
#include "shell/config.h"
#include "shell/keybar.h"
#include "shell/screen.h"
#include "shell/screendump.h"
#include "shell/scrollback.h"
#include "tests/fileops/temp_dir.h"
#include "tests/support/uitest.h"

namespace {

std::string narrow(const Westring& s) { return s.ToUTF8().c_str(); }

// ---- key bar

TEST(KeyBar, LabelsFillTenSlotsWithTheirNumbersInTheCommandLineColour) {
    CUiTest ui(80, 25);
    create_key_bar();
    draw_key_bar(0);
    EXPECT_EQ(ui.Line(24), "1Help   2Menu   3View   4Edit   5Copy   6RenMov 7Mkdir  8Delete 9PullDn 10Quit");
    // "1", "Help", the cell before "2", "10" and its label.
    for (const auto& [x, item] : {std::pair(0, CLR_COMMAND_LINE), {1, CLR_MENU_BAR}, {7, CLR_COMMAND_LINE},
                                  {72, CLR_COMMAND_LINE}, {73, CLR_COMMAND_LINE}, {74, CLR_MENU_BAR}})
        EXPECT_EQ(ui.Attr(x, 24), colours[item]) << x;
    EXPECT_EQ(key_bar, 0);

    const struct {
        int state;
        const char* start;
    } states[] = {{1, "1Left   2Right  3View.."}, {2, "1Left   2Right  3Name"}, {3, "1       2       3 "},
                  {4, "1Manual 2MnMenu"},       {5, "1Brief  2Full"},         {6, "1       2       3View.."},
                  {7, "1       2"}};
    for (const auto& s : states) {
        draw_key_bar(s.state);
        EXPECT_EQ(ui.Row(24).substr(0, std::string(s.start).size()), s.start) << s.state;
        EXPECT_EQ(key_bar, s.state);
    }
    delete_key_bar();
    EXPECT_EQ(FunctionKeyBar, nullptr);
    EXPECT_EQ(key_bar, -1);

    // A wide screen gives wider slots.
    ASSERT_TRUE(ui.Console().SetSize(132, 25));
    create_key_bar();
    draw_key_bar(0);
    EXPECT_EQ(ui.Text(13, 24, 5), "2Menu");
    EXPECT_EQ(ui.Text(117, 24, 6), "10Quit");
    delete_key_bar();
}

TEST(KeyBar, ClicksGiveTheFunctionKeyOfTheSlotAndModifiers) {
    CUiTest ui(80, 25);
    _MEVENT event;
    event.kind = _MEVENT::LeftUp;
    event.y = 24;
    const struct {
        int x, kind, shift, key;
    } cases[] = {
        {0, _MEVENT::LeftUp, 0, KEY_F1},
        {6, _MEVENT::LeftUp, 0, KEY_F1},
        {7, _MEVENT::LeftUp, 0, KEY_F2},  // (x + 1) / 8
        {79, _MEVENT::LeftUp, 0, KEY_F10},
        {40, _MEVENT::RightUp, 0, KEY_ALT_F6},
        {40, _MEVENT::LeftUp, CConsole::TEvent::Alt, KEY_ALT_F6},
        {40, _MEVENT::LeftUp, CConsole::TEvent::Shift, KEY_SHIFT_F6},
        {40, _MEVENT::LeftUp, CConsole::TEvent::Ctrl, KEY_CTRL_F6},
    };
    for (const auto& c : cases) {
        event.x = c.x;
        event.kind = c.kind;
        event.shift = c.shift;
        EXPECT_EQ(key_bar_value(event), c.key) << c.x << " " << c.kind << " " << c.shift;
    }
    EXPECT_EQ(key_bar_slot(-5), 0);
    EXPECT_EQ(key_bar_slot(1000), 9);
}

// ---- clock

TEST(Clock, TextIn12And24HourModes) {
    const struct {
        int hour, minute, second, mode;
        const char* text;
    } cases[] = {
        {0, 0, 0, 12, "12:00a"},  {0, 5, 1, 12, "12 05a"},  {11, 59, 2, 12, "11:59a"}, {12, 0, 0, 12, "12:00p"},
        {13, 5, 0, 12, " 1:05p"}, {23, 59, 59, 12, "11 59p"}, {0, 0, 0, 24, " 0:00"},  {13, 5, 3, 24, "13 05"},
        {9, 30, 4, 24, " 9:30"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(narrow(clock_text(c.hour, c.minute, c.second, c.mode)), c.text) << c.hour << ":" << c.minute;
}

TEST(Clock, AWindowInTheTopRightCornerWhileTheSettingIsOn) {
    CUiTest ui(80, 25);
    CONFIG saved = config;
    config.Clock = false;
    init_clock();
    EXPECT_EQ(clock_win, nullptr);
    config.Clock = true;
    config.TimeMode = 24;
    ui.Console().PutStringAt(70, 0, L"underneath", 0x07);
    init_clock();
    ASSERT_NE(clock_win, nullptr);
    EXPECT_EQ(clock_win->left(), 75);
    EXPECT_EQ(ui.Attr(75, 0), colours[CLR_CLOCK]);
    std::string shown = ui.Text(75, 0, 5);
    EXPECT_TRUE(shown[2] == ':' || shown[2] == ' ') << shown;
    init_clock();  // a second call keeps the one clock
    hide_clock();
    EXPECT_EQ(clock_win, nullptr);
    EXPECT_EQ(ui.Text(70, 0, 10), "underneath");
    config.TimeMode = 12;
    init_clock();
    EXPECT_EQ(clock_win->left(), 74);
    hide_clock();
    config = saved;
}

// ---- screen size and sort rules

TEST(ScreenRules, AltF9Rows) {
    const struct {
        int rows, lines, result;
    } cases[] = {
        {25, 0, 50}, {25, 26, 26}, {25, 43, 43}, {25, 50, 50}, {25, 51, 50}, {25, 20, 50},
        {50, 0, 25}, {50, 60, 60}, {50, 43, 25}, {30, 0, 50},  {60, 0, 25},
    };
    for (const auto& c : cases) EXPECT_EQ(ega_rows(c.rows, c.lines), c.result) << c.rows << " " << c.lines;
}

TEST(ScreenRules, ShiftAltF9ColumnsAndNextSort) {
    const std::tuple<int, int, int> columns[] = {{80, 0, 132},   {132, 0, 80},  {132, 100, 100},
                                                 {132, 132, 80}, {132, 80, 80}, {100, 160, 80}};
    for (const auto& [now, setting, result] : columns) EXPECT_EQ(switch_columns(now, setting), result) << now;
    const std::tuple<sortby, int, sortby> sorts[] = {
        {SORT_SIZE, 0, SORT_NAME},     {SORT_NAME, 4, SORT_UNSORTED},      {SORT_TIME, 5, SORT_RTIME},
        {SORT_RTIME, 5, SORT_TIME},    {SORT_UNSORTED, 5, SORT_RUNSORTED}, {SORT_RUNSORTED, 5, SORT_UNSORTED}};
    for (const auto& [now, key, result] : sorts) EXPECT_EQ(next_sort(now, key), result) << now << " " << key;
}

TEST(ScreenRules, PanelRowsFollowFullScreenAndTheTitleThePanel) {
    CUiTest ui(80, 25);
    CONFIG saved = config;
    for (const auto& [full, rows] : {std::pair(true, 19), std::pair(false, 25 - (25 / 2 + 2))}) {
        config.FullScreen = full;
        get_screen_size();
        EXPECT_EQ(config.screen_columns, 80);
        EXPECT_EQ(config.screen_rows, 25);
        EXPECT_EQ(config.panel_rows, rows) << full;
    }
    config = saved;
    set_title(L"/home/u");
    EXPECT_EQ(narrow(ui.Headless().View().Title()), "DV/L: /home/u");
    set_title(nullptr);
    EXPECT_EQ(narrow(ui.Headless().View().Title()), narrow(kProgramTitle));
}

// ---- scroll-back store

TEST(ScrollBack, KeepsLinesWithTheirColoursAndDropsTheOldestBeyondTheLimit) {
    CScrollBackBuffer store;
    ScreenCell row[3] = {ScreenCell(L'a', 0x4F), ScreenCell(L'b', 0x07), ScreenCell(L'c', 0x1E)};
    store.Add(row, 3);
    ASSERT_EQ(store.count(), 1);
    EXPECT_EQ(store.Line(0).length(), 3);
    EXPECT_EQ(store.Line(0)[0].attr, 0x4F);
    EXPECT_EQ(store.Line(0)[2].ch, L'c');
    for (int i = 0; i < CScrollBackBuffer::kMaxLines + 5; i++) {
        ScreenCell numbered(static_cast<wchar_t>(L'0' + i % 10), 0x07);
        store.Add(&numbered, 1);
    }
    EXPECT_EQ(store.count(), CScrollBackBuffer::kMaxLines);
    EXPECT_EQ(store.Line(store.count() - 1)[0].ch, static_cast<wchar_t>(L'0' + (CScrollBackBuffer::kMaxLines + 4) % 10));
    store.RemoveLast(2);
    EXPECT_EQ(store.count(), CScrollBackBuffer::kMaxLines - 2);
    store.RemoveLast(1 << 30);
    EXPECT_EQ(store.count(), 0);
    store.Add(nullptr, 0);
    EXPECT_EQ(store.count(), 1);
}

TEST(ScrollBack, LinesWrittenOffTheTopOfTheConsoleArrive) {
    CUiTest ui(20, 5);
    ConsoleHooks saved = console_hooks;
    ScrollBack.Clear();
    console_hooks.scrolled_off = AddScrollBackLine;
    ui.Console().SetCursorPos(0, 4);
    ui.Console().Write("first\nsecond\n");
    console_hooks = saved;
    ASSERT_EQ(ScrollBack.count(), 2);
    EXPECT_EQ(ScrollBack.Line(0).length(), 20);
    ScrollBack.Clear();
}

// ---- screen dump

TEST(ScreenDump, WritesTheRowsAsText) {
    CUiTest ui(20, 3);
    ui.Console().PutStringAt(0, 1, L"h\x00e9llo", 0x07);
    CTempDir dir;
    const std::string file = dir / "screen.txt";
    ASSERT_EQ(WriteScreenDump(file.c_str()), 0);
    EXPECT_EQ(ReadFile(file), std::string(20, ' ') + "\n" + "h\xc3\xa9llo" + std::string(15, ' ') + "\n" +
                                 std::string(20, ' ') + "\n");
    EXPECT_NE(WriteScreenDump((dir / "no/such/dir/screen.txt").c_str()), 0);
    EXPECT_NE(WriteScreenDump(nullptr), 0);
    EXPECT_NE(WriteScreenDump(""), 0);
}

}  // namespace
