// Shared by the editor model tests: a model holding a given text, and its
// text read back with LF between lines.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "editor/editmodel.h"

inline void SetText(EditModel& model, const std::wstring& text) {
    model.text.Clear();
    ASSERT_EQ(EditStatus::kOk, model.text.Replace({0, 0}, {0, 0}, TextBlock::FromText(text)));
    model.undo.Clear();
    model.redo.Clear();
    model.modified = false;
    model.SetCursor({0, 0});
}

inline std::wstring AllText(const EditModel& model) {
    std::wstring all;
    for (int i = 0; i < model.text.LineCount(); i++) {
        if (i) all += L'\n';
        all += model.text.LineString(i);
    }
    return all;
}

// Undo and redo as the user presses them until something changes: the
// first press away from the change only moves the cursor.
inline EditStatus UndoStep(EditModel& model) {
    EditStatus status = model.Undo();
    return status == EditStatus::kMovedOnly ? model.Undo() : status;
}
inline EditStatus RedoStep(EditModel& model) {
    EditStatus status = model.Redo();
    return status == EditStatus::kMovedOnly ? model.Redo() : status;
}
