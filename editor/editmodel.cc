#include "editor/editmodel.h"

#include <algorithm>
#include <cwchar>

#include "editor/edittext.h"

namespace {
void Order(TextPos& a, TextPos& b) {
    if (b < a) std::swap(a, b);
}
}  // namespace

int EditModel::CursorColumn() const {
    std::wstring scratch;
    const wchar_t* s = text.Line(cursor_.line, scratch);
    return calc_col(s, text.LineLength(cursor_.line), cursor_.pos, settings.tab_width);
}

EditStatus EditModel::Apply(TextPos from, TextPos to, const TextBlock& block, const TextPos* cursor_after) {
    UndoItem item;
    item.before = cursor_;
    item.region = sel.active;
    item.group = group_;
    TextPos end;
    EditStatus status = text.Replace(from, to, block, &item.removed, &end);
    if (status != EditStatus::kOk) return status;
    item.region_start = from;
    item.region_end = end;
    item.after = cursor_after ? text.Clamp(*cursor_after) : end;
    TextPos now = item.after;
    undo.Push(std::move(item));
    redo.Clear();
    MoveBookmarks(from, to, end);
    modified = true;
    cursor_ = now;
    sel.active = false;
    return EditStatus::kOk;
}

// A bookmark after the change follows the text it was on; one inside the
// replaced text goes to where the change starts.
void EditModel::MoveBookmarks(TextPos from, TextPos to, TextPos new_end) {
    for (Bookmark& mark : bookmarks) {
        if (mark.line < 0) continue;
        TextPos at{mark.line, mark.pos};
        if (at < from) continue;
        if (at < to) {
            at = from;
        } else if (at.line == to.line) {
            at = {new_end.line, new_end.pos + (at.pos - to.pos)};
        } else {
            at.line += new_end.line - to.line;
        }
        mark = {at.pos, at.line};
    }
}

EditStatus EditModel::TypeChar(wchar_t c) {
    TextBlock block{std::wstring(1, c)};
    if (sel.active) {
        TextPos a = sel.start, b = sel.end;
        Order(a, b);
        return Apply(a, b, block);
    }
    TextPos to = cursor_;
    if (settings.overstrike && to.pos < text.LineLength(to.line)) to.pos++;
    return Apply(cursor_, to, block);
}

std::wstring EditModel::CalcIndent() const {
    std::wstring scratch;
    for (int i = cursor_.line; i >= 0; i--) {
        const wchar_t* s = text.Line(i, scratch);
        int len = text.LineLength(i);
        int blanks = LeadingBlanks(s, len);
        if (blanks == len) continue;
        if (i == cursor_.line && blanks >= cursor_.pos) continue;
        return std::wstring(s, static_cast<size_t>(blanks));
    }
    return std::wstring();
}

EditStatus EditModel::BreakLine() {
    TextBlock block;
    block.lines = {std::wstring(), std::wstring()};
    block.ends = {LE_NONE};
    TextPos to = cursor_;
    if (settings.auto_indent) {
        block.lines[1] = CalcIndent();
        while (text.CharAt(to) == L' ' || text.CharAt(to) == L'\t') to.pos++;
    }
    return Apply(cursor_, to, block);
}

EditStatus EditModel::OpenLine() {
    cursor_.pos = text.LineLength(cursor_.line);
    return BreakLine();
}

EditStatus EditModel::DeleteSelection() {
    if (!sel.active) return EditStatus::kNothing;
    TextPos a = sel.start, b = sel.end;
    Order(a, b);
    return Apply(a, b, TextBlock());
}

EditStatus EditModel::DeleteChar() {
    if (sel.active) return DeleteSelection();
    TextPos to = cursor_;
    if (to.pos < text.LineLength(to.line)) {
        to.pos++;
    } else if (to.line + 1 < text.LineCount()) {
        to = {to.line + 1, 0};
    } else {
        return EditStatus::kNothing;
    }
    return Apply(cursor_, to, TextBlock());
}

EditStatus EditModel::Backspace() {
    if (sel.active) return DeleteSelection();
    TextPos from = cursor_;
    if (from.pos > 0) {
        from.pos--;
    } else if (from.line > 0) {
        from = {from.line - 1, text.LineLength(from.line - 1)};
    } else {
        return EditStatus::kNothing;
    }
    return Apply(from, cursor_, TextBlock());
}

EditStatus EditModel::DeleteWordRight() {
    if (sel.active) return DeleteSelection();
    int len = text.LineLength(cursor_.line);
    if (cursor_.pos >= len) return DeleteChar();
    std::wstring scratch;
    const wchar_t* s = text.Line(cursor_.line, scratch);
    int n = WordRight(s, len, cursor_.pos, settings.brief_word_right);
    return Apply(cursor_, {cursor_.line, cursor_.pos + n}, TextBlock());
}

EditStatus EditModel::DeleteWordLeft() {
    if (sel.active) return DeleteSelection();
    if (cursor_.pos == 0) return Backspace();
    std::wstring scratch;
    const wchar_t* s = text.Line(cursor_.line, scratch);
    return Apply({cursor_.line, WordLeft(s, cursor_.pos)}, cursor_, TextBlock());
}

