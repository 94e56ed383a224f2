// The lines that scrolled off the top of the console, kept with their
// colours for the scroll-back viewer.
#pragma once

#include <deque>

#include "console/cells.h"

class CScrollBackBuffer {
public:
    // The most lines kept; older ones are dropped first.
    static constexpr int kMaxLines = 10000;

    int count() const { return static_cast<int>(lines_.size()); }
    // Line i, oldest first.
    const CellString& Line(int i) const { return lines_[static_cast<size_t>(i)]; }
    void Add(const ScreenCell* cells, int columns);
    void Add(const CellString& line);
    // Removes the n newest lines.
    void RemoveLast(int n);
    void Clear() { lines_.clear(); }

private:
    std::deque<CellString> lines_;
};

// The program-wide store.
extern CScrollBackBuffer ScrollBack;

// Appends a console row that is about to scroll off the screen (the
// console's scrolled_off hook).
void AddScrollBackLine(const ScreenCell* row, int columns);
