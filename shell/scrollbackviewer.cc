#include "shell/scrollbackviewer.h"

#include <algorithm>

#include "console/dialog.h"
#include "console/keys.h"
#include "exec/run.h"
#include "shell/clock.h"

CScrollBackHistory::CScrollBackHistory(const CScrollBackBuffer& store, int screen_rows) : store_(store) {
    int columns = 0, rows = 0;
    if (!console || !console->GetSize(columns, rows)) return;
    screen_rows_ = std::clamp(screen_rows, 0, rows);
    screen_columns_ = columns;
    screen_.resize(static_cast<size_t>(columns) * screen_rows_);
    if (screen_rows_ > 0) {
        ScreenCell* taken = console->GetRect(0, 0, columns, screen_rows_);
        std::copy(taken, taken + screen_.size(), screen_.begin());
        delete[] taken;
    }
}

const ScreenCell* CScrollBackHistory::cells(int i) const {
    if (i < store_.count()) return store_.Line(i).cells();
    return screen_.data() + static_cast<size_t>(i - store_.count()) * screen_columns_;
}

int CScrollBackHistory::width(int i) const {
    return i < store_.count() ? store_.Line(i).width() : screen_columns_;
}

// ---------------------------------------------------------------- viewer

CScrollBackViewer::CScrollBackViewer(const CScrollBackHistory& history)
    : Win(0, 0, console->columns() - 1, console->rows() - 1, colours[CLR_COMMAND_LINE], -1, true),
      history_(history),
      columns_(width()),
      rows_(height()),
      count_(history.count()) {
    top_ = last_top();
    Paint();
}

void CScrollBackViewer::ClearRow(int row) {
    console->FillCell(origin_x(), origin_y() + row, columns_, ScreenCell(L' ', attr()));
}

void CScrollBackViewer::PaintLine(int row, int line) {
    const ScreenCell* cells = history_.cells(line);
    const int width = history_.width(line);
    const int shown = std::min(width, columns_);
    work_.SetLength(0);
    work_.Append(cells, shown);
    // A double-width character the window's edge cuts in half is not shown.
    if (shown < width && shown > 0 && is_wide_head(work_[shown - 1]))
        work_[shown - 1] = ScreenCell(L' ', work_[shown - 1].attr);
    // A line narrower than the window (stored before the console widened)
    // goes on in its last colour.
    const unsigned char blank = shown > 0 ? cells[shown - 1].attr : attr();
    while (work_.length() < columns_) work_ += ScreenCell(L' ', blank);
    console->PutRect(origin_x(), origin_y() + row, columns_, 1, work_.cells());
}

void CScrollBackViewer::Paint() {
    console->BeginPaint();
    for (int row = 0; row < rows_; row++) {
        if (top_ + row < count_) PaintLine(row, top_ + row);
        else ClearRow(row);
    }
    console->EndPaint();
}

bool CScrollBackViewer::Key(int key) {
    switch (key) {
    case KEY_ESC: return false;
    case KEY_HOME:
        if (top_ > 0) {
            top_ = 0;
            Paint();
        }
        break;
    case KEY_UP:
        if (top_ > 0) {
            top_--;
            Scroll(0, 0, columns_, rows_, -1);
            PaintLine(0, top_);
        }
        break;
    case KEY_PGUP:
        if (top_ > 0) {
            // A page back, keeping two lines of the page in view.
            top_ = std::max(0, top_ - rows_ + 2);
            Paint();
        }
        break;
    case KEY_DOWN:
        if (top_ + rows_ < count_) {
            top_++;
            Scroll(0, 0, columns_, rows_, 1);
            PaintLine(rows_ - 1, top_ + rows_ - 1);
        }
        break;
    case KEY_PGDN:
        if (top_ + rows_ < count_) {
            top_ = std::min(top_ + std::max(1, rows_ - 2), last_top());
            Paint();
        }
        break;
    case KEY_END:
        if (top_ + rows_ < count_) {
            top_ = last_top();
            Paint();
        }
        break;
    default: break;
    }
    return true;
}

void CScrollBackViewer::Show() {
    CConsole::Rect saved_zone;
    console->GetSelectionZone(saved_zone);
    console->SetSelectionZone(origin_x(), origin_y(), columns_, rows_);
    for (;;) {
        Event event;
        event.GetEvent(-1);
        if (event.type != Event::Key) continue;
        // The window was closed: the viewer goes so the program can end.
        if (event.key == KEY_QUIT || !Key(event.key)) break;
    }
    // A zone of the one cell (0, 0) is what a console without a zone reports.
    const bool had_zone = saved_zone.left || saved_zone.top || saved_zone.right || saved_zone.bottom;
    if (had_zone) console->SetSelectionZone(saved_zone);
    else console->ResetSelectionZone();
}

void ShowScrollBack() {
    if (!console) return;
    ApplyScrollBackSetting();
    EnablePanels(false);
    hide_clock();
    {
        int columns = 0, rows = 0;
        static_cast<void>(console->GetSize(columns, rows));
        // Everything above the command line and the function-key bar.
        CScrollBackHistory history(ScrollBack, rows - 2);
        CScrollBackViewer viewer(history);
        viewer.Show();
    }
    EnablePanels(true);
    init_clock();
}
