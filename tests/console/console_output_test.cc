// Cell output, painting, scrolling and teletype output on a headless console.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "console/toolkitlock.h"
#include "tests/support/headless_console.h"

namespace {

using PaintRect = CHeadlessView::PaintRect;
using Paints = std::vector<PaintRect>;
using Texts = std::vector<std::string>;

// A console with everything painted once and the records cleared.
class ConsoleOutput : public ::testing::Test {
protected:
    explicit ConsoleOutput(int columns = 80, int rows = 25) : hc(columns, rows) {
        console->Clear();
        hc.View().ClearRecords();
    }
    CHeadlessView& view() { return hc.View(); }
    std::string row(int y) { return hc.RowText(y); }
    // The row's text without its trailing blanks.
    std::string text(int y) {
        std::string s = row(y);
        while (!s.empty() && s.back() == ' ') s.pop_back();
        return s;
    }
    // text() of the rows given.
    Texts texts(std::initializer_list<int> ys) {
        Texts out;
        for (int y : ys) out.push_back(text(y));
        return out;
    }
    std::pair<int, int> cursor() {
        int x = -1, y = -1;
        console->GetCursorPos(x, y);
        return {x, y};
    }

    CHeadlessConsole hc;
};

class SmallConsole : public ConsoleOutput {
protected:
    SmallConsole() : ConsoleOutput(10, 4) {}
};

std::vector<std::string> scrolled;
void keep_scrolled(const ScreenCell* row, int columns) {
    Westring text;
    for (int i = 0; i < columns; i++) text += row[i].ch;
    scrolled.push_back(text.ToUTF8().c_str());
}

}  // namespace

TEST(ConsoleLifecycle, SetSizeRebuildsABlankScreen) {
    CHeadlessConsole hc;
    console->PutStringAt(0, 0, L"gone", 0x1E);
    EXPECT_TRUE(console->SetSize(20, 5, "", 0));
    EXPECT_EQ(console->cell(0, 0), ScreenCell(L' ', 0x07));
    for (auto [columns, rows] : {std::pair(0, 5), {20, -1}, {1 << 20, 1 << 20}})
        EXPECT_FALSE(console->SetSize(columns, rows)) << columns << " x " << rows;
    EXPECT_EQ(console->columns(), 20);
}

TEST_F(ConsoleOutput, PutStringAtPaintsTheChangedSpanAndStopsAtTheEdges) {
    console->PutStringAt(3, 2, L"hello", 0x1E);
    EXPECT_EQ(text(2), "   hello");
    EXPECT_EQ(console->cell(3, 2).attr, 0x1E);
    console->PutStringAt(3, 2, L"hello", 0x1E);  // the same again: nothing to paint
    console->PutStringAt(3, 2, L"help!", 0x1E);  // only "p!" changed
    EXPECT_EQ(view().Paints(), (Paints{{3, 2, 8, 3}, {6, 2, 8, 3}}));

    console->PutStringAt(75, 1, std::wstring(100, L'x').c_str(), 0x07);
    EXPECT_EQ(row(1).substr(75), "xxxxx");
    EXPECT_EQ(text(2), "   help!");  // nothing wrapped
    console->PutStringAt(-2, 3, L"abcd", 0x07);  // off the left edge: the visible part
    EXPECT_EQ(text(3), "cd");
    console->PutStringAt(0, 25, L"below", 0x07);
    console->PutStringAt(0, 0, static_cast<const wchar_t*>(nullptr), 0x07);
    EXPECT_EQ(view().ShownMismatches(), 0);
}

TEST_F(ConsoleOutput, NarrowTextUsesTheConsoleCodePage) {
    console->PutStringAt(0, 0, "\x82t\xe9", 0x07);  // code page 850: e-acute, t, U+00DA
    console->SetCodePage(0);  // ignored
    console->SetCodePage(1252);
    console->PutStringAt(0, 1, "\x80", 0x07);
    EXPECT_EQ(std::vector<wchar_t>({console->cell(0, 0).ch, console->cell(2, 0).ch, console->cell(0, 1).ch}),
              std::vector<wchar_t>({0xE9, 0xDA, 0x20AC}));
}

