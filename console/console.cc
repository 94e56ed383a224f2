// The console's screen: construction, size, cell output, painting, cursor,
// scrolling and teletype output. Every operation that touches the cells or
// the view holds the toolkit lock, so the toolkit thread never paints a
// half-changed screen.
#include "console/console.h"

#include <algorithm>

#include "console/consoleview.h"
#include "console/toolkitlock.h"
#include "lib/cellwidth.h"

namespace {

// Sizes beyond this are refused: no screen is that large, and the cell count
// must stay far from overflowing.
constexpr int kMaxScreenSide = 4096;

const ScreenCell kBlank(L' ', 0x07);

// The part of start..start+count-1 inside 0..limit-1, as [first, end);
// empty (first == end) when nothing is left. Safe for any int arguments.
void clip(int start, int count, int limit, int& first, int& end) {
    long long a = std::max<long long>(start, 0);
    long long b = std::min<long long>(static_cast<long long>(start) + count, limit);
    first = static_cast<int>(std::min<long long>(a, limit));
    end = static_cast<int>(std::max(static_cast<long long>(first), b));
}

// Stores a cell; true when it changed.
bool store_cell(ScreenCell& target, ScreenCell cell) {
    if (target == cell) return false;
    target = cell;
    return true;
}

// The characters of a string up to the row's end, from column x.
template <class Char, class More>
int run_length(int x, int columns, const Char* text, More more) {
    int count = 0;
    while (x + count < columns && more(text[count])) count++;
    return count;
}

}  // namespace

// ---------------------------------------------------------------- lifecycle

CConsole::CConsole(CConsoleView* view) : view_(view), attr_(colours[CLR_COMMAND_LINE]) {
    for (int n = 0; n < 16; n++) palette_[n] = palette_colour(n);
    view_->Attach(this);
    {
        CToolkitLock lock;
        AllocateScreen();
        view_->SetTitle(Westring(L"DV/L"));
    }
    view_->Start();
}

CConsole::~CConsole() {
    view_->Stop();
    if (console == this) console = nullptr;
}

void CConsole::AllocateScreen() {
    size_t count = static_cast<size_t>(columns_) * rows_;
    std::unique_ptr<ScreenCell[]> fresh(new ScreenCell[count]);
    std::fill(fresh.get(), fresh.get() + count, kBlank);
    cells_ = std::move(fresh);
    selection_shown_ = false;
    view_->AllocateScreen(cell_width_, cell_height_);
}

bool CConsole::GetSize(int& columns, int& rows) const {
    columns = columns_;
    rows = rows_;
    return true;
}

bool CConsole::SetSize(int columns, int rows, const char* font_name, int font_size) {
    if (columns < 1 || rows < 1 || columns > kMaxScreenSide || rows > kMaxScreenSide) return false;
    CToolkitLock lock;
    columns_ = columns;
    rows_ = rows;
    if (font_name && *font_name) font_name_ = font_name;
    if (font_size != 0) font_size_ = font_size;
    AllocateScreen();
    return true;
}

void CConsole::SetCodePage(int code_page) {
    if (code_page != 0) code_page_ = code_page;
}

// ---------------------------------------------------------------- painting

void CConsole::RequestPaint(int left, int top, int right, int bottom) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, columns_);
    bottom = std::min(bottom, rows_);
    if (left >= right || top >= bottom) return;
    if (paint_nesting_ == 0) {
        PaintNow(left, top, right, bottom);
        return;
    }
    if (dirty_left_ < 0) {
        dirty_left_ = left;
        dirty_top_ = top;
        dirty_right_ = right;
        dirty_bottom_ = bottom;
    } else {
        dirty_left_ = std::min(dirty_left_, left);
        dirty_top_ = std::min(dirty_top_, top);
        dirty_right_ = std::max(dirty_right_, right);
        dirty_bottom_ = std::max(dirty_bottom_, bottom);
    }
}

void CConsole::PaintNow(int left, int top, int right, int bottom) {
    CToolkitLock lock;
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, columns_);
    bottom = std::min(bottom, rows_);
    if (left >= right || top >= bottom) return;
    view_->PaintCells(left, top, right, bottom);
}

