#include "exec/ansiterminal.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "config/config.h"
#include "console/keys.h"
#include "console/toolkitlock.h"
#include "console/win.h"
#include "exec/keybytes.h"
#include "lib/cellwidth.h"

namespace {

// The DEC Special Graphics set for the bytes 0x60 to 0x7E.
constexpr wchar_t kLineDrawing[31] = {
    0x25C6, 0x2592, 0x2409, 0x240C, 0x240D, 0x240A, 0x00B0, 0x00B1, 0x2424, 0x240B, 0x2518,
    0x2510, 0x250C, 0x2514, 0x253C, 0x23BA, 0x23BB, 0x2500, 0x23BC, 0x23BD, 0x251C, 0x2524,
    0x2534, 0x252C, 0x2502, 0x2264, 0x2265, 0x03C0, 0x2260, 0x00A3, 0x00B7,
};

wchar_t LineDrawingChar(wchar_t ch) {
    if (ch == 0x5F) return L' ';
    if (ch >= 0x60 && ch <= 0x7E) return kLineDrawing[ch - 0x60];
    return ch;
}

// Answers to the queries of a program.
constexpr char kPrimaryAttributes[] = "\x1b[?62;22c";  // a VT220 with colours
constexpr char kSecondaryAttributes[] = "\x1b[>0;0;0c";
constexpr char kStatusOk[] = "\x1b[0n";
constexpr char kPasteStart[] = "\x1b[200~";
constexpr char kPasteEnd[] = "\x1b[201~";

}  // namespace

CAnsiTerminalEmulator::CAnsiTerminalEmulator(CConsole& console, Sender send)
    : console_(console),
      send_(std::move(send)),
      parser_(*this),
      rendition_(colours[CLR_COMMAND_LINE]),
      attr_(rendition_.Attribute()),
      saved_(colours[CLR_COMMAND_LINE]) {
    width_ = std::max(console_.columns(), 1);
    height_ = std::max(console_.rows(), 1);
    scroll_bottom_ = height_ - 1;
    int x = 0, y = 0;
    console_.GetCursorPos(x, y);
    MoveTo(x, y);
    if (console_.GetCursorType() > 0) visible_cursor_type_ = console_.GetCursorType();
}

CAnsiTerminalEmulator::~CAnsiTerminalEmulator() {
    StoreLine();
    alternate_.reset();
}

// ---------------------------------------------------------------- input and output

void CAnsiTerminalEmulator::Key(int code) {
    std::string bytes;
    if (code == KEY_SHIFT_INS) {
        Westring clip;
        if (!console_.GetClipText(clip)) return;
        std::string text = clip.ToUTF8().c_str();
        // Enter sends CR: a pasted line break is one too.
        std::string paste;
        for (size_t i = 0; i < text.size(); i++) {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
            paste.push_back(text[i] == '\n' ? '\r' : text[i]);
        }
        if (bracketed_paste_) {
            // The paste cannot end itself early and run what follows.
            for (size_t at; (at = paste.find(kPasteEnd)) != std::string::npos;) paste.erase(at, sizeof kPasteEnd - 1);
            bytes.append(kPasteStart);
            bytes.append(paste);
            bytes.append(kPasteEnd);
        } else {
            bytes = std::move(paste);
        }
    } else if (!TerminalKeyBytes(code, application_cursor_, bytes)) {
        return;
    }
    if (!bytes.empty() && send_) send_(bytes.data(), bytes.size());
}

void CAnsiTerminalEmulator::Output(const char* utf8) {
    if (utf8) WriteOutput(utf8, std::strlen(utf8));
}

void CAnsiTerminalEmulator::WriteOutput(const char* data, size_t n) {
    if (!data || n == 0) return;
    ReadSize();
    console_.BeginPaint();
    parser_.Feed(data, n);
    StoreLine();
    console_.SetCursorPos(Column(), y_);
    console_.SetCursorType(cursor_visible_ ? visible_cursor_type_ : 0);
    console_.EndPaint();
}