TEST_F(ConsoleOutput, DisplayMapping) {
    const std::pair<wchar_t, wchar_t> cases[] = {{1, 0x263A}, {31, 0x25BC}, {127, 0x2302}, {159, 0x2302},
                                                 {0, 0}, {32, 32}, {160, 160}};
    for (const auto& [in, out] : cases) EXPECT_EQ(DisplayMap(in), out) << int(in);
    const wchar_t text[] = {1, 'a', 0};  // written cells are mapped
    console->PutStringAt(0, 0, text, 0x07);
    EXPECT_EQ(console->cell(0, 0).ch, 0x263A);
}

TEST_F(ConsoleOutput, FillCellAndFillAttrStopAtTheLastColumn) {
    console->FillCell(70, 4, 50, ScreenCell(L'=', 0x4F));
    EXPECT_EQ(row(4).substr(70), "==========");
    EXPECT_EQ(console->cell(0, 5), ScreenCell(L' ', 0x07));
    console->FillCell(70, 4, 50, ScreenCell(L'=', 0x4F));  // unchanged
    EXPECT_EQ(view().Paints(), (Paints{{70, 4, 80, 5}}));
    console->FillAttr(75, 4, 10, 0x1E);
    EXPECT_EQ(console->cell(79, 4), ScreenCell(L'=', 0x1E));
    EXPECT_EQ(console->cell(74, 4).attr, 0x4F);
    console->FillAttr(0, 4, -5, 0x1E);
    console->FillCell(-10, 4, 12, ScreenCell(L'<', 0x07));
    EXPECT_EQ(text(4).substr(0, 3), "<< ");
    console->FillCell(0x7FFFFFF0, 4, 0x7FFFFFF0, ScreenCell(L'!', 0x07));  // no overflow
    EXPECT_EQ(view().ShownMismatches(), 0);
}

TEST_F(ConsoleOutput, GetRectAndPutRectRoundTrip) {
    console->PutStringAt(10, 5, L"abc", 0x1E);
    console->PutStringAt(10, 6, L"def", 0x4F);
    std::unique_ptr<ScreenCell[]> saved(console->GetRect(10, 5, 3, 2));
    ASSERT_NE(saved, nullptr);
    console->PutRect(20, 10, 3, 2, saved.get());
    EXPECT_EQ(texts({10, 11}), (Texts{std::string(20, ' ') + "abc", std::string(20, ' ') + "def"}));
    EXPECT_EQ(console->cell(21, 11), ScreenCell(L'e', 0x4F));
    // Partly off the screen: the visible part, at the right place.
    console->PutRect(78, 24, 3, 2, saved.get());
    EXPECT_EQ(row(24).substr(78), "ab");
    std::unique_ptr<ScreenCell[]> edge(console->GetRect(79, 24, 2, 2));
    EXPECT_EQ(edge[0].ch, L'b');
    EXPECT_EQ(edge[1], ScreenCell(L' ', 0x07));  // off the screen reads blank
    EXPECT_EQ(console->GetRect(0, 0, 0, 5), nullptr);
    console->PutRect(0, 0, 2, 2, nullptr);
    EXPECT_EQ(view().ShownMismatches(), 0);
}

TEST_F(ConsoleOutput, ScrollsMovePixelsAndPaintOnlyTheFreedRows) {
    for (int y = 0; y < 10; y++) console->PutStringAt(0, y, (L"line " + std::to_wstring(y)).c_str(), 0x07);
    view().ClearRecords();
    console->ScrollUp(0, 2, 80, 6, 2, 0x1E);  // rows 2-7
    EXPECT_EQ(texts({1, 2, 5, 6, 8}), (Texts{"line 1", "line 4", "line 7", "", "line 8"}));
    EXPECT_EQ(console->cell(0, 7).attr, 0x1E);
    ASSERT_EQ(view().Scrolls().size(), 1u);
    const CHeadlessView::ScrollCall up = view().Scrolls()[0];
    EXPECT_EQ(std::make_tuple(up.x, up.y, up.width, up.height, up.lines, up.up), std::make_tuple(0, 2, 80, 6, 2, true));
    EXPECT_EQ(view().Paints(), (Paints{{0, 6, 80, 8}}));
    EXPECT_EQ(view().ShownMismatches(), 0);  // the moved pixels plus the freed rows are right
}

