// Popup windows.
#include "console/win.h"

#include <cwctype>

#include "lib/cellwidth.h"
#include "lib/codepage.h"

bool win_shadows = true;

namespace {

int screen_columns() {
    int columns = 0, rows = 0;
    console->GetSize(columns, rows);
    return columns;
}

int screen_rows() {
    int columns = 0, rows = 0;
    console->GetSize(columns, rows);
    return rows;
}

int clamp(int v, int low, int high) { return v < low ? low : v > high ? high : v; }

int wide_length(const wchar_t* text) {
    int n = 0;
    while (text[n]) n++;
    return n;
}

// Narrow window text is in the program's code page.
Westring from_codepage(const char* text) { return Westring(text ? text : "", effective_codepage()); }

}  // namespace

Westring FitCells(const wchar_t* text, int cells) {
    if (cells <= 0) return Westring();
    int used = 0;
    int count = CharsThatFit(text, cells, &used);
    return Westring(text ? text : L"", count) + String(L' ', cells - used);
}

int ScrollToCursor(const Westring& text, int first, int pos, int view) {
    int under_cursor = pos < text.strlen() && CellWidth(text[pos]) > 1 ? 2 : 1;
    int before = TextCells(text.c_str() + first, pos - first);
    while (first < pos && before + under_cursor > view) before -= CellWidth(text[first++]);
    while (first < pos && CellWidth(text[first]) == 0) first++;
    return first;
}

unsigned char hot_attr(unsigned char attr) {
    int fg = attr & 0x0F;
    int bg = attr >> 4;
    bool light_background = (bg & 6) == 6;
    if (light_background) fg = fg == 9 ? ((bg & 8) ? 0 : 15) : 9;
    else fg = fg == 14 ? 15 : 14;
    return static_cast<unsigned char>((bg << 4) | fg);
}

Win::Win(int left, int top, int right, int bottom, int attr, int frame_attr, bool no_shadow)
    : asked_left_(left), asked_top_(top), asked_right_(right), asked_bottom_(bottom) {
    Place(left, top, right, bottom);
    shadow_ = win_shadows && frame_attr >= 0 && !no_shadow && bottom_ + 1 < screen_rows() && right_ + 2 < screen_columns();

    console->BeginPaint();
    saved_.reset(GetWin(true));
    if (attr >= 0) {
        attr_ = static_cast<unsigned char>(attr);
        console->Clear(left_, top_, width(), height(), attr_);
    }
    if (shadow_) addshadow();
    if (frame_attr >= 0) pu_paint(frame_attr);
    console->EndPaint();
}

void Win::Place(int left, int top, int right, int bottom) {
    int columns = screen_columns(), rows = screen_rows();
    if (left < 0) {
        int width = right;
        left = (columns - width) / 2;
        right = left + width - 1;
    }
    if (top < 0) {
        int height = bottom;
        top = (rows - height) / -top;
        bottom = top + height - 1;
    }
    // A window larger than the screen is cut to it, so that saving and
    // restoring never reach outside the screen's cells.
    left_ = clamp(left, 0, columns - 1);
    top_ = clamp(top, 0, rows - 1);
    right_ = clamp(right, left_, columns - 1);
    bottom_ = clamp(bottom, top_, rows - 1);
    origin_x_ = left_;
    origin_y_ = top_;
}

Win::~Win() {
    if (!hidden_ && saved_) PutWin(saved_.get(), true);
}

void Win::SetOrigin(int x, int y) {
    origin_x_ = left_ + x;
    origin_y_ = top_ + y;
}

void Win::Goto(int x, int y) {
    cursor_x_ = x;
    cursor_y_ = y;
    console->SetCursorPos(origin_x_ + x, origin_y_ + y);
}

void Win::put_clipped(int sx, int sy, const wchar_t* text, int count, unsigned char attr) {
    int columns = 0, rows = 0;
    console->GetSize(columns, rows);
    if (sy < 0 || sy >= rows || sx >= columns || count <= 0) return;
    Westring piece(text, count);
    if (sx < 0) {
        // Drop the characters left of the screen; the right half of a wide
        // character cut there becomes a blank.
        int skipped = 0, first = 0;
        while (first < count && skipped < -sx) skipped += CellWidth(piece[first++]);
        while (first < count && CellWidth(piece[first]) == 0) first++;
        piece = piece.mid(first);
        sx += skipped;
        if (sx > 0 && !piece.empty()) piece = String(L' ', sx) + piece;
        sx = 0;
        if (piece.empty()) return;
    }
    int room = columns - sx;
    if (TextCells(piece.c_str()) > room) piece = FitCells(piece.c_str(), room);
    console->PutStringAt(sx, sy, piece.c_str(), attr);
}