// The screen may have changed size since the last chunk: the scroll region
// becomes the whole screen and the cursor stays on it.
void CAnsiTerminalEmulator::ReadSize() {
    if (console_.GetCursorType() > 0) visible_cursor_type_ = console_.GetCursorType();
    int width = std::max(console_.columns(), 1), height = std::max(console_.rows(), 1);
    if (width == width_ && height == height_) return;
    StoreLine();
    width_ = width;
    height_ = height;
    scroll_top_ = 0;
    scroll_bottom_ = height_ - 1;
    x_ = std::min(x_, width_);
    y_ = std::min(y_, height_ - 1);
}

void CAnsiTerminalEmulator::Answer(const char* bytes, size_t n) {
    if (send_) send_(bytes, n);
}

// ---------------------------------------------------------------- text

void CAnsiTerminalEmulator::Print(const wchar_t* text, size_t n) {
    const bool line_drawing = line_drawing_[shift_];
    for (size_t i = 0; i < n; i++) {
        wchar_t ch = text[i];
        if (ch < 0x80) {
            if (line_drawing) ch = LineDrawingChar(ch);
        } else if (ch < 0xA0) {
            continue;  // a C1 control written in UTF-8: nothing to show
        }
        PutChar(ch);
    }
}

void CAnsiTerminalEmulator::PutChar(wchar_t ch) {
    const int cells = ch < 0x7F ? 1 : CellWidth(ch);
    if (cells == 0) {
        JoinMark(ch);
        return;
    }
    if (cells > width_) return;
    if (x_ + cells > width_) {
        if (autowrap_) {
            x_ = 0;
            LineFeed();
        } else {
            x_ = width_ - cells;
        }
    }
    EnsureLine();
    ScreenCell* row = line_.data();
    if (insert_mode_) {
        std::copy_backward(row + x_, row + width_ - cells, row + width_);
        MendLine(width_);
    }
    // Half of a wide character overwritten leaves a blank in its other half.
    if (x_ > 0 && is_wide_tail(row[x_])) row[x_ - 1] = ScreenCell(L' ', row[x_ - 1].attr);
    row[x_] = ScreenCell(ch, attr_);
    if (cells == 2) row[x_ + 1] = ScreenCell(kWideTail, attr_);
    x_ += cells;
    if (x_ < width_ && is_wide_tail(row[x_])) row[x_] = ScreenCell(L' ', row[x_].attr);
    line_dirty_ = true;
    last_char_ = ch;
}

// A combining mark joins the character before the cursor.
void CAnsiTerminalEmulator::JoinMark(wchar_t mark) {
    if (x_ == 0) return;
    EnsureLine();
    int at = std::min(x_, width_) - 1;
    if (at > 0 && is_wide_tail(line_[at])) at--;
    join_mark(line_[at], mark);
    line_dirty_ = true;
}

void CAnsiTerminalEmulator::MendLine(int at) { mend_wide_boundary(line_.data(), width_, at); }

void CAnsiTerminalEmulator::EnsureLine() {
    if (line_y_ == y_) return;
    StoreLine();
    CopyRow(y_, line_);
    line_y_ = y_;
    line_dirty_ = false;
}

void CAnsiTerminalEmulator::StoreLine() {
    FlushScroll();
    if (line_y_ >= 0 && line_dirty_) console_.PutRect(0, line_y_, width_, 1, line_.data());
    line_y_ = -1;
    line_dirty_ = false;
}

// ---------------------------------------------------------------- moving and scrolling

void CAnsiTerminalEmulator::MoveTo(int x, int y) {
    x_ = std::clamp(x, 0, width_ - 1);
    y_ = std::clamp(y, 0, height_ - 1);
}