void CConsole::BeginPaint() {
    CToolkitLock lock;
    paint_nesting_++;
}

void CConsole::EndPaint() {
    CToolkitLock lock;
    if (paint_nesting_ == 0) return;  // unbalanced: nothing is held back
    if (--paint_nesting_ > 0 || dirty_left_ < 0) return;
    int left = dirty_left_, top = dirty_top_, right = dirty_right_, bottom = dirty_bottom_;
    dirty_left_ = -1;
    PaintNow(left, top, right, bottom);
}

// ---------------------------------------------------------------- output

wchar_t DisplayMap(wchar_t ch) {
    // The graphic symbols of code page 437 for the control characters 1-31.
    static const wchar_t symbols[32] = {
        0,      0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022, 0x25D8, 0x25CB, 0x25D9,
        0x2642, 0x2640, 0x266A, 0x266B, 0x263C, 0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7,
        0x25AC, 0x21A8, 0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC,
    };
    if (ch >= 1 && ch <= 31) return symbols[ch];
    if (ch >= 127 && ch <= 159) return 0x2302;
    return ch;
}


void CConsole::PutStringAt(int x, int y, const char* text, unsigned char attr) {
    if (!text) return;
    Westring wide(text, code_page_);
    PutStringAt(x, y, wide.c_str(), attr);
}

template <class Change>
void CConsole::ChangeRow(int x, int y, int count, Change change) {
    if (y < 0 || y >= rows_) return;
    int begin, end;
    clip(x, count, columns_, begin, end);
    int first = -1, last = -1;
    for (int col = begin; col < end; col++) {
        if (!change(col - x, row_ptr(y)[col])) continue;
        if (first < 0) first = col;
        last = col;
    }
    if (first < 0) return;
    mend_wide_boundary(row_ptr(y), columns_, begin, &first, &last);
    mend_wide_boundary(row_ptr(y), columns_, end, &first, &last);
    RequestPaint(first, y, last + 1, y + 1);
}

// Keeps double-width characters whole at the edges of columns begin..end-1
// of row y after the cells inside changed, painting a half it blanked.
void CConsole::MendRowEdges(int y, int begin, int end) {
    int first = -1, last = -1;
    mend_wide_boundary(row_ptr(y), columns_, begin, &first, &last);
    mend_wide_boundary(row_ptr(y), columns_, end, &first, &last);
    if (first >= 0) RequestPaint(first, y, last + 1, y + 1);
}

void CConsole::PutStringAt(int x, int y, const wchar_t* text, unsigned char attr) {
    if (!text || x >= columns_) return;
    // As much text as reaches the row's end, and the character that crosses
    // it, so that a double-width one there shows as a blank half.
    long long room = static_cast<long long>(columns_) - x;
    int count = CharsThatFit(text, static_cast<int>(std::min<long long>(room, 1 << 30)));
    if (text[count]) count++;
    CellString cells;
    cells.Append(text, attr, count);
    PutCells(x, y, cells.cells(), cells.length());
}

void CConsole::PutStringAt(int x, int y, const ScreenCell* cells) {
    if (!cells) return;
    PutCells(x, y, cells, run_length(x, columns_, cells, [](const ScreenCell& c) { return c.ch != 0; }));
}

void CConsole::PutCells(int x, int y, const ScreenCell* cells, int count) {
    CToolkitLock lock;
    ChangeRow(x, y, count, [&](int i, ScreenCell& target) {
        ScreenCell shown = cells[i];
        shown.ch = DisplayMap(shown.ch);
        return store_cell(target, shown);
    });
}

void CConsole::FillCell(int x, int y, int count, ScreenCell cell) {
    CToolkitLock lock;
    cell.ch = DisplayMap(cell.ch);
    // A fill repeats one cell: a double-width character cannot.
    if (cell.ch == kWideTail || CellWidth(cell.ch) != 1) cell = ScreenCell(L' ', cell.attr);
    ChangeRow(x, y, count, [&](int, ScreenCell& target) { return store_cell(target, cell); });
}

