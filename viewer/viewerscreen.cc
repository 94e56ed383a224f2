// The viewer's screen: the heading on top, the text (wrapped or cut with
// "»" at the right edge) or the hex dump, and the function-key bar.
#include <algorithm>
#include <cstdio>

#include "config/config.h"
#include "console/console.h"
#include "editor/edittext.h"
#include "editor/textcodec.h"
#include "lib/codepage.h"
#include "lib/collapsepath.h"
#include "viewer/fileviewer.h"

namespace {

// Lines coloured above a page whose colouring state is not known.
constexpr int kLookBackLines = 200;

}  // namespace

void CFileViewer::MakeWindows() {
    columns_ = console->columns();
    rows_ = std::max(3, console->rows());
    win_ = std::make_unique<Win>(0, 0, columns_ - 1, rows_ - 1, colours[CLR_FILE_VIEWER], -1);
    key_bar_ = std::make_unique<CFunctionKeyBar>();
    ShowKeyLabels();
}

// The highlighter's state at the start of the line at start: remembered, or
// rebuilt from a few lines above it.
void CFileViewer::SyntaxStateAt(int64_t start) {
    auto known = states_.find(start);
    if (known != states_.end()) {
        static_cast<SyntaxHighlighterState&>(highlighter_) = known->second;
        return;
    }
    int64_t from = start;
    for (int i = 0; i < kLookBackLines && from > 0; i++) {
        from = lines_.Prev(from);
        if (states_.count(from)) break;
    }
    auto base = states_.find(from);
    if (base != states_.end()) static_cast<SyntaxHighlighterState&>(highlighter_) = base->second;
    else highlighter_.Clear();
    bool more = false;
    while (from < start) {
        if (states_.size() > 100000) states_.clear();
        states_[from] = highlighter_;
        LineCells(from, columns_, &more);
        from = lines_.Next(from);
    }
    states_[start] = highlighter_;
}

CellString CFileViewer::LineCells(int64_t start, int max_cells, bool* more) {
    CellString cells;
    const int64_t end = lines_.EndOf(start);
    file_.pos = start;
    int len = 0;
    const wchar_t* text = nullptr;
    if (end > start && lines_.Next(start) > end) {
        // A line with its own line end: the text reader stops there.
        text = file_.ReadTextLine(len, max_cells + 1LL);
    } else if (end > start) {
        // A piece of a cut line: it ends at a byte offset, not at a line end.
        piece_.clear();
        while (file_.pos < end && static_cast<int>(piece_.size()) <= max_cells) {
            const int c = file_.ReadChar();
            if (c < 0) break;
            piece_.push_back(static_cast<wchar_t>(c));
        }
        len = static_cast<int>(piece_.size());
        piece_.push_back(0);
        text = piece_.data();
    }
    *more = len > max_cells;
    if (!text) return cells;
    const unsigned char plain = colours[CLR_FILE_VIEWER];
    if (highlight_on_) {
        highlighter_.ProcessLine(text, cells);
    } else {
        for (int i = 0; i < len; i++) SyntaxHighlighter::AddChar(cells, text[i] ? text[i] : L' ', plain);
    }
    if (found_ >= start && found_ < std::max(end, start + 1) && found_length_ > 0) {
        // The characters before the match, counted from the line's start.
        file_.pos = start;
        int before = 0;
        while (file_.pos < found_ && file_.ReadChar() >= 0) before++;
        const int tab = config.TabWidth;
        const int from = calc_col(text, len, before, tab);
        const int to = calc_col(text, len, before + found_length_, tab);
        for (int i = from; i < to && i < cells.length(); i++) {
            ScreenCell cell = cells[i];
            cell.attr = colours[CLR_HIGHLIGHT];
            cells[i] = cell;
        }
    }
    return cells;
}

void CFileViewer::PutRow(int row, const CellString& cells) {
    CellString line = cells;
    while (line.length() < columns_) line += ScreenCell(L' ', colours[CLR_FILE_VIEWER]);
    win_->PutRect(0, row + 1, columns_, 1, line);
}

