#include "fileops/delete.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "config/config.h"
#include "console/console.h"
#include "console/dialog.h"
#include "console/win.h"
#include "fileops/copyseams.h"
#include "fileops/copystatus.h"
#include "fileops/descbatch.h"
#include "fileops/descriptions.h"
#include "fileops/dirnames.h"
#include "fileops/dosops.h"
#include "fileops/fileattr.h"
#include "fileops/fileglobals.h"
#include "fileops/fileprompt.h"
#include "fileops/fserror.h"
#include "fileops/hooks.h"
#include "fileops/resolvepath.h"
#include "lib/atpath.h"
#include "lib/cellwidth.h"
#include "lib/collapsepath.h"
#include "lib/fsname.h"
#include "lib/nls.h"
#include "panels/directory.h"
#include "panels/mask.h"

namespace {

constexpr int kMinWindowWidth = 18;

// The deletion window of a batch and its inner text width.
std::unique_ptr<Win> deletion_window;
int deletion_width = kMinWindowWidth;
// The window shows a new name at most this often: drawing the name of each
// file of a large tree would cost more than deleting it.
constexpr std::chrono::milliseconds kProgressInterval(50);
std::chrono::steady_clock::time_point last_shown;
// How many tree deletions run; nested requests return at once.
int tree_depth = 0;

class CTreeDepth {
public:
    CTreeDepth() { tree_depth++; }
    ~CTreeDepth() { tree_depth--; }
    CTreeDepth(const CTreeDepth&) = delete;
    CTreeDepth& operator=(const CTreeDepth&) = delete;
};

int screen_columns() {
    int columns = 80, rows = 25;
    if (console) console->GetSize(columns, rows);
    return columns;
}

Westring shortened(const wchar_t* path) {
    Westring text(path);
    collapse_path(text, screen_columns() - 10);
    return text;
}

// Whether the window should show the next name: it is not up yet, or it
// showed the last one long enough ago.
bool progress_due() {
    const auto now = std::chrono::steady_clock::now();
    if (deletion_window && now - last_shown < kProgressInterval) return false;
    last_shown = now;
    return true;
}

void show_deleting(const Westring& shown, int width) {
    if (!console) return;
    if (!deletion_window) {
        deletion_window = std::make_unique<Win>(-1, -4, width + 4, 4, colours[CLR_MESSAGES], colours[CLR_MESSAGES]);
        deletion_window->PutCentre(0, L"Deleting the file");
    }
    const int inner = width + 2;
    const int length = TextCells(shown.c_str());
    const int left = length < inner ? (inner - length) / 2 : 0;
    const unsigned char attr = deletion_window->attr();
    CellString row((String(L' ', left) + shown).c_str(), attr);
    row.set_default_attr(attr);
    deletion_window->putcs_at(0, 1, row.pad(inner));
}

// Shows path in the deletion window, widening the window for it.
void show_progress(const wchar_t* path) {
    Westring shown = shortened(path);
    const int cells = TextCells(shown.c_str());
    if (deletion_window && cells > deletion_width) deletion_window.reset();
    int width = std::max(deletion_width, cells);
    if (width & 1) width++;
    deletion_width = width;
    show_deleting(shown, width);
}

// The user may not write the file, but may write its directory. A symbolic
// link is never read-only: DosDelete does not refuse one.
bool is_read_only(const wchar_t* path) {
    if (DosMayWrite(path) != EACCES) return false;
    Westring dir = dir_part(Westring(path));
    if (dir.empty()) dir = L".";
    return DosMayWrite(dir.c_str()) == 0;
}

// Reads every entry of dir: 0, or the error number of the listing. A
// directory gone meanwhile lists as empty (its removal then reports it).
int read_listing(const wchar_t* dir, std::vector<entry*>& entries) {
    Directory listing{Westring(dir)};
    entry* e = nullptr;
    int code = listing.FindFirst(L"*", FIND_ALLOCATE | FIND_HIDDEN | FIND_DIRS | FIND_ANY_LENGTH, &e);
    while (code == 0) {
        entries.push_back(e);
        code = listing.FindNext(&e);
    }
    return code == DIR_NO_MORE_FILES || code == ENOENT ? 0 : code;
}

void destroy(std::vector<entry*>& entries) {
    for (entry* e : entries) entry::Destroy(e);
    entries.clear();
}

// Shows the error prompt: true to try again; result is set otherwise.
bool retry_after(int code, const wchar_t* path, int& result) {
    int done = 0;
    fs_error(code, done, path);
    if (!done) return true;
    result = code == -1 ? -1 : 0;
    return false;
}

// An absolute form of path (without touching "." or ".." components).
bool absolute(const wchar_t* path, Westring& out) {
    out = path;
    if (out[0] == L'/') return true;
    char* cwd = getcwd(nullptr, 0);
    if (!cwd) return false;
    out = join_path(DecodeFileName(cwd), out);
    free(cwd);
    return true;
}

// The "is not empty, Delete tree?" question: true to go on.
bool confirm_tree(const wchar_t* path) {
    if (!console) return false;
    CProgressPause pause;
    Westring shown = shortened(path);
    int width = std::max(27, shown.strlen());
    if (width & 1) width++;
    width += 4;
    Dialog box(-1, -4, width, 7, colours[CLR_ERRORS]);
    box.AddStaticText(-1, 0, L"Directory");
    box.AddStaticText(-1, 1, shown);
    box.AddStaticText(-1, 2, L"is not empty");
    box.AddStaticText(-1, 3, L"Delete tree?");
    int c = (width - 2) / 2;
    if (config.Confirmations & CONFIRM_TYPE_YES) {
        box.AddPushButton(c - 14, 4, 1, 'y', L"_OK");
        int cancel = box.AddPushButton(c - 6, 4, 0, 'n', L"Cancel");
        box.AddPushButton(c + 6, 4, 0, 'a', L"_All");
        box.SetDefault(cancel);
        box.ChangeFocus(cancel);
        int answer = box.Process();
        if (answer == 'a') del_all_trees = 1;
        return answer == 'y' || answer == 'a';
    }
    Westring typed;
    box.AddStaticText(c - 8, 4, L"Type \"YES\"");
    box.AddStringField(c + 5, 4, 1, typed, 4, 4, Dialog::kNoHistory);
    return box.Process() == 13 && fncompare(typed.c_str(), L"YES") == 0;
}

}  // namespace

