#include "shell/scrollback.h"

CScrollBackBuffer ScrollBack;

void CScrollBackBuffer::Add(const ScreenCell* cells, int columns) {
    CellString line(columns > 0 ? columns : 1);
    if (cells && columns > 0) line.Append(cells, columns);
    Add(line);
}

void CScrollBackBuffer::Add(const CellString& line) {
    lines_.push_back(line);
    while (lines_.size() > static_cast<size_t>(kMaxLines)) lines_.pop_front();
}

void CScrollBackBuffer::RemoveLast(int n) {
    while (n-- > 0 && !lines_.empty()) lines_.pop_back();
}

void AddScrollBackLine(const ScreenCell* row, int columns) {
    ScrollBack.Add(row, columns);
}
