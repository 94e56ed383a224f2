// The key bar, the clock, the screen-size rules, the scroll-back store and
// the screen dump.

#include <tuple>

#include "config/config.h"
#include "console/cells.h"
#include "console/keys.h"
#include "shell/clock.h"
#include "shell/keybar.h"
#include "shell/screen.h"
#include "shell/screendump.h"
#include "shell/scrollback.h"
#include "tests/support/temp_dir.h"
#include "tests/support/uitest.h"

namespace {

// ---- key bar

TEST(KeyBar, LabelsFillTenSlotsWithTheirNumbersInTheCommandLineColour) {
    CUiTest ui(80, 25);
    create_key_bar();
    draw_key_bar(0);
    EXPECT_EQ(ui.Line(24), "1Help   2Menu   3View   4Edit   5Copy   6RenMov 7Mkdir  8Delete 9PullDn 10Quit");
    // "1", "Help", the cell before "2", "10" and its label.
    for (const auto& [x, item] : {std::pair(0, CLR_COMMAND_LINE), {1, CLR_MENU_BAR}, {73, CLR_COMMAND_LINE}})
        EXPECT_EQ(ui.Attr(x, 24), colours[item]) << x;

    const std::pair<int, std::string> states[] = {{1, "1Left   2Right  3View.."}, {5, "1Brief  2Full"}};
    for (const auto& [state, start] : states) {
        draw_key_bar(state);
        EXPECT_EQ(ui.Text(0, 24, start.size()), start) << state;
    }
    delete_key_bar();
    EXPECT_EQ(FunctionKeyBar, nullptr);

    // A wide screen gives wider slots.
    ASSERT_TRUE(ui.Console().SetSize(132, 25));
    create_key_bar();
    draw_key_bar(0);
    EXPECT_EQ(ui.Text(13, 24, 5), "2Menu");
    EXPECT_EQ(ui.Text(117, 24, 6), "10Quit");
    delete_key_bar();
}

TEST(KeyBar, ClicksGiveTheFunctionKeyOfTheSlotAndModifiers) {
    constexpr int kAlt = CConsole::TEvent::Alt, kShift = CConsole::TEvent::Shift, kCtrl = CConsole::TEvent::Ctrl;
    const struct {
        int x, kind, shift, key;
    } cases[] = {
        {7, _MEVENT::LeftUp, 0, KEY_F2},  // (x + 1) / 8
        {40, _MEVENT::RightUp, 0, KEY_ALT_F6},
        {0, _MEVENT::LeftUp, kShift, KEY_SHIFT_F1},
        {79, _MEVENT::LeftUp, kCtrl, KEY_CTRL_F10},
        {16, _MEVENT::LeftUp, kAlt | kShift, KEY_ALT_F3},  // Alt before Shift
        {24, _MEVENT::LeftUp, kShift | kCtrl, KEY_SHIFT_F4},  // Shift before Ctrl
    };
    for (const auto& c : cases)
        EXPECT_EQ(key_bar_value(_MEVENT{c.kind, c.x, 24, c.shift}), c.key) << c.x << " " << c.kind << " " << c.shift;
    EXPECT_EQ(key_bar_slot(-5), 0);
    EXPECT_EQ(key_bar_slot(1000), 9);
}

// ---- clock

TEST(Clock, TextIn12And24HourModes) {
    const struct {
        int hour, minute, second, mode;
        const char* text;
    } cases[] = {
        {0, 5, 1, 12, "12 05a"}, {12, 0, 0, 12, "12:00p"}, {13, 5, 0, 12, " 1:05p"},
        {0, 0, 0, 24, " 0:00"},  {13, 5, 3, 24, "13 05"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Narrow(clock_text(c.hour, c.minute, c.second, c.mode)), c.text) << c.hour << ":" << c.minute;
}

// ---- screen size and sort rules

TEST(ScreenRules, AltF9Rows) {
    const struct {
        int rows, lines, result;
    } cases[] = {
        {25, 0, 50}, {25, 43, 43}, {25, 51, 50}, {50, 0, 25}, {50, 60, 60}, {30, 0, 50},
    };
    for (const auto& c : cases) EXPECT_EQ(ega_rows(c.rows, c.lines), c.result) << c.rows << " " << c.lines;
}

TEST(ScreenRules, ShiftAltF9ColumnsAndNextSort) {
    const std::tuple<int, int, int> columns[] = {{80, 0, 132}, {132, 100, 100}, {132, 132, 80}, {100, 160, 80}};
    for (const auto& [now, setting, result] : columns) EXPECT_EQ(switch_columns(now, setting), result) << now;
    const std::tuple<sortby, int, sortby> sorts[] = {
        {SORT_SIZE, 0, SORT_NAME}, {SORT_RTIME, 5, SORT_TIME}, {SORT_RUNSORTED, 5, SORT_UNSORTED}};
    for (const auto& [now, key, result] : sorts) EXPECT_EQ(next_sort(now, key), result) << now << " " << key;
}

// ---- scroll-back store

TEST(ScrollBack, KeepsLinesWithTheirColoursAndDropsTheOldestBeyondTheLimit) {
    CScrollBackBuffer store;
    ScreenCell row[3] = {ScreenCell(L'a', 0x4F), ScreenCell(L'b', 0x07), ScreenCell(L'c', 0x1E)};
    store.Add(row, 3);
    ASSERT_EQ(store.count(), 1);
    EXPECT_EQ(store.Line(0)[0].attr, 0x4F);
    for (int i = 0; i < CScrollBackBuffer::kMaxLines + 5; i++) {
        ScreenCell numbered(static_cast<wchar_t>(L'0' + i % 10), 0x07);
        store.Add(&numbered, 1);
    }
    EXPECT_EQ(store.count(), CScrollBackBuffer::kMaxLines);
    EXPECT_EQ(store.Line(store.count() - 1)[0].ch, static_cast<wchar_t>(L'0' + (CScrollBackBuffer::kMaxLines + 4) % 10));
    store.RemoveLast(1 << 30);
    EXPECT_EQ(store.count(), 0);
    store.Add(nullptr, 0);
    EXPECT_EQ(store.count(), 1);
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
