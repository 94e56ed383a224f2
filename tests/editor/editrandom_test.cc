// Random editing sessions: after every command the cursor and bookmarks lie
// in the text, and undoing everything walks back through every state to
// the start, redoing walks forward again.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "editor/editmodel.h"
#include "editor/editsearch.h"
#include "editmodel_support.h"

namespace {
std::wstring RandomPiece(std::mt19937& rng) {
    static const wchar_t kChars[] = L"ab (){}\t_\u00e9\u4e00 z\n";
    std::wstring piece;
    int n = static_cast<int>(rng() % 6);
    for (int i = 0; i < n; i++) piece += kChars[rng() % (sizeof(kChars) / sizeof(wchar_t) - 1)];
    return piece;
}

EditStatus RandomCommand(EditModel& model, std::mt19937& rng) {
    TextPos somewhere{static_cast<int32_t>(rng() % static_cast<unsigned>(model.text.LineCount())),
                      static_cast<int32_t>(rng() % 8)};
    model.SetCursor(somewhere);
    if (rng() % 5 == 0) {
        model.sel = {model.cursor(), model.text.Clamp({somewhere.line + static_cast<int32_t>(rng() % 3), 3}), true};
    } else {
        model.ClearSelection();
    }
    model.settings.overstrike = rng() % 4 == 0;
    model.settings.auto_indent = rng() % 2 == 0;
    model.settings.brief_word_right = rng() % 2 == 0;
    switch (rng() % 13) {
        case 0: return model.TypeChar(L"x\t(}"[rng() % 4]);
        case 1: return model.BreakLine();
        case 2: return model.OpenLine();
        case 3: return model.DeleteChar();
        case 4: return model.Backspace();
        case 5: return model.DeleteWordRight();
        case 6: return model.DeleteWordLeft();
        case 7: return model.DeleteLine();
        case 8: return model.DuplicateLine();
        case 9: return model.Paste(TextBlock::FromText(RandomPiece(rng)));
        case 10: return model.IndentLines(rng() % 2 ? 3 : -2);
        case 11: {
            ReplaceAllResult r = ReplaceAll(model, TextSearcher(L"a", {false, rng() % 2 == 0, rng() % 2 == 0}),
                                            RandomPiece(rng), model.cursor());
            return r.replaced ? EditStatus::kOk : EditStatus::kNothing;
        }
        default:
            model.SetBookmark(static_cast<int>(rng() % kBookmarkCount));
            (void)model.MatchBracket();  // moves only
            return EditStatus::kNothing;
    }
}
}  // namespace

TEST(EditRandom, EverySessionUndoesAndRedoesThroughEveryState) {
    for (unsigned seed = 1; seed <= 20; seed++) {
        std::mt19937 rng(seed);
        EditModel model;
        SetText(model, L"  a(b)\n\tab a\n\nz {a}\nlast a");
        std::vector<std::wstring> states{AllText(model)};
        for (int step = 0; step < 150; step++) {
            EditStatus status = RandomCommand(model, rng);
            ASSERT_TRUE(model.text.Valid(model.cursor())) << "seed " << seed << " step " << step;
            for (const Bookmark& mark : model.bookmarks) {
                if (mark.line >= 0) {
                    ASSERT_TRUE(model.text.Valid({mark.line, mark.pos})) << "seed " << seed;
                }
            }
            if (status == EditStatus::kOk && AllText(model) != states.back()) states.push_back(AllText(model));
        }
        ASSERT_GT(states.size(), 60u) << "seed " << seed;  // most commands change the text
        ASSERT_LE(model.undo.steps(), TUndoStack::kMaxItems);
        std::wstring final_text = AllText(model);
        std::vector<std::wstring> walked{final_text};
        while (UndoStep(model) == EditStatus::kOk)
            if (AllText(model) != walked.back()) walked.push_back(AllText(model));
        EXPECT_EQ(states.front(), AllText(model)) << "seed " << seed;
        std::vector<std::wstring> expected(states.rbegin(), states.rend());
        EXPECT_EQ(expected, walked) << "seed " << seed;
        while (RedoStep(model) == EditStatus::kOk) {
        }
        EXPECT_EQ(final_text, AllText(model)) << "seed " << seed;
    }
}
