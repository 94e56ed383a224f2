// The text editor's dialogs.
#include "editor/editdialogs.h"

#include <string>

#include "console/cells.h"
#include "console/msgbox.h"

namespace {

constexpr int kSearchHistory = 5;
constexpr int kReplaceHistory = 6;
constexpr int kMaxNameLength = 512;

// A string or number field already added, with its label at (x, y).
void label_field(Dialog& dialog, int x, int y, int field, const wchar_t* label) {
    dialog.AddFieldLabel(x, y, field, label);
}

// The format choices at (x, y) down, the flags and the code page to their
// right; returns the first control's index.
int add_encoding_controls(Dialog& dialog, int x, int y, EncodingChoice& encoding) {
    dialog.AddStaticText(x, y, L"File Format:");
    const int first = dialog.AddRadioButton(x, y + 1, 2, encoding.kind, EncodingChoice::UTF8, L"UTF-_8");
    dialog.AddRadioButton(x, y + 2, 0, encoding.kind, EncodingChoice::UTF16, L"UTF-1_6");
    dialog.AddRadioButton(x, y + 3, 0, encoding.kind, EncodingChoice::UTF32, L"UTF-_32");
    dialog.AddRadioButton(x, y + 4, 0, encoding.kind, EncodingChoice::CodePage, L"Code _Page");
    dialog.AddCheckBox(x + 20, y + 1, 1, encoding.big_endian, L"Big-_Endian");
    dialog.AddCheckBox(x + 20, y + 2, 1, encoding.byte_order_mark, L"_Byte Order Mark");
    const int field = dialog.AddIntField(x + 32, y + 4, 1, encoding.code_page, 6);
    label_field(dialog, x + 20, y + 4, field, L"_Code Page:");
    return first;
}

}  // namespace

CEditSearchDlg::CEditSearchDlg(Westring& search, Westring* replacement, EditSearchOptions& options)
    : Dialog(-1, -4, 65, replacement ? 9 : 7, colours[CLR_MESSAGES]) {
    const int field = AddStringField(15, 0, 1, search, 40, -1, kSearchHistory);
    label_field(*this, 1, 0, field, L"_Search for:");
    int row = 2;
    if (replacement) {
        const int replace_field = AddStringField(15, row, 1, *replacement, 40, -1, kReplaceHistory);
        label_field(*this, 1, row, replace_field, L"Re_place with:");
        row += 2;
    }
    AddCheckBox(1, row, 1, options.case_sensitive, L"Case Sensitive");
    AddCheckBox(22, row, 1, options.reverse, L"Reverse");
    AddCheckBox(38, row, 1, options.whole_word, L"Whole Word");
    AddOkCancel(-1, -1, 1);
    ChangeFocus(field);
}

int CEditSearchDlg::Run() { return RunOkCancel(); }

FoundAnswer AskStringFound() {
    Dialog dialog(-1, -4, 48, 5, colours[CLR_MESSAGES]);
    dialog.AddStaticText(-1, 0, L" String Found ");
    static const Dialog::ButtonDef kButtons[] = {
        {'r', "_Replace"}, {'s', "_Skip"}, {27, "Cancel"}, {'a', "_All"}, {0, nullptr}};
    const int first = dialog.AddPushButtonGroup(-1, -1, 1, kButtons);
    dialog.ChangeFocus(first);
    for (;;) {
        switch (dialog.Process()) {
            case 'r':
            case 13: return FoundAnswer::Replace;
            case 's': return FoundAnswer::Skip;
            case 'a': return FoundAnswer::All;
            case 27: return FoundAnswer::Cancel;
            default: break;
        }
    }
}

CGotoLineDlg::CGotoLineDlg(int line_count, int& line) : Dialog(-1, -4, 44, 6, colours[CLR_MESSAGES]) {
    AddStaticText(-1, 0, L" Goto Line ");
    const int field = AddIntField(16, 1, 1, line, 10);
    label_field(*this, 1, 1, field, L"Line to go to:");
    AddStaticText(28, 1, Westring(("(1-" + std::to_string(line_count) + ")").c_str()));
    AddOkCancel(-1, -1, 1);
    ChangeFocus(field);
}

int CGotoLineDlg::Run() { return RunOkCancel(); }

EncodingChoice EncodingChoice::From(EFileFormat format, int code_page, bool has_bom) {
    EncodingChoice choice;
    choice.code_page = code_page;
    choice.byte_order_mark = has_bom;
    choice.big_endian = IsBigEndian(format);
    switch (format) {
        case FF_UTF16LE:
        case FF_UTF16BE: choice.kind = UTF16; break;
        case FF_UTF32LE:
        case FF_UTF32BE: choice.kind = UTF32; break;
        case FF_CODEPAGE: choice.kind = CodePage; break;
        default: choice.kind = UTF8; break;
    }
    return choice;
}

EFileFormat EncodingChoice::Format() const {
    switch (kind) {
        case UTF16: return big_endian ? FF_UTF16BE : FF_UTF16LE;
        case UTF32: return big_endian ? FF_UTF32BE : FF_UTF32LE;
        case CodePage: return FF_CODEPAGE;
        default: return FF_UTF8;
    }
}

CSaveAsDlg::CSaveAsDlg(Westring& name, EncodingChoice& encoding, std::function<bool(const Westring&)> accept)
    : Dialog(-1, -4, 62, 12, colours[CLR_MESSAGES]), name_(name), accept_(std::move(accept)) {
    AddStaticText(-1, 0, L" Save As ");
    const int field = AddStringField(1, 2, 1, name_, 58, kMaxNameLength);
    label_field(*this, 1, 1, field, L"_Name:");
    add_encoding_controls(*this, 1, 3, encoding);
    AddOkCancel(-1, -1, 1);
    ChangeFocus(field);
}

int CSaveAsDlg::Run() {
    for (;;) {
        const int result = RunOkCancel();
        if (result == 27 || !accept_ || accept_(name_)) return result;
        Draw();
    }
}

CFormatSelectDlg::CFormatSelectDlg(EncodingChoice& encoding) : Dialog(-1, -4, 56, 10, colours[CLR_MESSAGES]) {
    AddStaticText(-1, 0, L"Select File Encoding");
    const int first = add_encoding_controls(*this, 1, 1, encoding);
    AddOkCancel(-1, -1, 1);
    ChangeFocus(first);
}

int CFormatSelectDlg::Run() { return RunOkCancel(); }

UnsavedAnswer AskUnsavedChanges() {
    Dialog dialog(-1, -4, 44, 5, colours[CLR_ERRORS]);
    dialog.AddStaticText(-1, 0, L"There are unsaved changes");
    static const Dialog::ButtonDef kButtons[] = {{'s', "_Save"}, {'d', "_Discard"}, {'e', "_Edit"}, {0, nullptr}};
    const int first = dialog.AddPushButtonGroup(-1, -1, 1, kButtons);
    dialog.ChangeFocus(first);
    for (;;) {
        switch (dialog.Process()) {
            case 's': return UnsavedAnswer::Save;
            case 'd': return UnsavedAnswer::Discard;
            case 'e':
            case 27: return UnsavedAnswer::Edit;
            default: break;
        }
    }
}

bool ConfirmReloadDiscarding() {
    return error(L"File must be re-loaded, discard changes?", L" Code Page Change ", MB_OKCANCEL) == 'y';
}
