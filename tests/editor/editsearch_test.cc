#include <gtest/gtest.h>

#include <string>

#include "editor/editmodel.h"
#include "editor/editsearch.h"
#include "editmodel_support.h"
#include "tests/support/thread_time.h"

TEST(EditSearch, ReplaceAllOverMoreLinesThanTheUndoStepsUndoesWhole) {
    std::wstring text;
    for (int i = 0; i < 3000; i++) text += L"a cat\n";
    EditModel model;
    SetText(model, L"first\n" + text);
    ASSERT_EQ(EditStatus::kOk, model.TypeChar(L'>'));
    EXPECT_EQ(3000, ReplaceAll(model, TextSearcher(L"cat", {}), L"dog", {0, 0}).replaced);
    EXPECT_FALSE(model.LastGroupRefused());
    ASSERT_EQ(EditStatus::kOk, UndoStep(model));
    EXPECT_EQ(L">first\n" + text, AllText(model));
    ASSERT_EQ(EditStatus::kOk, UndoStep(model));
    EXPECT_EQ(L"first\n" + text, AllText(model));
}

TEST(EditSearch, ACommandTooLargeToUndoIsDroppedWholeWithWhatCameBefore) {
    // 300 long lines, each changed at both ends: the text the change
    // removes passes the undo history's byte limit before the last line.
    const std::wstring line = L"y" + std::wstring(59998, L'x') + L"y\n";
    std::wstring text;
    for (int i = 0; i < 300; i++) text += line;
    EditModel model;
    SetText(model, text);
    ASSERT_EQ(EditStatus::kOk, model.TypeChar(L'>'));
    EXPECT_EQ(600, ReplaceAll(model, TextSearcher(L"y", {}), L"z", {0, 0}).replaced);
    EXPECT_TRUE(model.LastGroupRefused());
    EXPECT_EQ(0, model.undo.count());
    EXPECT_EQ(EditStatus::kNothing, UndoStep(model));
    // What follows is recorded as usual.
    ASSERT_EQ(EditStatus::kOk, model.TypeChar(L'<'));
    EXPECT_EQ(EditStatus::kOk, UndoStep(model));
}

namespace {
SearchMatch FindFrom(const EditModel& model, const std::wstring& what, SearchOptions options, TextPos from) {
    SearchMatch match;
    match.at = {-1, -1};
    TextSearcher(what, options).Find(model.text, from, match);
    return match;
}
}  // namespace

TEST(EditSearch, CaseWholeWordsAndDirection) {
    EditModel model;
    SetText(model, L"Alpha beta\nalphabet ALPHA\n\u00e9t\u00c9");
    SearchMatch m = FindFrom(model, L"alpha", {}, {0, 1});
    EXPECT_EQ(1, m.at.line);
    EXPECT_EQ(0, m.at.pos);
    m = FindFrom(model, L"alpha", {false, true, false}, {0, 1});
    EXPECT_EQ(1, m.at.line);
    EXPECT_EQ(9, m.at.pos);
    m = FindFrom(model, L"ALPHA", {true, false, false}, {0, 0});
    EXPECT_EQ(9, m.at.pos);
    m = FindFrom(model, L"alpha", {true, false, false}, {0, 0});
    EXPECT_EQ(1, m.at.line);
    m = FindFrom(model, L"alpha", {false, false, true}, {1, 9});  // before the cursor
    EXPECT_EQ(1, m.at.line);
    EXPECT_EQ(0, m.at.pos);
    m = FindFrom(model, L"alpha", {false, false, true}, {1, 0});
    EXPECT_EQ(0, m.at.line);
    m = FindFrom(model, L"\u00c9T\u00c9", {}, {0, 0});  // folding beyond ASCII
    EXPECT_EQ(2, m.at.line);
    m = FindFrom(model, L"gamma", {}, {0, 0});
    EXPECT_EQ(-1, m.at.line);
    m = FindFrom(model, L"", {}, {0, 0});
    EXPECT_EQ(-1, m.at.line);
}