void CConsole::FillAttr(int x, int y, int count, unsigned char attr) {
    CToolkitLock lock;
    ChangeRow(x, y, count, [&](int, ScreenCell& target) {
        if (target.attr == attr) return false;
        target.attr = attr;
        return true;
    });
}

void CConsole::Clear(int x, int y, int width, int height, unsigned char attr) {
    CToolkitLock lock;
    int left, right, top, bottom;
    clip(x, width, columns_, left, right);
    clip(y, height, rows_, top, bottom);
    if (left >= right || top >= bottom) return;
    for (int row = top; row < bottom; row++) {
        std::fill(row_ptr(row) + left, row_ptr(row) + right, ScreenCell(L' ', attr));
        MendRowEdges(row, left, right);
    }
    RequestPaint(left, top, right, bottom);
}

void CConsole::Clear() { Clear(0, 0, columns_, rows_, attr_); }

ScreenCell* CConsole::GetRect(int x, int y, int width, int height) {
    if (width <= 0 || height <= 0) return nullptr;
    CToolkitLock lock;
    ScreenCell* out = new ScreenCell[static_cast<size_t>(width) * height];
    for (int row = 0; row < height; row++)
        for (int col = 0; col < width; col++) out[static_cast<size_t>(row) * width + col] = CellOrBlank(x, col, y, row);
    return out;
}

// The cell at (x + dx, y + dy), or a blank one off the screen.
ScreenCell CConsole::CellOrBlank(int x, int dx, int y, int dy) const {
    long long cx = static_cast<long long>(x) + dx, cy = static_cast<long long>(y) + dy;
    if (cx < 0 || cx >= columns_ || cy < 0 || cy >= rows_) return kBlank;
    return cell(static_cast<int>(cx), static_cast<int>(cy));
}

void CConsole::GetRect(CellString& out, int x, int y, int width, int height) {
    out.SetLength(0);
    if (width <= 0 || height <= 0) return;
    CToolkitLock lock;
    for (int row = 0; row < height; row++)
        for (int col = 0; col < width; col++) out += CellOrBlank(x, col, y, row);
}

void CConsole::PutRect(int x, int y, int width, int height, const ScreenCell* cells) {
    if (!cells || width <= 0 || height <= 0) return;
    CToolkitLock lock;
    int left, right, top, bottom;
    clip(x, width, columns_, left, right);
    clip(y, height, rows_, top, bottom);
    if (left >= right || top >= bottom) return;
    for (int row = top; row < bottom; row++) {
        for (int col = left; col < right; col++)
            row_ptr(row)[col] = cells[static_cast<size_t>(row - y) * width + (col - x)];
        MendRowEdges(row, left, right);
    }
    RequestPaint(left, top, right, bottom);
}

void CConsole::SetAttr(unsigned char attr) { attr_ = attr; }

// ---------------------------------------------------------------- scrolling

void CConsole::ScrollUp(int x, int y, int width, int height, int lines, unsigned char attr) {
    Scroll(x, y, width, height, lines, attr, true);
}

void CConsole::ScrollDown(int x, int y, int width, int height, int lines, unsigned char attr) {
    Scroll(x, y, width, height, lines, attr, false);
}

void CConsole::Scroll(int x, int y, int width, int height, int lines, unsigned char attr, bool up) {
    CToolkitLock lock;
    // Only the part of the rectangle on the screen moves.
    int left, right, top, bottom;
    clip(x, width, columns_, left, right);
    clip(y, height, rows_, top, bottom);
    if (left >= right || top >= bottom || lines <= 0) return;
    int w = right - left, h = bottom - top;
    if (lines > h) lines = h;

    Rect area{left, top, right - 1, bottom - 1};
    if (CursorVisible() && area.Includes(cursor_x_, cursor_y_)) HideCursorNow();

    const bool whole_area = paint_nesting_ > 0 || lines == h;
    // Double-width characters cut at the edges are mended as the rows move;
    // they are painted after the pixels move, which would cover them.
    BeginPaint();
    ScreenCell fill(L' ', attr);
    for (int i = 0; i < h; i++) {
        int row = up ? top + i : bottom - 1 - i;
        int source = up ? row + lines : row - lines;
        ScreenCell* dst = row_ptr(row) + left;
        if (source >= top && source < bottom) std::copy(row_ptr(source) + left, row_ptr(source) + right, dst);
        else std::fill(dst, dst + w, fill);
        MendRowEdges(row, left, right);
    }

    if (whole_area) {
        RequestPaint(left, top, right, bottom);
    } else {
        view_->ScrollPixels(left, top, w, h, lines, up);
        if (up) PaintNow(left, bottom - lines, right, bottom);
        else PaintNow(left, top, right, top + lines);
    }
    EndPaint();
}

