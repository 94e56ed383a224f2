#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "editor/editmodel.h"
#include "editor/edittext.h"
#include "editmodel_support.h"

TEST(EditModelTyping, InsertAndOverstrikeUndoAndRedo) {
    EditModel model;
    SetText(model, L"abc");
    model.SetCursor({0, 1});
    ASSERT_EQ(EditStatus::kOk, model.TypeChar(L'X'));
    EXPECT_EQ(L"aXbc", AllText(model));
    model.settings.overstrike = true;
    ASSERT_EQ(EditStatus::kOk, model.TypeChar(L'Y'));
    EXPECT_EQ(L"aXYc", AllText(model));
    model.SetCursor({0, 4});
    ASSERT_EQ(EditStatus::kOk, model.TypeChar(L'Z'));  // at the end overstrike appends
    EXPECT_EQ(L"aXYcZ", AllText(model));
    EXPECT_TRUE(model.modified);

    ASSERT_EQ(EditStatus::kOk, UndoStep(model));
    ASSERT_EQ(EditStatus::kOk, UndoStep(model));
    EXPECT_EQ(L"aXbc", AllText(model));
    EXPECT_EQ(2, model.cursor().pos);
    ASSERT_EQ(EditStatus::kOk, model.Redo());
    EXPECT_EQ(L"aXYc", AllText(model));
    EXPECT_EQ(3, model.cursor().pos);
}

TEST(EditModelTyping, TypingReplacesTheSelection) {
    EditModel model;
    SetText(model, L"one\ntwo\nthree");
    model.sel = {{0, 1}, {2, 2}, true};
    ASSERT_EQ(EditStatus::kOk, model.TypeChar(L'-'));
    EXPECT_EQ(L"o-ree", AllText(model));
    ASSERT_EQ(EditStatus::kOk, model.Undo());
    EXPECT_EQ(L"one\ntwo\nthree", AllText(model));
}

// Every kind of change, then undone one by one back to the start and
// redone to the end, comparing the text at every step.
TEST(EditModelUndo, EveryChangeUndoesAndRedoes) {
    EditModel model;
    SetText(model, L"    alpha beta(gamma)\n\n  delta\nlast");
    std::vector<std::function<EditStatus()>> changes = {
        [&] { model.SetCursor({0, 10}); return model.BreakLine(); },
        [&] { model.SetCursor({1, 4}); return model.DeleteChar(); },
        [&] { model.SetCursor({1, 0}); return model.Backspace(); },
        [&] { model.SetCursor({0, 4}); return model.DeleteWordRight(); },
        [&] { model.SetCursor({0, 8}); return model.DeleteWordLeft(); },
        [&] { model.SetCursor({2, 0}); return model.DeleteLine(); },
        [&] { model.SetCursor({1, 1}); return model.DuplicateLine(); },
        [&] { model.sel = {{0, 2}, {3, 2}, true}; return model.DeleteSelection(); },
        [&] { model.SetCursor({0, 1}); return model.Paste(TextBlock::FromText(L"p1\r\np2\r\np3")); },
        [&] { model.SelectAll(); return model.IndentLines(2); },
        [&] { model.SetCursor({1, 0}); return model.OpenLine(); },
        [&] { model.SetCursor({0, 0}); return model.DeleteLine(); },
    };
    std::vector<std::wstring> states{AllText(model)};
    for (size_t i = 0; i < changes.size(); i++) {
        ASSERT_EQ(EditStatus::kOk, changes[i]()) << "change " << i;
        ASSERT_NE(states.back(), AllText(model)) << "change " << i;
        states.push_back(AllText(model));
    }
    for (size_t i = states.size() - 1; i > 0; i--) {
        ASSERT_EQ(EditStatus::kOk, UndoStep(model)) << "undo " << i;
        ASSERT_EQ(states[i - 1], AllText(model)) << "undo " << i;
    }
    EXPECT_EQ(EditStatus::kNothing, UndoStep(model));
    for (size_t i = 1; i < states.size(); i++) {
        ASSERT_EQ(EditStatus::kOk, RedoStep(model)) << "redo " << i;
        ASSERT_EQ(states[i], AllText(model)) << "redo " << i;
    }
    // A new change forgets what could be redone.
    ASSERT_EQ(EditStatus::kOk, UndoStep(model));
    ASSERT_EQ(EditStatus::kOk, model.TypeChar(L'x'));
    EXPECT_EQ(EditStatus::kNothing, model.Redo());
}

TEST(EditModelUndo, FirstPressAwayFromTheChangeOnlyMovesTheCursor) {
    EditModel model;
    SetText(model, L"abc\ndef");
    model.SetCursor({1, 3});
    ASSERT_EQ(EditStatus::kOk, model.TypeChar(L'!'));
    model.SetCursor({0, 0});
    EXPECT_EQ(EditStatus::kMovedOnly, model.Undo());
    EXPECT_EQ(L"abc\ndef!", AllText(model));
    EXPECT_EQ(1, model.cursor().line);
    EXPECT_EQ(4, model.cursor().pos);
    EXPECT_EQ(EditStatus::kOk, model.Undo());
    EXPECT_EQ(L"abc\ndef", AllText(model));
}

