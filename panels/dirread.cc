// Reading a panel's directory: listing, filtering, the ".." entry, sorting,
// and keeping the cursor and the tags across a re-read of the same directory.
#include <errno.h>
#include <limits.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <vector>

#include "config/config.h"
#include "console/console.h"
#include "console/msgbox.h"
#include "fileops/query/mounts.h"
#include "fileops/query/paths.h"
#include "lib/fsname.h"
#include "lib/nls.h"
#include "lib/pathparts.h"
#include "lib/oserror.h"
#include "panels/directory.h"
#include "panels/mask.h"
#include "panels/panel.h"
#include "panels/progress.h"
#include "panels/sortpanel.h"

namespace {

// How many entries are read between two looks for the Esc key.
constexpr int kEscPollEntries = 2048;

enum class ReadOutcome { Done, GoUp };

// The errors after which the panel goes up to the parent directory.
bool go_up_after(int code) { return code == ENOTDIR || code == ENAMETOOLONG || code == EACCES; }

void report(int code, const Westring& dir) {
    if (console) error(GetOSErrorMessage(code), dir, MB_OK);
}

// The nearest parent of dir whose name is short enough for the system; for
// a path far too long this is one step instead of one per level.
Westring parent_within_limit(const Westring& dir) {
    Estring bytes = EncodeFileName(dir);
    if (bytes.strlen() < PATH_MAX) return ParentDirectory(dir);
    // A '/' byte is never part of a longer character, so the bytes can be cut there.
    int cut = PATH_MAX - 1;
    while (cut > 0 && bytes[cut] != '/') cut--;
    if (cut <= 0) return Westring(L"/");
    return DecodeFileName(bytes.c_str(), static_cast<size_t>(cut));
}

Westring full_path(const Westring& dir, const wchar_t* name) {
    Westring path = dir.AppendBackslash();
    path += name;
    return path;
}

// Leaves the archives that dir no longer lies in or whose file is gone,
// innermost first.
void leave_stale_archives(PANEL* panel) {
    while (panel->archive) {
        if (panel_hooks.archive_current && panel_hooks.archive_current(panel)) return;
        Archive* innermost = panel->archive;
        if (panel_hooks.archive_close_innermost) panel_hooks.archive_close_innermost(panel);
        if (panel->archive == innermost) panel->archive = nullptr;  // nothing closed it
    }
}

// The type, mount point and identity (its device number) of the file
// system that holds dir. The query resolves the path and complains when it
// cannot, so a directory that does not exist (its read reports that) is
// not asked about.
void query_file_system(PANEL* panel) {
    struct stat status;
    if (stat(EncodeFileName(panel->dir).c_str(), &status) != 0) return;
    panel->fs_id = static_cast<uint32_t>(status.st_dev);
    Estring type;
    Westring mount_point;
    if (!GetUnixFSInfo(type, mount_point, panel->dir)) return;
    panel->fs_type = Westring(type);
    panel->mount_point = mount_point;
}

// The entries of the panel's directory, from the disk or from an archive.
class CEntrySource {
public:
    explicit CEntrySource(PANEL* panel) : panel_(panel), directory_(panel->dir) {}

    int First(entry** result) {
        if (!panel_->archive) return directory_.First(result);
        return panel_hooks.archive_find_first ? panel_hooks.archive_find_first(panel_, result) : -1;
    }
    int Next(entry** result) {
        if (!panel_->archive) return directory_.Next(result);
        return panel_hooks.archive_find_next ? panel_hooks.archive_find_next(panel_, result) : DIR_NO_MORE_FILES;
    }

private:
    PANEL* panel_;
    DirectoryReader directory_;
};

// Entries kept from the previous listing for their tags; freed with it.
class CKeptEntries {
public:
    CKeptEntries() = default;
    ~CKeptEntries() {
        for (entry* e : entries) entry::Destroy(e);
    }
    CKeptEntries(const CKeptEntries&) = delete;
    CKeptEntries& operator=(const CKeptEntries&) = delete;

    // Gives the panel's entries the tagged and done marks of the kept
    // entries of the same exact name, and counts the tagged ones. One look
    // in a hash table per entry, so that a re-read of a large directory
    // with everything tagged costs no more than the read.
    void RestoreTags(PANEL* panel) const {
        if (entries.empty()) return;
        const EntryNameIndex previous(entries.data(), static_cast<int>(entries.size()));
        for (int i = 0; i < panel->num_files; i++) {
            entry* now = panel->files[i];
            const entry* old = previous.Find(now->name);
            if (!old) continue;
            now->tagged = old->tagged;
            now->done = old->done;
            if (now->tagged) {
                panel->num_tagged++;
                panel->tagged_size += now->size;
            }
        }
    }

