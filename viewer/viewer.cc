// The viewer's life and its moves: opening a file where the user left it,
// stepping by lines and pages (wrapped rows counted), the ends of the
// file, following a growing file, and what is remembered afterwards.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "config/config.h"
#include "console/console.h"
#include "console/dialog.h"
#include "console/keys.h"
#include "console/msgbox.h"
#include "editor/editor.h"
#include "editor/filestatus.h"
#include "lib/codepage.h"
#include "viewer/fileviewer.h"

ViewerHooks viewer_hooks;
ViewerSearch viewer_search;
int view_code_page = 0;
int view_code_page_pos = 0;

namespace {

// What a name that is not a regular file is, for the message instead of a
// view; null for a regular file.
const wchar_t* KindOfSpecialFile(mode_t mode) {
    if (S_ISDIR(mode)) return L" is a directory";
    if (S_ISFIFO(mode)) return L" is a FIFO (named pipe)";
    if (S_ISCHR(mode)) return L" is a character device";
    if (S_ISBLK(mode)) return L" is a block device";
    if (S_ISSOCK(mode)) return L" is a socket";
    return S_ISREG(mode) ? nullptr : L" is not a regular file";
}

int64_t MtimeOf(const struct stat& st) {
    return static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

}  // namespace

int64_t xtoi(const char* text) {
    uint64_t value = 0;
    constexpr uint64_t kMax = static_cast<uint64_t>(INT64_MAX);
    for (const char* p = text; *p; p++) {
        int digit;
        if (*p >= '0' && *p <= '9') digit = *p - '0';
        else if (*p >= 'a' && *p <= 'f') digit = *p - 'a' + 10;
        else if (*p >= 'A' && *p <= 'F') digit = *p - 'A' + 10;
        else break;
        if (value > (kMax - static_cast<uint64_t>(digit)) / 16) return INT64_MAX;
        value = value * 16 + static_cast<uint64_t>(digit);
    }
    return static_cast<int64_t>(value);
}

CFileViewer::CFileViewer() : lines_(file_) {}

CFileViewer::~CFileViewer() = default;

ViewerExit view(const wchar_t* file, int64_t offset) {
    CFileViewer viewer;
    return viewer.View(file, offset);
}

ViewerExit CFileViewer::View(const wchar_t* file, int64_t offset) {
    if (!Open(file, offset)) return ViewerExit::kClosed;
    const ViewerExit exit = Run();
    Close();
    return exit;
}

bool CFileViewer::Open(const wchar_t* file, int64_t offset) {
    name_ = file;
    struct stat st;
    if (stat(name_.ToUTF8().c_str(), &st) != 0) {
        static_cast<void>(error(Westring(std::strerror(errno)), name_, MB_OK));
        return false;
    }
    if (const wchar_t* kind = KindOfSpecialFile(st.st_mode)) {
        static_cast<void>(error(name_.filename() + Westring(kind), name_, MB_OK));
        return false;
    }
    const HISTREC* record = FileStatusStore::Global().Find(name_.c_str(), st.st_size, MtimeOf(st));
    file_.format = FF_UNKNOWN;
    file_.code_page = view_code_page != 0 ? view_code_page : DefaultTextCodePage();
    if (record && record->format != FF_UNKNOWN) {
        file_.format = record->format;
        if (record->format == FF_CODEPAGE) file_.code_page = record->code_page;
        format_chosen_ = true;
    }
    const int failure = file_.Open(name_.c_str());
    if (failure != 0) {
        static_cast<void>(error(Westring(std::strerror(failure)), name_, MB_OK));
        return false;
    }
    wrap_ = config.ViewerWrap;
    highlight_on_ = !editor_hooks.syntax_file.empty() && highlighter_.LoadDef(editor_hooks.syntax_file, name_);
    if (console) MakeWindows();
    if (offset >= 0) {
        SetTop(LineAround(offset));
        found_ = offset;
        found_length_ = 0;
    } else if (record) {
        // A remembered place, inside the file as it is now.
        if (record->viewer_pos >= 0) SetTop(LineAround(record->viewer_pos));
        else if (record->top > 0) SetTop(std::max<int64_t>(0, lines_.LineStart(record->top)));
    }
    Paint();
    return true;
}

void CFileViewer::StoreStatus() {
    struct stat st;
    if (stat(name_.ToUTF8().c_str(), &st) != 0) return;
    FileStatusStore& store = FileStatusStore::Global();
    HISTREC record;
    if (const HISTREC* old = store.Find(name_.c_str(), st.st_size, MtimeOf(st))) record = *old;
    record.name = name_.c_str();
    record.size = st.st_size;
    record.mtime = MtimeOf(st);
    record.viewer_pos = top_;
    record.format = format_chosen_ ? file_.format : FF_UNKNOWN;
    record.code_page = file_.code_page;
    store.Store(record);
}

void CFileViewer::Close() {
    if (closed_) return;
    closed_ = true;
    StoreStatus();
    states_.clear();
    key_bar_.reset();
    win_.reset();
    file_.close();
}

int64_t CFileViewer::LineAround(int64_t offset) {
    const int64_t size = file_.size();
    if (offset >= size) offset = size - 1;  // the last line, not the empty place after its line end
    return offset <= 0 ? 0 : lines_.StartOf(offset);
}

int CFileViewer::RowsOf(int64_t start) {
    if (!wrap_ || hex_ || columns_ <= 0) return 1;
    // Measuring a line must not move the colouring on past it.
    const SyntaxHighlighterState saved = highlighter_;
    bool more = false;
    const CellString cells = LineCells(start, static_cast<int>(ViewLines::kPiece), &more);
    static_cast<SyntaxHighlighterState&>(highlighter_) = saved;
    return std::max(1, (cells.length() + columns_ - 1) / columns_);
}

void CFileViewer::SetTop(int64_t offset) {
    top_ = std::clamp<int64_t>(offset, 0, file_.size());
    wrap_skip_ = 0;
}

void CFileViewer::LineDown() {
    if (PageEnd() >= file_.size()) return;
    if (wrap_skip_ + 1 < RowsOf(top_)) {
        wrap_skip_++;
        return;
    }
    SetTop(lines_.Next(top_));
}

void CFileViewer::LineUp() {
    if (wrap_skip_ > 0) {
        wrap_skip_--;
        return;
    }
    if (top_ <= 0) return;
    SetTop(lines_.Prev(top_));
    wrap_skip_ = RowsOf(top_) - 1;
}

void CFileViewer::PageDown() {
    for (int i = 0; i < text_rows() && PageEnd() < file_.size(); i++) LineDown();
}

void CFileViewer::PageUp() {
    for (int i = 0; i < text_rows() - 1; i++) LineUp();
}

void CFileViewer::GoTop() { SetTop(0); }

void CFileViewer::GoEnd() {
    if (!wrap_ || hex_) {
        SetTop(hex_ ? std::max<int64_t>(0, (file_.size() + 15) / 16 * 16 - 16 * static_cast<int64_t>(text_rows()))
                    : lines_.LastPage(text_rows()));
        return;
    }
    // Wrapped: lines from the last one up until the rows are full.
    int64_t start = LineAround(file_.size());
    int rows = RowsOf(start);
    while (rows < text_rows() && start > 0) {
        start = lines_.Prev(start);
        rows += RowsOf(start);
    }
    SetTop(start);
    wrap_skip_ = std::max(0, rows - text_rows());
}

int64_t CFileViewer::PageEnd() {
    int64_t line = top_;
    int rows = -wrap_skip_;
    while (line < file_.size()) {
        rows += RowsOf(line);
        if (rows >= text_rows()) return hex_ ? std::min(file_.size(), line + 16) : lines_.Next(line);
        line = hex_ ? line + 16 : lines_.Next(line);
    }
    return file_.size();
}

// Takes the file's size again after it grew or shrank; a top now past the
// end moves back inside the file.
void CFileViewer::Refresh() {
    if (file_.Refresh() != 0) return;
    lines_.Reset();
    states_.clear();
    if (top_ >= file_.size()) SetTop(hex_ ? std::max<int64_t>(0, file_.size() - 1) / 16 * 16 : LineAround(file_.size()));
}

void CFileViewer::Follow() {
    Win banner(0, rows_ - 1, columns_ - 1, rows_ - 1, colours[CLR_ERRORS], -1);
    banner.PutCentre(0, L"Follow Mode ON - ESC to cancel");
    for (;;) {
        Refresh();
        GoEnd();
        Paint();
        Event event;
        event.GetEvent(200);
        if (event.type == Event::Key && (event.key == KEY_ESC || event.key == KEY_QUIT)) {
            if (event.key == KEY_QUIT) exit_ = ViewerExit::kQuit;
            break;
        }
    }
}

void CFileViewer::SetHex(bool hex) {
    const bool back_to_text = hex_ && !hex;
    hex_ = hex;
    lines_.SetHex(hex);
    if (back_to_text) {
        SetTop(lines_.StartOf(top_));
        if (!wrap_) wrap_ = config.ViewerWrap = true;
    }
    ShowKeyLabels();
}

void CFileViewer::ShowKeyLabels() {
    if (!key_bar_) return;
    const char* labels[10] = {"1Help", wrap_ ? "2Unwrap" : "2Wrap", "3", hex_ ? "4ASCII" : "4Hex", "5", "6",
                              "7Search", "8Home", "9End", "10Quit"};
    key_bar_->SetKeys(labels);
}

void CFileViewer::SetWrap(bool wrap) {
    wrap_ = config.ViewerWrap = wrap;
    left_ = 0;
    SetTop(lines_.StartOf(top_));
    ShowKeyLabels();
}

void CFileViewer::ApplyFormat(EFileFormat format, int code_page) {
    file_.format = format;
    file_.code_page = code_page;
    format_chosen_ = true;
    file_.DetermineFileFormat();  // the byte-order mark's length for the format
    file_.format = format;
    lines_.Reset();
    states_.clear();
    SetTop(lines_.StartOf(top_));
}

ViewerExit CFileViewer::Run() {
    exit_ = ViewerExit::kClosed;
    for (;;) {
        Paint();
        Event event;
        event.GetEvent(-1);
        if (event.type == Event::Key) {
            if (!Key(event.key)) break;
            continue;
        }
        if (event.type == Event::Wheel) {
            for (int i = 0; i < 3; i++) event.key > 0 ? LineUp() : LineDown();
        } else if (event.type == Event::LeftDown || event.type == Event::LeftDrag) {
            const int y = event.mevent.y, x = event.mevent.x;
            if (y == rows_ - 1) continue;
            const int third = std::max(1, text_rows() / 3);
            if (y - 1 < third) LineUp();
            else if (y - 1 >= text_rows() - third) LineDown();
            else if (x < columns_ / 3) Key(KEY_LEFT);
            else if (x >= columns_ - columns_ / 3) Key(KEY_RIGHT);
        } else if (event.type == Event::LeftUp && event.mevent.y == rows_ - 1) {
            if (!Key(key_bar_value(event.mevent))) break;
        }
    }
    return exit_;
}
