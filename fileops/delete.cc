#include "fileops/delete.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <cwchar>
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
#include "fileops/treeclear.h"
#include "lib/atpath.h"
#include "lib/cellwidth.h"
#include "lib/collapsepath.h"
#include "lib/fsname.h"
#include "lib/nls.h"

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

void forget_description(const wchar_t* path, DescBatch* descriptions) {
    if (descriptions) descriptions->Remove(Westring(path));
    else delete_desc(path);
}

// Whether write permission need not be checked file by file before a
// deletion: the real user is root with the capability to override file
// permissions, in the system's own user namespace, where it covers every
// owner. The check DosDelete makes then only fails for an immutable file or
// one on a read-only file system, whose unlink fails just as well.
bool may_write_every_file() {
    if (getuid() != 0 || geteuid() != 0) return false;
    constexpr unsigned long long kOverrideCapability = 1ull << 1;  // CAP_DAC_OVERRIDE
    bool capable = false, whole_namespace = false;
    char line[256];
    if (FILE* status = std::fopen("/proc/self/status", "re")) {
        unsigned long long permitted = 0;
        while (std::fgets(line, sizeof line, status))
            if (std::sscanf(line, "CapPrm: %llx", &permitted) == 1) capable = permitted & kOverrideCapability;
        std::fclose(status);
    }
    if (FILE* map = std::fopen("/proc/self/uid_map", "re")) {
        unsigned long inside = 1, outside = 1, count = 0;
        whole_namespace = std::fscanf(map, "%lu %lu %lu", &inside, &outside, &count) == 3 && inside == 0 &&
                          outside == 0 && count == 4294967295ul;
        std::fclose(map);
    }
    return capable && whole_namespace;
}

// How a tree deletion picks its files: "*" takes each without looking, a
// mask testing attributes ("%size>1k") needs the panel's entry of it.
TreeClearer::Select selection_of(const wchar_t* mask) {
    if (std::wcscmp(mask, L"*") == 0) return TreeClearer::Select::kAll;
    if (std::wcschr(mask, L'%')) return TreeClearer::Select::kByEntry;
    return TreeClearer::Select::kByName;
}

std::string join_bytes(const std::string& dir, const char* name) {
    std::string path = dir;
    if (path.empty() || path.back() != '/') path.push_back('/');
    return path.append(name);
}

Westring wide_path(const std::string& dir, const char* name) { return DecodeFileName(join_bytes(dir, name).c_str()); }

// Removes the description lines of what the clearing deleted in node and of
// its removed subdirectories, through descriptions.
void forget_deleted(TreeNode& node, DescBatch& descriptions) {
    for (size_t at = 0; at < node.deleted.size(); at += std::strlen(node.deleted.c_str() + at) + 1)
        descriptions.Remove(wide_path(node.path, node.deleted.c_str() + at));
    for (const std::string& name : node.removed_subdirs) descriptions.Remove(wide_path(node.path, name.c_str()));
    node.deleted.clear();
    node.removed_subdirs.clear();
}

void forget_deleted(TreeNode& node) {
    DescBatch descriptions;
    forget_deleted(node, descriptions);
}

// The calling thread's part of a directory the clearing is done with: its
// listing error, the files that need asking about, its description lines
// and, below the root, removing it. 1 done, 0 listed again (it comes back),
// -1 abort.
int finish_directory(TreeClearer& clearer, TreeNode& node, const wchar_t* mask) {
    const Westring dir = DecodeFileName(node.path.c_str());
    if (node.error) {
        int result = 0;
        if (retry_after(node.error, dir.c_str(), result)) {
            clearer.Retry(&node);
            return 0;
        }
        if (result < 0) return -1;
        node.kept = true;  // skipped: what it holds stays
    }
    {
        DescBatch descriptions;
        forget_deleted(node, descriptions);
        for (const std::string& name : node.asks) {
            const int deleted = delete_file(wide_path(node.path, name.c_str()).c_str(), DELETE_BATCH, &descriptions);
            if (deleted < 0) return -1;
            if (deleted == 0) node.kept = true;
        }
        node.asks.clear();
    }  // the lines go before the directory does
    TreeNode* parent = node.parent;
    if (!parent) return 1;
    if (node.subdirectory_stays) {
        parent->subdirectory_stays = true;
        return 1;
    }
    // Even with files kept it may be empty now: a description file that
    // lost its last line is gone.
    AtPath at(node.path.c_str());
    const int code = at.error() ? at.error() : unlinkat(at.dir(), at.leaf(), AT_REMOVEDIR) == 0 ? 0 : errno;
    if (code == 0) {
        parent->removed_subdirs.emplace_back(node.path.substr(node.path.rfind('/') + 1));
        if (fileops_hooks.tree_remove) fileops_hooks.tree_remove(dir);
        return 1;
    }
    // Something new in it stays; anything else goes by way of the prompts.
    const int removed = code == ENOTEMPTY || code == EEXIST ? 0 : delete_dir(dir.c_str(), mask);
    if (removed < 0) return -1;
    if (removed == 0) parent->subdirectory_stays = true;
    return 1;
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
    Westring root;
    if (!absolute(path, root)) root = path;
    TreeClearer::Options options;
    options.mask = mask;
    options.select = selection_of(mask);
    options.check_writable = !may_write_every_file();
    TreeClearer clearer(EncodeFileName(root).c_str(), options, [](const std::string& dir, const char* name) {
        if (fileops_esc_pending()) return false;
        if (console && progress_due()) show_progress((name ? wide_path(dir, name) : DecodeFileName(dir.c_str())).c_str());
        return true;
    });
    // Children come before their parents, the root last.
    while (TreeNode* node = clearer.Next()) {
        const bool is_root = node->parent == nullptr;
        const int finished = finish_directory(clearer, *node, mask);
        if (finished < 0) break;
        if (finished == 0) continue;  // listed again
        if (is_root) {
            // Skipped as unreadable, it stays without another word.
            const bool unreadable = node->error != 0;
            clearer.Done(node);
            if (unreadable) return 0;
            return delete_dir(path, mask) < 0 ? 1 : 0;
        }
        clearer.Done(node);
    }
    // Stopped: the lines of what went still go.
    clearer.Stop();
    clearer.ForEachLeft([](TreeNode& node) { forget_deleted(node); });
    return 1;
}