void CFileViewer::PaintText() {
    if (highlight_on_) SyntaxStateAt(top_);
    int row = 0;
    int skip = wrap_skip_;
    int64_t line = top_;
    const int rows = text_rows();
    while (row < rows && line < file_.size()) {
        if (highlight_on_) states_[line] = highlighter_;
        bool more = false;
        if (wrap_) {
            const int wanted = (rows - row + skip) * columns_;
            const CellString cells = LineCells(line, wanted, &more);
            const int pieces = std::max(1, (cells.length() + columns_ - 1) / columns_);
            for (int piece = skip; piece < pieces && row < rows; piece++)
                PutRow(row++, cells.mid(piece * columns_, columns_));
        } else {
            // One cell more than the row shows tells whether the line goes on.
            const CellString whole = LineCells(line, left_ + columns_ + 1, &more);
            CellString cells = whole.mid(left_, columns_);
            if (more || whole.length() > left_ + columns_) {
                cells = cells.left(columns_ - 1);
                const unsigned char tagged = static_cast<unsigned char>((colours[CLR_TAGGED] & 0x0F) |
                                                                        (colours[CLR_FILE_VIEWER] & 0xF0));
                cells += ScreenCell(L'\x00BB', tagged);
            }
            PutRow(row++, cells);
        }
        skip = 0;
        line = lines_.Next(line);
    }
    while (row < rows) PutRow(row++, CellString());
}

void CFileViewer::PaintHex() {
    CCodePageTable table;
    table.Build(file_.format == FF_CODEPAGE ? file_.code_page : DefaultTextCodePage());
    const unsigned char plain = colours[CLR_FILE_VIEWER];
    for (int row = 0; row < text_rows(); row++) {
        const int64_t at = top_ + 16LL * row;
        CellString cells;
        if (at < file_.size()) {
            uint8_t bytes[16];
            int n = 16;
            if (file_.GetBlock(at, bytes, n) != 0) n = 0;
            char text[32];
            std::snprintf(text, sizeof text, "%08llX ", static_cast<unsigned long long>(at));
            cells.Append(Westring(text).c_str(), plain);
            for (int i = 0; i < 16; i++) {
                const bool marked = found_ >= 0 && at + i >= found_ && at + i < found_ + std::max(1, found_length_);
                if (i < n) std::snprintf(text, sizeof text, "%02X ", bytes[i]);
                else std::snprintf(text, sizeof text, "   ");
                cells.Append(Westring(text).c_str(), marked && i < n ? colours[CLR_HIGHLIGHT] : plain);
                if (i == 3 || i == 7 || i == 11) cells.Append(L"\x2502 ", plain);
            }
            while (cells.length() < 64) cells += ScreenCell(L' ', plain);  // the characters from column 64
            for (int i = 0; i < n; i++) {
                const wchar_t c = bytes[i] == 0 ? L'.' : table.ToChar(bytes[i]);
                cells.Append(&c, plain, 1);
            }
        }
        PutRow(row, cells.left(columns_));
    }
}

void CFileViewer::PaintHeading() {
    Westring path = name_;
    collapse_path(path, std::max(8, columns_ - 22));
    Westring heading = Westring(L"View: ") + path;
    heading = FitCells(heading.c_str(), std::max(1, columns_ - 15));
    heading += Westring(file_.GetFormatDesc().c_str());
    heading = FitCells(heading.c_str(), std::max(1, columns_ - 7));
    const int64_t size = file_.size();
    const int64_t end = PageEnd();
    long long hundredths = 10000;
    if (size > 0 && end < size) hundredths = static_cast<long long>((static_cast<double>(end) * 10000.0) / static_cast<double>(size));
    char percent[24];
    std::snprintf(percent, sizeof percent, "%3lld.%02lld%%", hundredths / 100, hundredths % 100);
    heading += Westring(percent);
    win_->puts_at(0, 0, FitCells(heading.c_str(), columns_).c_str(), colours[CLR_MENU]);
}

void CFileViewer::Paint() {
    if (!console || !win_) return;
    console->BeginPaint();
    if (hex_) PaintHex();
    else PaintText();
    PaintHeading();
    console->SetCursorType(0);
    console->EndPaint();
}
