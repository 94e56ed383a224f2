// The editor's screen: the status line on top, the text with its colours
// and the selection, and the function-key bar at the bottom. A paint writes
// only the rows whose cells changed since the last one.
#include <algorithm>
#include <cstdio>

#include "console/cells.h"
#include "editor/edittext.h"
#include "editor/editor.h"
#include "editor/textcodec.h"
#include "editor/textformat.h"
#include "lib/collapsepath.h"

namespace {

const char* const kEditorKeys[10] = {"1Help", "2Save",  "3SaveAs", "4Cut",   "5Copy",
                                     "6Paste", "7Search", "8Rplace", "9",      "10Quit"};

// The character under the cursor as the status line shows it: decimal and
// hexadecimal, for a code-page file its byte there, for a byte kept as it
// was its value; "EOL" past the end of the line.
Estring CharacterReport(const EditModel& model, const CTextFile& file) {
    const TextPos at = model.cursor();
    if (at.pos >= model.text.LineLength(at.line)) return "EOL";
    const wchar_t c = model.text.CharAt(at);
    unsigned value = static_cast<unsigned>(c);
    if (IsTextRawByte(c)) {
        value = static_cast<unsigned>(RawByteValue(c));
    } else if (file.format == FF_CODEPAGE) {
        static CCodePageTable table;
        table.Build(file.code_page);
        const int byte = table.ToByte(c);
        if (byte >= 0) value = static_cast<unsigned>(byte);
    }
    char text[32];
    std::snprintf(text, sizeof text, value < 256 ? "%3u x%02X" : "%u x%X", value, value);
    return text;
}

}  // namespace

void DVEditor::MakeWindows() {
    columns_ = console->columns();
    rows_ = std::max(3, console->rows());
    win_ = std::make_unique<Win>(0, 0, columns_ - 1, rows_ - 1, colours[CLR_FILE_VIEWER], -1);
    key_bar_ = std::make_unique<CFunctionKeyBar>();
    key_bar_->SetKeys(kEditorKeys);
    Invalidate();
}

// One text line as cells from the start of the line: tabs expanded, the
// syntax colours when they are on (the highlighter's state moves past it),
// and the selected part in the highlight colour.
CellString DVEditor::LineCells(int line, const wchar_t* text, int len) {
    CellString cells;
    if (highlight_on_) {
        highlighter_.ProcessLine(text, cells);
    } else {
        const unsigned char attr = colours[CLR_FILE_VIEWER];
        for (int i = 0; i < len; i++) SyntaxHighlighter::AddChar(cells, text[i] ? text[i] : L' ', attr);
    }
    const Selection& sel = model_.sel;
    const TextPos first = std::min(sel.start, sel.end);
    const TextPos last = std::max(sel.start, sel.end);
    if (!sel.active || line < first.line || line > last.line) return cells;
    const int tab = model_.settings.tab_width;
    const int from = line == first.line ? calc_col(text, len, first.pos, tab) : 0;
    // A selection that goes on past this line shows one selected cell for
    // the line break.
    const int to = line == last.line ? calc_col(text, len, last.pos, tab) : calc_col(text, len, len, tab) + 1;
    const unsigned char highlight = colours[CLR_HIGHLIGHT];
    while (cells.length() < to) cells += ScreenCell(L' ', colours[CLR_FILE_VIEWER]);
    for (int i = from; i < to; i++) {
        ScreenCell cell = cells[i];
        cell.attr = highlight;
        cells[i] = cell;
    }
    return cells;
}

void DVEditor::PaintText() {
    const int rows = text_rows();
    if (static_cast<int>(painted_.size()) != rows) painted_.assign(static_cast<size_t>(rows), CellString());
    std::wstring scratch;
    if (highlight_on_) {
        highlighter_.ReestablishSyntaxState(model_.top, [&](int line) {
            scratch = model_.text.LineString(line);
            return scratch.c_str();
        });
    }
    const unsigned char blank = colours[CLR_FILE_VIEWER];
    for (int r = 0; r < rows; r++) {
        const int line = model_.top + r;
        CellString row;
        if (line < model_.text.LineCount()) {
            scratch = model_.text.LineString(line);
            row = LineCells(line, scratch.c_str(), static_cast<int>(scratch.size())).mid(model_.left, columns_);
        }
        while (row.length() < columns_) row += ScreenCell(L' ', blank);
        CellString& old = painted_[static_cast<size_t>(r)];
        if (old.length() == row.length() && std::equal(old.cells(), old.cells() + old.length(), row.cells(),
                                                       [](const ScreenCell& a, const ScreenCell& b) {
                                                           return a.ch == b.ch && a.mark == b.mark && a.attr == b.attr;
                                                       }))
            continue;
        win_->PutRect(0, r + 1, columns_, 1, row);
        old = row;
    }
}

void DVEditor::PaintStatus() {
    Westring name = filename_;
    const int name_width = std::max(8, columns_ - 52);
    collapse_path(name, name_width);
    const TextPos at = model_.cursor();
    char flags[5] = {
        model_.text.default_end == LE_LF ? 'U' : ' ',
        model_.settings.auto_indent ? 'I' : ' ',
        model_.modified ? '*' : ' ',
        literal_next_ ? '"' : ' ',
        0,
    };
    char values[160];
    std::snprintf(values, sizeof values, " %s Line %-5d Col %-4d %-11s %s", flags, at.line + 1,
                  model_.CursorColumn() + 1, CharacterReport(model_, file_).c_str(),
                  GetFormatDesc(file_.format == FF_UNKNOWN ? FF_UTF8 : file_.format, file_.code_page).c_str());
    Westring status = Westring(L"Edit: ") + FitCells(name.c_str(), name_width) + Westring(values);
    status = FitCells(status.c_str(), columns_);
    if (status == painted_status_) return;
    win_->puts_at(0, 0, status.c_str(), colours[CLR_MENU]);
    painted_status_ = status;
}

void DVEditor::KeepCursorVisible() {
    const int text_width = std::max(1, columns_);
    const int col = model_.CursorColumn();
    std::wstring scratch;
    const int line = model_.cursor().line;
    const wchar_t* s = model_.text.Line(line, scratch);
    const int line_width = calc_col(s, model_.text.LineLength(line), model_.text.LineLength(line), model_.settings.tab_width);
    while (col - model_.left >= text_width) model_.left += 4;
    while (model_.left > 0 && (col < model_.left || line_width - model_.left < 8) && col - (model_.left - 4) < text_width)
        model_.left = std::max(0, model_.left - 4);
    model_.ScrollToCursor(text_rows());
}

void DVEditor::Paint() {
    if (!console || !win_) return;
    KeepCursorVisible();
    console->BeginPaint();
    PaintStatus();
    PaintText();
    console->SetCursorType(model_.settings.overstrike ? 80 : 15);
    win_->Goto(model_.CursorColumn() - model_.left, model_.row + 1);
    console->EndPaint();
}
