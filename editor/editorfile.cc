// The editor and its file: opening (or creating) it, loading it so that
// the first screen shows at once, saving and saving under another name,
// other encodings, and what is remembered of the file afterwards.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "config/config.h"
#include "console/msgbox.h"
#include "console/wordedit.h"
#include "editor/editor.h"
#include "editor/filestatus.h"
#include "editor/textcodec.h"
#include "panels/progress.h"

EditorHooks editor_hooks;
EditorSearch editor_search;

namespace {

// Lines read between two looks at the keyboard and the progress window.
constexpr int kLoadChunk = 16384;

Westring SystemMessage(int error) { return Westring(std::strerror(error)); }

bool Ask(const Westring& question, const Westring& title) {
    return error(question, title, MB_OKCANCEL | MB_MESSAGE) == 'y';
}

void Tell(const Westring& message, const Westring& title) { static_cast<void>(error(message, title, MB_OK)); }

struct FileStamp {
    int64_t size = -1;
    int64_t mtime = 0;  // nanoseconds
};

bool StampOf(const Westring& name, FileStamp& stamp) {
    struct stat st;
    if (stat(name.ToUTF8().c_str(), &st) != 0) return false;
    stamp.size = st.st_size;
    stamp.mtime = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return true;
}

// The directory part of name ("." for a bare name).
std::string DirectoryOf(const std::string& name) {
    const size_t slash = name.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : name.substr(0, slash);
}

}  // namespace

DVEditor::DVEditor() = default;

DVEditor::~DVEditor() = default;

EditorExit edit(const wchar_t* name, int64_t offset, int length) {
    DVEditor editor;
    return editor.edit(name, offset, length);
}

EditorExit DVEditor::edit(const wchar_t* name, int64_t offset, int length) {
    if (!Open(name, offset, length)) return EditorExit::kNotOpened;
    const EditorExit exit = Run();
    Close();
    return exit;
}

bool DVEditor::Open(const wchar_t* name, int64_t offset, int length) {
    filename_ = name;
    model_.settings.tab_width = config.TabWidth;
    model_.settings.indent_width = config.IndentWidth;
    model_.settings.auto_indent = config.AutoIndent;
    model_.settings.overstrike = config.OverStrike;
    model_.settings.brief_word_right = brief_word_right;
    highlight_on_ = !editor_hooks.syntax_file.empty() && highlighter_.LoadDef(editor_hooks.syntax_file, filename_);

    const std::string path = filename_.ToUTF8().c_str();
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        const int err = errno;
        if (err != ENOENT) {
            Tell(SystemMessage(err), filename_);
            return false;
        }
        if (!Ask(L"File does not exist, Create?", filename_)) return false;
        static_cast<void>(file_.Open(filename_.c_str()));  // only names the file to save
        file_.format = FF_UTF8;
        file_.has_bom = false;
        new_file_ = true;
        if (console) MakeWindows();
        model_.text.Clear();
        model_.text.default_end = LE_LF;
        model_.modified = true;
        Paint();
        return true;
    }
    if (!S_ISREG(st.st_mode)) {
        Tell(S_ISDIR(st.st_mode) ? SystemMessage(EISDIR) : Westring(L"Not a regular file"), filename_);
        return false;
    }
    const int fd = open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) close(fd);
    read_only_ = fd < 0;
    if (console) MakeWindows();
    return LoadFile(false, offset, length);
}