EditStatus EditModel::DeleteLine() {
    int line = cursor_.line;
    if (line + 1 < text.LineCount()) return Apply({line, 0}, {line + 1, 0}, TextBlock());
    int len = text.LineLength(line);
    if (len == 0) return EditStatus::kNothing;
    return Apply({line, 0}, {line, len}, TextBlock());
}

EditStatus EditModel::DuplicateLine() {
    int line = cursor_.line;
    int len = text.LineLength(line);
    TextBlock block;
    block.lines = {std::wstring(), text.LineString(line)};
    block.ends = {text.LineEnd(line)};
    TextPos keep = cursor_;
    return Apply({line, len}, {line, len}, block, &keep);
}

EditStatus EditModel::Paste(const TextBlock& lines) {
    TextPos a = cursor_, b = cursor_;
    if (sel.active) {
        a = sel.start;
        b = sel.end;
        Order(a, b);
    }
    return Apply(a, b, lines);
}

EditStatus EditModel::IndentLines(int n) {
    int first = cursor_.line, last = cursor_.line;
    Selection kept = sel;
    if (sel.active) {
        TextPos a = sel.start, b = sel.end;
        Order(a, b);
        first = a.line;
        last = b.pos == 0 && b.line > a.line ? b.line - 1 : b.line;
    }
    TextBlock block;
    block.lines.clear();
    bool changed = false;
    std::wstring scratch, shifted;
    for (int i = first; i <= last; i++) {
        const wchar_t* s = text.Line(i, scratch);
        int len = text.LineLength(i);
        if (IndentedText(s, len, n, settings.tab_width, shifted)) {
            changed = true;
            block.lines.push_back(shifted);
        } else {
            block.lines.emplace_back(s, static_cast<size_t>(len));
        }
        if (i < last) block.ends.push_back(text.LineEnd(i));
    }
    if (!changed) return EditStatus::kNothing;
    TextPos keep = cursor_;
    EditStatus status = Apply({first, 0}, {last, text.LineLength(last)}, block, &keep);
    if (status == EditStatus::kOk) {
        sel = kept;
        sel.start = text.Clamp(sel.start);
        sel.end = text.Clamp(sel.end);
    }
    return status;
}

TextBlock EditModel::SelectedBlock() const {
    if (!sel.active) return TextBlock();
    TextPos a = sel.start, b = sel.end;
    Order(a, b);
    return text.Extract(a, b);
}

std::wstring EditModel::SelectionText() const { return SelectedBlock().Joined(); }

void EditModel::SelectAll() {
    sel = {{0, 0}, text.End(), true};
}

bool EditModel::MarkWord() {
    std::wstring scratch;
    const wchar_t* s = text.Line(cursor_.line, scratch);
    int start = 0, end = 0;
    if (!WordAt(s, text.LineLength(cursor_.line), cursor_.pos, start, end)) return false;
    sel = {{cursor_.line, start}, {cursor_.line, end}, true};
    cursor_.pos = start;
    return true;
}

void EditModel::MoveWordRight() {
    int len = text.LineLength(cursor_.line);
    if (cursor_.pos >= len) {
        if (cursor_.line + 1 < text.LineCount()) cursor_ = {cursor_.line + 1, 0};
        return;
    }
    std::wstring scratch;
    const wchar_t* s = text.Line(cursor_.line, scratch);
    cursor_.pos += WordRight(s, len, cursor_.pos, settings.brief_word_right);
}

void EditModel::MoveWordLeft() {
    if (cursor_.pos == 0) {
        if (cursor_.line > 0) cursor_ = {cursor_.line - 1, text.LineLength(cursor_.line - 1)};
        return;
    }
    std::wstring scratch;
    cursor_.pos = WordLeft(text.Line(cursor_.line, scratch), cursor_.pos);
}

EditStatus EditModel::MatchBracket() {
    static const wchar_t kOpen[] = L"([{<";
    static const wchar_t kClose[] = L")]}>";
    wchar_t c = text.CharAt(cursor_);
    if (c == 0) return EditStatus::kNothing;
    const wchar_t* open = std::wcschr(kOpen, c);
    const wchar_t* close = std::wcschr(kClose, c);
    if (!open && !close) return EditStatus::kNothing;
    wchar_t other = open ? kClose[open - kOpen] : kOpen[close - kClose];
    int depth = 0;
    std::wstring scratch;
    if (open) {
        for (int l = cursor_.line; l < text.LineCount(); l++) {
            const wchar_t* s = text.Line(l, scratch);
            int len = text.LineLength(l);
            for (int p = l == cursor_.line ? cursor_.pos : 0; p < len; p++) {
                if (s[p] == c) depth++;
                if (s[p] == other && --depth == 0) {
                    cursor_ = {l, p};
                    return EditStatus::kOk;
                }
            }
        }
    } else {
        for (int l = cursor_.line; l >= 0; l--) {
            const wchar_t* s = text.Line(l, scratch);
            for (int p = l == cursor_.line ? cursor_.pos : text.LineLength(l) - 1; p >= 0; p--) {
                if (s[p] == c) depth++;
                if (s[p] == other && --depth == 0) {
                    cursor_ = {l, p};
                    return EditStatus::kOk;
                }
            }
        }
    }
    return EditStatus::kNothing;
}

