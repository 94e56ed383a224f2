// List boxes driven through the event queue: cursor keys, pages, the
// incremental search, menus, the mouse, messages and the colour selector.
#include <string>
#include <vector>

#include "console/keys.h"
#include "tests/console/ui_fixture.h"

namespace {

const char* const kTen[] = {"item 0", "item 1", "item 2", "item 3", "item 4",
                            "item 5", "item 6", "item 7", "item 8", "item 9"};
const char* const kFruit[] = {"apple", "banana", "blueberry", "cherry", "Cranberry"};

class ListBoxTest : public UiFixture {
protected:
    // The list box sits at (1, 1), 12 wide and 4 high: screen columns 22-33, rows 9-12.
    static constexpr int kBoxX = kLeft + 1, kBoxY = kTop + 1;

    struct Outcome {
        int result;
        int selected;
        int top;
    };

    // Runs a dialog with one list box (and OK/Cancel unless a menu) after queueing keys.
    Outcome Run(const char* const* items, int count, const char* keys, int selected = 0, int own_result = 0) {
        Outcome out{};
        if (*keys) ui.Keys(keys);
        out.result = ui.Run([&] {
            Dialog d(-1, -2, 40, 10, kMessages);
            int index = d.AddListBox(1, 1, 1, 12, 4, items, count, selected, own_result);
            if (own_result != -1) d.AddOkCancel(-1, -1, 1);
            int r = d.Process();
            out.top = static_cast<ListBoxBase*>(d.element(index))->top();
            return r;
        });
        out.selected = selected;
        return out;
    }
};

TEST_F(ListBoxTest, CursorKeysAndPages) {
    struct {
        const char* keys;
        int start, selected, top;
        int count = 10;
    } cases[] = {
        {"Enter", 0, 0, 0}, {"Up Enter", 0, 0, 0},  // not past the first item
        {"Down Down Down Enter", 0, 3, 0},
        {"Down Down Down Down Down Enter", 0, 5, 2},  // the view scrolls just enough
        {"End Enter", 0, 9, 6},                       // the view ends with the last item
        {"End Down Enter", 0, 9, 6}, {"End Home Enter", 0, 0, 0},
        {"PgDn Enter", 0, 4, 4},  // the view moves a page, the cursor keeps its line
        {"Down PgDn Enter", 0, 5, 4}, {"PgDn PgDn Enter", 0, 8, 8},
        {"PgDn PgDn PgDn Enter", 0, 9, 8},  // nothing after the view: the last item
        {"Down PgDn PgDn Enter", 0, 9, 8},  // the cursor's line is past the last item
        {"End PgUp Enter", 0, 5, 2},
        {"End PgUp PgUp Enter", 0, 0, 0},  // less than a page from the start
        {"PgUp Enter", 5, 0, 0},           // starting at 5 the view is 2..5: to the first
        {"Enter", 42, 9, 6},               // a selection past the items is clamped
        {"Enter", -3, 0, 0},
        {"PgDn Enter", 0, 2, 0, 3},  // a short list: PgDn selects the last item
        {"PgDn PgUp Enter", 0, 0, 0, 3},
        {"Down End PgDn PgUp Home Up a Enter", 0, 0, 0, 0},  // an empty list takes every key
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.keys << " from " << c.start << " of " << c.count);
        Outcome o = Run(kTen, c.count, c.keys, c.start);
        EXPECT_EQ(std::vector<int>({o.selected, o.top, o.result}), std::vector<int>({c.selected, c.top, 13}));
    }
    EXPECT_EQ(Run(nullptr, 5, "Down Enter").selected, 0);
}

TEST_F(ListBoxTest, DrawingColoursAndBlankLines) {
    ui.RecordScreens(true);
    int selected = 0;
    static const char* const items[] = {"short", "a rather long item text"};
    RunDialog("Down Tab Esc", [&](Dialog& d) {
        d.AddListBox(1, 1, 1, 12, 4, items, 2, selected);
        d.AddOkCancel(-1, -1, 1);
    });
    ASSERT_EQ(ui.Screens().size(), 3u);
    const CUiTest::Screen& focused = ui.Screens()[1];
    // Cut to the width; past the last item: blank.
    EXPECT_EQ(TextsAt(focused, kBoxX, kBoxY, 12, 3),
              (std::vector<std::string>{"short       ", "a rather lon", std::string(12, ' ')}));
    const int menu = colours[CLR_MENU];
    EXPECT_EQ(std::vector<int>({focused.Attr(kBoxX, kBoxY), focused.Attr(kBoxX, kBoxY + 1), focused.Attr(kBoxX, kBoxY + 3),
                                ui.Screens()[2].Attr(kBoxX, kBoxY + 1)}),  // the last unfocused
              std::vector<int>({menu, colours[CLR_MENU_HIGHLIGHT], menu, menu}));
}

