// The text editor's dialogs: search and replace, the answer at each match,
// going to a line, saving under another name, the file's encoding, leaving
// with unsaved changes and reloading in another code page. Each works on
// plain values the caller owns and keeps between dialogs.
#pragma once

#include <functional>

#include "console/dialog.h"
#include "editor/textformat.h"
#include "lib/westring.h"

// The program-wide search options the search dialogs show.
struct EditSearchOptions {
    bool case_sensitive = false;
    bool reverse = false;
    bool whole_word = false;
};

// "Search for:" (and, with a replacement string, "Replace with:") with
// OK, Cancel and the three search options.
class CEditSearchDlg : public Dialog {
public:
    // replacement null: a plain search. Strings and options are edited in place.
    CEditSearchDlg(Westring& search, Westring* replacement, EditSearchOptions& options);
    // Enter (13) or Esc (27).
    int Run();
};

// The answer to " String Found ".
enum class FoundAnswer { Replace, Skip, Cancel, All };
// Asks what to do with one match; Esc cancels.
FoundAnswer AskStringFound();

// " Goto Line ": "Line to go to:" with the valid range 1 to line_count.
class CGotoLineDlg : public Dialog {
public:
    // line: the 1-based line typed; the caller keeps it inside the range.
    CGotoLineDlg(int line_count, int& line);
    // Enter (13) or Esc (27).
    int Run();
};

// The encoding controls of Save As and of the encoding dialog, as the user
// sees them: one of four formats, two flags and a code page.
struct EncodingChoice {
    enum Kind { UTF8 = 0, UTF16 = 1, UTF32 = 2, CodePage = 3 };
    int kind = UTF8;
    bool big_endian = false;
    bool byte_order_mark = false;
    int code_page = 0;

    static EncodingChoice From(EFileFormat format, int code_page, bool has_bom);
    // The file format chosen (the byte order matters only for UTF-16 and UTF-32).
    EFileFormat Format() const;
};

// " Save As ": "Name:" and the encoding controls.
class CSaveAsDlg : public Dialog {
public:
    // accept, when given, is asked about the name on OK; when it refuses
    // (after telling the user why) the dialog stays open.
    CSaveAsDlg(Westring& name, EncodingChoice& encoding,
               std::function<bool(const Westring&)> accept = nullptr);
    // Enter (13), with name holding the chosen name, or Esc (27).
    int Run();

private:
    Westring& name_;
    std::function<bool(const Westring&)> accept_;
};

// "Select File Encoding": the encoding controls alone.
class CFormatSelectDlg : public Dialog {
public:
    explicit CFormatSelectDlg(EncodingChoice& encoding);
    // Enter (13) or Esc (27).
    int Run();
};

// The answer to "There are unsaved changes".
enum class UnsavedAnswer { Save, Discard, Edit };
// Asks when leaving with unsaved changes; Esc returns to editing.
UnsavedAnswer AskUnsavedChanges();

// " Code Page Change ": whether to discard the changes and reload the file
// in another encoding.
bool ConfirmReloadDiscarding();
