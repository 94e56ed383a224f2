#include "editor/filestatus.h"

#include <algorithm>

#include "editor/edittext.h"

FileStatusStore& FileStatusStore::Global() {
    static FileStatusStore store;
    return store;
}

void FileStatusStore::Store(const HISTREC& record) { records_[record.name] = record; }

const HISTREC* FileStatusStore::Find(const std::wstring& name, int64_t size, int64_t mtime) {
    auto found = records_.find(name);
    if (found == records_.end()) return nullptr;
    if (found->second.size != size || found->second.mtime != mtime) {
        records_.erase(found);
        return nullptr;
    }
    return &found->second;
}

void StoreEditHistory(const EditModel& model, HISTREC& record) {
    record.top = model.top;
    record.row = model.row;
    record.col = model.CursorColumn() - model.left;
    record.left = model.left;
    record.undo = model.undo;
    record.redo = model.redo;
    std::copy(std::begin(model.bookmarks), std::end(model.bookmarks), record.bookmarks);
    record.viewer_pos = -1;
}

void StoreEditHistory(const EditModel& model, const CTextFile& file, HISTREC& record) {
    StoreEditHistory(model, record);
    record.format = file.format;
    record.code_page = file.code_page;
}

void RestoreEditHistory(EditModel& model, const HISTREC& record, int screen_rows) {
    const EditBuffer& text = model.text;
    int last = text.LineCount() - 1;
    model.top = std::clamp(record.top, 0, last);
    model.row = std::clamp(record.row, 0, std::max(0, std::min(screen_rows - 3, last - model.top)));
    model.left = std::max(0, record.left);
    int line = model.top + model.row;
    std::wstring scratch;
    int col = std::max(0, record.col);
    int pos = calc_pos(text.Line(line, scratch), text.LineLength(line), col, model.left, model.settings.tab_width);
    model.SetCursor({line, pos});
    model.undo = record.undo;
    model.redo = record.redo;
    for (int i = 0; i < kBookmarkCount; i++) {
        Bookmark mark = record.bookmarks[i];
        if (mark.line > last) mark = Bookmark();
        model.bookmarks[i] = mark;
    }
}