TEST_F(ListBoxTest, EnterGivesTheOwnResultOrTheDefault) {
    EXPECT_EQ(Run(kTen, 10, "Down Enter", 0, 42).result, 42);
    EXPECT_EQ(Run(kTen, 10, "Down Enter", 0, 0).result, 13);
    static const Dialog::ButtonDef buttons[] = {{'v', "_View"}, {'e', "_Edit"}, {0, nullptr}};
    int selected = 0;
    EXPECT_EQ(RunDialog("Down Enter", [&](Dialog& d) {
        d.AddListBox(1, 1, 1, 12, 4, kTen, 10, selected);
        d.AddPushButtonGroup(-1, -1, 1, buttons);
    }), 'v');
    EXPECT_EQ(selected, 1);
}

TEST_F(ListBoxTest, AMenuEndsOnAnyKeyItDoesNotHandle) {
    struct {
        const char* keys;
        int result, selected;
    } cases[] = {
        {"Down x", 'x', 1}, {"Down Down F5", KEY_F5, 2}, {"Esc", 27, 0},
        {"Tab", KEY_TAB, 0}, {"End Enter", 13, 9},   {"Alt-x", 0x1002D, 0},
    };
    for (auto c : cases) {
        Outcome o = Run(kTen, 10, c.keys, 0, -1);
        EXPECT_EQ(std::make_pair(o.result, o.selected), std::make_pair(c.result, c.selected)) << c.keys;
    }
}

TEST_F(ListBoxTest, IncrementalSearch) {
    struct {
        const char* keys;
        int start, selected;
    } cases[] = {
        {"b Enter", 0, 1}, {"b l Enter", 0, 2},
        {"b l x Enter", 0, 2},    // no match: the character is dropped, the choice stays
        {"b l x u Enter", 0, 2},  // and the search goes on without it
        {"c Enter", 0, 3},
        {"c r Enter", 0, 4},  // ignoring case
        {"C Enter", 0, 3},
        {"a Enter", 4, 0},         // from the current item, wrapping
        {"b Enter", 2, 2},         // the current item itself matches first
        {"b Down b Enter", 0, 2},  // Down clears the search: b starts again at blueberry
        {"z Enter", 3, 3},
    };
    for (auto c : cases) EXPECT_EQ(Run(kFruit, 5, c.keys, c.start).selected, c.selected) << c.keys << " from " << c.start;
    // SetSeekValue searches from the program.
    int selected = 0;
    RunDialog("Enter", [&](Dialog& d) {
        int index = d.AddListBox(1, 1, 1, 12, 4, kFruit, 5, selected);
        d.SetSeekValue(index, L"CHER");
        d.SetSeekValue(index, L"nothing");
        d.SetSeekValue(99, L"a");
    });
    EXPECT_EQ(selected, 3);
}

TEST_F(ListBoxTest, TheSearchTextShowsInAPopupUntilAnotherKey) {
    colours[CLR_INPUT_FIELDS] = 0x5E;
    ui.RecordScreens(true);
    int selected = 0;
    RunDialog("b l x Down Esc", [&](Dialog& d) { d.AddListBox(1, 1, 1, 12, 4, kFruit, 5, selected); });
    const std::vector<CUiTest::Screen>& s = ui.Screens();
    ASSERT_EQ(s.size(), 5u);
    // On the bottom frame row (16), ending two columns before the corner (59).
    const std::string frame = s[0].Text(20, 16, 40);
    EXPECT_EQ(s[1].Text(55, 16, 3), " b ");
    EXPECT_EQ(s[1].Attr(56, 16), 0x5E);
    EXPECT_EQ(s[2].Text(54, 16, 4), " bl ");
    EXPECT_EQ(s[3].Text(54, 16, 4), " bl ");  // x found nothing
    EXPECT_EQ(s[4].Text(20, 16, 40), frame);  // Down: the popup is gone
}

TEST_F(ListBoxTest, MouseClicksAndDoubleClicks) {
    ui.Click(kBoxX + 3, kBoxY + 2);
    EXPECT_EQ(Run(kTen, 10, "Enter").selected, 2);
    ui.Click(kBoxX + 3, kBoxY + 3);  // below the last item: the choice stays
    EXPECT_EQ(Run(kTen, 2, "Enter", 1).selected, 1);
    ui.DoubleClick(kBoxX, kBoxY + 1);
    Outcome o = Run(kTen, 10, "", 0, 77);
    EXPECT_EQ(std::make_pair(o.result, o.selected), std::make_pair(77, 1));
    ui.ClearQueue();  // the double click's last release
    ui.Click(kBoxX + 11, kBoxY + 3);  // a menu ends when the button comes up on an item
    o = Run(kTen, 10, "", 0, -1);
    EXPECT_EQ(std::make_pair(o.result, o.selected), std::make_pair(13, 3));
    // A click focuses the list box.
    Westring text;
    int selected = 0;
    ui.Click(kBoxX + 1, kBoxY + 2);
    RunDialog("Down Enter", [&](Dialog& d) {
        d.AddStringField(1, 0, 1, text, 10);
        d.AddListBox(1, 1, 1, 12, 4, kTen, 10, selected);
    });
    EXPECT_EQ(std::make_pair(selected, text.empty()), std::make_pair(3, true));
}

