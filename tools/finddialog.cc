#include "tools/finddialog.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cwchar>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "config/config.h"
#include "console/cells.h"
#include "console/cliplines.h"
#include "console/console.h"
#include "console/dialog.h"
#include "console/helptopics.h"
#include "console/keys.h"
#include "console/msgbox.h"
#include "editor/editor.h"
#include "exec/chdir.h"
#include "fileops/copycommand.h"
#include "fileops/delete.h"
#include "lib/collapsepath.h"
#include "lib/fsname.h"
#include "lib/numfmt.h"
#include "panels/dirtree.h"
#include "panels/panel.h"
#include "panels/treeupdate.h"
#include "tools/findreplace.h"
#include "tools/findscan.h"
#include "tools/foundline.h"
#include "tools/foundopen.h"
#include "tools/foundsort.h"
#include "viewer/fileviewer.h"
#include "viewer/viewer.h"

FoundList found_files;
std::function<void(const FileScan& scan, const Westring& directory)> find_scan_seam;
std::function<void(FileScan& scan)> find_started_seam;

namespace {

// What the fields held at the last search, for the next dialog.
Westring last_filter = L"*";
Westring last_containing;

constexpr int kTickMs = 100;  // the list and status row are brought up to date this often
constexpr int kBlinkMs = 500;  // the "Searching:" label is shown and blanked in turn this long

// The histories of the dialog's fields.
constexpr int kFilterHistory = 2;
constexpr int kContainingHistory = 3;

// Results of the dialog's buttons besides keys.
constexpr int kFindResult = 'f';
constexpr int kGoToResult = 'g';

// The list of found files; it reads the records under the list lock, so
// it always draws a consistent list while the scan adds to it.
class FoundListBox : public ListBoxBase {
public:
    FoundListBox(Dialog* dialog, int x, int y, int width, int height, int& selected)
        : ListBoxBase(dialog, x, y, width, height, found_files.count(), selected, kGoToResult) {}

    void DrawLine(int line, int item, unsigned char attr) override {
        std::lock_guard<MutexSem> hold(found_files.lock());
        Westring text = item < found_files.count() ? make_found(found_files[item], console->columns() - 34)
                                                   : Westring();
        PutLine(line, text, attr);
    }
    Westring SeekString(int item) override {
        std::lock_guard<MutexSem> hold(found_files.lock());
        return item < found_files.count() ? Westring(found_files[item].file->name).filename() : Westring();
    }
};

class FileFinder {
public:
    explicit FileFinder(PANEL* panel);
    ~FileFinder() { scan_.Abort(); }
    FileFinder(const FileFinder&) = delete;
    FileFinder& operator=(const FileFinder&) = delete;

    // The dialog loop; true when the user chose to go to the current file.
    bool Process(bool resume);

private:
    void StartSearch();
    // Brings the list box and the status row up to date with the scan.
    void Refresh();
    void ShowStatus(const Westring& text);
    void SendToList(int type, int key = 0);
    // The current record's path, or empty when the list is empty.
    Westring CurrentPath(bool* is_dir = nullptr, int64_t* match = nullptr);
    // F3, F4 and their Alt variants on the current record; a directory
    // opens nothing.
    void ViewCurrent(bool alternative);
    void EditCurrent(bool alternative);
    // The current record's path and the command that opens it (blank for
    // the program's own tool); false on an empty list or a directory.
    bool CurrentCommand(const FoundTool& tool, bool alternative, Westring& path, Westring& command,
                        int64_t* match = nullptr);
    // Runs a viewer or editor command with the dialog out of its way.
    void RunCommand(const Westring& command, const Westring& path);
    // Ctrl-Shift-F (the full path) and Ctrl-Shift-J (the name alone).
    void CopyCurrentToClipboard(bool name_only);
    void RemoveCurrent();
    void Sort(int key);
    void GoToCurrent();
    void DeleteCurrent();
    // Deletes record i's file or directory (mode as delete_file takes it):
    // 1 deleted, 0 kept, -1 stop.
    int DeleteRecord(int i, char mode);
    // Shift-F8: every found file, after one question.
    void DeleteAll();
    // Writes the directory trees once after deleting, when directories went.
    void WriteTreeIfChanged();
    // F5 and F6: every found file into the other panel's directory.
    void CopyOrMove(bool move);
    void ReplaceInFoundFiles();
    // Asks for the replacement; false when the user cancelled.
    bool AskReplacement(Westring& replacement);

