// FileStatusStore: what the editor and the viewer remember of each file
// during the program run, used again only while the file is unchanged.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "editor/editmodel.h"
#include "editor/editundo.h"
#include "editor/textfile.h"
#include "editor/textformat.h"

struct HISTREC {
    std::wstring name;
    // The file as it was when the record was stored.
    int64_t size = -1;
    int64_t mtime = 0;  // nanoseconds since the epoch
    int32_t top = 0;
    int32_t row = 0;
    int32_t col = 0;
    int32_t left = 0;
    TUndoStack undo;
    TUndoStack redo;
    Bookmark bookmarks[kBookmarkCount];
    int64_t viewer_pos = -1;  // -1 when stored by the editor
    EFileFormat format = FF_UNKNOWN;
    int32_t code_page = 0;
};

class FileStatusStore {
public:
    // The program-wide store shared by the editor and the viewer.
    static FileStatusStore& Global();

    // Keeps record, replacing the one of the same name.
    void Store(const HISTREC& record);
    // The record of name, or null when there is none or the file's size or
    // modification time differ from the stored ones (the stale record is
    // then dropped).
    const HISTREC* Find(const std::wstring& name, int64_t size, int64_t mtime);
    void Remove(const std::wstring& name) { records_.erase(name); }
    int count() const { return static_cast<int>(records_.size()); }

private:
    std::map<std::wstring, HISTREC> records_;  // exact name comparison
};

// The editor's state into a record (name, size and time are the caller's),
// with the format and code page the file is saved in.
void StoreEditHistory(const EditModel& model, HISTREC& record);
void StoreEditHistory(const EditModel& model, const CTextFile& file, HISTREC& record);
// The record's state into a freshly loaded model: the cursor line clamped
// into the text and the row to screen_rows - 3 at most.
void RestoreEditHistory(EditModel& model, const HISTREC& record, int screen_rows);