void CAnsiTerminalEmulator::LineFeed() {
    if (y_ == scroll_bottom_) DeferScroll();
    else if (y_ < height_ - 1) y_++;
}

void CAnsiTerminalEmulator::ReverseLineFeed() {
    if (y_ == scroll_top_) ScrollRegionDown(1);
    else if (y_ > 0) y_--;
}

void CAnsiTerminalEmulator::DeferScroll() {
    EnsureLine();
    if (pending_scroll_ == 0) {
        // The row goes onto the screen as it is, to be scrolled up with the rest.
        if (line_dirty_) console_.PutRect(0, line_y_, width_, 1, line_.data());
    } else {
        if (fresh_count_ == static_cast<int>(fresh_.size())) fresh_.emplace_back();
        fresh_[fresh_count_++].swap(line_);
    }
    pending_scroll_++;
    line_.assign(width_, ScreenCell(L' ', attr_));
    line_dirty_ = true;
    if (pending_scroll_ > scroll_bottom_ - scroll_top_) FlushScroll();
}

// Does the scroll held back: the rows that leave the top go to the
// scroll-back store, the region moves up once, and the rows written
// meanwhile come in above the current one (which stays in line_).
void CAnsiTerminalEmulator::FlushScroll() {
    if (pending_scroll_ == 0) return;
    const int lines = pending_scroll_;
    pending_scroll_ = 0;
    if (TakesScrollback()) AddScrollback(scroll_top_, lines);
    console_.ScrollUp(0, scroll_top_, width_, scroll_bottom_ - scroll_top_ + 1, lines, attr_);
    for (int i = 0; i < fresh_count_; i++)
        console_.PutRect(0, scroll_bottom_ - lines + 1 + i, width_, 1, fresh_[i].data());
    fresh_count_ = 0;
}

bool CAnsiTerminalEmulator::TakesScrollback() const {
    return scroll_top_ == 0 && !alternate_ && config.ConsoleScrollback && console_hooks.scrolled_off;
}

void CAnsiTerminalEmulator::AddScrollback(int first_row, int rows) {
    for (int i = 0; i < rows; i++) {
        CopyRow(first_row + i, scratch_);
        console_hooks.scrolled_off(scratch_.data(), width_);
    }
}

// A row of the screen as it is now, read straight from the console's cells
// under the lock that guards them (a copy cell by cell costs more than all
// the rest of the output's work).
void CAnsiTerminalEmulator::CopyRow(int y, std::vector<ScreenCell>& row) {
    CToolkitLock lock;
    if (console_.columns() != width_ || y < 0 || y >= console_.rows()) {
        row.assign(width_, ScreenCell(L' ', attr_));  // the screen changed size under the output
        return;
    }
    const ScreenCell* cells = &console_.cell(0, y);
    row.assign(cells, cells + width_);
}

void CAnsiTerminalEmulator::ScrollRegionUp(int lines) {
    StoreLine();
    lines = std::min(lines, scroll_bottom_ - scroll_top_ + 1);
    if (TakesScrollback()) AddScrollback(scroll_top_, lines);
    ScrollRowsUp(scroll_top_, scroll_bottom_, lines);
}

void CAnsiTerminalEmulator::ScrollRegionDown(int lines) {
    StoreLine();
    ScrollRowsDown(scroll_top_, scroll_bottom_, lines);
}

void CAnsiTerminalEmulator::ScrollRowsUp(int top, int bottom, int lines) {
    StoreLine();
    lines = std::min(lines, bottom - top + 1);
    console_.ScrollUp(0, top, width_, bottom - top + 1, lines, attr_);
}

void CAnsiTerminalEmulator::ScrollRowsDown(int top, int bottom, int lines) {
    StoreLine();
    lines = std::min(lines, bottom - top + 1);
    console_.ScrollDown(0, top, width_, bottom - top + 1, lines, attr_);
}

// ---------------------------------------------------------------- control characters and ESC