// A double-width character cut by a scroll's edge becomes blank halves, and
// the window shows the blanks: they are painted after the pixels move.
TEST_F(ConsoleOutput, AWideCharacterCutByAScrollEdgeShowsCut) {
    for (int y = 0; y < 10; y++)
        console->PutStringAt(0, y, y % 2 ? L"abcdefghijklmnopq" : L"abcdefghi\u4e2d\u4e2dxyz", 0x07);
    view().ClearRecords();
    console->ScrollUp(10, 2, 20, 6, 1, 0x07);   // its left edge splits the first wide character
    console->ScrollDown(0, 2, 11, 6, 1, 0x07);  // its right edge splits it again
    EXPECT_EQ(view().ShownMismatches(), 0);
}

TEST_F(ConsoleOutput, ScrollEdgeCases) {
    for (int y = 0; y < 25; y++) console->PutStringAt(0, y, L"row", 0x07);
    view().ClearRecords();
    console->ScrollUp(0, 0, 80, 3, 0, 0x07);   // no lines: nothing
    console->ScrollUp(0, 0, 80, 3, -2, 0x07);  // negative: nothing
    EXPECT_EQ(view().PaintCount(), 0);
    console->ScrollUp(0, 0, 80, 3, 7, 0x07);  // more lines than rows: all cleared, no pixels moved
    EXPECT_EQ(texts({0, 2, 3}), (Texts{"", "", "row"}));
    EXPECT_TRUE(view().Scrolls().empty());
    console->ScrollDown(70, 20, 30, 30, 1, 0x07);  // clipped to the screen
    EXPECT_EQ(view().ShownMismatches(), 0);
    // A visible cursor is erased before the pixels move, never carried up.
    console->SetCursorType(15);
    console->SetCursorPos(3, 4);
    ASSERT_TRUE(view().Shown(3, 4).cursor);
    view().ClearRecords();
    console->ScrollUp(0, 0, 80, 10, 1, 0x07);
    auto paints = view().Paints();
    ASSERT_GE(paints.size(), 2u);
    EXPECT_EQ(paints[0], (PaintRect{3, 4, 4, 5}));
    EXPECT_FALSE(view().Shown(3, 3).cursor);
    EXPECT_FALSE(view().Shown(3, 4).cursor);
}

TEST_F(SmallConsole, WriteTabsControlsAndBackspaces) {
    console->Write("ab\tc");
    EXPECT_EQ(row(0), "ab      c ");
    EXPECT_EQ(cursor(), std::make_pair(9, 0));
    EXPECT_EQ(console->cell(0, 0).attr, console->GetAttr());
    console->SetAttr(0x1E);
    console->Write("\rhello\rj");
    EXPECT_EQ(row(0), "jello   c ");
    console->Write("\b\b\b");  // stops at column 0
    EXPECT_EQ(cursor().first, 0);
    console->Write("\nnext");
    EXPECT_EQ(row(1), "next      ");
    EXPECT_EQ(console->cell(0, 1).attr, 0x1E);
    console->Write("\x01\x7f\xc2\x9b!");  // controls, DEL and a C1 control are dropped
    EXPECT_EQ(row(1), "next!     ");
    EXPECT_EQ(view().ShownMismatches(), 0);
}

TEST_F(SmallConsole, WriteWrapsAndScrollsIntoTheScrollBack) {
    scrolled.clear();
    console_hooks.scrolled_off = keep_scrolled;
    console->Write("0123456789abc");  // wraps after ten columns
    EXPECT_EQ(texts({0, 1}), (Texts{"0123456789", "abc"}));
    console->Write("\nline2\n0123456789");  // filling the last row wraps only with the next character
    EXPECT_EQ(texts({0, 3}), (Texts{"0123456789", "0123456789"}));
    EXPECT_EQ(cursor(), std::make_pair(10, 3));
    EXPECT_TRUE(scrolled.empty());
    console->Write("!");
    EXPECT_EQ(scrolled, (std::vector<std::string>{"0123456789"}));
    EXPECT_EQ(texts({0, 2, 3}), (Texts{"abc", "0123456789", "!"}));
    console_hooks.scrolled_off = nullptr;
    EXPECT_EQ(view().ShownMismatches(), 0);
}

