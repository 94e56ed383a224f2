#include "remote/remoteendview.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "console/console.h"

namespace {

// A cell no screen holds, so that a forgotten shadow cell always differs.
const ScreenCell kUnknownCell(static_cast<wchar_t>(-1), 0);

// The bytes a message's fixed part takes: the header (marker, command,
// count), four integer parameters and the cell string's own header with
// the 0 byte that ends its characters.
constexpr size_t kRectOverhead = 6 + 4 * 8 + 4 + 1;

size_t utf8_length(wchar_t ch) {
    auto c = static_cast<uint32_t>(ch);
    if (c < 0x80) return 1;
    if (c < 0x800) return 2;
    if (c < 0x10000) return 3;
    return 4;
}

// The bytes one cell adds to a cell string: its character (and mark, which
// travels as a character of its own) in UTF-8 and an attribute byte each.
size_t cell_bytes(const ScreenCell& cell) {
    size_t bytes = utf8_length(cell.ch) + 1;
    if (cell.mark != 0) bytes += utf8_length(cell.mark) + 1;
    return bytes;
}

}  // namespace

CRemoteEndView::CRemoteEndView(std::unique_ptr<CRemoteEndLink> link) : link_(std::move(link)) {}

bool CRemoteEndView::Handshake(Estring& message) {
    CParameterList version, reply;
    version.AddInteger(1);
    int accepted = 0;
    if (!link_->Request(RemoteCommand::Init, version, reply) || reply.Count() < 1 || !reply[0].Integer(accepted)) {
        message = "dv: the window does not answer";
        return false;
    }
    if (accepted != 1) {
        message = "dv: the window speaks another version of the protocol";
        return false;
    }
    CParameterList none, size;
    int columns = 0, rows = 0;
    if (!link_->Request(RemoteCommand::GetSize, none, size) || size.Count() < 2 || !size[0].Integer(columns) ||
        !size[1].Integer(rows)) {
        message = "dv: the window does not tell its size";
        return false;
    }
    window_columns_ = columns;
    window_rows_ = rows;
    greeted_ = true;
    return true;
}

void CRemoteEndView::Attach(CConsole* console) {
    console_ = console;
    if (greeted_) return;
    Estring message;
    if (!Handshake(message)) {
        // Without a window there is nothing this program can show.
        std::fprintf(stderr, "%s\n", message.c_str());
        std::exit(1);
    }
}

void CRemoteEndView::Start() {
    started_ = true;
    link_->StartReader(console_);
    if (window_columns_ != console_->columns() || window_rows_ != console_->rows()) {
        // The program takes on the window's size as if the window had been resized.
        CConsole::TEvent resize;
        resize.type = CConsole::TEvent::Resize;
        resize.x = window_columns_;
        resize.y = window_rows_;
        console_->OnRemoteEvent(resize);
    }
}

void CRemoteEndView::Stop() { link_->StopReader(); }

void CRemoteEndView::AllocateScreen(int& cell_width, int& cell_height) {
    cell_width = cell_height = 1;  // no font here: the window has its own
    const int columns = console_->columns(), rows = console_->rows();
    // Before the start, the window's size is on its way to the program as a
    // Resize event; the window keeps its size when it is no smaller.
    const bool resize_coming = !started_ && window_columns_ >= CConsole::kMinColumns &&
                               window_rows_ >= CConsole::kMinRows;
    if ((columns != window_columns_ || rows != window_rows_) && !resize_coming) {
        CParameterList size, reply;
        size.AddInteger(columns);
        size.AddInteger(rows);
        int done = 0;
        if (link_->Request(RemoteCommand::SetSize, size, reply) && reply.Count() >= 1 && reply[0].Integer(done) &&
            done == 1) {
            window_columns_ = columns;
            window_rows_ = rows;
        }
    }
    shadow_columns_ = columns;
    shadow_rows_ = rows;
    shadow_.assign(static_cast<size_t>(columns) * rows, kUnknownCell);
    // The window's cursor may have been moved by its own resizing.
    sent_cursor_x_ = sent_cursor_y_ = sent_cursor_type_ = -1;
}

void CRemoteEndView::PaintCells(int left, int top, int right, int bottom) {
    if (shadow_columns_ != console_->columns() || shadow_rows_ != console_->rows()) return;
    SendChangedCells(left, top, right, bottom);
    SendCursor();
}

void CRemoteEndView::SendChangedCells(int left, int top, int right, int bottom) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, shadow_columns_);
    bottom = std::min(bottom, shadow_rows_);
    // Runs of rows that changed go out together, each with the columns
    // that changed in any of its rows.
    int run_top = -1, run_left = 0, run_right = 0;
    for (int y = top; y < bottom; y++) {
        int first = -1, last = -1;
        for (int x = left; x < right; x++) {
            if (console_->cell(x, y) == Shadow(x, y)) continue;
            if (first < 0) first = x;
            last = x;
        }
        if (first < 0) {
            if (run_top >= 0) SendCells(run_left, run_top, run_right, y);
            run_top = -1;
            continue;
        }
        if (run_top < 0) {
            run_top = y;
            run_left = first;
            run_right = last + 1;
        } else {
            run_left = std::min(run_left, first);
            run_right = std::max(run_right, last + 1);
        }
    }
    if (run_top >= 0) SendCells(run_left, run_top, run_right, bottom);
}