TEST(EditModelUndo, KeepsTheNewestThousandChanges) {
    EditModel model;
    SetText(model, L"");
    for (int i = 0; i < 1005; i++) ASSERT_EQ(EditStatus::kOk, model.TypeChar(L'a'));
    EXPECT_EQ(TUndoStack::kMaxItems, model.undo.count());
    int undone = 0;
    while (model.Undo() == EditStatus::kOk) undone++;
    EXPECT_EQ(1000, undone);
    EXPECT_EQ(std::wstring(5, L'a'), AllText(model));
}

UndoItem ItemAt(TextPos start, TextPos end, TextPos after) {
    UndoItem item;
    item.region_start = start;
    item.region_end = end;
    item.after = after;
    return item;
}

TEST(EditModelUndo, TheHistoryStaysBoundedInBytes) {
    TUndoStack stack;
    UndoItem big;
    big.removed = TextBlock(std::wstring(2 << 20, L'x'));
    for (int i = 0; i < 40; i++) stack.Push(big);
    EXPECT_LE(stack.bytes(), TUndoStack::kMaxBytes);
    EXPECT_GT(stack.count(), 1);
    EXPECT_LT(stack.count(), 40);
    while (stack.count()) stack.Discard();
    EXPECT_EQ(0u, stack.bytes());
}

TEST(EditModelUndo, AStepPastTheTextIsRefused) {
    EditModel model;
    SetText(model, L"short\ntext");
    model.undo.Push(ItemAt({5, 0}, {7, 3}, {1, 2}));  // lines that are not there
    model.SetCursor({1, 2});
    EXPECT_EQ(EditStatus::kBadPosition, model.Undo());
    EXPECT_EQ(L"short\ntext", AllText(model));
    EXPECT_EQ(0, model.undo.count());

    model.redo.Push(ItemAt({0, 2}, {0, 9}, {0, 2}));  // past the end of the line
    model.SetCursor({0, 2});
    EXPECT_EQ(EditStatus::kBadPosition, model.Redo());
    EXPECT_EQ(L"short\ntext", AllText(model));
    model.undo.Push(ItemAt({0, 0}, {0, 1}, {4, 4}));  // the cursor it wants is gone
    EXPECT_EQ(EditStatus::kBadPosition, model.Undo());
    EXPECT_EQ(L"short\ntext", AllText(model));
}

TEST(EditModelBookmarks, FollowTheTextThroughChangesAndUndo) {
    EditModel model;
    SetText(model, L"a\nb\nc target\nd");
    model.SetCursor({2, 2});
    model.SetBookmark(3);
    model.SetCursor({0, 0});
    ASSERT_EQ(EditStatus::kOk, model.Paste(TextBlock::FromText(L"x\ny\n")));
    EXPECT_EQ(4, model.bookmarks[3].line);
    ASSERT_TRUE(model.GotoBookmark(3));
    EXPECT_EQ(L't', model.text.CharAt(model.cursor()));
    model.SetCursor({4, 0});
    ASSERT_EQ(EditStatus::kOk, model.TypeChar(L'>'));  // same line, before it
    EXPECT_EQ(3, model.bookmarks[3].pos);
    ASSERT_EQ(EditStatus::kOk, UndoStep(model));
    ASSERT_EQ(EditStatus::kOk, UndoStep(model));
    EXPECT_EQ(2, model.bookmarks[3].line);
    EXPECT_EQ(2, model.bookmarks[3].pos);
    // Deleting the text it stood on leaves it where the deletion began.
    model.sel = {{1, 1}, {3, 1}, true};
    ASSERT_EQ(EditStatus::kOk, model.DeleteSelection());
    EXPECT_EQ(1, model.bookmarks[3].line);
    EXPECT_EQ(1, model.bookmarks[3].pos);
    EXPECT_FALSE(model.GotoBookmark(7));
}

TEST(EditModelIndent, NewLineTakesTheIndentationFromAbove) {
    EditModel model;
    SetText(model, L"\tif (x) {\n\n   ");
    model.SetCursor({2, 3});  // a blank line: the indentation comes from line 0
    ASSERT_EQ(EditStatus::kOk, model.BreakLine());
    EXPECT_EQ(L"\tif (x) {\n\n   \n\t", AllText(model));
    EXPECT_EQ(1, model.cursor().pos);
    SetText(model, L"  ab   cd");
    model.SetCursor({0, 4});  // the blanks at the cursor are not carried over
    ASSERT_EQ(EditStatus::kOk, model.BreakLine());
    EXPECT_EQ(L"  ab\n  cd", AllText(model));
    model.settings.auto_indent = false;
    model.SetCursor({1, 2});
    ASSERT_EQ(EditStatus::kOk, model.BreakLine());
    EXPECT_EQ(L"  ab\n  \ncd", AllText(model));

    SetText(model, L"\tx\n\n  y");
    model.SelectAll();
    ASSERT_EQ(EditStatus::kOk, model.IndentLines(-4));
    EXPECT_EQ(L"    x\n\n  y", AllText(model));  // y would go below 0: kept
}

