// Positions and pieces of text in the editor, and the undo and redo
// stacks built from them.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "editor/textfile.h"

// A place in the text: a line index and a character index into it.
struct TextPos {
    int32_t line = 0;
    int32_t pos = 0;
};
inline bool operator==(TextPos a, TextPos b) { return a.line == b.line && a.pos == b.pos; }
inline bool operator!=(TextPos a, TextPos b) { return !(a == b); }
inline bool operator<(TextPos a, TextPos b) { return a.line < b.line || (a.line == b.line && a.pos < b.pos); }
inline bool operator<=(TextPos a, TextPos b) { return !(b < a); }

// Text that spans lines: lines.size() - 1 line breaks, each with the line
// end it had (LE_NONE means the file's usual line end).
struct TextBlock {
    std::vector<std::wstring> lines{std::wstring()};
    std::vector<ELineEnd> ends;

    TextBlock() = default;
    explicit TextBlock(std::wstring one_line) : lines{std::move(one_line)} {}
    // Splits text at LF, dropping a CR before it.
    static TextBlock FromText(const std::wstring& text);
    // The lines joined with CR LF.
    std::wstring Joined() const;
    bool empty() const { return lines.size() == 1 && lines[0].empty(); }
    // Where the block ends when inserted at start.
    TextPos EndFrom(TextPos start) const;
    // Bytes held, for keeping the undo history bounded.
    size_t Footprint() const;
};

// One change: the text it removed, the region it inserted, and the cursor
// before it and after it. Applying the item puts the removed text back in
// place of the region and the cursor at before; the first request while
// the cursor is not at after only moves the cursor there.
struct UndoItem {
    TextBlock removed;
    TextPos region_start;
    TextPos region_end;
    TextPos before;
    TextPos after;
    bool region = false;  // the change was made on a selection
    // Items of one command (Replace All) share a nonzero group and are
    // undone and redone together.
    int32_t group = 0;
};

// Newest item last; at most kMaxItems steps (the items of a group are one
// step), and at most kMaxBytes of text beside the newest item, the oldest
// steps dropped beyond that. A group is kept whole or not at all, so an
// undo never stops halfway through one command.
class TUndoStack {
public:
    static constexpr int kMaxItems = 1000;
    static constexpr size_t kMaxBytes = size_t{64} << 20;

    void Push(UndoItem item);
    // Copies the newest item; -1 when empty, else its index.
    int Top(UndoItem& item) const;
    const UndoItem* Newest() const { return items_.empty() ? nullptr : &items_.back(); }
    void Discard();  // removes the newest
    void Clear() {
        items_.clear();
        bytes_ = 0;
        steps_ = 0;
        refused_group_ = 0;
    }
    size_t bytes() const { return bytes_; }
    int count() const { return static_cast<int>(items_.size()); }
    int steps() const { return steps_; }
    const UndoItem& at(int i) const { return items_[static_cast<size_t>(i)]; }
    // The group that grew past the limits and was dropped (0 for none):
    // its later items are not kept either.
    int32_t refused_group() const { return refused_group_; }

private:
    void DropOldestStep();

    std::deque<UndoItem> items_;
    size_t bytes_ = 0;
    int steps_ = 0;
    int32_t refused_group_ = 0;
};
