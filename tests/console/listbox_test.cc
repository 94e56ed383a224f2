// List boxes driven through the event queue: cursor keys, pages, the
// incremental search, menus, the mouse, messages and the colour selector.
#include <string>
#include <vector>

#include "console/keys.h"
#include "tests/console/ui_fixture.h"

namespace {

// Dialogs 40 x 10, centred: inner origin (21, 8). The list box sits at
// (1, 1), 12 wide and 4 high: screen columns 22-33, rows 9-12.
constexpr int kLeft = 21, kTop = 8;
constexpr int kBoxX = kLeft + 1, kBoxY = kTop + 1;

const char* const kTen[] = {"item 0", "item 1", "item 2", "item 3", "item 4",
                            "item 5", "item 6", "item 7", "item 8", "item 9"};
const char* const kFruit[] = {"apple", "banana", "blueberry", "cherry", "Cranberry"};

class ListBoxTest : public UiFixture {
protected:
    struct Outcome {
        int result;
        int selected;
        int top;
    };

    // Runs a dialog with one list box (and OK/Cancel unless menu) after queueing keys.
    Outcome Run(const char* const* items, int count, const char* keys, int selected = 0, int own_result = 0,
                int height = 4) {
        ui.Keys(keys);
        Outcome out{};
        out.result = ui.Run([&] {
            Dialog d(-1, -2, 40, 10, kMessages);
            int index = d.AddListBox(1, 1, 1, 12, height, items, count, selected, own_result);
            if (own_result != -1) d.AddOkCancel(-1, -1, 1);
            int r = d.Process();
            out.top = static_cast<ListBoxBase*>(d.element(index))->top();
            return r;
        });
        out.selected = selected;
        return out;
    }
};

struct MoveCase {
    const char* keys;
    int start;
    int selected, top;
};

TEST_F(ListBoxTest, CursorKeysAndPages) {
    const MoveCase cases[] = {
        {"Enter", 0, 0, 0},
        {"Up Enter", 0, 0, 0},                     // not past the first item
        {"Down Down Down Enter", 0, 3, 0},
        {"Down Down Down Down Down Enter", 0, 5, 2},  // the view scrolls just enough
        {"End Enter", 0, 9, 6},                    // the view ends with the last item
        {"End Down Enter", 0, 9, 6},
        {"End Home Enter", 0, 0, 0},
        {"PgDn Enter", 0, 4, 4},                   // the view moves a page, the cursor keeps its line
        {"Down PgDn Enter", 0, 5, 4},
        {"PgDn PgDn Enter", 0, 8, 8},
        {"PgDn PgDn PgDn Enter", 0, 9, 8},         // nothing after the view: the last item
        {"Down PgDn PgDn Enter", 0, 9, 8},         // the cursor's line is past the last item
        {"End PgUp Enter", 0, 5, 2},
        {"End PgUp PgUp Enter", 0, 0, 0},          // less than a page from the start
        {"PgUp Enter", 5, 0, 0},                   // starting at 5 the view is 2..5: to the first
        {"Enter", 42, 9, 6},                       // a selection past the items is clamped
        {"Enter", -3, 0, 0},
    };
    for (const MoveCase& c : cases) {
        Outcome o = Run(kTen, 10, c.keys, c.start);
        EXPECT_EQ(o.selected, c.selected) << c.keys << " from " << c.start;
        EXPECT_EQ(o.top, c.top) << c.keys << " from " << c.start;
        EXPECT_EQ(o.result, 13) << c.keys;
    }
}

TEST_F(ListBoxTest, PgDnInAShortListSelectsTheLastItem) {
    Outcome o = Run(kTen, 3, "PgDn Enter");
    EXPECT_EQ(o.selected, 2);
    o = Run(kTen, 3, "PgDn PgUp Enter");
    EXPECT_EQ(o.selected, 0);
}

TEST_F(ListBoxTest, AnEmptyListTakesEveryKey) {
    Outcome o = Run(kTen, 0, "Down End PgDn PgUp Home Up a Enter");
    EXPECT_EQ(o.result, 13);
    EXPECT_EQ(o.selected, 0);
    o = Run(nullptr, 5, "Down Enter");
    EXPECT_EQ(o.selected, 0);
}

TEST_F(ListBoxTest, DrawingColoursAndBlankLines) {
    ui.RecordScreens(true);
    ui.Keys("Down Tab Esc");
    ui.Run([] {
        Dialog d(-1, -2, 40, 10, kMessages);
        int selected = 0;
        static const char* const items[] = {"short", "a rather long item text"};
        d.AddListBox(1, 1, 1, 12, 4, items, 2, selected);
        d.AddOkCancel(-1, -1, 1);
        return d.Process();
    });
    ASSERT_EQ(ui.Screens().size(), 3u);
    const CUiTest::Screen& focused = ui.Screens()[1];
    EXPECT_EQ(focused.Text(kBoxX, kBoxY, 12), "short       ");
    EXPECT_EQ(focused.Text(kBoxX, kBoxY + 1, 12), "a rather lon");  // cut to the width
    EXPECT_EQ(focused.Text(kBoxX, kBoxY + 2, 12), std::string(12, ' '));  // past the last item: blank
    EXPECT_EQ(focused.Attr(kBoxX, kBoxY), colours[CLR_MENU]);
    EXPECT_EQ(focused.Attr(kBoxX, kBoxY + 1), colours[CLR_MENU_HIGHLIGHT]);
    EXPECT_EQ(focused.Attr(kBoxX, kBoxY + 3), colours[CLR_MENU]);
    const CUiTest::Screen& unfocused = ui.Screens()[2];
    EXPECT_EQ(unfocused.Attr(kBoxX, kBoxY + 1), colours[CLR_MENU]);
}

TEST_F(ListBoxTest, EnterGivesTheOwnResultOrTheDefault) {
    EXPECT_EQ(Run(kTen, 10, "Down Enter", 0, 42).result, 42);
    EXPECT_EQ(Run(kTen, 10, "Down Enter", 0, 0).result, 13);
    static const Dialog::ButtonDef buttons[] = {{'v', "_View"}, {'e', "_Edit"}, {0, nullptr}};
    int selected = 0;
    ui.Keys("Down Enter");
    EXPECT_EQ(ui.Run([&] {
        Dialog d(-1, -2, 40, 10, kMessages);
        d.AddListBox(1, 1, 1, 12, 4, kTen, 10, selected);
        d.AddPushButtonGroup(-1, -1, 1, buttons);
        return d.Process();
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
        EXPECT_EQ(o.result, c.result) << c.keys;
        EXPECT_EQ(o.selected, c.selected) << c.keys;
    }
}

TEST_F(ListBoxTest, IncrementalSearch) {
    struct {
        const char* keys;
        int start;
        int selected;
    } cases[] = {
        {"b Enter", 0, 1},
        {"b l Enter", 0, 2},
        {"b l x Enter", 0, 2},          // no match: the character is dropped, the choice stays
        {"b l x u Enter", 0, 2},        // and the search goes on without it
        {"c Enter", 0, 3},
        {"c r Enter", 0, 4},            // ignoring case
        {"C Enter", 0, 3},
        {"a Enter", 4, 0},              // from the current item, wrapping
        {"b Enter", 2, 2},              // the current item itself matches first
        {"b Down b Enter", 0, 2},       // Down clears the search: b starts again at blueberry
        {"z Enter", 3, 3},
    };
    for (auto c : cases) {
        Outcome o = Run(kFruit, 5, c.keys, c.start);
        EXPECT_EQ(o.selected, c.selected) << c.keys << " from " << c.start;
    }
}

TEST_F(ListBoxTest, TheSearchTextShowsInAPopupUntilAnotherKey) {
    colours[CLR_INPUT_FIELDS] = 0x5E;
    ui.RecordScreens(true);
    ui.Keys("b l x Down Esc");
    ui.Run([] {
        Dialog d(-1, -2, 40, 10, kMessages);
        int selected = 0;
        d.AddListBox(1, 1, 1, 12, 4, kFruit, 5, selected);
        return d.Process();
    });
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

TEST_F(ListBoxTest, SetSeekValueSearchesFromTheProgram) {
    int selected = 0;
    ui.Keys("Enter");
    ui.Run([&] {
        Dialog d(-1, -2, 40, 10, kMessages);
        int index = d.AddListBox(1, 1, 1, 12, 4, kFruit, 5, selected);
        d.SetSeekValue(index, L"CHER");
        d.SetSeekValue(index, L"nothing");
        d.SetSeekValue(99, L"a");
        return d.Process();
    });
    EXPECT_EQ(selected, 3);
}

TEST_F(ListBoxTest, MouseClicksAndDoubleClicks) {
    ui.Click(kBoxX + 3, kBoxY + 2);
    ui.Keys("Enter");
    EXPECT_EQ(Run(kTen, 10, "").selected, 2);
    ui.Click(kBoxX + 3, kBoxY + 3);  // below the last item: the choice stays
    ui.Keys("Enter");
    EXPECT_EQ(Run(kTen, 2, "", 1).selected, 1);
    ui.DoubleClick(kBoxX, kBoxY + 1);
    Outcome o = Run(kTen, 10, "", 0, 77);
    EXPECT_EQ(o.result, 77);
    EXPECT_EQ(o.selected, 1);
    ui.ClearQueue();  // the double click's last release
    ui.Click(kBoxX + 11, kBoxY + 3);  // a menu ends when the button comes up on an item
    o = Run(kTen, 10, "", 0, -1);
    EXPECT_EQ(o.result, 13);
    EXPECT_EQ(o.selected, 3);
}

TEST_F(ListBoxTest, AClickFocusesTheListBox) {
    Westring text;
    int selected = 0;
    ui.Click(kBoxX + 1, kBoxY + 2);
    ui.Keys("Down Enter");
    ui.Run([&] {
        Dialog d(-1, -2, 40, 10, kMessages);
        d.AddStringField(1, 0, 1, text, 10);
        d.AddListBox(1, 1, 1, 12, 4, kTen, 10, selected);
        return d.Process();
    });
    EXPECT_EQ(selected, 3);
    EXPECT_TRUE(text.empty());
}

TEST_F(ListBoxTest, HoldingTheButtonNextToTheBoxScrolls) {
    // Below the box: one step, then the next event (the release) stops it.
    ui.ButtonDown(kBoxX + 2, kBoxY + 4);
    ui.ButtonUp(kBoxX + 2, kBoxY + 4);
    ui.Keys("Enter");
    Outcome o = Run(kTen, 10, "", 3);
    EXPECT_EQ(o.selected, 4);
    EXPECT_EQ(o.top, 1);
    ui.ButtonDown(kBoxX + 2, kBoxY - 1);  // above the box
    ui.ButtonUp(kBoxX + 2, kBoxY - 1);
    ui.Keys("Enter");
    EXPECT_EQ(Run(kTen, 10, "", 3).selected, 2);
    ui.ButtonDown(kBoxX + 2, kBoxY - 1);  // already at the first item
    ui.ButtonUp(kBoxX + 2, kBoxY - 1);
    ui.Keys("Enter");
    EXPECT_EQ(Run(kTen, 10, "", 0).selected, 0);
    ui.ButtonDown(kBoxX + 20, kBoxY + 4);  // beside the box's columns: nothing
    ui.ButtonUp(kBoxX + 20, kBoxY + 4);
    ui.Keys("Enter");
    EXPECT_EQ(Run(kTen, 10, "", 3).selected, 3);
}

TEST_F(ListBoxTest, HeldWithNothingElseQueuedItScrollsToTheEnd) {
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
    ui.RecordScreens(true);
    ui.Keys("Esc");
    ui.Run([&] {
        Dialog d(-1, -2, 40, 10, kMessages);
        int index = d.AddListBox(1, 1, 1, 12, 4, kTen, 10, selected);
        Event shrink;
        shrink.type = Event::SetCount;
        shrink.key = 3;
        EXPECT_EQ(d.SendMessage(index, shrink), 1);
        EXPECT_EQ(selected, 2);  // clamped to the new count; the view still starts at 1
        EXPECT_EQ(ui.Text(kBoxX, kBoxY + 1, 6), "item 2");
        EXPECT_EQ(ui.Text(kBoxX, kBoxY + 2, 6), "      ");
        console->PutStringAt(kBoxX, kBoxY, L"garbage", 0x07);
        Event redraw;
        redraw.type = Event::Redraw;
        EXPECT_EQ(d.SendMessage(index, redraw), 1);
        EXPECT_EQ(ui.Text(kBoxX, kBoxY, 6), "item 1");
        Event negative;
        negative.type = Event::SetCount;
        negative.key = -4;
        d.SendMessage(index, negative);
        EXPECT_EQ(ui.Text(kBoxX, kBoxY, 6), "      ");
        return d.Process();
    });
}

TEST_F(ListBoxTest, StoresOfNarrowAndWideStrings) {
    EstringStore narrow;
    narrow.Add("één");
    narrow.Add("twee");
    WestringStore wide;
    wide.Add(L"ein");
    wide.Add(L"zwei");
    wide.Add(L"drei");
    int a = 0, b = 0;
    ui.Keys("t Tab End Enter");
    ui.Run([&] {
        Dialog d(-1, -2, 40, 10, kMessages);
        d.AddListBox(1, 1, 1, 12, 4, narrow, a);
        d.AddListBox(20, 1, 1, 12, 4, wide, b);
        EXPECT_EQ(ui.Text(kBoxX, kBoxY, 4), "één ");
        EXPECT_EQ(ui.Text(kLeft + 20, kBoxY + 2, 4), "drei");
        return d.Process();
    });
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 2);
}

TEST_F(ListBoxTest, ColourSelectorStepsColoursAndMarksTheCurrentLine) {
    unsigned char attrs[] = {0x1B, 0x30, 0x07};
    const char* const names[] = {"First", "Second", "Third"};
    int selected = 0;
    ui.RecordScreens(true);
    ui.Keys("f Down B B s Esc");
    ui.Run([&] {
        Dialog d(-1, -2, 40, 10, kMessages);
        d.AddColourSelector(1, 1, 1, 12, 4, names, attrs, 3, selected, 0);
        return d.Process();
    });
    EXPECT_EQ(attrs[0], 0x1C);
    EXPECT_EQ(attrs[1], 0x10);
    EXPECT_EQ(attrs[2], 0x07);
    EXPECT_EQ(selected, 1);  // s found Second, the current line
    const CUiTest::Screen& last = ui.Screens().back();
    EXPECT_EQ(last.Text(kBoxX, kBoxY, 12), " First      ");
    EXPECT_EQ(last.Text(kBoxX, kBoxY + 1, 12), ">Second    <");
    EXPECT_EQ(last.Attr(kBoxX + 1, kBoxY), 0x1C);
    EXPECT_EQ(last.Attr(kBoxX + 1, kBoxY + 1), 0x10);
    EXPECT_EQ(last.Attr(kBoxX, kBoxY + 1), kMessages);
    EXPECT_EQ(last.Text(kBoxX, kBoxY + 3, 12), "            ");
}

}  // namespace