void Win::puts_at(int x, int y, const char* text, int attr) {
    Westring wide = from_codepage(text);
    puts_at(x, y, wide.c_str(), attr);
}

void Win::puts_at(int x, int y, const wchar_t* text, int attr) {
    int length = text ? wide_length(text) : 0;
    if (length > 0) put_clipped(origin_x_ + x, origin_y_ + y, text, length, attr_or_default(attr));
    cursor_x_ = x + TextCells(text, length);
    cursor_y_ = y;
}

void Win::puts(const char* text, int attr) { puts_at(cursor_x_, cursor_y_, text, attr); }
void Win::puts(const wchar_t* text, int attr) { puts_at(cursor_x_, cursor_y_, text, attr); }

void Win::putcs_at(int x, int y, const ScreenCell* cells) {
    CellString row;
    if (cells) row.Append(cells, -1);
    putcs_at(x, y, row);
}

void Win::putcs_at(int x, int y, const CellString& cells) {
    int columns = 0, rows = 0;
    console->GetSize(columns, rows);
    int sx = origin_x_ + x, sy = origin_y_ + y;
    int first = sx < 0 ? -sx : 0;
    int count = cells.length() - first;
    if (sx + first + count > columns) count = columns - (sx + first);
    if (sy >= 0 && sy < rows && count > 0) {
        std::unique_ptr<ScreenCell[]> row(new ScreenCell[count + 1]);
        for (int i = 0; i < count; i++) row[i] = cells[first + i];
        row[count] = ScreenCell(0, 0);
        console->PutStringAt(sx + first, sy, row.get());
    }
    cursor_x_ = x + cells.length();
    cursor_y_ = y;
}

void Win::putcs(const ScreenCell* cells) { putcs_at(cursor_x_, cursor_y_, cells); }
void Win::putcs(const CellString& cells) { putcs_at(cursor_x_, cursor_y_, cells); }

void Win::PutCentre(int y, const char* text, int attr) {
    Westring wide = from_codepage(text);
    PutCentre(y, wide.c_str(), attr);
}

void Win::PutCentre(int y, const wchar_t* text, int attr) {
    if (!text) return;
    int x = (inner_width() - TextCells(text)) / 2;
    puts_at(x < 0 ? 0 : x, y, text, attr);
}

void Win::PutHot(int x, int y, const char* text, const char* hot, int attr) {
    Westring wide = from_codepage(text), wide_hot = from_codepage(hot);
    PutHot(x, y, wide.c_str(), wide_hot.c_str(), attr);
}

void Win::PutHot(int x, int y, const wchar_t* text, const wchar_t* hot, int attr) {
    if (!text) return;
    unsigned char a = attr_or_default(attr);
    puts_at(x, y, text, a);
    int columns = screen_columns(), rows = screen_rows();
    int length = wide_length(text);
    for (int h = 0; hot && hot[h]; h++) {
        Westring s(text);
        int at = s.chr(static_cast<wchar_t>(std::towupper(hot[h])));
        if (at < 0) at = s.chr(static_cast<wchar_t>(std::towlower(hot[h])));
        if (at < 0 || at >= length) continue;
        int sx = origin_x_ + x + TextCells(text, at), sy = origin_y_ + y;
        int cells = CellWidth(text[at]) > 1 ? 2 : 1;
        if (sx + cells > columns) cells = columns - sx;
        if (sx >= 0 && cells > 0 && sy >= 0 && sy < rows) console->FillAttr(sx, sy, cells, hot_attr(a));
    }
}

int Win::PutParagraph(int x, int y, const char* text) {
    Westring wide(text);  // UTF-8
    return PutParagraph(x, y, wide.c_str());
}

int Win::PutParagraph(int x, int y, const wchar_t* text) {
    Westring rest(text);
    int width = inner_width();
    while (!rest.empty()) {
        int available = width - 1 - x;
        if (available < 1) available = 1;
        int fit = CharsThatFit(rest.c_str(), available);
        if (fit == 0 && x > 0) {  // not even one character fits after x: the next row
            y++;
            x = 0;
            continue;
        }
        if (fit == 0) fit = 1;  // always make progress
        Westring piece = rest.left(fit);
        if (fit < rest.strlen()) {
            // Break at the last blank, which may be the one just past the row.
            int space = rest[fit] == L' ' ? fit : piece.rchr(L' ');
            if (space >= 0) piece = piece.left(space);
        }
        puts_at(x, y, piece.c_str());
        y++;
        x = 0;
        rest = rest.mid(piece.strlen()).ltrim();
    }
    return y;
}

