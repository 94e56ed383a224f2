// The field histories of dialogs.
#include "console/dialog.h"

void (*field_history_added)(int index, const Westring& value) = nullptr;

void AddFieldHist(const Westring& value, int index, bool loading) {
    if (index < 0 || index >= Dialog::kHistories) return;
    WestringStore& store = Dialog::FieldHistory[index];
    // Each value is kept once, at its most recent position.
    for (int i = store.count() - 1; i >= 0; i--) {
        if (*store[i] == value) store.DestroyCurrent();  // [] made it current
    }
    store.Add(value);
    if (!loading && field_history_added) field_history_added(index, value);
}