TEST_F(ListBoxTest, HoldingTheButtonNextToTheBoxScrolls) {
    struct {
        int x, y, start, selected, top;
    } cases[] = {
        {kBoxX + 2, kBoxY + 4, 3, 4, 1},   // below the box: one step, the release stops it
        {kBoxX + 2, kBoxY - 1, 3, 2, 0},   // above the box
        {kBoxX + 2, kBoxY - 1, 0, 0, 0},   // already at the first item
        {kBoxX + 20, kBoxY + 4, 3, 3, 0},  // beside the box's columns: nothing
    };
    for (auto c : cases) {
        ui.ButtonDown(c.x, c.y);
        ui.ButtonUp(c.x, c.y);
        Outcome o = Run(kTen, 10, "Enter", c.start);
        EXPECT_EQ(std::make_pair(o.selected, o.top), std::make_pair(c.selected, c.top))
            << c.x << "," << c.y << " from " << c.start;
    }
    // Held with nothing else queued, it scrolls to the end.
    ui.ButtonDown(kBoxX + 2, kBoxY + 4);
    ui.AllowIdle(true);  // polls with Process(0)
    int selected = 0;
    ui.Run([&] {
        Dialog d(-1, -2, 40, 10, kMessages);
        d.AddListBox(1, 1, 1, 12, 4, kTen, 10, selected);
        d.AddExitKey(KEY_F10);
        // The release arrives only after the box has reached its end.
        while (d.Process(0) == 0 && selected < 9) {
        }
        ui.Keys("F10");
        return d.Process();
    });
    EXPECT_EQ(selected, 9);
}

TEST_F(ListBoxTest, CountAndRedrawMessages) {
    int selected = 4;
    RunDialog("Esc", [&](Dialog& d) {
        int index = d.AddListBox(1, 1, 1, 12, 4, kTen, 10, selected);
        Event message;
        message.type = Event::SetCount;
        message.key = 3;
        EXPECT_EQ(d.SendMessage(index, message), 1);
        EXPECT_EQ(selected, 2);  // clamped to the new count; the view still starts at 1
        EXPECT_EQ(TextsAt(ui, kBoxX, kBoxY + 1, 6, 2), (std::vector<std::string>{"item 2", "      "}));
        console->PutStringAt(kBoxX, kBoxY, L"garbage", 0x07);
        message.type = Event::Redraw;
        EXPECT_EQ(d.SendMessage(index, message), 1);
        EXPECT_EQ(ui.Text(kBoxX, kBoxY, 6), "item 1");
        message.type = Event::SetCount;
        message.key = -4;
        d.SendMessage(index, message);
        EXPECT_EQ(ui.Text(kBoxX, kBoxY, 6), "      ");
    });
}

TEST_F(ListBoxTest, StoresOfNarrowAndWideStrings) {
    EstringStore narrow;
    narrow.Add("één");
    narrow.Add("twee");
    WestringStore wide;
    for (const wchar_t* w : {L"ein", L"zwei", L"drei"}) wide.Add(w);
    int a = 0, b = 0;
    RunDialog("t Tab End Enter", [&](Dialog& d) {
        d.AddListBox(1, 1, 1, 12, 4, narrow, a);
        d.AddListBox(20, 1, 1, 12, 4, wide, b);
        EXPECT_EQ(ui.Text(kBoxX, kBoxY, 4), "één ");
        EXPECT_EQ(ui.Text(kLeft + 20, kBoxY + 2, 4), "drei");
    });
    EXPECT_EQ(std::make_pair(a, b), std::make_pair(1, 2));
}

TEST_F(ListBoxTest, ColourSelectorStepsColoursAndMarksTheCurrentLine) {
    unsigned char attrs[] = {0x1B, 0x30, 0x07};
    const char* const names[] = {"First", "Second", "Third"};
    int selected = 0;
    ui.RecordScreens(true);
    RunDialog("f Down B B s Esc", [&](Dialog& d) { d.AddColourSelector(1, 1, 1, 12, 4, names, attrs, 3, selected, 0); });
    EXPECT_EQ(std::vector<int>(attrs, attrs + 3), std::vector<int>({0x1C, 0x10, 0x07}));
    EXPECT_EQ(selected, 1);  // s found Second, the current line
    const CUiTest::Screen& last = ui.Screens().back();
    EXPECT_EQ(TextsAt(last, kBoxX, kBoxY, 12, 4),
              (std::vector<std::string>{" First      ", ">Second    <", " Third      ", "            "}));
    EXPECT_EQ(std::vector<int>({last.Attr(kBoxX + 1, kBoxY), last.Attr(kBoxX + 1, kBoxY + 1), last.Attr(kBoxX, kBoxY + 1)}),
              std::vector<int>({0x1C, 0x10, kMessages}));
}

}  // namespace
