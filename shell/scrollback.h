// The lines that scrolled off the top of the console, kept with their
// colours for the scroll-back viewer.
//
// The store is a ring of a fixed number of lines: once it is full, a new
// line takes the place of the oldest one and reuses its cells, so adding a
// line costs the same however many lines are kept, and allocates nothing
// while the console keeps its width.
#pragma once

#include <memory>
#include <vector>

#include "console/cells.h"

class CScrollBackBuffer {
public:
    // The lines kept unless the ConsoleScrollback setting names a count.
    static constexpr int kMaxLines = 10000;
    // The most lines a setting can ask for (about 1.5 GB of 132-column rows).
    static constexpr int kMostLines = 1000000;

    // One stored line: exactly the cells of the console row it came from,
    // as wide as the console was then.
    class StoredLine {
    public:
        int width() const { return width_; }
        const ScreenCell* cells() const { return cells_.get(); }
        const ScreenCell& operator[](int i) const { return cells_[i]; }

    private:
        friend class CScrollBackBuffer;
        std::unique_ptr<ScreenCell[]> cells_;
        int width_ = 0;
    };

    explicit CScrollBackBuffer(int capacity = kMaxLines);

    int capacity() const { return capacity_; }
    // Keeps at most lines lines from now on (0: none, clamped to
    // kMostLines); the oldest lines that no longer fit are dropped.
    void SetCapacity(int lines);

    int count() const { return count_; }
    // Line i, oldest first (0 <= i < count()).
    const StoredLine& Line(int i) const { return ring_[Slot(i)]; }
    // Appends a copy of columns cells (a row of the console), dropping the
    // oldest line when the store is full. Nothing is kept at capacity 0.
    void Add(const ScreenCell* cells, int columns);
    // Removes the n newest lines (their storage waits for the next lines).
    void RemoveLast(int n);
    void Clear() { count_ = 0; head_ = 0; }

    // How many times a line's cells were allocated: constant while a full
    // store takes lines of the width it holds.
    long allocations() const { return allocations_; }

private:
    int Slot(int i) const {
        int slot = head_ + i;
        int size = static_cast<int>(ring_.size());
        return slot >= size ? slot - size : slot;
    }
    void Fill(StoredLine& line, const ScreenCell* cells, int columns);

    // The slots in use and spare ones after them; it grows by one slot
    // per line until it holds capacity_ slots, and wraps after that.
    std::vector<StoredLine> ring_;
    int capacity_;
    int head_ = 0;  // the slot of the oldest line; not 0 only when the ring is full
    int count_ = 0;
    long allocations_ = 0;
};

// The program-wide store.
extern CScrollBackBuffer ScrollBack;

// Appends a console row that is about to scroll off the screen (the
// console's scrolled_off hook), keeping as many lines as the
// ConsoleScrollback setting asks for.
void AddScrollBackLine(const ScreenCell* row, int columns);

// Makes the program-wide store keep as many lines as the ConsoleScrollback
// setting asks for.
void ApplyScrollBackSetting();