void CAnsiTerminalEmulator::Control(unsigned char byte) {
    switch (byte) {
    case 0x07: console_.Beep(); break;
    case 0x08: x_ = std::max(Column() - 1, 0); break;
    case 0x09: x_ = std::min((Column() / 8 + 1) * 8, width_ - 1); break;
    case 0x0A: case 0x0B: case 0x0C: LineFeed(); break;
    case 0x0D: x_ = 0; break;
    case 0x0E: shift_ = 1; break;
    case 0x0F: shift_ = 0; break;
    default: break;
    }
}

void CAnsiTerminalEmulator::Escape(const CAnsiSequence& sequence) {
    if (sequence.HasIntermediates()) {
        // Designation of a character set to G0 or G1: "0" the line-drawing
        // set, anything else plain text.
        char which = sequence.intermediates[0];
        if (sequence.intermediate_count == 1 && (which == '(' || which == ')'))
            line_drawing_[which == ')'] = sequence.final_byte == '0';
        return;
    }
    switch (sequence.final_byte) {
    case '7': SaveCursor(); break;
    case '8': RestoreCursor(); break;
    case 'D': LineFeed(); break;
    case 'E':
        x_ = 0;
        LineFeed();
        break;
    case 'M': ReverseLineFeed(); break;
    case 'c': FullReset(); break;
    default: break;  // keypad modes, tab stops and the like: no effect
    }
}

// ---------------------------------------------------------------- CSI

void CAnsiTerminalEmulator::ControlSequence(const CAnsiSequence& s) {
    if (s.HasIntermediates()) return;  // cursor style, soft reset, mode reports: nothing to do
    const char final_byte = s.final_byte;
    if (s.prefix == '?') {
        if (final_byte == 'h' || final_byte == 'l') CsiPrivateMode(s, final_byte == 'h');
        else if (final_byte == 'J') EraseInDisplay(s.Get(0, 0));
        else if (final_byte == 'K') EraseInLine(s.Get(0, 0));
        return;
    }
    if (s.prefix == '>') {
        if (final_byte == 'c' && s.Get(0, 0) == 0) Answer(kSecondaryAttributes, sizeof kSecondaryAttributes - 1);
        return;
    }
    if (s.prefix) return;

    const int n = s.Count(0);
    const int region_top = y_ >= scroll_top_ ? scroll_top_ : 0;
    const int region_bottom = y_ <= scroll_bottom_ ? scroll_bottom_ : height_ - 1;
    switch (final_byte) {
    case '@': InsertChars(n); break;
    case 'A': MoveTo(Column(), std::max(y_ - n, region_top)); break;
    case 'B': MoveTo(Column(), std::min(y_ + std::min(n, height_), region_bottom)); break;
    case 'C': case 'a': MoveTo(Column() + std::min(n, width_), y_); break;
    case 'D': MoveTo(Column() - std::min(n, width_), y_); break;
    case 'E': MoveTo(0, std::min(y_ + std::min(n, height_), region_bottom)); break;
    case 'F': MoveTo(0, std::max(y_ - n, region_top)); break;
    case 'G': case '`': MoveTo(n - 1, y_); break;
    case 'H': case 'f': MoveTo(s.Count(1) - 1, n - 1); break;
    case 'I': MoveTo((Column() / 8 + std::min(n, width_)) * 8, y_); break;
    case 'Z': MoveTo(((Column() + 7) / 8 - std::min(n, width_)) * 8, y_); break;
    case 'J': EraseInDisplay(s.Get(0, 0)); break;
    case 'K': EraseInLine(s.Get(0, 0)); break;
    case 'L': InsertLines(n); break;
    case 'M': DeleteLines(n); break;
    case 'P': DeleteChars(n); break;
    case 'S': ScrollRegionUp(n); break;
    case 'T':
        if (s.count <= 1) ScrollRegionDown(n);  // with more, a mouse-tracking request
        break;
    case 'X': EraseChars(n); break;
    case 'b': RepeatLast(n); break;
    case 'c':
        if (s.Get(0, 0) == 0) Answer(kPrimaryAttributes, sizeof kPrimaryAttributes - 1);
        break;
    case 'd': MoveTo(Column(), n - 1); break;
    case 'e': MoveTo(Column(), y_ + std::min(n, height_)); break;
    case 'h': case 'l':
        for (int i = 0; i < s.count; i++)
            if (s.values[i] == 4 && !s.sub[i]) insert_mode_ = final_byte == 'h';
        break;
    case 'm':
        rendition_.Apply(s);
        attr_ = rendition_.Attribute();
        break;
    case 'n':
        if (s.Get(0, 0) == 5) {
            Answer(kStatusOk, sizeof kStatusOk - 1);
        } else if (s.Get(0, 0) == 6) {
            char report[32];
            int length = std::snprintf(report, sizeof report, "\x1b[%d;%dR", y_ + 1, Column() + 1);
            Answer(report, static_cast<size_t>(length));
        }
        break;
    case 'r': SetScrollRegion(s); break;
    case 's':
        if (s.count == 0) SaveCursor();
        break;
    case 'u': RestoreCursor(); break;
    default: break;
    }
}

