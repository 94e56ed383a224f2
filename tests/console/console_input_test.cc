// Keys, committed text, the mouse and its selection, as the toolkit thread
// delivers them to the console.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "console/toolkitlock.h"
#include "tests/support/headless_console.h"

namespace {

using TEvent = CConsole::TEvent;
using Rect = CConsole::Rect;

using Edges = std::tuple<int, int, int, int>;  // left, top, right, bottom
Edges EdgesOf(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

// Each event as its type, key and shift, and for the mouse also its cell.
using Fields = std::vector<std::vector<int>>;
Fields FieldsOf(const std::vector<TEvent>& events) {
    Fields out;
    for (const TEvent& e : events)
        out.push_back(e.type == TEvent::Key ? std::vector<int>{e.type, e.key, e.shift}
                                            : std::vector<int>{e.type, e.key, e.x, e.y, e.shift});
    return out;
}
std::vector<int> TypesOf(const std::vector<TEvent>& events) {
    std::vector<int> out;
    for (const TEvent& e : events) out.push_back(e.type);
    return out;
}

class ConsoleInput : public ::testing::Test {
protected:
    ConsoleInput() {
        console->Clear();
        hc.View().ClearRecords();
    }
    std::vector<TEvent> events() { return hc.TakeEvents(); }
    Rect selection() {
        CToolkitLock lock;
        return console->Selection();
    }

    CHeadlessConsole hc;
};

}  // namespace

TEST_F(ConsoleInput, KeyPressesQueueCodesAndRestartTheBlink) {
    console->AdvanceBlink();
    console->AdvanceBlink();
    EXPECT_TRUE(hc.Press(keysym::F5));
    EXPECT_EQ(console->BlinkPhase(), 0);
    hc.Press(keysym::F1, keystate::Shift);
    hc.Press(keysym::F1, keystate::Shift | keystate::Control);
    hc.Press('X', keystate::Alt);
    auto e = events();
    EXPECT_EQ(FieldsOf(e), (Fields{{TEvent::Key, 0x1003F, 0}, {TEvent::Key, 0x30054, TEvent::Shift},
                                   {TEvent::Key, 0x3005E, TEvent::Shift | TEvent::Ctrl},
                                   {TEvent::Key, 0x1002D, TEvent::Alt}}));
    EXPECT_EQ(e.back().unicode, 'x');
    EXPECT_EQ(lastShiftState, TEvent::Alt);
}

// With Shift held the Alt keys give Meta symbols; they are the Alt modifier
// all the same, down and up.
TEST_F(ConsoleInput, AltPressedAfterShiftIsAModifierKey) {
    hc.Press(keysym::Shift_L);
    EXPECT_TRUE(hc.Press(keysym::Meta_L, keystate::Shift));
    EXPECT_EQ(lastShiftState, TEvent::Shift | TEvent::Alt);
    hc.Press(keysym::F1, keystate::Shift | keystate::Alt);
    EXPECT_TRUE(hc.Release(keysym::Meta_R, keystate::Shift | keystate::Alt));
    EXPECT_EQ(FieldsOf(events()), (Fields{{TEvent::Key, KEY_SHIFTSTATE, TEvent::Shift},
                                          {TEvent::Key, KEY_SHIFTSTATE, TEvent::Shift | TEvent::Alt},
                                          {TEvent::Key, KEY_SHIFT_ALT_F1, TEvent::Shift | TEvent::Alt},
                                          {TEvent::Key, KEY_SHIFTSTATE, TEvent::Shift}}));
    EXPECT_EQ(lastShiftState, TEvent::Shift);
}

TEST_F(ConsoleInput, ScrollLockIsTheDesktopsOrCountedFromItsKey) {
    EXPECT_FALSE(console->ScrollLock());
    EXPECT_TRUE(hc.Press(keysym::Scroll_Lock));
    hc.Press(keysym::Scroll_Lock);  // the key held repeats its press
    hc.Release(keysym::Scroll_Lock);
    EXPECT_TRUE(console->ScrollLock());
    hc.Press(keysym::Scroll_Lock);
    hc.Release(keysym::Scroll_Lock);
    EXPECT_FALSE(console->ScrollLock());
    EXPECT_TRUE(events().empty());
    // A desktop that keeps the state decides.
    hc.View().SetScrollLockState(1);
    EXPECT_TRUE(console->ScrollLock());
    console->SwitchNumLockOn();
    EXPECT_EQ(hc.View().NumLockRequests(), 1);
}

TEST_F(ConsoleInput, CommittedTextBecomesCharacterEvents) {
    hc.Commit("\xc3\xa9" "b\xe2\x82\xac");
    auto e = events();
    EXPECT_EQ(FieldsOf(e), (Fields{{TEvent::Key, 0xE9, 0}, {TEvent::Key, 'b', 0}, {TEvent::Key, 0x20AC, 0}}));
    EXPECT_EQ(e[0].unicode, 0xE9);
    hc.Commit("");
    hc.Commit(nullptr);
    EXPECT_TRUE(events().empty());
    hc.Commit("\xff\xfe");  // invalid UTF-8: no crash, whatever it decodes to
    events();

    EXPECT_FALSE(hc.Press('q'));  // the fixture's stand-in input method commits it
    EXPECT_EQ(FieldsOf(events()), (Fields{{TEvent::Key, 'q', 0}}));
}

TEST_F(ConsoleInput, ButtonsBecomeCellEvents) {
    {
        CToolkitLock lock;
        console->OnButtonPress(17, 33, 1, keystate::Control, false);  // pixels to cell (2, 2)
        console->OnButtonRelease(79, 15, 3, 0);                       // (9, 0), right button
        console->OnButtonPress(0, 0, 2, 0, false);                    // middle button
    }
    EXPECT_EQ(FieldsOf(events()), (Fields{{TEvent::ButtonPress, 1, 2, 2, TEvent::Ctrl},
                                          {TEvent::ButtonRelease, 2, 9, 0, 0}, {TEvent::ButtonPress, 3, 0, 0, 0}}));
}

TEST_F(ConsoleInput, ThreeRowSelectionCopiesThreeLines) {
    console->SetSelectionZone(0, 0, 80, 25);
    console->PutStringAt(0, 2, L"ab    and more", 0x07);
    console->PutStringAt(0, 3, L"cd ef   further", 0x07);
    console->PutStringAt(0, 4, L"      ", 0x07);
    hc.ButtonDown(0, 2);  // a press in the zone starts a selection
    hc.Drag(3, 3);
    hc.Drag(5, 4);
    EXPECT_TRUE(events().empty());
    EXPECT_TRUE(hc.View().Shown(5, 4).selected);
    EXPECT_FALSE(hc.View().Shown(6, 4).selected);
    hc.ButtonUp(5, 4);
    EXPECT_TRUE(hc.View().ClipText() == Westring(L"ab\ncd ef\n\n"));
    EXPECT_FALSE(console->SelectionShown());
    EXPECT_FALSE(hc.View().Shown(5, 4).selected);  // repainted plain
    EXPECT_EQ(TypesOf(events()), std::vector<int>{TEvent::ButtonRelease});  // the release still goes to the program
}

TEST_F(ConsoleInput, DraggingMovesTheAnchoredEdges) {
    console->SetSelectionZone(0, 0, 80, 25);
    hc.ButtonDown(10, 5);
    struct { int x, y; Edges want; } drags[] = {
        {5, 5, {5, 5, 10, 5}},   // left of it: the left edge moves and anchors
        {8, 5, {8, 5, 10, 5}},   // inside: the anchored (left) edge follows
        {12, 5, {8, 5, 12, 5}},  // right of it: the right edge moves and anchors
        {9, 5, {8, 5, 9, 5}}, {9, 2, {8, 2, 9, 5}},  // above: the top edge
        {9, 4, {8, 4, 9, 5}}, {9, 7, {8, 4, 9, 7}},  // below: the bottom edge
        {9, 6, {8, 4, 9, 6}},
    };
    for (const auto& d : drags) {
        hc.Drag(d.x, d.y);
        EXPECT_EQ(EdgesOf(selection()), d.want) << d.x << "," << d.y;
    }
    // The union of the old and the new selection is repainted.
    hc.View().ClearRecords();
    hc.Drag(20, 6);
    ASSERT_EQ(hc.View().PaintCount(), 1);
    EXPECT_EQ(hc.View().Paints()[0], (CHeadlessView::PaintRect{8, 4, 21, 7}));
    EXPECT_EQ(hc.View().ShownMismatches(), 0);
}

TEST_F(ConsoleInput, SelectionOnlyInsideTheZone) {
    console->SetSelectionZone(10, 10, 5, 5);  // columns 10-14, rows 10-14
    hc.ButtonDown(9, 10);  // outside
    hc.Drag(20, 20);
    EXPECT_EQ(TypesOf(events()), (std::vector<int>{TEvent::ButtonPress, TEvent::Motion}));

    hc.ButtonDown(12, 12);
    hc.Drag(13, 13);
    // A new press in the zone hides the shown selection and starts again.
    hc.ButtonDown(11, 11);
    EXPECT_EQ(EdgesOf(selection()), Edges(11, 11, 11, 11));
    hc.Drag(12, 11);
    EXPECT_TRUE(console->SelectionShown());
    // Setting a zone hides a shown selection too.
    console->SetSelectionZone(0, 0, 80, 25);
    EXPECT_FALSE(console->SelectionShown());
    EXPECT_FALSE(hc.View().Shown(12, 11).selected);
    hc.ButtonUp(12, 11);  // nothing shown: the clipboard is left alone
    EXPECT_TRUE(hc.View().ClipText().empty());
}

TEST_F(ConsoleInput, SelectionSurvivesAScreenResize) {
    console->SetSelectionZone(0, 0, 80, 25);
    hc.ButtonDown(70, 20);
    hc.Drag(79, 24);
    ASSERT_TRUE(console->SelectionShown());
    ASSERT_TRUE(console->SetSize(40, 10));  // the selection is now off the screen
    EXPECT_FALSE(console->SelectionShown());
    hc.ButtonUp(79, 24);
    EXPECT_TRUE(hc.View().ClipText().empty());
}

// A long operation polls for Esc between its steps; a resize it reads there
// is not lost: the next reader of keys gets it with the window's latest size.
TEST_F(ConsoleInput, AResizeReadWhileAnOperationPollsForEscIsKept) {
    const int cell_width = console->cell_width(), cell_height = console->cell_height();
    console->OnAreaResized(90 * cell_width, 28 * cell_height);
    console->OnAreaResized(100 * cell_width, 30 * cell_height);  // dragged further
    EXPECT_FALSE(check_esc());
    EXPECT_FALSE(check_esc());
    _MEVENT record;
    EXPECT_EQ(getkey(&record, 0), KEY_RESIZE);
    EXPECT_EQ(std::pair(record.x, record.y), std::pair(100, 30));
    EXPECT_EQ(getkey(&record, 0), 0);  // given once
}