    std::vector<entry*> entries;
};

// Puts the names of the subdirectories found into the panel's collection.
// Added in order, each name goes to the end, so a directory of many
// subdirectories costs no shifting of the collection.
void store_subdirs(PANEL* panel, std::vector<Westring*>& names) {
    FnStringCollection& subdirs = panel->subdirs;
    // "Foo" and "foo" are two directories: both are kept.
    subdirs.duplicates = true;
    std::sort(names.begin(), names.end(),
              [&subdirs](const Westring* a, const Westring* b) { return subdirs.compare(a, b) < 0; });
    for (Westring* name : names) {
        if (subdirs.AddItem(name) != 0) delete name;
    }
    names.clear();
}

// The directory's size in the tree becomes its files plus its
// subdirectories, when all of those are known.
void update_tree_size(PANEL* panel, uint64_t file_total) {
    TREENODE* node = panel->tree.Find(panel->dir);
    if (!node || node->size == TREENODE::kUnknownSize) return;
    uint64_t total = file_total;
    for (TREENODE* child = CTreeHolder::FirstChild(node); child; child = child->next) {
        if (child->size == TREENODE::kUnknownSize) {
            total = TREENODE::kUnknownSize;
            break;
        }
        total += child->size;
    }
    node->size = total;
}

bool insert_parent_entry(PANEL* panel) {
    if (panel->num_files == panel->max_files && !IncreaseMaxFiles(panel)) return false;
    entry* parent = entry::Create(L"..");
    parent->attr = FA_DIREC;
    parent->sort_class = '1';
    std::memmove(panel->files + 1, panel->files, sizeof(entry*) * static_cast<size_t>(panel->num_files));
    panel->files[0] = parent;
    panel->num_files++;
    return true;
}

// One read of the panel's directory. GoUp when it cannot be listed and the
// panel should move to its parent; report says whether to tell the user.
ReadOutcome read_once(PANEL* panel, bool report_unreadable, int& failure) {
    if (!panel->visible || panel->type == PANEL_INFO) {
        panel->reread = 1;
        return ReadOutcome::Done;
    }
    panel->reread = 0;
    panel->changed = 1;

    leave_stale_archives(panel);

    panel->fs_type = Westring();
    panel->fs_label = Westring();
    panel->mount_point = Westring();
    panel->fs_id = 0;
    if (!panel->archive && panel->dir[0] == L'/') query_file_system(panel);

    if (panel->type == PANEL_FILES && panel->detail == DETAIL_TREE) {
        if (panel_hooks.read_tree) panel_hooks.read_tree(panel);
        return ReadOutcome::Done;
    }

    // A re-read of the same directory keeps the cursor's name and the
    // tagged entries; any other read starts afresh.
    const bool same_dir = fncompare(panel->dir.c_str(), panel->read_dir.c_str()) == 0;
    Westring cursor_name;
    bool keep_cursor = false;
    if (same_dir && panel->num_files > 0) {
        int index = std::clamp(panel->top + panel->cur, 0, panel->num_files - 1);
        cursor_name = panel->files[index]->name;
        keep_cursor = true;
    }
    CKeptEntries kept;
    for (int i = 0; i < panel->num_files; i++) {
        entry* e = panel->files[i];
        if (same_dir && (e->tagged || e->done)) kept.entries.push_back(e);
        else entry::Destroy(e);
    }
    panel->num_files = 0;
    panel->num_tagged = 0;
    panel->tagged_size = 0;
    panel->subdirs.DestroyAll();
    panel->link_targets.DestroyAll();

    std::atomic<int> accepted{0};
    auto progress = std::make_unique<DirReadProgress>(accepted);
    panel->LoadTree();

    CEntrySource source(panel);
    entry* e = nullptr;
    int code = source.First(&e);
    if (code == DIR_NO_MORE_FILES || code == ENOENT) {
        panel->read_error = 0;  // an empty list, still with ".."
    } else if (code != 0) {
        progress.reset();
        panel->read_dir = panel->dir;
        if (go_up_after(code) && !IsRoot(panel->dir)) {
            failure = code;
            if (report_unreadable) report(code, panel->dir);
            return ReadOutcome::GoUp;
        }
        if (code == -1) {
            panel->read_error = 0;
            return ReadOutcome::Done;
        }
        if (code != DIR_NO_DISK) report(code, panel->dir);
        panel->read_error = static_cast<uint32_t>(code);
        return ReadOutcome::Done;
    } else {
        panel->read_error = 0;
    }

    const bool at_root = IsRoot(panel->dir);
    config.CaseFilter.upcase();
    const bool fold_case = !panel->archive && case_filtered(panel);
    // Every file shows under "*"; an empty filter is no valid expression,
    // and an invalid one hides nothing.
    const bool show_all_files = panel->filter.empty() || (panel->filter[0] == L'*' && panel->filter[1] == 0);
    const bool sizes_from_tree = config.RetainCount && panel->tree.Attached();

    bool parent_seen = false;
    uint64_t file_total = 0;
    std::vector<Westring*> subdir_names;
    if (code == 0) {
        const int saved_break = break_status.exchange(1);
        int taken = 0;
        for (; code == 0; code = source.Next(&e)) {
            taken++;
            if (panel_hooks.each_entry) panel_hooks.each_entry(panel, taken);
            if (panel->num_files == panel->max_files && !IncreaseMaxFiles(panel)) {
                entry::Destroy(e);
                break;
            }
            const bool parent = e->is_parent();
            const bool dot = e->name[0] == L'.' && e->name[1] == 0;
            const bool directory = e->is_dir();
            bool skip = dot || (!config.Hidden && (e->attr & (FA_HIDDEN | FA_SYSTEM)));
            if (parent) {
                parent_seen = true;
                if (at_root) skip = true;
            }
            if (!skip && !directory && !show_all_files && mask_eval(panel->filter, *e) == 0) skip = true;

            if (!directory) file_total += e->size;
            // The tree passes symbolic links by, as the scan does.
            else if (!dot && !parent && !(e->attr & FA_LINK)) subdir_names.push_back(new Westring(e->name));

            if (skip) {
                entry::Destroy(e);
            } else {
                e->sort_class = parent ? '1' : directory ? 'A' : (e->attr & FA_HIDDEN) ? 'B' : 'C';
                if (fold_case && !parent) {
                    if (directory) nls_strupr(e->name);
                    else nls_strlwr(e->name);
                }
                if (sizes_from_tree && directory && !parent) {
                    TREENODE* node = panel->tree.Find(full_path(panel->dir, e->name));
                    if (node && node->size != TREENODE::kUnknownSize) {
                        e->size = node->size;
                        e->size_known = 1;
                    }
                }
                panel->files[panel->num_files++] = e;
                accepted.store(panel->num_files, std::memory_order_relaxed);
            }
            e = nullptr;
            if (break_status.load() == 2) break;
            if (taken % kEscPollEntries == 0 && check_esc()) break;
        }
        break_status = saved_break;
    }
    store_subdirs(panel, subdir_names);

    if (!at_root && !parent_seen) insert_parent_entry(panel);
    sort_panel(panel);
    kept.RestoreTags(panel);

    progress.reset();
    panel->CheckTree();
    update_tree_size(panel, file_total);

    PANEL* other = other_panel(panel);
    if (other && other->type == PANEL_INFO && panel_hooks.update_info) panel_hooks.update_info(other, panel);

    if (!keep_cursor) {
        panel->top = 0;
        panel->cur = 0;
    } else {
        if (panel->top >= panel->num_files || panel->top < 0) panel->top = 0;
        if (panel->num_files == 0) panel->cur = 0;
        else if (panel->top + panel->cur >= panel->num_files) panel->cur = panel->num_files - panel->top - 1;
        goto_fname(panel, cursor_name.c_str());
    }
    panel->read_dir = panel->dir;
    return ReadOutcome::Done;
}

}  // namespace

void read_panel(PANEL* panel) {
    // Up from a directory that cannot be listed to the nearest parent that
    // can; only the first failure is reported, so a deep path that is too
    // long costs one message, not one per level.
    bool report_unreadable = true;
    int failure = 0;
    while (read_once(panel, report_unreadable, failure) == ReadOutcome::GoUp) {
        panel->dir = failure == ENAMETOOLONG ? parent_within_limit(panel->dir) : ParentDirectory(panel->dir);
        report_unreadable = false;
    }
}

void read_parent_dir(PANEL* panel) {
    panel->dir = ParentDirectory(panel->dir);
    read_panel(panel);
}