void CAnsiTerminalEmulator::CsiPrivateMode(const CAnsiSequence& s, bool set) {
    for (int i = 0; i < s.count; i++) {
        if (s.sub[i]) continue;
        switch (s.values[i]) {
        case 1: application_cursor_ = set; break;
        case 7: autowrap_ = set; break;
        case 25: cursor_visible_ = set; break;
        case 47: case 1047:
            if (set) EnterAlternateScreen();
            else LeaveAlternateScreen();
            break;
        case 1048:
            if (set) SaveCursor();
            else RestoreCursor();
            break;
        case 1049:
            if (set) {
                SaveCursor();
                EnterAlternateScreen();
            } else {
                LeaveAlternateScreen();
                RestoreCursor();
            }
            break;
        case 2004: bracketed_paste_ = set; break;
        default: break;
        }
    }
}

// ---------------------------------------------------------------- erasing, inserting, deleting

void CAnsiTerminalEmulator::EraseInLine(int mode) {
    if (mode > 2) return;
    EnsureLine();
    const int column = Column();
    const int begin = mode == 0 ? column : 0;
    const int end = mode == 1 ? column + 1 : width_;
    std::fill(line_.begin() + begin, line_.begin() + end, ScreenCell(L' ', attr_));
    MendLine(begin);
    MendLine(end);
    line_dirty_ = true;
}

void CAnsiTerminalEmulator::EraseInDisplay(int mode) {
    switch (mode) {
    case 0:
        EraseInLine(0);
        StoreLine();
        console_.Clear(0, y_ + 1, width_, height_ - y_ - 1, attr_);
        break;
    case 1:
        EraseInLine(1);
        StoreLine();
        console_.Clear(0, 0, width_, y_, attr_);
        break;
    case 2:
        StoreLine();
        console_.Clear(0, 0, width_, height_, attr_);
        break;
    default: break;  // 3, the saved lines: the scroll-back store keeps them
    }
}

void CAnsiTerminalEmulator::EraseChars(int count) {
    EnsureLine();
    const int column = Column();
    const int end = column + std::min(count, width_ - column);
    std::fill(line_.begin() + column, line_.begin() + end, ScreenCell(L' ', attr_));
    MendLine(column);
    MendLine(end);
    line_dirty_ = true;
}

void CAnsiTerminalEmulator::InsertChars(int count) {
    EnsureLine();
    const int column = Column();
    count = std::min(count, width_ - column);
    std::copy_backward(line_.begin() + column, line_.end() - count, line_.end());
    std::fill(line_.begin() + column, line_.begin() + column + count, ScreenCell(L' ', attr_));
    MendLine(column);
    MendLine(column + count);  // a character cut in two by the blanks
    MendLine(width_);
    line_dirty_ = true;
}