// Reads the file in steps: the first screen is painted as soon as its lines
// are in, then the rest is read under a progress window that Esc stops (a
// text read only in part is never saved over the file).
bool DVEditor::LoadFile(bool keep_format, int64_t offset, int length) {
    FileStamp stamp;
    StampOf(filename_, stamp);
    load_size_ = stamp.size;
    load_mtime_ = stamp.mtime;
    const HISTREC* record = FileStatusStore::Global().Find(filename_.c_str(), stamp.size, stamp.mtime);
    const bool restore = record && offset < 0;
    if (record && offset < 0 && record->viewer_pos >= 0) offset = record->viewer_pos;
    if (!keep_format) {
        file_.format = FF_UNKNOWN;
        if (record && record->format != FF_UNKNOWN) {
            file_.format = record->format;
            file_.code_page = record->code_page;
        }
    }
    const int open_error = file_.Open(filename_.c_str());
    if (open_error != 0) {
        Tell(SystemMessage(open_error), filename_);
        return false;
    }
    model_.BeginLoad(file_, offset, length);
    std::unique_ptr<FileReadProgress> progress;
    bool done = false;
    EditStatus status = EditStatus::kOk;
    while (!done && status == EditStatus::kOk) {
        status = model_.LoadMore(file_, kLoadChunk, done);
        if (progress) {
            progress->SetProgress(static_cast<uint64_t>(file_.pos), static_cast<uint64_t>(load_size_));
            if (check_esc()) status = EditStatus::kStopped;
        } else if (console && win_ && !done && (offset < 0 || model_.text.offset_found())) {
            Paint();
            progress = std::make_unique<FileReadProgress>(L"Reading File");
        }
    }
    progress.reset();
    if (status == EditStatus::kStopped) model_.incomplete = true;
    model_.text.default_end = file_.line_end == 0 ? LE_CRLF : LE_LF;
    if (record) {
        // The remembered undo history and bookmarks belong to this very file
        // (same size and time); its position only when none was asked for.
        const TextPos cursor = model_.cursor();
        const Selection sel = model_.sel;
        const int32_t top = model_.top;
        RestoreEditHistory(model_, *record, rows_);
        if (!restore) {
            model_.SetCursor(cursor);
            model_.sel = sel;
            model_.top = top;
        }
    }
    if (offset >= 0) model_.row = 0;
    Invalidate();
    Paint();
    switch (status) {
    case EditStatus::kOk: break;
    case EditStatus::kReadError:
        Tell(Westring(L"Error reading file: ") + SystemMessage(file_.read_error) +
                 Westring(L"\nOnly the part before the error is shown, and it cannot be saved over the file."),
             filename_);
        break;
    case EditStatus::kStopped:
        Tell(L"Reading was stopped: the text is incomplete and cannot be saved over the file.", filename_);
        break;
    default:
        Tell(L"The file is too large to edit whole: only its first part is shown, and it cannot be saved over the file.",
             filename_);
        break;
    }
    if (model_.text.split_lines > 0) {
        char text[200];
        std::snprintf(text, sizeof text,
                      "%d lines longer than 65535 characters are shown in pieces; they are saved unchanged.",
                      model_.text.split_lines);
        Tell(Westring(text), filename_);
    }
    return true;
}

bool DVEditor::ReloadFile(EFileFormat format, int code_page, bool has_bom) {
    if (new_file_) {
        file_.format = format;
        file_.code_page = code_page;
        file_.has_bom = has_bom;
        return true;
    }
    if (model_.modified && !ConfirmReloadDiscarding()) return false;
    const TextPos cursor = model_.cursor();
    const int32_t top = model_.top;
    file_.format = format;
    file_.code_page = code_page;
    if (!LoadFile(true, -1, 0)) return false;
    file_.has_bom = has_bom;
    model_.undo.Clear();
    model_.redo.Clear();
    model_.SetCursor(cursor);
    model_.top = top;
    Paint();
    return true;
}

void DVEditor::RecodeFile(int from_cp, int to_cp) {
    const int lost = model_.Recode(from_cp, to_cp);
    file_.code_page = to_cp;
    model_.modified = true;
    Invalidate();
    if (lost > 0) {
        char text[160];
        std::snprintf(text, sizeof text, "%d characters do not exist in the old code page and became \"?\".", lost);
        Tell(Westring(text), filename_);
    }
}

void DVEditor::ApplyEncoding(const EncodingChoice& choice) {
    const EFileFormat format = choice.Format();
    if (format == FF_CODEPAGE && file_.format == FF_CODEPAGE) {
        if (choice.code_page != file_.code_page) RecodeFile(file_.code_page, choice.code_page);
        return;
    }
    if (format == file_.format) {
        // Only the byte-order mark changes: that is a matter of saving.
        if (choice.byte_order_mark != file_.has_bom) {
            file_.has_bom = choice.byte_order_mark;
            model_.modified = true;
        }
        return;
    }
    static_cast<void>(ReloadFile(format, choice.code_page, choice.byte_order_mark));
}

void DVEditor::EncodingDialog() {
    EncodingChoice choice = EncodingChoice::From(file_.format, file_.code_page, file_.has_bom);
    if (CFormatSelectDlg(choice).Run() == 13) ApplyEncoding(choice);
    Invalidate();
}

void DVEditor::CodePageMode() {
    if (file_.format == FF_CODEPAGE) return;
    static_cast<void>(ReloadFile(FF_CODEPAGE, file_.code_page, false));
}

// The next code page of the TranslateCP list after the present one.
void DVEditor::NextCodePage() {
    std::vector<int> pages;
    for (int page : ParseCodePageList(config.TranslateCP.c_str()))
        if (page > 0) pages.push_back(page);
    if (pages.empty()) return;
    size_t next = 0;
    for (size_t i = 0; i < pages.size(); i++)
        if (pages[i] == file_.code_page) next = (i + 1) % pages.size();
    EncodingChoice choice = EncodingChoice::From(FF_CODEPAGE, pages[next], false);
    ApplyEncoding(choice);
}

