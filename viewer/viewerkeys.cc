// The viewer's keys, and the small dialogs they open: going to an offset
// or a line, the code page list and the file's encoding.
#include <iconv.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "config/config.h"
#include "console/dialog.h"
#include "console/keys.h"
#include "console/msgbox.h"
#include "editor/editdialogs.h"
#include "editor/editor.h"
#include "editor/textcodec.h"
#include "lib/codepage.h"
#include "viewer/fileviewer.h"

namespace {

constexpr int kAltDigitBase = 0x10078;  // Alt+1
constexpr int kCodePageHistory = 8;

// Asks for one value in a small titled dialog; false on Esc.
bool AskValue(const wchar_t* title, const wchar_t* label, int field_x, int width, int max_length, Westring& value,
              int history = -1) {
    Dialog dialog(-1, -4, field_x + width + 4, 6, colours[CLR_MESSAGES]);
    dialog.AddStaticText(-1, 0, title);
    const int field = dialog.AddStringField(field_x, 1, 1, value, width, max_length, history);
    dialog.AddFieldLabel(1, 1, field, label);
    dialog.AddOkCancel(-1, -1, 1);
    dialog.ChangeFocus(field);
    return dialog.RunOkCancel() == 13;
}

void Tell(const Westring& message) { static_cast<void>(error(message, Westring(), MB_OK | MB_MESSAGE)); }

// Whether the system can convert from code page.
bool IsKnownCodePage(int page) {
    if (page <= 0) return false;
    iconv_t converter = iconv_open("WCHAR_T", CPName(page).c_str());
    if (converter == reinterpret_cast<iconv_t>(-1)) return false;
    iconv_close(converter);
    return true;
}

}  // namespace

void CFileViewer::GotoOffset() {
    Westring text;
    if (!AskValue(L" Goto Offset ", L"Offset to go to: 0x", 21, 12, 16, text)) return;
    const int64_t offset = xtoi(text.ToUTF8().c_str());
    if (offset >= file_.size()) {
        Tell(Westring(("Only " + std::to_string(file_.size()) + " bytes in this file").c_str()));
        return;
    }
    SetTop(hex_ ? offset / 16 * 16 : lines_.StartOf(offset));
    found_ = offset;
    found_length_ = 1;
}

void CFileViewer::GotoLine() {
    Westring text;
    if (!AskValue(L" Goto Line ", L"Line to go to:", 17, 8, 8, text)) return;
    const long long line = std::atoll(text.ToUTF8().c_str());
    if (line < 1) return;
    int64_t count = 0;
    const int64_t start = lines_.LineStart(line - 1, &count);
    if (start < 0) {
        Tell(Westring(("Only " + std::to_string(count) + " lines in this file").c_str()));
        return;
    }
    if (hex_) SetHex(false);
    SetTop(start);
}

void CFileViewer::EditCodePageList() {
    Westring list(config.TranslateCP.c_str());
    if (!AskValue(L" Code Page Translation ", L"Code Page List:", 17, 12, -1, list, kCodePageHistory)) return;
    config.TranslateCP = list.ToUTF8();
    view_code_page_pos = -1;
    NextCodePage();
}

// The next entry of the list (the first after an edit of the list); a
// number that is no code page counts as the default.
void CFileViewer::NextCodePage() {
    const std::vector<int> pages = ParseCodePageList(config.TranslateCP.c_str());
    if (pages.empty()) return;
    view_code_page_pos = (view_code_page_pos + 1) % static_cast<int>(pages.size());
    int page = pages[static_cast<size_t>(view_code_page_pos)];
    if (!IsKnownCodePage(page)) {
        Tell(L"Invalid code page");
        page = 0;
    }
    if (page == DefaultTextCodePage()) page = 0;
    view_code_page = page;
    ApplyFormat(FF_CODEPAGE, page != 0 ? page : DefaultTextCodePage());
}

void CFileViewer::EncodingDialog() {
    EncodingChoice choice = EncodingChoice::From(file_.format, file_.code_page, file_.has_bom);
    if (CFormatSelectDlg(choice).Run() == 13) ApplyFormat(choice.Format(), choice.code_page);
}

bool CFileViewer::Key(int key) {
    const int tab = key - kAltDigitBase + 1;
    if (tab >= 1 && tab <= 8) {
        config.TabWidth = tab;
        return true;
    }
    switch (key) {
    case KEY_ESC: case KEY_F3: case KEY_F10: exit_ = ViewerExit::kClosed; return false;
    case KEY_ALT_UP: exit_ = ViewerExit::kPrevious; return false;
    case KEY_ALT_DOWN: exit_ = ViewerExit::kNext; return false;
    case KEY_QUIT: exit_ = ViewerExit::kQuit; return false;
    case KEY_F1:
        if (viewer_hooks.help) viewer_hooks.help(2);
        break;
    case KEY_F2:
        if (!hex_) SetWrap(!wrap_);
        break;
    case KEY_F4: SetHex(!hex_); break;
    case KEY_F7: case '/': Search(true, false, key == '/' ? 1 : 0); break;
    case '?': Search(true, false, 2); break;
    case KEY_SHIFT_F7: Search(false, false, 0); break;
    case KEY_ALT_F7: Search(false, true, 0); break;
    case KEY_F8: case KEY_HOME: case KEY_CTRL_PGUP: GoTop(); break;
    case KEY_F9: case KEY_END: case KEY_CTRL_PGDN: GoEnd(); break;
    case KEY_UP: LineUp(); break;
    case KEY_DOWN: LineDown(); break;
    case KEY_PGUP: PageUp(); break;
    case KEY_PGDN: case ' ':
        if (PageEnd() >= file_.size()) Refresh();
        PageDown();
        break;
    case KEY_LEFT: case KEY_CTRL_LEFT:
        if (hex_) SetTop(std::max<int64_t>(0, top_ - 1));
        else if (!wrap_) left_ = std::max(0, left_ - (key == KEY_LEFT ? 4 : 40));
        break;
    case KEY_RIGHT: case KEY_CTRL_RIGHT:
        if (hex_) SetTop(std::min(file_.size(), top_ + 1));
        else if (!wrap_) left_ += key == KEY_RIGHT ? 4 : 40;
        break;
    case KEY_CTRL_L: states_.clear(); break;
    case 0x10012: EncodingDialog(); break;     // Alt-E
    case 0x1002E: EditCodePageList(); break;   // Alt-C
    case 0x10014:                              // Alt-T
        if (file_.format == FF_CODEPAGE) NextCodePage();
        break;
    case 0x10018: GotoOffset(); break;         // Alt-O
    case 0x10026: GotoLine(); break;           // Alt-L
    case 0x10021: Follow(); return exit_ != ViewerExit::kQuit;  // Alt-F
    case 0x10023:                              // Alt-H
        highlight_on_ = !highlight_on_ && !editor_hooks.syntax_file.empty() &&
                        highlighter_.LoadDef(editor_hooks.syntax_file, name_);
        states_.clear();
        break;
    case KEY_ALT_F4: case KEY_SHIFT_F4: {
        // The editor at the same place; the viewer is gone meanwhile.
        const int64_t at = top_;
        const Westring name = name_;
        Close();
        if (edit(name.c_str(), at, 0) == EditorExit::kQuit) exit_ = ViewerExit::kQuit;
        return false;
    }
    default: break;
    }
    return true;
}