void Win::PutRect(int x, int y, int width, int height, const CellString& cells) {
    if (width <= 0 || height <= 0) return;
    for (int row = 0; row < height; row++) {
        int first = row * width;
        if (first >= cells.length()) break;  // a short cell string fills only its rows
        putcs_at(x, y + row, cells.mid(first, width));
    }
}

void Win::clreol(int attr) {
    int inner_right = framed_ ? right_ - 1 : right_;
    int sx = origin_x_ + cursor_x_, sy = origin_y_ + cursor_y_;
    if (sx < 0) sx = 0;
    int count = inner_right - sx + 1;
    if (count <= 0 || sy < top_ || sy > bottom_) return;
    console->FillCell(sx, sy, count, ScreenCell(L' ', attr_or_default(attr)));
}

void Win::Clear() { Clear(0, 0); }

void Win::Clear(int top_rows, int bottom_rows) {
    int inset = framed_ ? 1 : 0;
    int first = top_ + inset + (top_rows > 0 ? top_rows : 0);
    int last = bottom_ - inset - (bottom_rows > 0 ? bottom_rows : 0);
    int width = right_ - left_ + 1 - 2 * inset;
    if (last < first || width <= 0) return;
    console->Clear(left_ + inset, first, width, last - first + 1, attr_);
}

void Win::Scroll(int x, int y, int width, int height, int lines) {
    if (lines == 0 || width <= 0 || height <= 0) return;
    if (lines > 0) console->ScrollUp(origin_x_ + x, origin_y_ + y, width, height, lines, attr_);
    else console->ScrollDown(origin_x_ + x, origin_y_ + y, width, height, -lines, attr_);
}

void Win::hide(bool hidden) {
    if (hidden == hidden_ || !saved_) return;
    // Swap what the screen shows with what was saved.
    std::unique_ptr<ScreenCell[]> shown(GetWin(true));
    PutWin(saved_.get(), true);
    saved_ = std::move(shown);
    hidden_ = hidden;
}

bool Win::click_in_win(_MEVENT& event) const {
    bool inside = event.x >= left_ && event.x <= right_ && event.y >= top_ && event.y <= bottom_;
    event.x -= origin_x_;
    event.y -= origin_y_;
    return inside;
}

ScreenCell* Win::GetWin(bool with_shadow) const {
    return console->GetRect(left_, top_, saved_width(with_shadow), saved_height(with_shadow));
}

void Win::PutWin(const ScreenCell* cells, bool with_shadow) {
    if (!cells) return;
    console->PutRect(left_, top_, saved_width(with_shadow), saved_height(with_shadow), cells);
}

void Win::shadow_strip(int x, int y, int width, int height) {
    if (width <= 0 || height <= 0) return;
    CellString strip;
    console->GetRect(strip, x, y, width, height);
    modcolours(strip);
    console->PutRect(x, y, width, height, strip.cells());
}

void Win::addshadow() {
    int columns = screen_columns(), rows = screen_rows();
    if (bottom_ + 1 >= rows || right_ + 2 >= columns) return;  // no room for it
    console->BeginPaint();
    shadow_strip(left_ + 2, bottom_ + 1, width(), 1);
    shadow_strip(right_ + 1, top_ + 1, 2, height() - 1);
    console->EndPaint();
}

void Win::modcolours(CellString& cells) {
    for (int i = 0; i < cells.length(); i++) {
        int fg = cells[i].attr & 0x0F;
        cells[i].attr = static_cast<unsigned char>(fg < 8 ? 8 : fg - 8);
    }
}

void Win::pu_paint(int frame_attr) {
    unsigned char a = static_cast<unsigned char>(frame_attr);
    int w = width(), h = height();
    console->BeginPaint();
    console->FillCell(left_, top_, 1, ScreenCell(0x2554, a));
    if (w > 2) console->FillCell(left_ + 1, top_, w - 2, ScreenCell(0x2550, a));
    if (w > 1) console->FillCell(right_, top_, 1, ScreenCell(0x2557, a));
    for (int y = top_ + 1; y < bottom_; y++) {
        console->FillCell(left_, y, 1, ScreenCell(0x2551, a));
        if (w > 1) console->FillCell(right_, y, 1, ScreenCell(0x2551, a));
    }
    if (h > 1) {
        console->FillCell(left_, bottom_, 1, ScreenCell(0x255A, a));
        if (w > 2) console->FillCell(left_ + 1, bottom_, w - 2, ScreenCell(0x2550, a));
        if (w > 1) console->FillCell(right_, bottom_, 1, ScreenCell(0x255D, a));
    }
    console->EndPaint();
    framed_ = true;
    origin_x_ = left_ + 1;
    origin_y_ = top_ + 1;
}