// ---------------------------------------------------------------- cursor

void CConsole::SetCursorPos(int x, int y) {
    CToolkitLock lock;
    if (x == cursor_x_ && y == cursor_y_) return;
    int old_x = cursor_x_, old_y = cursor_y_;
    cursor_x_ = x;
    cursor_y_ = y;
    if (InsideScreen(old_x, old_y)) RequestPaint(old_x, old_y, old_x + 1, old_y + 1);
    RestartBlink();
    RepaintCursorCell();
}

void CConsole::GetCursorPos(int& x, int& y) const {
    x = cursor_x_;
    y = cursor_y_;
}

void CConsole::GetCursorCell(int& x, int& y) const {
    x = cursor_x_;
    y = cursor_y_;
}

void CConsole::SetCursorType(int percent) {
    CToolkitLock lock;
    if (percent < 0) percent = 0;
    if (percent > 100) percent = 100;
    if (percent == cursor_type_) return;
    cursor_type_ = percent;
    RestartBlink();
    RepaintCursorCell();
}

void CConsole::RepaintCursorCell() {
    CToolkitLock lock;
    if (InsideScreen(cursor_x_, cursor_y_)) RequestPaint(cursor_x_, cursor_y_, cursor_x_ + 1, cursor_y_ + 1);
}

// Takes the cursor off the screen until its next blink, so that moving
// pixels cannot carry it along.
void CConsole::HideCursorNow() {
    blink_phase_ = 5;
    RepaintCursorCell();
}

void CConsole::RestartBlink() { blink_phase_ = 0; }

void CConsole::AdvanceBlink() {
    CToolkitLock lock;
    int phase = blink_phase_;
    if ((phase == 0 || phase == 5) && cursor_type_ > 0) RepaintCursorCell();
    blink_phase_ = (phase + 1) % 10;
}

// ---------------------------------------------------------------- teletype output

// Writes a row buffer back to the screen, painting only the cells that changed.
void CConsole::WriteBackRow(int y, const ScreenCell* row) {
    int first = -1, last = -1;
    ScreenCell* target = row_ptr(y);
    for (int col = 0; col < columns_; col++) {
        if (target[col] == row[col]) continue;
        target[col] = row[col];
        if (first < 0) first = col;
        last = col;
    }
    if (first >= 0) RequestPaint(first, y, last + 1, y + 1);
}

// Moves to the next row, scrolling the whole screen up when it passes the
// last one; the line that leaves the top goes to the scroll-back store.
void CConsole::TeletypeNewLine(int& y) {
    if (++y < rows_) return;
    y = rows_ - 1;
    if (console_hooks.scrolled_off) console_hooks.scrolled_off(row_ptr(0), columns_);
    Scroll(0, 0, columns_, rows_, 1, attr_, true);
}

// Puts a printable character into the row buffer at x and moves x past it:
// a double-width one that does not fit before the row's end goes to the
// next row, a combining mark joins the cell before it.
void CConsole::PutTeletypeChar(std::unique_ptr<ScreenCell[]>& row, int& x, int& y, wchar_t ch) {
    if (CellWidth(ch) == 0) {
        if (x > 0) join_mark(row[x - (x >= 2 && is_wide_tail(row[x - 1]) ? 2 : 1)], ch);
        return;
    }
    CellString laid_out;
    laid_out.Append(&ch, attr_, 1);
    if (x + laid_out.length() > columns_) {
        WriteBackRow(y, row.get());
        x = 0;
        TeletypeNewLine(y);
        std::copy(row_ptr(y), row_ptr(y) + columns_, row.get());
    }
    const int start = x;
    for (int i = 0; i < laid_out.length() && x < columns_; i++) row[x++] = laid_out[i];
    mend_wide_boundary(row.get(), columns_, start);
    mend_wide_boundary(row.get(), columns_, x);
}