// Applies the newest item of from and records its opposite on to. An item
// whose positions no longer lie in the text (a history kept from another
// version of the file) is refused and its stack emptied.
EditStatus EditModel::Step(TUndoStack& from, TUndoStack& to) {
    const UndoItem* newest = from.Newest();
    if (!newest) return EditStatus::kNothing;
    if (!text.Valid(newest->after) || !text.Valid(newest->region_start) || !text.Valid(newest->region_end)) {
        from.Clear();
        return EditStatus::kBadPosition;
    }
    if (cursor_ != newest->after) {
        cursor_ = newest->after;
        sel.active = false;
        return EditStatus::kMovedOnly;
    }
    UndoItem item = *newest;
    UndoItem back;
    TextPos end;
    EditStatus status = text.Replace(item.region_start, item.region_end, item.removed, &back.removed, &end);
    if (status == EditStatus::kBadPosition) from.Clear();
    if (status != EditStatus::kOk) return status;
    from.Discard();
    back.region_start = item.region_start;
    back.region_end = end;
    back.before = item.after;
    back.after = text.Clamp(item.before);
    back.region = item.region;
    back.group = item.group;
    to.Push(std::move(back));
    MoveBookmarks(item.region_start, item.region_end, end);
    modified = true;
    cursor_ = text.Clamp(item.before);
    sel.active = false;
    return EditStatus::kOk;
}

// One step, and when it belonged to a group the rest of the group with it.
EditStatus EditModel::StepGroup(TUndoStack& from, TUndoStack& to) {
    EditStatus status = Step(from, to);
    if (status != EditStatus::kOk) return status;
    const UndoItem* done = to.Newest();
    int32_t group = done ? done->group : 0;
    while (group != 0 && from.Newest() && from.Newest()->group == group) {
        cursor_ = text.Clamp(from.Newest()->after);
        if (Step(from, to) != EditStatus::kOk) break;
    }
    return EditStatus::kOk;
}

EditStatus EditModel::Undo() { return StepGroup(undo, redo); }
EditStatus EditModel::Redo() { return StepGroup(redo, undo); }

void EditModel::SetLineEnds(ELineEnd end) {
    text.SetLineEnds(end);
    modified = true;
}

int EditModel::Recode(int from_cp, int to_cp) {
    int unknown = text.Recode(from_cp, to_cp);
    undo.Clear();
    redo.Clear();
    modified = true;
    return unknown;
}

void EditModel::SetBookmark(int i) {
    if (i >= 0 && i < kBookmarkCount) bookmarks[i] = {cursor_.pos, cursor_.line};
}

bool EditModel::GotoBookmark(int i) {
    if (i < 0 || i >= kBookmarkCount || bookmarks[i].line < 0) return false;
    SetCursor({bookmarks[i].line, bookmarks[i].pos});
    return true;
}

void EditModel::SelectFrom(TextPos start, int length) {
    TextPos end = start;
    int remaining = length;
    while (remaining > 0) {
        int len = text.LineLength(end.line);
        if (remaining <= len - end.pos) {
            end.pos += remaining;
            break;
        }
        remaining -= len - end.pos + 1;
        if (end.line + 1 >= text.LineCount()) {
            end.pos = len;
            break;
        }
        end = {end.line + 1, 0};
    }
    sel = {start, end, true};
}

void EditModel::BeginLoad(CTextFile& file, int64_t offset, int length) {
    text.BeginLoad(file, offset);
    undo.Clear();
    redo.Clear();
    for (Bookmark& mark : bookmarks) mark = Bookmark();
    modified = false;
    sel.active = false;
    top = row = left = 0;
    cursor_ = {0, 0};
    placed_ = offset < 0;
    load_length_ = length;
    incomplete = false;
}

void EditModel::NoteLoadStatus(EditStatus status) {
    if (status != EditStatus::kOk) incomplete = true;
}

EditStatus EditModel::LoadMore(CTextFile& file, int max_lines, bool& done) {
    EditStatus status = text.LoadMore(file, max_lines, done);
    NoteLoadStatus(status);
    if (!placed_ && text.offset_found()) {
        cursor_ = text.Clamp(text.at_offset());
        top = cursor_.line;
        if (load_length_ > 0) SelectFrom(cursor_, load_length_);
        placed_ = true;
    }
    return status;
}

EditStatus EditModel::Load(CTextFile& file, int64_t offset, int length,
                           const std::function<bool(int64_t)>& progress) {
    BeginLoad(file, offset, length);
    TextPos at;
    EditStatus status = text.Load(file, offset, &at, progress);
    NoteLoadStatus(status);
    if (offset >= 0) {
        cursor_ = text.Clamp(at);
        top = cursor_.line;
        if (length > 0) SelectFrom(cursor_, length);
    }
    placed_ = true;
    return status;
}

int EditModel::Save(CTextFile& file) {
    if (incomplete) return kIncompleteText;
    int error = text.Save(file);
    if (!error) modified = false;
    return error;
}