void CRemoteEndView::SendCells(int left, int top, int right, int bottom) {
    // Each message takes as many whole rows as fit the budget; a row wider
    // than that goes in pieces.
    std::vector<ScreenCell> cells;
    auto flush = [&](int x, int y, int width, int height) {
        if (cells.empty()) return;
        CParameterList params;
        params.AddInteger(x);
        params.AddInteger(y);
        params.AddInteger(width);
        params.AddInteger(height);
        params.AddCellString(cells.data(), cells.size());
        (void)link_->Send(RemoteCommand::PutRect, params);
        cells.clear();
    };
    const int width = right - left;
    int group_top = top;
    size_t group_bytes = kRectOverhead;
    for (int y = top; y < bottom; y++) {
        size_t row_bytes = 0;
        for (int x = left; x < right; x++) row_bytes += cell_bytes(console_->cell(x, y));
        if (group_bytes + row_bytes > kMessageBudget && y > group_top) {
            flush(left, group_top, width, y - group_top);
            group_top = y;
            group_bytes = kRectOverhead;
        }
        if (kRectOverhead + row_bytes > kMessageBudget) {
            // A row alone is too long: its pieces go one by one.
            int piece_left = left;
            size_t piece_bytes = kRectOverhead;
            for (int x = left; x < right; x++) {
                size_t bytes = cell_bytes(console_->cell(x, y));
                if (piece_bytes + bytes > kMessageBudget) {
                    flush(piece_left, y, x - piece_left, 1);
                    piece_left = x;
                    piece_bytes = kRectOverhead;
                }
                cells.push_back(console_->cell(x, y));
                piece_bytes += bytes;
            }
            flush(piece_left, y, right - piece_left, 1);
            group_top = y + 1;
            group_bytes = kRectOverhead;
        } else {
            for (int x = left; x < right; x++) cells.push_back(console_->cell(x, y));
            group_bytes += row_bytes;
        }
        std::copy(&console_->cell(left, y), &console_->cell(left, y) + width, &Shadow(left, y));
    }
    flush(left, group_top, width, bottom - group_top);
}

void CRemoteEndView::SendCursor() {
    int x, y;
    console_->GetCursorCell(x, y);
    if (x != sent_cursor_x_ || y != sent_cursor_y_) {
        CParameterList params;
        params.AddInteger(x);
        params.AddInteger(y);
        if (link_->Send(RemoteCommand::SetCursorPos, params)) {
            sent_cursor_x_ = x;
            sent_cursor_y_ = y;
        }
    }
    const int type = console_->GetCursorType();
    if (type != sent_cursor_type_) {
        CParameterList params;
        params.AddInteger(type);
        if (link_->Send(RemoteCommand::SetCursorType, params)) sent_cursor_type_ = type;
    }
}

void CRemoteEndView::ScrollPixels(int x, int y, int width, int height, int lines, bool up) {
    if (shadow_columns_ != console_->columns() || shadow_rows_ != console_->rows()) return;
    if (width <= 0 || height <= 0 || lines <= 0 || lines > height) return;
    // The console has already moved its cells and blanked the rows that came
    // free, all in one colour.
    const unsigned char attr = console_->cell(x, up ? y + height - 1 : y).attr;
    CParameterList params;
    for (int value : {x, y, width, height, lines}) params.AddInteger(value);
    params.AddAttribute(attr);
    if (!link_->Send(up ? RemoteCommand::ScrollUp : RemoteCommand::ScrollDown, params)) return;
    const ScreenCell blank(L' ', attr);
    for (int i = 0; i < height; i++) {
        const int row = up ? y + i : y + height - 1 - i;
        const int source = up ? row + lines : row - lines;
        ScreenCell* target = &Shadow(x, row);
        if (source >= y && source < y + height) std::copy(&Shadow(x, source), &Shadow(x, source) + width, target);
        else std::fill(target, target + width, blank);
    }
    // The window's console cuts the double-width characters at the edges of
    // the columns as ours did; the cells ours changed then may differ still.
    for (int row = y; row < y + height; row++) {
        mend_wide_boundary(&Shadow(0, row), shadow_columns_, x);
        mend_wide_boundary(&Shadow(0, row), shadow_columns_, x + width);
    }
    SendChangedCells(x - 1, y, x + width + 1, y + height);
}

void CRemoteEndView::SetTitle(const Westring& title) {
    CParameterList params;
    params.AddUnicodeString(title);
    (void)link_->Send(RemoteCommand::SetTitle, params);
}

void CRemoteEndView::SetIcons(const std::vector<Westring>&) {}

void CRemoteEndView::Beep() { (void)link_->Send(RemoteCommand::Beep, CParameterList()); }

void CRemoteEndView::PutClipText(const Westring& text) {
    CParameterList params;
    params.AddUnicodeString(text);
    (void)link_->Send(RemoteCommand::PutClipText, params);
}

Westring CRemoteEndView::GetClipText() {
    CParameterList reply;
    int success = 0;
    Westring text;
    if (!link_->Request(RemoteCommand::GetClipText, CParameterList(), reply)) return Westring();
    if (reply.Count() < 2 || !reply[0].Integer(success) || success == 0 || !reply[1].UnicodeString(text)) {
        return Westring();
    }
    return text;
}

int CRemoteEndView::ScrollLockState() { return -1; }

void CRemoteEndView::SwitchNumLockOn() {}
