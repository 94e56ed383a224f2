// The line-length limit, checked for every way a line can grow: a refused
// change leaves the text, the undo history and the cursor as they were.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "editor/editmodel.h"
#include "editor/editsearch.h"
#include "editmodel_support.h"

namespace {
const std::wstring kFull(kMaxLineLength, L'x');
const std::wstring kForty(40000, L'y');

void ExpectRefused(EditModel& model, const std::function<EditStatus()>& change, const char* what) {
    std::wstring before = AllText(model);
    TextPos cursor = model.cursor();
    int undo_count = model.undo.count();
    EXPECT_EQ(EditStatus::kLineTooLong, change()) << what;
    EXPECT_EQ(before, AllText(model)) << what;
    EXPECT_EQ(undo_count, model.undo.count()) << what;
    EXPECT_EQ(cursor, model.cursor()) << what;
}
}  // namespace

TEST(EditLimits, AFullLineTakesNoMoreTextByAnyPath) {
    EditModel model;
    SetText(model, kFull + L"\nab");
    model.SetCursor({0, 10});
    ExpectRefused(model, [&] { return model.TypeChar(L'a'); }, "typing");
    ExpectRefused(model, [&] { return model.Paste(TextBlock(L"z")); }, "paste of one line");
    model.SetCursor({1, 0});
    ExpectRefused(model, [&] { return model.Paste(TextBlock::FromText(L"first\n" + kFull)); }, "last pasted line");
    ExpectRefused(model, [&] { return model.Backspace(); }, "backspace joining");
    ExpectRefused(model, [&] { return model.DeleteWordLeft(); }, "word delete joining");
    ExpectRefused(model, [&] { model.SelectAll(); return model.IndentLines(4); }, "indenting");
    model.ClearSelection();
    model.SetCursor({0, kMaxLineLength});
    ExpectRefused(model, [&] { return model.DeleteChar(); }, "delete joining");
    ExpectRefused(model, [&] { return model.DeleteWordRight(); }, "word delete joining forward");
    ExpectRefused(model, [&] { return model.Paste(TextBlock::FromText(L"z\nlast")); }, "first pasted line");

    // Overstrike does not grow the line, so it is allowed.
    model.settings.overstrike = true;
    model.SetCursor({0, 0});
    EXPECT_EQ(EditStatus::kOk, model.TypeChar(L'o'));
}

TEST(EditLimits, TwoLongLinesDoNotJoin) {
    EditModel model;
    SetText(model, kForty + L"\n" + kForty);
    model.SetCursor({0, 40000});
    ExpectRefused(model, [&] { return model.DeleteChar(); }, "join");
    model.sel = {{0, 20000}, {1, 20000}, true};
    EXPECT_EQ(EditStatus::kOk, model.DeleteSelection());  // 20000 + 20000 fits
    EXPECT_EQ(40000, model.text.LineLength(0));
}

TEST(EditLimits, AutoIndentCannotPushALineOver) {
    EditModel model;
    SetText(model, std::wstring(100, L' ') + L"a\n" + std::wstring(kMaxLineLength - 50, L'b'));
    model.SetCursor({1, 0});  // the indentation comes from the line above
    ExpectRefused(model, [&] { return model.BreakLine(); }, "indented break");
    model.settings.auto_indent = false;
    EXPECT_EQ(EditStatus::kOk, model.BreakLine());
}

TEST(EditLimits, ReplaceAllLeavesLinesThatWouldGrowTooLong) {
    EditModel model;
    SetText(model, std::wstring(40000, L'a') + L"\naaa");
    TextSearcher searcher(L"a", {});
    ReplaceAllResult result = ReplaceAll(model, searcher, L"bb", {0, 0});
    EXPECT_EQ(1, result.refused_lines);
    EXPECT_EQ(3, result.replaced);
    EXPECT_EQ(40000u, model.text.LineString(0).size());
    EXPECT_EQ(L"bbbbbb", model.text.LineString(1));
}
