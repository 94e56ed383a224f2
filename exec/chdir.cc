#include "exec/chdir.h"

#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include "exec/histories.h"
#include "fileops/query/paths.h"
#include "lib/fsname.h"
#include "lib/nls.h"
#include "lib/pathparts.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"

namespace {

int page_of(const PANEL* panel) { return panel->page_size > 0 ? panel->page_size : 1; }

Westring cursor_name(const PANEL* panel) {
    entry* e = panel->CurrentEntry();
    return e ? Westring(e->name) : Westring();
}

// What a panel remembers when it leaves its directory.
void leave_directory(PANEL* panel) {
    AddDirectoryHistory(panel->dir);
    panel->prev_dir = panel->dir;
    panel->prev_pos[0] = panel->read_pos[0];
    panel->prev_pos[1] = panel->read_pos[1];
    panel->positions.Store(panel->dir, panel->top, cursor_name(panel));
}

int find_exact(const PANEL* panel, const wchar_t* name) {
    for (int i = 0; i < panel->num_files; i++)
        if (fncompare(panel->files[i]->name, name) == 0) return i;
    return -1;
}

// Puts the cursor on entry index, keeping top when the entry is on the page
// it gives, else scrolling so that the entry is the page's last row.
void place_cursor(PANEL* panel, int index, int top) {
    if (panel->num_files == 0 || index < 0) {
        panel->top = 0;
        panel->cur = 0;
        return;
    }
    int page = page_of(panel);
    if (top < 0 || top >= panel->num_files) top = 0;
    if (index < top || index >= top + page) {
        top = index - page + 1;
        if (top < 0) top = 0;
    }
    panel->top = top;
    panel->cur = index - top;
}

void finish(PANEL* panel) {
    paint_panel(panel);
    // A directory that cannot be entered leaves the working directory where
    // it was; the panel shows the new one all the same.
    (void)chdir_to_panel(panel);
}

}  // namespace

int chdir_to_panel(const PANEL* panel) {
    Westring wd = panel->GetWD();
    if (wd.empty()) return ENOENT;
    return chdir(EncodeFileName(wd).c_str()) == 0 ? 0 : errno;
}

void up_dir(PANEL* panel) {
    if (IsRoot(panel->dir) || panel->dir.empty()) return;
    Westring left_dir = panel->dir.RemoveBackslash();
    Westring left_name = left_dir.mid(left_dir.rchr(L'/') + 1);
    panel->dir = ParentDirectory(left_dir);
    panel->num_tagged = 0;
    read_panel(panel);
    TPanelPosition* stored = panel->positions.Find(panel->dir);
    place_cursor(panel, find_exact(panel, left_name.c_str()), stored ? stored->top : 0);
}

void change_dir(PANEL* panels, int side, const wchar_t* subdir, char keepTags, int top, int cursor) {
    PANEL* panel = panels + side;
    if (!subdir || !*subdir) {
        read_panel(panel);
    } else {
        leave_directory(panel);
        if (subdir[0] == L'.' && subdir[1] == L'.' && subdir[2] == 0) {
            up_dir(panel);
        } else {
            if (!keepTags) panel->num_tagged = 0;
            panel->dir = panel->dir.AppendBackslash() + subdir;
            panel->top = 0;
            panel->cur = 0;
            read_panel(panel);
        }
    }
    if (top >= 0) {
        panel->top = top < panel->num_files ? top : 0;
        panel->cur = cursor < 0 ? 0 : cursor;
        if (panel->top + panel->cur >= panel->num_files) panel->cur = panel->num_files > 0 ? panel->num_files - panel->top - 1 : 0;
        if (panel->cur < 0) panel->cur = 0;
    }
    finish(panel);
}

int goto_directory(PANEL* panel, const Westring& dir, const wchar_t* name) {
    if (dir.empty()) return ENOENT;
    struct stat status;
    if (stat(EncodeFileName(dir).c_str(), &status) != 0) return errno;
    if (!S_ISDIR(status.st_mode)) return ENOTDIR;
    leave_directory(panel);
    panel->dir = dir.strlen() > 1 ? dir.RemoveBackslash() : dir;
    panel->num_tagged = 0;
    panel->top = 0;
    panel->cur = 0;
    read_panel(panel);
    if (name && *name) place_cursor(panel, find_exact(panel, name), 0);
    finish(panel);
    return 0;
}