void end_delete_batch() {
    deletion_window.reset();
    deletion_width = kMinWindowWidth;
}

namespace {

// Opens dir to delete its files by their names in it, without walking the
// whole path again for each; -1 when it cannot (they then go by path).
int open_for_deleting(const wchar_t* dir) {
    AtPath at(EncodeFileName(dir).c_str());
    if (at.error() != 0) return -1;
    return openat(at.dir(), at.leaf(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// Deletes a listed file of the directory open as dir_fd when nothing needs
// asking: true when it is gone. A read-only file, or one whose removal
// fails, is left for delete_file with its questions and messages.
bool delete_quietly(int dir_fd, const entry& e) {
    if (dir_fd < 0) return false;
    // A link is never read-only; its flag is its target's.
    if ((e.attr & FA_RDONLY) && !(e.attr & FA_LINK)) return false;
    return unlinkat(dir_fd, EncodeFileName(e.name).c_str(), 0) == 0;
}

}  // namespace

namespace {

void forget_description(const wchar_t* path, DescBatch* descriptions) {
    if (descriptions) descriptions->Remove(Westring(path));
    else delete_desc(path);
}

}  // namespace

int delete_file(const wchar_t* path, char mode, DescBatch* descriptions) {
    if (!path) return 0;
    // Removing a partial copy: read-only or not, and without changing the
    // answer the user gave for the other files of the command.
    const bool force = mode == DELETE_SILENT_FORCE;
    if (force) mode = DELETE_SILENT;

    int result = 0;
    for (bool retry = false;; retry = true) {
        // Once a question was answered the name shows again at once.
        if (mode != DELETE_SILENT && (mode == DELETE_SINGLE || retry || progress_due())) show_progress(path);
        int code = DosDelete(path);
        if (code == 0) {
            forget_description(path, descriptions);
            result = 1;
            break;
        }
        if (code == ENOENT || code == ENOTDIR) {
            if (force || fncompare(last_component(Westring(path)).c_str(), kDescFileName) == 0) {
                result = 0;
                break;
            }
            if (retry_after(code, path, result)) continue;
            break;
        }
        if (code == EACCES && is_read_only(path)) {
            int answer = 0;
            while (answer == 0) {
                answer = force || del_all_RO == DEL_RO_ALL   ? 'y'
                         : del_all_RO == DEL_RO_NONE         ? 's'
                                                     : file_error(L"File is Read Only, Delete anyway?", Westring(path),
                                                             MB_SKIPALL);
                if (answer == 'a') {
                    del_all_RO = DEL_RO_ALL;
                    answer = 'y';
                } else if (answer == 'e') {
                    del_all_RO = DEL_RO_NONE;
                    answer = 's';
                } else if (answer != 'y' && answer != 's' && answer != 'n' && answer != 27) {
                    answer = 0;  // ask again
                }
            }
            if (answer == 27) {
                result = -1;
                break;
            }
            if (answer != 'y') {
                result = 0;
                break;
            }
            code = DosUnlink(path);
            if (code == 0) {
                forget_description(path, descriptions);
                result = 1;
                break;
            }
        }
        if (retry_after(code, path, result)) continue;
        break;
    }
    if (mode == DELETE_SINGLE) deletion_window.reset();
    return result;
}

int delete_dir(const wchar_t* path, const wchar_t* mask, copy_status*) {
    if (!mask) mask = L"*";
    Westring full;
    bool removed = false;
    for (;;) {
        int code = 0;
        if (!absolute(path, full)) {
            code = ENOTDIR;
        } else {
            std::vector<Westring> names;
            int listed = ListNames(full.c_str(), names, false);
            if (listed == ENOENT || listed == ENOTDIR) code = ENOTDIR;
            else if (listed == 0 && !names.empty()) code = ENOTEMPTY;
        }
        if (code == 0) code = DosRemoveDir(full.c_str());
        if (code == 0) {
            removed = true;
            break;
        }
        if (code == ENOTDIR || code == ENOENT) {
            if (console) file_error(L"Directory does not exist, cannot delete", Westring(path), MB_OK);
            break;
        }
        if (code == ENOTEMPTY || code == EEXIST) return delete_tree(full.c_str(), mask);
        if (code == EACCES && DosMayWrite(full.c_str()) != 0) {
            int answer = del_all_RO == DEL_RO_ALL
                             ? 'y'
                             : file_error(L"Directory is Read Only, Delete anyway?", Westring(path), MB_SKIPALL);
            if (answer == 'a') {
                del_all_RO = DEL_RO_ALL;
                answer = 'y';
            }
            if (answer == 27) return -1;
            if (answer != 'y') return 0;
            if (SetFileAttr(full.c_str(), 0) != 0) {
                file_error(L"Unable to clear Read Only flag", Westring(path), MB_OK);
                return 0;
            }
            if (DosRemoveDir(full.c_str()) == 0) {
                removed = true;
                break;
            }
            del_all_RO = DEL_RO_ASK;
            continue;
        }
        int result = 0;
        if (retry_after(code, path, result)) continue;
        return result;
    }
    if (removed) {
        // A removed directory loses its description line, as a file does.
        delete_desc(full.c_str());
    }
    if (fileops_hooks.tree_remove) fileops_hooks.tree_remove(full);
    return removed ? 1 : 0;
}

int delete_tree(const wchar_t* path, const wchar_t* mask) {
    if (tree_depth > 0) return 0;
    if (!(config.Confirmations & CONFIRM_DELETE_DIR) && !del_all_trees && !confirm_tree(path)) return -1;
    CTreeDepth running;
    int result = delete_tree2(path, mask) ? -1 : 1;
    end_delete_batch();
    return result;
}

int delete_tree2(const wchar_t* path, const wchar_t* mask) {
    if (!mask) mask = L"*";
    CTreeDepth running;
    // The whole listing is read first: deleting changes the directory. A
    // directory that cannot be read is reported; skipped, it stays.
    std::vector<entry*> entries;
    for (;;) {
        int code = read_listing(path, entries);
        if (code == 0) break;
        destroy(entries);
        int result = 0;
        if (retry_after(code, path, result)) continue;
        return result < 0 ? 1 : 0;
    }
    int abort = 0;
    const Westring dir(path);
    const int dir_fd = open_for_deleting(path);
    // The description lines of the files deleted here go in one pass at the end.
    DescBatch descriptions;
    for (entry* e : entries) {
        if (abort) break;
        if (fileops_esc_pending()) {
            abort = 1;
            break;
        }
        if (e->is_parent() || (e->name[0] == L'.' && e->name[1] == 0)) continue;
        if ((e->attr & FA_DIREC) && !(e->attr & FA_LINK)) {
            if (delete_tree2(join_path(dir, e->name).c_str(), mask)) abort = 1;
        } else if (mask_eval(mask, *e) == 1) {
            if (delete_quietly(dir_fd, *e)) {
                descriptions.Remove(join_path(dir, e->name));
                if (console && progress_due()) show_progress(join_path(dir, e->name).c_str());
            } else if (delete_file(join_path(dir, e->name).c_str(), DELETE_BATCH, &descriptions) < 0) {
                abort = 1;
            }
        }
    }
    if (dir_fd >= 0) close(dir_fd);
    descriptions.Flush();
    destroy(entries);
    if (abort) return abort;
    return delete_dir(path, mask) < 0 ? 1 : 0;
}