    PANEL* panel_;
    FileScan scan_{found_files};
    std::unique_ptr<Dialog> dialog_;
    int list_ = -1;
    int inner_width_ = 0;
    int status_row_ = 0;
    int shown_count_ = -1;
    bool follow_last_ = true;
    bool was_running_ = false;
    // When the running scan started, for the blinking of its label.
    std::chrono::steady_clock::time_point started_;
    bool label_lit_ = false;

    Westring filter_;
    Westring containing_;
    Westring code_page_;  // the number of the code page of files in no Unicode form, or empty
    bool root_search_ = false, recurse_ = true, follow_links_ = false, case_ = false, whole_word_ = false;

    // The directory the scan is in, for the status row.
    std::mutex scanning_lock_;
    Westring scanning_;
    bool scanning_changed_ = false;
    // Directories deleted from the list since the tree was last written.
    bool tree_changed_ = false;
};

FileFinder::FileFinder(PANEL* panel)
    : panel_(panel),
      filter_(last_filter),
      containing_(last_containing),
      root_search_(config.FFRootSearch),
      recurse_(config.FFRecurse),
      follow_links_(config.FFFollowLinks),
      case_(config.FFCase),
      whole_word_(config.FFWholeWord) {
    const int width = console->columns() - 4, height = console->rows() - 4;
    dialog_ = std::make_unique<Dialog>(2, 2, 2 + width - 1, 2 + height - 1, colours[CLR_MENU]);
    inner_width_ = width - 2;
    const int h = height - 2;
    status_row_ = h - 11;
    const wchar_t* title = L" File Find ";
    dialog_->puts_at(std::max(0, (inner_width_ - static_cast<int>(std::wcslen(title))) / 2), -1, title);

    list_ = dialog_->AddElement(new FoundListBox(dialog_.get(), 0, 0, inner_width_ - 2, h - 11, found_files.current), 1);
    const int filter = dialog_->AddStringField(1, h - 7, 1, filter_, 34, -1, kFilterHistory);
    dialog_->AddFieldLabel(1, h - 8, filter, L"F_ile(s) to find:");
    const int containing_width = std::min(inner_width_ - 48, 34);
    const int containing = dialog_->AddStringField(39, h - 7, 1, containing_, containing_width, -1, kContainingHistory);
    dialog_->AddFieldLabel(39, h - 8, containing, L"Con_taining:");
    if (view_code_page > 0) code_page_ = Westring(std::to_wstring(view_code_page).c_str());
    const int code_page = dialog_->AddStringField(39 + containing_width + 4, h - 7, 1, code_page_, 5);
    dialog_->AddFieldLabel(39 + containing_width + 1, h - 7, code_page, L"C_P");
    dialog_->AddCheckBox(1, h - 5, 1, root_search_, L"Start at _Root");
    dialog_->AddCheckBox(1, h - 4, 0, recurse_, L"_Scan subdirectories");
    dialog_->AddCheckBox(1, h - 3, 0, follow_links_, L"Follow _Directory Symlinks");
    dialog_->AddCheckBox(39, h - 5, 1, case_, L"_Case sensitive");
    dialog_->AddCheckBox(39, h - 4, 0, whole_word_, L"_Whole Word");
    const int find = dialog_->AddPushButton(7, h - 1, 1, kFindResult, L"_Find");
    dialog_->AddPushButton(17, h - 1, 0, 27, L"Cancel");
    dialog_->AddPushButton(29, h - 1, 0, KEY_F1, L"Help");
    dialog_->AddPushButton(39, h - 1, 0, kGoToResult, L"GoTo");
    dialog_->AddPushButton(49, h - 1, 0, KEY_F3, L"View");
    dialog_->AddPushButton(59, h - 1, 0, KEY_F4, L"Edit");
    dialog_->SetDefault(find);
    const int exit_keys[] = {KEY_ALT_F3,  KEY_ALT_F4,  KEY_F3,      KEY_F4,      KEY_F5,     KEY_F6, KEY_F8,
                             KEY_SHIFT_F8, KEY_DEL, KEY_CTRL_F3, KEY_CTRL_F4, KEY_CTRL_F5, KEY_CTRL_F6, KEY_CTRL_R,
                             KEY_SHIFT_CTRL_F, KEY_SHIFT_CTRL_J};
    for (int key : exit_keys) dialog_->AddExitKey(key);
    dialog_->ChangeFocus(filter);
    scan_.on_directory = [this](const Westring& directory) {
        {
            std::lock_guard<std::mutex> hold(scanning_lock_);
            scanning_ = directory;
            scanning_changed_ = true;
        }
        if (find_scan_seam) find_scan_seam(scan_, directory);
    };
}

void FileFinder::SendToList(int type, int key) {
    Event event;
    event.type = type;
    event.key = key;
    dialog_->SendMessage(list_, event);
}

void FileFinder::ShowStatus(const Westring& text) {
    Westring line = text;
    int cells = inner_width_ - 2;
    if (line.strlen() > cells) line = Westring(line.c_str(), cells);
    line += String(L' ', std::max(0, cells - line.strlen()));
    dialog_->puts_at(1, status_row_, line.c_str());
}

void FileFinder::StartSearch() {
    scan_.Abort();
    if (filter_.strlen() == 0) return;
    last_filter = filter_;
    last_containing = containing_;
    dialog_->SaveToHistory();
    config.FFRootSearch = root_search_;
    config.FFRecurse = recurse_;
    config.FFFollowLinks = follow_links_;
    config.FFCase = case_;
    config.FFWholeWord = whole_word_;

    FindOptions options;
    options.root = root_search_ ? Westring(L"/") : panel_->dir;
    options.filter = filter_;
    options.containing = containing_;
    options.recurse = recurse_;
    options.follow_links = follow_links_;
    options.case_sensitive = case_;
    options.whole_word = whole_word_;
    options.hidden = config.Hidden;
    options.code_page = static_cast<int>(IntegerField::LeadingNumber(code_page_));
    if (options.code_page > 0) view_code_page = options.code_page;

    found_files.Clear();
    follow_last_ = true;
    shown_count_ = -1;
    SendToList(Event::SetCount, 0);
    {
        std::lock_guard<std::mutex> hold(scanning_lock_);
        scanning_ = Westring();
        scanning_changed_ = true;
    }
    switch (scan_.Start(options)) {
        case FindStart::kBadFilter:
            error(Westring(L"Syntax error in search expression"), filter_, MB_OK);
            return;
        case FindStart::kNoThread:
            error(Westring(L"The search could not be started"), filter_, MB_OK);
            return;
        case FindStart::kStarted: break;
    }
    was_running_ = true;
    started_ = std::chrono::steady_clock::now();
    break_status.store(0);
    dialog_->ChangeFocus(list_);
    if (find_started_seam) find_started_seam(scan_);
}

void FileFinder::Refresh() {
    const int count = found_files.count();
    if (count != shown_count_) {
        {
            std::lock_guard<MutexSem> hold(found_files.lock());
            // The list follows its newest entry while the cursor stays on
            // the last line; once the user moves away it stays put.
            if (follow_last_ && count > 0 && (found_files.current >= shown_count_ - 1 || shown_count_ <= 0))
                found_files.current = count - 1;
            else if (count > 0)
                follow_last_ = false;
        }
        shown_count_ = count;
        SendToList(Event::SetCount, count);
        SendToList(Event::Redraw);
    }
    if (scan_.running()) {
        // The label is lit for the first half of every second of the scan.
        const auto elapsed = std::chrono::steady_clock::now() - started_;
        const bool lit = (std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() / kBlinkMs) % 2 == 0;
        std::lock_guard<std::mutex> hold(scanning_lock_);
        if (scanning_changed_ || lit != label_lit_) {
            Westring directory = scanning_;
            collapse_path(directory, inner_width_ - 14);
            ShowStatus(Westring(lit ? L"Searching: " : L"           ") + directory);
            scanning_changed_ = false;
            label_lit_ = lit;
        }
    } else if (was_running_) {
        was_running_ = false;
        wchar_t digits[32];
        std::swprintf(digits, 32, L"%llu", static_cast<unsigned long long>(found_files.TotalSize()));
        wchar_t number[32];
        std::swprintf(number, 32, L"%d", count);
        Westring text = scan_.stopped() ? Westring(L"Search Stopped:  ") : Westring(L"Search Complete: ");
        text += number;
        text += count == 1 ? L" match uses " : L" matches use ";
        text += addCommas(digits);
        text += L" bytes";
        ShowStatus(text);
    }
}

Westring FileFinder::CurrentPath(bool* is_dir, int64_t* match) {
    std::lock_guard<MutexSem> hold(found_files.lock());
    const int i = found_files.current;
    if (i < 0 || i >= found_files.count()) return Westring();
    if (is_dir) *is_dir = found_files[i].file->is_dir();
    if (match) *match = found_files[i].match;
    return Westring(found_files[i].file->name);
}

bool FileFinder::CurrentCommand(const FoundTool& tool, bool alternative, Westring& path, Westring& command,
                                int64_t* match) {
    std::lock_guard<MutexSem> hold(found_files.lock());
    const int i = found_files.current;
    if (i < 0 || i >= found_files.count() || found_files[i].file->is_dir()) return false;
    path = found_files[i].file->name;
    if (match) *match = found_files[i].match;
    command = found_command(tool, found_files[i], alternative).trim();
    return true;
}

void FileFinder::RunCommand(const Westring& command, const Westring& path) {
    dialog_->hide(true);
    run_found_command(command, path, panel_);
    dialog_->hide(false);
    SendToList(Event::Redraw);
    dialog_->Draw();
}

void FileFinder::ViewCurrent(bool alternative) {
    Westring path, command;
    if (!CurrentCommand(kFoundViewer, alternative, path, command)) return;
    if (!command.empty()) {
        RunCommand(command, path);
        return;
    }
    if (containing_.strlen() > 0) {
        viewer_search.word = containing_;
        viewer_search.case_sensitive = case_;
        viewer_search.whole_word = whole_word_;
    }
    // The viewer steps through the found files; the list follows it.
    const int last = view_found_files(found_files, found_files.current);
    {
        std::lock_guard<MutexSem> hold(found_files.lock());
        if (last >= 0 && last < found_files.count()) found_files.current = last;
    }
    SendToList(Event::Redraw);
    dialog_->Draw();
}

void FileFinder::EditCurrent(bool alternative) {
    Westring path, command;
    int64_t match = -1;
    if (!CurrentCommand(kFoundEditor, alternative, path, command, &match)) return;
    if (!command.empty()) {
        RunCommand(command, path);
        return;
    }
    if (match >= 0) (void)edit(path.c_str(), match, containing_.strlen());
    else (void)edit(path.c_str());
    dialog_->Draw();
}

void FileFinder::CopyCurrentToClipboard(bool name_only) {
    const Westring path = CurrentPath();
    if (path.strlen() == 0) return;
    putclipline(name_only ? path.filename() : path);
}

void FileFinder::RemoveCurrent() {
    found_files.Remove(found_files.current);
    shown_count_ = found_files.count();
    SendToList(Event::SetCount, shown_count_);
    SendToList(Event::Redraw);
}

void FileFinder::Sort(int key) {
    SortFound(found_files, key == KEY_CTRL_F3   ? FoundOrder::kName
                           : key == KEY_CTRL_F4 ? FoundOrder::kExtension
                           : key == KEY_CTRL_F5 ? FoundOrder::kTime
                                                : FoundOrder::kSize);
    SendToList(Event::Redraw);
}

void FileFinder::GoToCurrent() {
    Westring path = CurrentPath();
    if (path.strlen() == 0) return;
    // Only '/' separates: a backslash is an ordinary character of a name.
    const wchar_t* slash = std::wcsrchr(path.c_str(), L'/');
    if (!slash) return;
    const int length = static_cast<int>(slash - path.c_str());
    Westring directory = length == 0 ? Westring(L"/") : Westring(path.c_str(), length);
    (void)goto_directory(panel_, directory, slash + 1);
}

int FileFinder::DeleteRecord(int i, char mode) {
    Westring path;
    bool is_dir = false;
    {
        std::lock_guard<MutexSem> hold(found_files.lock());
        if (i < 0 || i >= found_files.count()) return 0;
        path = found_files[i].file->name;
        is_dir = found_files[i].file->is_dir();
    }
    // A link to a directory is removed as the link it is.
    struct stat status;
    const bool real_dir = is_dir && lstat(EncodeFileName(path).c_str(), &status) == 0 && S_ISDIR(status.st_mode);
    const int result = real_dir ? delete_dir(path.c_str()) : delete_file(path.c_str(), mode);
    if (result == 1) {
        found_files.Remove(i);
        if (real_dir) {
            tree_remove_directory(path);
            tree_changed_ = true;
        }
    }
    return result;
}

void FileFinder::DeleteCurrent() {
    Westring path = CurrentPath();
    if (path.strlen() == 0) return;
    if (!(config.Confirmations & CONFIRM_DELETE_FILE)) {
        Westring shown = path;
        collapse_path(shown, 70);
        if (error(Westring(L"Do you wish to delete ") + shown, Westring(L"Delete"), MB_OKCANCEL | MB_MESSAGE) != 'y')
            return;
    }
    (void)DeleteRecord(found_files.current, DELETE_SINGLE);
    WriteTreeIfChanged();
    shown_count_ = found_files.count();
    SendToList(Event::SetCount, shown_count_);
    SendToList(Event::Redraw);
    dialog_->Draw();
}

void FileFinder::DeleteAll() {
    const int count = found_files.count();
    if (count == 0) return;
    if (!(config.Confirmations & CONFIRM_DELETE_TAGGED)) {
        wchar_t question[96];
        std::swprintf(question, 96, L"Are you sure you wish to delete %d files?", count);
        if (error(Westring(question), Westring(L"Delete"), MB_OKCANCEL) != 'y') return;
    }
    // From the end, so that a removed record does not move those still to do.
    for (int i = found_files.count() - 1; i >= 0; i--)
        if (DeleteRecord(i, DELETE_BATCH) < 0) break;
    end_delete_batch();
    WriteTreeIfChanged();
    shown_count_ = found_files.count();
    SendToList(Event::SetCount, shown_count_);
    SendToList(Event::Redraw);
    dialog_->Draw();
}

void FileFinder::WriteTreeIfChanged() {
    if (!tree_changed_) return;
    tree_changed_ = false;
    // A failed write was reported; the trees in memory are right all the same.
    static_cast<void>(TreeSet.WriteModified());
}

void FileFinder::CopyOrMove(bool move) {
    // The copy works on a snapshot of the list: the scan ends first, so
    // that nothing is added behind it.
    scan_.Abort();
    PANEL* other = other_panel(panel_);
    if (!other || found_files.count() == 0) return;
    const Westring destination = other->dir.AppendBackslash();
    // The copy engine takes its sources from one directory: the records
    // go in runs of the same directory, each as a panel of its names.
    std::vector<std::pair<Westring, Westring>> files;  // directory, name
    {
        std::lock_guard<MutexSem> hold(found_files.lock());
        for (int i = 0; i < found_files.count(); i++) {
            const wchar_t* path = found_files[i].file->name;
            const wchar_t* slash = std::wcsrchr(path, L'/');
            if (!slash) continue;
            const int length = static_cast<int>(slash - path);
            files.emplace_back(length == 0 ? Westring(L"/") : Westring(path, length), Westring(slash + 1));
        }
    }
    for (size_t first = 0; first < files.size();) {
        PANEL run;
        run.dir = files[first].first;
        size_t next = first;
        for (; next < files.size() && SameChars(files[next].first, run.dir); next++) {
            if (run.num_files == run.max_files && !IncreaseMaxFiles(&run)) break;
            entry* e = entry::Create(files[next].second.c_str());
            struct stat status;
            if (lstat(EncodeFileName(run.dir.AppendBackslash() + files[next].second).c_str(), &status) == 0) {
                if (S_ISDIR(status.st_mode)) e->attr |= FA_DIREC;
                else e->size = static_cast<uint64_t>(status.st_size);
            }
            e->tagged = 1;
            run.files[run.num_files++] = e;
            run.num_tagged++;
            run.tagged_size += e->size;
        }
        first = next;
        file_copy_move(&run, other, move ? COPY_MOVE : 0, destination.c_str());
    }
    if (move) {
        for (int i = found_files.count() - 1; i >= 0; i--) {
            Westring path;
            {
                std::lock_guard<MutexSem> hold(found_files.lock());
                path = found_files[i].file->name;
            }
            struct stat status;
            if (lstat(EncodeFileName(path).c_str(), &status) != 0) found_files.Remove(i);
        }
        shown_count_ = found_files.count();
        SendToList(Event::SetCount, shown_count_);
    }
    SendToList(Event::Redraw);
    dialog_->Draw();
}

bool FileFinder::AskReplacement(Westring& replacement) {
    Dialog ask(-1, -1, 60, 8, colours[CLR_MESSAGES]);
    ask.puts_at(1, -1, L" Multi-file search & replace ");
    const int field = ask.AddStringField(1, 2, 1, replacement, 56, -1, 3);
    ask.AddFieldLabel(1, 1, field, L"_Replace with:");
    ask.AddOkCancel(-1, -1, 1);
    ask.ChangeFocus(field);
    if (ask.RunOkCancel() != 13) return false;
    ask.SaveToHistory();
    return true;
}

void FileFinder::ReplaceInFoundFiles() {
    const int files = found_files.count();
    if (files == 0 || containing_.strlen() == 0) return;
    Westring replacement;
    for (;;) {
        if (!AskReplacement(replacement)) return;
        wchar_t in_files[64];
        std::swprintf(in_files, 64, L"in %d file%ls", files, files == 1 ? L"" : L"s");
        Westring question = Westring(L"Are you sure you want to replace \"") + containing_ + L"\" with \"" +
                            replacement + L"\" " + in_files + L"?";
        if (error(question, Westring(L"Search & Replace"), MB_OKCANCEL | MB_MESSAGE) == 'y') break;
    }
    Dialog progress(-1, -1, 60, 6, colours[CLR_MESSAGES]);
    progress.puts_at(1, -1, L" Search & Replace ");
    progress.puts_at(1, 0, L"Processing");
    int replaced = 0, processed = 0;
    for (int i = 0; i < files; i++) {
        Westring path;
        {
            std::lock_guard<MutexSem> hold(found_files.lock());
            if (i >= found_files.count()) break;
            if (found_files[i].file->is_dir() || found_files[i].match < 0) continue;
            path = found_files[i].file->name;
        }
        Westring shown = path;
        collapse_path(shown, 56);
        shown += String(L' ', std::max(0, 56 - shown.strlen()));
        progress.puts_at(1, 2, shown.c_str());
        const ReplaceOutcome outcome = ReplaceInFile(path, containing_, replacement, case_, whole_word_,
                                                    static_cast<int>(IntegerField::LeadingNumber(code_page_)));
        if (outcome.error != 0) {
            error(Westring(std::strerror(outcome.error)), path, MB_OK);
            break;
        }
        replaced += outcome.replaced;
        processed++;
    }
    wchar_t summary[96];
    std::swprintf(summary, 96, L"Replaced %d occurrences in %d files", replaced, processed);
    error(Westring(summary), Westring(L"Search & Replace"), MB_OK | MB_MESSAGE);
    dialog_->Draw();
}

bool FileFinder::Process(bool resume) {
    if (resume && found_files.count() > 0) dialog_->ChangeFocus(list_);
    for (;;) {
        Refresh();
        const int key = dialog_->Process(kTickMs);
        switch (key) {
            case 0: break;
            case kFindResult: StartSearch(); break;
            case 27:
                if (!scan_.running()) return false;
                scan_.Abort();
                break;
            case kGoToResult:
                // The scan ends before the panel changes under it.
                scan_.Abort();
                GoToCurrent();
                return true;
            case KEY_F1:
                if (show_help_hook) show_help_hook(HELP_FIND_FILE);
                break;
            case KEY_F3:
            case KEY_ALT_F3: ViewCurrent(key == KEY_ALT_F3); break;
            case KEY_F4:
            case KEY_ALT_F4: EditCurrent(key == KEY_ALT_F4); break;
            case KEY_SHIFT_CTRL_F:
            case KEY_SHIFT_CTRL_J: CopyCurrentToClipboard(key == KEY_SHIFT_CTRL_J); break;
            case KEY_DEL: RemoveCurrent(); break;
            case KEY_F8: DeleteCurrent(); break;
            case KEY_SHIFT_F8:
                if (!scan_.running()) DeleteAll();
                break;
            case KEY_F5:
            case KEY_F6: CopyOrMove(key == KEY_F6); break;
            case KEY_CTRL_R:
                if (!scan_.running()) ReplaceInFoundFiles();
                break;
            case KEY_CTRL_F3:
            case KEY_CTRL_F4:
            case KEY_CTRL_F5:
            case KEY_CTRL_F6: Sort(key); break;
            default: break;
        }
    }
}

}  // namespace

void findfile(PANEL* panel, bool resume) {
    FileFinder finder(panel);
    (void)finder.Process(resume);
}