void CAnsiTerminalEmulator::DeleteChars(int count) {
    EnsureLine();
    const int column = Column();
    count = std::min(count, width_ - column);
    std::copy(line_.begin() + column + count, line_.end(), line_.begin() + column);
    std::fill(line_.end() - count, line_.end(), ScreenCell(L' ', attr_));
    MendLine(column);
    MendLine(width_ - count);
    line_dirty_ = true;
}

// Lines are inserted and deleted within the scroll region when the cursor
// is in it, else down to the last row of the screen.
void CAnsiTerminalEmulator::InsertLines(int count) {
    ScrollRowsDown(y_, LinesBottom(), count);
    x_ = 0;
}

void CAnsiTerminalEmulator::DeleteLines(int count) {
    ScrollRowsUp(y_, LinesBottom(), count);
    x_ = 0;
}

int CAnsiTerminalEmulator::LinesBottom() const {
    return y_ >= scroll_top_ && y_ <= scroll_bottom_ ? scroll_bottom_ : height_ - 1;
}

// CSI top ; bottom r: a region of at least two rows, else nothing changes.
void CAnsiTerminalEmulator::SetScrollRegion(const CAnsiSequence& s) {
    const int top = s.Count(0) - 1;
    int bottom = s.Get(1, 0);
    if (bottom <= 0 || bottom > height_) bottom = height_;
    bottom--;
    if (top >= bottom) return;
    StoreLine();
    scroll_top_ = top;
    scroll_bottom_ = bottom;
    MoveTo(0, 0);
}

void CAnsiTerminalEmulator::RepeatLast(int count) {
    if (!last_char_) return;
    count = std::min(count, width_ * height_);  // more could show nothing else
    for (int i = 0; i < count; i++) PutChar(last_char_);
}

// ---------------------------------------------------------------- cursor, screens, reset

void CAnsiTerminalEmulator::SaveCursor() {
    saved_.x = x_;
    saved_.y = y_;
    saved_.rendition = rendition_;
    saved_.line_drawing[0] = line_drawing_[0];
    saved_.line_drawing[1] = line_drawing_[1];
    saved_.shift = shift_;
}

void CAnsiTerminalEmulator::RestoreCursor() {
    x_ = std::min(saved_.x, width_);
    y_ = std::min(saved_.y, height_ - 1);
    rendition_ = saved_.rendition;
    attr_ = rendition_.Attribute();
    line_drawing_[0] = saved_.line_drawing[0];
    line_drawing_[1] = saved_.line_drawing[1];
    shift_ = saved_.shift;
}

// The alternate screen is a window over the whole console: it keeps the
// normal screen beneath it and puts it back when it closes.
void CAnsiTerminalEmulator::EnterAlternateScreen() {
    if (alternate_) return;
    StoreLine();
    alternate_ = std::make_unique<Win>(0, 0, width_ - 1, height_ - 1, attr_, -1);
}

void CAnsiTerminalEmulator::LeaveAlternateScreen() {
    if (!alternate_) return;
    StoreLine();
    alternate_.reset();
}

void CAnsiTerminalEmulator::FullReset() {
    LeaveAlternateScreen();
    StoreLine();
    rendition_.Reset();
    attr_ = rendition_.Attribute();
    saved_ = Saved(colours[CLR_COMMAND_LINE]);
    scroll_top_ = 0;
    scroll_bottom_ = height_ - 1;
    insert_mode_ = false;
    autowrap_ = true;
    cursor_visible_ = true;
    line_drawing_[0] = line_drawing_[1] = false;
    shift_ = 0;
    last_char_ = 0;
    application_cursor_ = false;
    bracketed_paste_ = false;
    console_.Clear(0, 0, width_, height_, attr_);
    MoveTo(0, 0);
}
