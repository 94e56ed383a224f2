#include "shell/scrollback.h"

#include <algorithm>

#include "config/config.h"

CScrollBackBuffer ScrollBack;

CScrollBackBuffer::CScrollBackBuffer(int capacity) : capacity_(std::clamp(capacity, 0, kMostLines)) {
    // The line headers are small; reserving them keeps the ring from moving
    // them while it grows to the usual size.
    ring_.reserve(static_cast<size_t>(std::min(capacity_, kMaxLines)));
}

void CScrollBackBuffer::SetCapacity(int lines) {
    lines = std::clamp(lines, 0, kMostLines);
    if (lines == capacity_) return;
    const int kept = std::min(count_, lines);
    std::vector<StoredLine> ring;
    ring.reserve(static_cast<size_t>(std::min(lines, std::max(kept, kMaxLines))));
    for (int i = count_ - kept; i < count_; i++) ring.push_back(std::move(ring_[Slot(i)]));
    ring_.swap(ring);
    capacity_ = lines;
    head_ = 0;
    count_ = kept;
}

void CScrollBackBuffer::Fill(StoredLine& line, const ScreenCell* cells, int columns) {
    if (columns < 0 || !cells) columns = 0;
    if (line.width_ != columns) {
        // Exactly the row's cells: a line that changes width gets new storage.
        line.cells_.reset(columns > 0 ? new ScreenCell[columns] : nullptr);
        line.width_ = columns;
        if (columns > 0) allocations_++;
    }
    std::copy(cells, cells + columns, line.cells_.get());
}

void CScrollBackBuffer::Add(const ScreenCell* cells, int columns) {
    if (capacity_ == 0) return;
    const int size = static_cast<int>(ring_.size());
    if (count_ < size) {
        // A spare slot follows the newest line (after RemoveLast).
        Fill(ring_[Slot(count_)], cells, columns);
        count_++;
    } else if (size < capacity_) {
        // Not full yet: head_ is 0 and the new slot goes at the end.
        ring_.emplace_back();
        Fill(ring_.back(), cells, columns);
        count_++;
    } else {
        // Full: the oldest line's slot becomes the newest line.
        StoredLine& oldest = ring_[head_];
        head_ = head_ + 1 == size ? 0 : head_ + 1;
        Fill(oldest, cells, columns);
    }
}

void CScrollBackBuffer::RemoveLast(int n) {
    if (n <= 0) return;
    count_ -= std::min(n, count_);
    if (count_ == 0) head_ = 0;
}

void ApplyScrollBackSetting() { ScrollBack.SetCapacity(config.ConsoleScrollback.lines()); }

void AddScrollBackLine(const ScreenCell* row, int columns) {
    ApplyScrollBackSetting();
    ScrollBack.Add(row, columns);
}
