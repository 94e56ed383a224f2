// The full-screen viewer of the scroll-back: the lines that scrolled off
// the console, followed by the console's rows above the command line as
// they were when it opened, paged with the cursor keys.
#pragma once

#include <vector>

#include "console/win.h"
#include "shell/scrollback.h"

// What the viewer pages through, as one sequence: the store's lines, oldest
// first, then the rows of the screen taken when the history is made. The
// store is read in place, never copied or changed.
class CScrollBackHistory {
public:
    // Takes rows 0 to screen_rows - 1 of the console now.
    CScrollBackHistory(const CScrollBackBuffer& store, int screen_rows);

    int count() const { return store_.count() + screen_rows_; }
    // Line i's cells and how many there are.
    const ScreenCell* cells(int i) const;
    int width(int i) const;

private:
    const CScrollBackBuffer& store_;
    std::vector<ScreenCell> screen_;
    int screen_columns_ = 0;
    int screen_rows_ = 0;
};

class CScrollBackViewer : public Win {
public:
    // Covers the whole screen in the Command Line colour and shows the
    // history's last page.
    explicit CScrollBackViewer(const CScrollBackHistory& history);

    // Pages through the history until Escape; mouse drags select text.
    void Show();
    // The index of the line shown on the top row.
    int top_line() const { return top_; }

private:
    void Paint();
    // Shows history line `line` on window row `row`, cut or padded with
    // blanks to the window's width.
    void PaintLine(int row, int line);
    void ClearRow(int row);
    // Applies one key; false when it ends the viewer.
    bool Key(int key);
    int last_top() const { return count_ > rows_ ? count_ - rows_ : 0; }

    const CScrollBackHistory& history_;
    CellString work_;
    int columns_;
    int rows_;
    int count_;
    int top_ = 0;
};

// Shows the scroll-back of the program-wide store with the panels and the
// clock put away, and brings them back afterwards.
void ShowScrollBack();
