#include "console/headlessview.h"

#include <algorithm>

#include "console/console.h"
#include "console/toolkitlock.h"

CHeadlessView::CHeadlessView(int cell_width, int cell_height)
    : cell_width_(std::max(cell_width, 1)), cell_height_(std::max(cell_height, 1)) {}

void CHeadlessView::Attach(CConsole* console) {
    std::lock_guard<std::mutex> guard(mutex_);
    console_ = console;
}

void CHeadlessView::Start() {
    std::lock_guard<std::mutex> guard(mutex_);
    started_ = true;
}

void CHeadlessView::Stop() {
    std::lock_guard<std::mutex> guard(mutex_);
    stopped_ = true;
}

void CHeadlessView::AllocateScreen(int& cell_width, int& cell_height) {
    cell_width = cell_width_;
    cell_height = cell_height_;
    // What was shown is gone; the next paint starts a new screen.
    std::lock_guard<std::mutex> guard(mutex_);
    allocate_count_++;
    shown_.clear();
    columns_ = rows_ = 0;
}

void CHeadlessView::PaintCells(int left, int top, int right, int bottom) {
    std::lock_guard<std::mutex> guard(mutex_);
    paints_.push_back(PaintRect{left, top, right, bottom});
    if (!console_) return;
    if (columns_ != console_->columns() || rows_ != console_->rows()) {
        columns_ = console_->columns();
        rows_ = console_->rows();
        shown_.assign(static_cast<size_t>(columns_) * rows_, ShownCell());
    }
    int cx, cy;
    console_->GetCursorCell(cx, cy);
    bool cursor_visible = console_->CursorVisible();
    for (int y = std::max(top, 0); y < std::min(bottom, rows_); y++) {
        for (int x = std::max(left, 0); x < std::min(right, columns_); x++) {
            ShownCell& shown = shown_[static_cast<size_t>(y) * columns_ + x];
            shown.painted = true;
            shown.cell = console_->cell(x, y);
            shown.cursor = cursor_visible && x == cx && y == cy;
            shown.selected = console_->InSelection(x, y);
        }
    }
}

void CHeadlessView::ScrollPixels(int x, int y, int width, int height, int lines, bool up) {
    std::lock_guard<std::mutex> guard(mutex_);
    scrolls_.push_back(ScrollCall{x, y, width, height, lines, up});
    if (shown_.empty()) return;
    // Move what is shown exactly as pixels would move; the rows that come
    // free keep their old look until the console paints them.
    auto row = [&](int r) { return shown_.begin() + static_cast<ptrdiff_t>(r) * columns_; };
    int left = std::max(x, 0), right = std::min(x + width, columns_);
    for (int i = 0; i < height - lines; i++) {
        int dst = up ? y + i : y + height - 1 - i;
        int src = up ? dst + lines : dst - lines;
        if (dst < 0 || dst >= rows_ || src < 0 || src >= rows_) continue;
        std::copy(row(src) + left, row(src) + right, row(dst) + left);
    }
}

void CHeadlessView::SetTitle(const Westring& title) {
    std::lock_guard<std::mutex> guard(mutex_);
    title_ = title;
}

void CHeadlessView::SetIcons(const std::vector<Westring>& files) {
    std::lock_guard<std::mutex> guard(mutex_);
    icons_ = files;
}

void CHeadlessView::Beep() {
    std::lock_guard<std::mutex> guard(mutex_);
    beeps_++;
}

void CHeadlessView::PutClipText(const Westring& text) {
    std::lock_guard<std::mutex> guard(mutex_);
    clipboard_ = text;
}

Westring CHeadlessView::GetClipText() {
    std::lock_guard<std::mutex> guard(mutex_);
    return clipboard_;
}

int CHeadlessView::ScrollLockState() {
    std::lock_guard<std::mutex> guard(mutex_);
    return scroll_lock_state_;
}

void CHeadlessView::SwitchNumLockOn() {
    std::lock_guard<std::mutex> guard(mutex_);
    num_lock_requests_++;
}

void CHeadlessView::SetScrollLockState(int state) {
    std::lock_guard<std::mutex> guard(mutex_);
    scroll_lock_state_ = state;
}

int CHeadlessView::NumLockRequests() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return num_lock_requests_;
}

bool CHeadlessView::Started() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return started_;
}

bool CHeadlessView::Stopped() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return stopped_;
}

int CHeadlessView::AllocateCount() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return allocate_count_;
}

std::vector<CHeadlessView::PaintRect> CHeadlessView::Paints() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return paints_;
}

int CHeadlessView::PaintCount() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return static_cast<int>(paints_.size());
}

std::vector<CHeadlessView::ScrollCall> CHeadlessView::Scrolls() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return scrolls_;
}

void CHeadlessView::ClearRecords() {
    std::lock_guard<std::mutex> guard(mutex_);
    paints_.clear();
    scrolls_.clear();
}

Westring CHeadlessView::Title() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return title_;
}

std::vector<Westring> CHeadlessView::Icons() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return icons_;
}

int CHeadlessView::BeepCount() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return beeps_;
}

Westring CHeadlessView::ClipText() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return clipboard_;
}

void CHeadlessView::SetClipText(const Westring& text) {
    std::lock_guard<std::mutex> guard(mutex_);
    clipboard_ = text;
}

int CHeadlessView::ShownColumns() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return columns_;
}

int CHeadlessView::ShownRows() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return rows_;
}

CHeadlessView::ShownCell CHeadlessView::Shown(int x, int y) const {
    std::lock_guard<std::mutex> guard(mutex_);
    if (x < 0 || x >= columns_ || y < 0 || y >= rows_) return ShownCell();
    return shown_[static_cast<size_t>(y) * columns_ + x];
}

int CHeadlessView::ShownMismatches() const {
    CToolkitLock lock;  // the console's cells hold still
    std::lock_guard<std::mutex> guard(mutex_);
    if (!console_) return 0;
    int columns = console_->columns(), rows = console_->rows();
    int mismatches = 0;
    for (int y = 0; y < rows; y++) {
        for (int x = 0; x < columns; x++) {
            bool inside = x < columns_ && y < rows_;
            const ShownCell* shown = inside ? &shown_[static_cast<size_t>(y) * columns_ + x] : nullptr;
            if (!shown || !shown->painted || shown->cell != console_->cell(x, y)) mismatches++;
        }
    }
    return mismatches;
}