TEST(EditSearch, ReplaceAllDoesNotFindWhatItInserted) {
    EditModel model;
    SetText(model, L"a a\nxa\na");
    TextSearcher searcher(L"a", {});
    ReplaceAllResult result = ReplaceAll(model, searcher, L"aa", {0, 0});
    EXPECT_EQ(4, result.replaced);
    EXPECT_EQ(L"aa aa\nxaa\naa", AllText(model));
    ASSERT_EQ(EditStatus::kOk, UndoStep(model));  // the whole Replace All at once
    EXPECT_EQ(L"a a\nxa\na", AllText(model));
    ASSERT_EQ(EditStatus::kOk, RedoStep(model));
    EXPECT_EQ(L"aa aa\nxaa\naa", AllText(model));
    ASSERT_EQ(EditStatus::kOk, UndoStep(model));
    EXPECT_EQ(EditStatus::kNothing, UndoStep(model));

    SetText(model, L"cat cat\ncat");  // backward: up to the cursor only
    ReplaceAllResult back = ReplaceAll(model, TextSearcher(L"cat", {false, false, true}), L"dog", {0, 5});
    EXPECT_EQ(1, back.replaced);
    EXPECT_EQ(L"dog cat\ncat", AllText(model));

    model.SetCursor({0, 4});
    SearchMatch m;
    ASSERT_TRUE(TextSearcher(L"CAT", {}).Find(model.text, model.cursor(), m));
    ASSERT_EQ(EditStatus::kOk, ReplaceMatch(model, m, L"cow"));
    EXPECT_EQ(L"dog cow\ncat", AllText(model));
    EXPECT_EQ(7, model.cursor().pos);
}

TEST(EditSearch, ManyReplacementsInOneLongLineStayBounded) {
    std::wstring line;
    for (int i = 0; i < 10000; i++) line += L"xyzab_";
    EditModel model;
    SetText(model, line + L"\nnext");
    size_t pool_before = model.text.PoolBytes();
    ReplaceAllResult result = ReplaceAll(model, TextSearcher(L"ab", {}), L"ba", {0, 0});
    EXPECT_EQ(10000, result.replaced);
    model.SetCursor({1, 0});  // leaving the line stores it once
    EXPECT_LE(model.text.PoolBytes() - pool_before, 2 * line.size());

    // One at a time, as Replace asks at every match.
    pool_before = model.text.PoolBytes();
    TextSearcher again(L"ba", {true, false, false});
    SearchMatch m;
    TextPos from{0, 0};
    int count = 0;
    while (again.Find(model.text, from, m) && m.at.line == 0) {
        ASSERT_EQ(EditStatus::kOk, ReplaceMatch(model, m, L"AB"));
        from = model.cursor();
        count++;
    }
    EXPECT_EQ(10000, count);
    model.SetCursor({1, 0});
    EXPECT_LE(model.text.PoolBytes() - pool_before, 2 * line.size());
    EXPECT_EQ(TUndoStack::kMaxItems, model.undo.count());
}

namespace {
// Builds n lines, then finds the last, replaces in every line and edits
// at the top; the seconds it took.
double MillionLineWork(int n) {
    const double start = ThreadSeconds();
    EditModel model;
    TextBlock block;
    block.lines.assign(static_cast<size_t>(n), L"some line of text");
    block.ends.assign(static_cast<size_t>(n - 1), LE_NONE);
    block.lines.back() = L"needle";
    EXPECT_EQ(EditStatus::kOk, model.Paste(block));
    SearchMatch m;
    EXPECT_TRUE(TextSearcher(L"NEEDLE", {}).Find(model.text, {0, 0}, m));
    EXPECT_EQ(n - 1, m.at.line);
    EXPECT_EQ(n - 1, ReplaceAll(model, TextSearcher(L"line", {}), L"row", {0, 0}).replaced);
    for (int i = 0; i < 200; i++) {
        model.SetCursor({0, 0});
        EXPECT_EQ(EditStatus::kOk, model.DeleteLine());
        EXPECT_EQ(EditStatus::kOk, UndoStep(model));
    }
    model.SetCursor({n / 2, 0});
    EXPECT_EQ(EditStatus::kOk, model.MatchBracket() == EditStatus::kNothing ? EditStatus::kOk : EditStatus::kNothing);
    return ThreadSeconds() - start;
}
}  // namespace

TEST(EditSearch, MillionLineWorkGrowsLinearly) {
    double small = MillionLineWork(250000);
    double large = MillionLineWork(1000000);
    EXPECT_LT(large, small * 10) << "n: " << small << " s, 4n: " << large << " s";
}
