// List boxes driven through the event queue: cursor keys, pages, the
// incremental search, menus, the mouse and messages.
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

    struct Outcome { int result; int selected; int top; };

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

TEST_F(ListBoxTest, CursorKeysPagesAndEnter) {
    struct { const char* keys; int start, selected, top; int count = 10; } cases[] = {
        {"Up Enter", 0, 0, 0},                        // not past the first item
        {"Down Down Down Down Down Enter", 0, 5, 2},  // the view scrolls just enough
        {"End Down Enter", 0, 9, 6},                  // the view ends with the last item
        {"Down PgDn Enter", 0, 5, 4},  // the view moves a page, the cursor keeps its line
        {"Down PgDn PgDn Enter", 0, 9, 8},  // the cursor's line is past the last item
        {"End PgUp PgUp Enter", 0, 0, 0},   // less than a page from the start
        {"Enter", 42, 9, 6},                // a selection past the items is clamped
        {"Enter", -3, 0, 0},
        {"PgDn Enter", 0, 2, 0, 3},  // a short list: PgDn selects the last item
        {"Down End PgDn PgUp Home Up a Enter", 0, 0, 0, 0},  // an empty list takes every key
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.keys << " from " << c.start << " of " << c.count);
        Outcome o = Run(kTen, c.count, c.keys, c.start);
        EXPECT_EQ(std::vector<int>({o.selected, o.top, o.result}), std::vector<int>({c.selected, c.top, 13}));
    }
    EXPECT_EQ(Run(nullptr, 5, "Down Enter").selected, 0);
    EXPECT_EQ(Run(kTen, 10, "Down Enter", 0, 42).result, 42);  // the list's own result instead of 13
}

TEST_F(ListBoxTest, AMenuEndsOnAnyKeyItDoesNotHandle) {
    struct { const char* keys; int result, selected; } cases[] = {
        {"Down x", 'x', 1}, {"Down Down F5", KEY_F5, 2}, {"Esc", 27, 0}, {"End Enter", 13, 9},
    };
    for (auto c : cases) {
        Outcome o = Run(kTen, 10, c.keys, 0, -1);
        EXPECT_EQ(std::make_pair(o.result, o.selected), std::make_pair(c.result, c.selected)) << c.keys;
    }
}

TEST_F(ListBoxTest, IncrementalSearch) {
    struct { const char* keys; int start, selected; } cases[] = {
        {"b l Enter", 0, 2},
        {"b l x u Enter", 0, 2},  // no match: the character is dropped, the search goes on
        {"c r Enter", 0, 4},      // ignoring case
        {"a Enter", 4, 0},         // from the current item, wrapping
        {"b Down b Enter", 0, 2},  // Down clears the search: b starts again at blueberry
    };
    for (auto c : cases) EXPECT_EQ(Run(kFruit, 5, c.keys, c.start).selected, c.selected) << c.keys << " from " << c.start;
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
}

TEST_F(ListBoxTest, HoldingTheButtonNextToTheBoxScrolls) {
    // Held below the box with nothing else queued, it scrolls to the end.
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
        EXPECT_EQ(ui.Text(kBoxX, kBoxY + 1, 6), "item 2");
        EXPECT_EQ(ui.Text(kBoxX, kBoxY + 2, 6), "      ");
        message.type = Event::SetCount;
        message.key = -4;
        d.SendMessage(index, message);
        EXPECT_EQ(ui.Text(kBoxX, kBoxY, 6), "      ");
    });
}

}  // namespace