TEST(EditModelLineTools, ColumnsWordsAndBrackets) {
    const wchar_t* s = L"abc\tdef";
    EXPECT_EQ(8, calc_col(s, 7, 4, 8));
    EXPECT_EQ(4, calc_col(s, 7, 4, 4));
    int col = 5;
    EXPECT_EQ(3, calc_pos(s, 7, col, 0, 8));  // inside the tab
    EXPECT_EQ(3, col);
    col = 9;
    EXPECT_EQ(5, calc_pos(s, 7, col, 0, 8));

    const wchar_t* words = L"foo  bar_1, baz";
    EXPECT_EQ(5, WordRight(words, 15, 0, false));
    EXPECT_EQ(3, WordRight(words, 15, 0, true));
    EXPECT_EQ(7, WordRight(words, 15, 3, true));  // skips blanks to the end of bar_1
    EXPECT_EQ(5, WordLeft(words, 11));
    EXPECT_EQ(0, WordLeft(words, 4));

    EditModel model;
    SetText(model, L"f(a[1], (b)\n  ) <x>");
    model.SetCursor({0, 1});
    ASSERT_EQ(EditStatus::kOk, model.MatchBracket());
    EXPECT_EQ(1, model.cursor().line);
    EXPECT_EQ(2, model.cursor().pos);
    ASSERT_EQ(EditStatus::kOk, model.MatchBracket());
    EXPECT_EQ(0, model.cursor().line);
    EXPECT_EQ(1, model.cursor().pos);
    model.SetCursor({0, 0});
    EXPECT_EQ(EditStatus::kNothing, model.MatchBracket());

    SetText(model, L"one two\nthree");
    model.SetCursor({0, 7});
    ASSERT_TRUE(model.MarkWord());
    EXPECT_EQ(L"two", model.SelectionText());
    model.sel = {{1, 2}, {0, 4}, true};
    EXPECT_EQ(L"two\r\nth", model.SelectionText());
}

TEST(EditModelRecode, ReadsTheSameBytesInAnotherCodePage) {
    EditModel model;
    SetText(model, L"caf\u00e9\n\u4e00!");
    EXPECT_EQ(1, model.Recode(1252, 850));  // the ideograph has no byte in 1252
    EXPECT_EQ(L"caf\u00da\n?!", AllText(model));
    EXPECT_TRUE(model.modified);
    EXPECT_EQ(0, model.undo.count());
}

TEST(EditModelMoves, ColumnsKeptAndSelectionsExtended) {
    using M = EditModel::Move;
    EditModel model;
    SetText(model, L"abcdefghij\nab\n\tx\nabcdefghij");
    model.SetCursor({0, 9});
    model.MoveCursor(M::kDown, false);
    EXPECT_EQ(2, model.cursor().pos);  // a short line: its end
    model.MoveCursor(M::kDown, false);
    EXPECT_EQ(2, model.cursor().pos);  // column 9 is past "\tx" (columns 0-9)
    model.MoveCursor(M::kDown, false);
    EXPECT_EQ(9, model.cursor().pos);  // the first column comes back
    model.MoveCursor(M::kLeft, false);
    model.MoveCursor(M::kUp, false);
    EXPECT_EQ(1, model.cursor().pos);  // column 8 falls on the tab: its start

    model.SetCursor({0, 9});
    model.MoveCursor(M::kRight, true);
    model.MoveCursor(M::kRight, true);  // over the line end
    EXPECT_EQ(L"j\r\n", model.SelectionText());
    model.MoveCursor(M::kLeft, true);
    model.MoveCursor(M::kLeft, true);
    EXPECT_FALSE(model.sel.active);
    model.MoveCursor(M::kHome, true);
    EXPECT_EQ(L"abcdefghi", model.SelectionText());
    model.MoveCursor(M::kTextEnd, false);
    EXPECT_FALSE(model.sel.active);
    EXPECT_EQ(3, model.cursor().line);

    SetText(model, std::wstring(40, L'\n'));
    model.MoveCursor(M::kPageDown, false, 10);
    model.MoveCursor(M::kPageDown, false, 10);
    EXPECT_EQ(20, model.cursor().line);
    EXPECT_EQ(20, model.top);
    model.SetCursor({35, 0});
    model.ScrollToCursor(10);
    EXPECT_EQ(26, model.top);
    EXPECT_EQ(9, model.row);
}
