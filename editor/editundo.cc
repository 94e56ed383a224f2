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

void TUndoStack::DropOldest() {
    bytes_ -= items_.front().removed.Footprint();
    items_.pop_front();
}

void TUndoStack::Push(UndoItem item) {
    if (items_.size() >= static_cast<size_t>(kMaxItems)) DropOldest();
    size_t size = item.removed.Footprint();
    while (!items_.empty() && bytes_ + size > kMaxBytes) DropOldest();
    bytes_ += size;
    items_.push_back(std::move(item));
}

int TUndoStack::Top(UndoItem& item) const {
    if (items_.empty()) return -1;
    item = items_.back();
    return count() - 1;
}

void TUndoStack::Discard() {
    if (items_.empty()) return;
    bytes_ -= items_.back().removed.Footprint();
    items_.pop_back();
}