TEST_F(SmallConsole, WriteWideCharactersAndBadInput) {
    console->Write("\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80");  // e-acute, euro, an emoji
    EXPECT_EQ(std::vector<wchar_t>({console->cell(0, 0).ch, console->cell(1, 0).ch, console->cell(2, 0).ch}),
              std::vector<wchar_t>({0xE9, 0x20AC, 0x1F600}));
    console->Write(nullptr);
    console->Write("\xff\xfe\xc3");  // invalid UTF-8 never writes past the screen
    console->SetCursorPos(500, 500);  // a cursor off the screen is brought back
    console->Write("z");
    EXPECT_LE(cursor().first, 10);
    EXPECT_LT(cursor().second, 4);
    std::string big((1 << 20) + 100, 'q');  // far more than a screen
    big[1000] = '\n';
    console->Write(big.c_str());
    EXPECT_EQ(row(3).substr(0, 3), "qqq");
    EXPECT_EQ(view().ShownMismatches(), 0);
}

TEST_F(SmallConsole, WideCharactersTakeTwoCellsAndStayWhole) {
    console->PutStringAt(0, 0, L"\u65E5\u672Cab", 0x07);
    EXPECT_EQ(row(0), "\u65E5\u672Cab    ");  // six cells, then the blanks
    EXPECT_TRUE(is_wide_tail(console->cell(1, 0)));
    console->PutStringAt(1, 0, L"x", 0x07);  // over the tail of the first
    EXPECT_EQ(row(0), " x\u672Cab    ");
    console->PutStringAt(2, 0, L"y", 0x07);  // over the second character itself
    EXPECT_EQ(row(0), " xy ab    ");
    console->PutStringAt(9, 1, L"\u65E5", 0x07);  // no room for its tail: a blank
    EXPECT_EQ(row(1), "          ");
    console->PutStringAt(-1, 2, L"\u65E5z", 0x07);  // its first half off the screen
    EXPECT_EQ(row(2), " z        ");
    EXPECT_EQ(view().ShownMismatches(), 0);

    console->Clear();
    console->SetCursorPos(0, 0);
    console->Write("12345678\xe6\x97\xa5\xe6\x9c\xac");  // the second one wraps whole
    EXPECT_EQ(texts({0, 1}), (Texts{"12345678\u65E5", "\u672C"}));
    console->Write("e\xcc\x81");  // a mark joins the character before it
    EXPECT_EQ(text(1), "\u672C\u00E9");
    EXPECT_EQ(cursor(), std::make_pair(3, 1));
    // A scrolled or cleared rectangle cutting through a character blanks its other half.
    console->PutStringAt(0, 3, L"a\u65E5b", 0x07);
    console->Clear(2, 3, 5, 1, 0x07);
    EXPECT_EQ(row(3), "a         ");
    EXPECT_EQ(view().ShownMismatches(), 0);
}

TEST(ConsoleWindow, BreakOnlyWhileAnOperationRuns) {
    CHeadlessConsole hc;
    console->BreakHandler();
    EXPECT_EQ(break_status, 0);
    break_status = 1;
    hc.Press(keysym::Break);
    EXPECT_EQ(break_status, 2);
    EXPECT_EQ(console->GetEventQueueLen(), 0);  // nothing else happens
    break_status = 0;
}

TEST(ConsoleThreads, BlinkingAndReadingWhileTheProgramWrites) {
    CHeadlessConsole hc(40, 10);
    console->SetCursorType(15);
    std::atomic<bool> done{false};
    // The cursor thread and a test thread reading the view's records.
    std::thread blinker([&] {
        while (!done) {
            console->AdvanceBlink();
            std::this_thread::yield();
        }
    });
    std::thread reader([&] {
        while (!done) {
            hc.View().PaintCount();
            hc.View().Paints();
            hc.View().Shown(1, 1);
        }
    });
    for (int i = 0; i < 2000; i++) {
        console->PutStringAt(i % 30, i % 10, L"text", static_cast<unsigned char>(i));
        if (i % 100 == 0) console->Write("line\n");
        console->SetCursorPos(i % 40, i % 10);
    }
    done = true;
    blinker.join();
    reader.join();
    EXPECT_EQ(hc.View().ShownMismatches(), 0);
}