bool DVEditor::WriteFile() {
    const int result = model_.Save(file_);
    Invalidate();
    if (result == EditModel::kIncompleteText) {
        Tell(L"The file was not read whole: saving it would cut it short.", filename_);
        return false;
    }
    if (result != 0) {
        Tell(Westring(L"Error writing text file: ") + SystemMessage(result), filename_);
        return false;
    }
    FileStamp stamp;
    StampOf(filename_, stamp);
    load_size_ = stamp.size;
    load_mtime_ = stamp.mtime;
    new_file_ = false;
    if (file_.links_broken > 0)
        Tell(L"The file had other names (hard links); they keep the old text.", filename_);
    return true;
}

bool DVEditor::save_text() {
    if (read_only_ && !new_file_ && !Ask(L"File is Read Only, override?", filename_)) return false;
    FileStamp stamp;
    if (!new_file_ && StampOf(filename_, stamp) && stamp.mtime != load_mtime_ &&
        !Ask(L"File has been modified since it was loaded. Overwrite anyway?", filename_))
        return false;
    int unwritable = 0;
    std::wstring scratch;
    for (int i = 0; i < model_.text.LineCount(); i++)
        unwritable += file_.CountUnwritable(model_.text.Line(i, scratch), model_.text.LineLength(i));
    if (unwritable > 0) {
        char text[200];
        std::snprintf(text, sizeof text, "%d characters cannot be written in %s and would be saved as \"?\". Save anyway?",
                      unwritable, file_.GetFormatDesc().c_str());
        if (!Ask(Westring(text), filename_)) return false;
    }
    return WriteFile();
}

// A name Save As may write to: a directory that can take a new file, and
// an existing file only when the user agrees to replace it.
bool DVEditor::AcceptSaveAsName(const Westring& name) {
    const std::string path = name.ToUTF8().c_str();
    struct stat st;
    if (stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            Tell(Westring(L"Unable to open: ") + SystemMessage(EISDIR), name);
            return false;
        }
        if (!SameChars(name, filename_) && !Ask(L"File already exists. Overwrite?", name)) return false;
    }
    if (access(DirectoryOf(path).c_str(), W_OK | X_OK) != 0) {
        Tell(Westring(L"Unable to open: ") + SystemMessage(errno), name);
        return false;
    }
    return true;
}

bool DVEditor::SaveAs() {
    Westring name = filename_;
    EncodingChoice choice = EncodingChoice::From(file_.format, file_.code_page, file_.has_bom);
    const int answer = CSaveAsDlg(name, choice, [this](const Westring& n) { return AcceptSaveAsName(n); }).Run();
    Invalidate();
    if (answer != 13 || name.empty()) return false;
    const Westring old_name = filename_;
    const EncodingChoice old_choice = EncodingChoice::From(file_.format, file_.code_page, file_.has_bom);
    const bool old_new_file = new_file_, old_read_only = read_only_;
    const bool same_file = SameChars(name, filename_);
    const auto name_file = [this](const Westring& file_name, const EncodingChoice& encoding) {
        filename_ = file_name;
        static_cast<void>(file_.Open(filename_.c_str()));  // names the file; it need not exist
        file_.read_only = false;
        file_.format = encoding.Format();
        file_.code_page = encoding.code_page;
        file_.has_bom = encoding.byte_order_mark;
    };
    name_file(name, choice);
    read_only_ = false;
    if (!same_file) new_file_ = true;  // the present file's time stamp says nothing about the other
    if (save_text()) {
        if (!editor_hooks.syntax_file.empty())
            highlight_on_ = highlighter_.LoadDef(editor_hooks.syntax_file, filename_);
        Invalidate();
        return true;
    }
    // Not saved: the editor goes on with the file it had.
    name_file(old_name, old_choice);
    new_file_ = old_new_file;
    read_only_ = old_read_only;
    return false;
}

void DVEditor::store_hist() {
    HISTREC record;
    record.name = filename_.c_str();
    FileStamp stamp;
    if (!StampOf(filename_, stamp)) return;
    record.size = stamp.size;
    record.mtime = stamp.mtime;
    StoreEditHistory(model_, file_, record);
    FileStatusStore::Global().Store(record);
}

bool DVEditor::MayLeave() {
    if (!model_.modified) return true;
    switch (AskUnsavedChanges()) {
    case UnsavedAnswer::Save: return save_text();
    case UnsavedAnswer::Discard: return true;
    case UnsavedAnswer::Edit: break;
    }
    Invalidate();
    return false;
}

void DVEditor::Close() {
    if (!model_.modified && !model_.incomplete && !new_file_) store_hist();
    key_bar_.reset();
    win_.reset();
}