void CConsole::Write(const char* utf8) {
    if (!utf8) return;
    if (terminal_) {
        terminal_->Output(utf8);
        return;
    }
    WriteTeletype(utf8);
}

void CConsole::WriteTeletype(const char* utf8) {
    if (!utf8) return;
    Westring text(utf8);
    CToolkitLock lock;

    int saved_type = cursor_type_;
    if (CursorVisible()) HideCursorNow();
    cursor_type_ = 0;

    int x = std::clamp(cursor_x_, 0, columns_);
    int y = std::clamp(cursor_y_, 0, rows_ - 1);
    std::unique_ptr<ScreenCell[]> row(new ScreenCell[columns_]);
    std::copy(row_ptr(y), row_ptr(y) + columns_, row.get());

    for (const wchar_t* p = text.c_str(); *p; p++) {
        wchar_t ch = *p;
        if (x >= columns_) {
            WriteBackRow(y, row.get());
            x = 0;
            TeletypeNewLine(y);
            std::copy(row_ptr(y), row_ptr(y) + columns_, row.get());
        }
        switch (ch) {
        case L'\t':
            x = std::min((x | 7) + 1, columns_);
            break;
        case L'\r':
            x = 0;
            break;
        case L'\b':
            if (x > 0) x--;
            break;
        case L'\n':
            WriteBackRow(y, row.get());
            x = 0;
            TeletypeNewLine(y);
            std::copy(row_ptr(y), row_ptr(y) + columns_, row.get());
            break;
        default:
            // Printable: from the space up, without DEL and the C1 controls.
            if (ch >= 32 && (ch < 127 || ch > 159)) PutTeletypeChar(row, x, y, ch);
            break;
        }
    }
    WriteBackRow(y, row.get());
    cursor_type_ = saved_type;
    if (x != cursor_x_ || y != cursor_y_) {
        SetCursorPos(x, y);
    } else if (saved_type > 0) {
        RestartBlink();
        RepaintCursorCell();
    }
}

// ---------------------------------------------------------------- title, icons, bell, clipboard

void CConsole::SetTitle(const wchar_t* text) {
    Westring title = remote_name_.empty() ? Westring() : Westring(L"Remote (") + Westring(remote_name_.c_str()) + L") ";
    title += text ? text : L"";
    CToolkitLock lock;
    view_->SetTitle(title);
}

void CConsole::SetTitle(const char* text) {
    Westring wide(text ? text : "", code_page_);
    SetTitle(wide.c_str());
}

void CConsole::SetIcon(const char* file) {
    if (!file) return;
    SetIcons(std::vector<Westring>{Westring(file)});
}

void CConsole::SetIcons(const std::vector<Westring>& files) {
    CToolkitLock lock;
    view_->SetIcons(files);
}

void CConsole::Beep() {
    CToolkitLock lock;
    view_->Beep();
}

void CConsole::PutClipText(const char* text) {
    Westring wide(text ? text : "", code_page_);
    PutClipText(wide.c_str());
}

void CConsole::PutClipText(const wchar_t* text) {
    CToolkitLock lock;
    PutClipTextNoLock(text);
}

void CConsole::PutClipTextNoLock(const wchar_t* text) { view_->PutClipText(Westring(text ? text : L"")); }

bool CConsole::GetClipText(Westring& text) {
    text = view_->GetClipText();
    return true;
}

void CConsole::AttachTerminal(CTerminalAttachment* emulator) {
    std::unique_ptr<CTerminalAttachment> old;
    {
        CToolkitLock lock;  // the toolkit thread hands keys to the emulator
        old = std::move(terminal_);
        terminal_.reset(emulator);
    }
    // old is destroyed here, outside the lock.
}

void CConsole::BreakHandler() {
    int running = 1;
    break_status.compare_exchange_strong(running, 2);
}
