// CFileViewer: the viewer's state and its parts. view() makes one for
// each file; tests drive one directly.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "console/cells.h"
#include "console/keybar.h"
#include "console/win.h"
#include "editor/syntaxhighlighter.h"
#include "editor/textfile.h"
#include "viewer/viewer.h"
#include "viewer/viewlines.h"

struct Event;

// The search the viewer keeps between files and runs.
struct ViewerSearch {
    Westring word;
    bool case_sensitive = false;
    bool reverse = false;
    bool whole_word = false;
};
extern ViewerSearch viewer_search;

// The code page chosen with Alt-C and Alt-T (0: the default text code page)
// and its place in the TranslateCP list.
extern int view_code_page;
extern int view_code_page_pos;

// Hexadecimal digits to a number; a value too large for 63 bits gives the
// largest one (so that "past the end" stays past the end). Stops at the
// first character that is not a digit.
int64_t xtoi(const char* text);

class CFileViewer {
public:
    CFileViewer();
    ~CFileViewer();
    CFileViewer(const CFileViewer&) = delete;
    CFileViewer& operator=(const CFileViewer&) = delete;

    // Opens, runs and closes: the key that ended it.
    ViewerExit View(const wchar_t* file, int64_t offset);

    // The steps of View, apart for tests.
    [[nodiscard]] bool Open(const wchar_t* file, int64_t offset);
    ViewerExit Run();
    void Close();

    int64_t top() const { return top_; }
    bool hex() const { return hex_; }
    bool wrap() const { return wrap_; }
    const CTextFile& file() const { return file_; }
    int64_t found() const { return found_; }

    // Applies one key; false when it ends the viewer (exit_ says how).
    bool Key(int key);
    void Paint();

private:
    // Lines and moving (viewer.cc).
    int text_rows() const { return rows_ - 2; }
    int RowsOf(int64_t start);
    // The start of the line holding offset; past the end, the last line.
    int64_t LineAround(int64_t offset);
    void LineDown();
    void LineUp();
    void PageDown();
    void PageUp();
    void GoTop();
    void GoEnd();
    // The offset after the last line the page shows, the file's size when
    // the end is on the page.
    int64_t PageEnd();
    void SetTop(int64_t offset);
    void Refresh();
    void Follow();
    void SetHex(bool hex);
    void SetWrap(bool wrap);
    void ShowKeyLabels();
    void ApplyFormat(EFileFormat format, int code_page);
    void NextCodePage();
    void EditCodePageList();
    void EncodingDialog();
    void GotoOffset();
    void GotoLine();
    void StoreStatus();

    // Searching (viewerfind.cc).
    // mode: 0 forward or backward as set, 1 forward, 2 backward (the keys
    // "/" and "?").
    void Search(bool ask, bool opposite, int mode);

    // The screen (viewerscreen.cc).
    void MakeWindows();
    void PaintHeading();
    void PaintText();
    void PaintHex();
    // The cells of the line at start (at most max_cells of them); more is
    // set when the line goes on past them. The highlighter's state moves
    // past the line.
    CellString LineCells(int64_t start, int max_cells, bool* more);
    void MarkFound(int64_t start, CellString& cells);
    void SyntaxStateAt(int64_t start);
    void PutRow(int row, const CellString& cells);

    Westring name_;
    CTextFile file_;
    ViewLines lines_;
    SyntaxHighlighter highlighter_;
    bool highlight_on_ = false;
    // Highlighter states at line starts seen, so a page can be coloured
    // without reading from the start of the file.
    std::map<int64_t, SyntaxHighlighterState> states_;
    std::vector<wchar_t> piece_;  // the text of a piece of a cut line

    std::unique_ptr<Win> win_;
    std::unique_ptr<CFunctionKeyBar> key_bar_;
    int columns_ = 80;
    int rows_ = 25;

    int64_t top_ = 0;
    int wrap_skip_ = 0;  // rows of the top line scrolled off above
    int64_t found_ = -1;
    int found_length_ = 0;
    int left_ = 0;
    bool hex_ = false;
    bool wrap_ = false;
    bool format_chosen_ = false;  // the format came from the user, not from the bytes
    ViewerExit exit_ = ViewerExit::kClosed;
    bool closed_ = false;  // Close ran already (Alt-F4 went on to the editor)
};
