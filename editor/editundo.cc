#include "editor/editundo.h"

TextBlock TextBlock::FromText(const std::wstring& text) {
    TextBlock block;
    block.lines.clear();
    size_t start = 0;
    for (;;) {
        size_t lf = text.find(L'\n', start);
        if (lf == std::wstring::npos) break;
        size_t end = lf;
        if (end > start && text[end - 1] == L'\r') end--;
        block.lines.emplace_back(text, start, end - start);
        block.ends.push_back(LE_NONE);
        start = lf + 1;
    }
    block.lines.emplace_back(text, start, std::wstring::npos);
    return block;
}

std::wstring TextBlock::Joined() const {
    std::wstring text;
    for (size_t i = 0; i < lines.size(); i++) {
        if (i) text += L"\r\n";
        text += lines[i];
    }
    return text;
}

TextPos TextBlock::EndFrom(TextPos start) const {
    if (lines.size() == 1) return {start.line, start.pos + static_cast<int32_t>(lines[0].size())};
    return {start.line + static_cast<int32_t>(lines.size() - 1), static_cast<int32_t>(lines.back().size())};
}

size_t TextBlock::Footprint() const {
    size_t bytes = ends.size() * sizeof(ELineEnd);
    for (const std::wstring& line : lines) bytes += sizeof(line) + line.size() * sizeof(wchar_t);
    return bytes;
}

void TUndoStack::DropOldestStep() {
    const int32_t group = items_.front().group;
    do {
        bytes_ -= items_.front().removed.Footprint();
        items_.pop_front();
    } while (group != 0 && !items_.empty() && items_.front().group == group);
    steps_--;
}

void TUndoStack::Push(UndoItem item) {
    if (item.group != 0 && item.group == refused_group_) return;
    const bool new_step = items_.empty() || item.group == 0 || items_.back().group != item.group;
    const size_t size = item.removed.Footprint();
    while (!items_.empty() && ((new_step && steps_ >= kMaxItems) || bytes_ + size > kMaxBytes)) {
        if (item.group != 0 && items_.front().group == item.group) {
            // The command being recorded no longer fits whole: none of it
            // is kept rather than a part that would undo it halfway.
            Clear();
            refused_group_ = item.group;
            return;
        }
        DropOldestStep();
    }
    bytes_ += size;
    if (new_step) steps_++;
    items_.push_back(std::move(item));
}

int TUndoStack::Top(UndoItem& item) const {
    if (items_.empty()) return -1;
    item = items_.back();
    return count() - 1;
}

void TUndoStack::Discard() {
    if (items_.empty()) return;
    const int32_t group = items_.back().group;
    bytes_ -= items_.back().removed.Footprint();
    items_.pop_back();
    if (group == 0 || items_.empty() || items_.back().group != group) steps_--;
}
