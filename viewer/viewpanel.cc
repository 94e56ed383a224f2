// Paging through a panel's files in the viewer: Alt-Up and Alt-Down step to
// the previous and next file, members of an archive are taken out first,
// and the cursor follows to the last file viewed.
#include "viewer/viewpanel.h"

#include <sys/stat.h>
#include <unistd.h>

#include "console/cells.h"
#include "console/console.h"
#include "console/win.h"
#include "exec/exechooks.h"
#include "lib/fsname.h"
#include "lib/timestamp.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"

ViewerStarter internal_viewer = &view;

namespace {

constexpr int kNoMoreFilesMs = 500;
constexpr const wchar_t* kNoMoreFiles = L"No more files";

void sleep_milliseconds(int milliseconds) { usleep(static_cast<useconds_t>(milliseconds) * 1000); }

bool viewable(const entry* e) { return e && !e->is_dir() && !e->is_parent(); }

// The nearest entry from index on in direction step (+1, -1) that can be
// viewed, or -1 at that end of the list.
int neighbour(const PANEL& panel, int index, int step) {
    for (int i = index + step; i >= 0 && i < panel.num_files; i += step)
        if (viewable(panel.files[i])) return i;
    return -1;
}

// A small window over the viewer's screen; the viewer paints its page again
// when it opens the same file once more.
void show_no_more_files() {
    if (!console) {
        viewer_pause(kNoMoreFilesMs);
        return;
    }
    const int width = static_cast<int>(Westring(kNoMoreFiles).strlen()) + 6;
    Win window(-1, -2, width, 3, colours[CLR_MESSAGES], colours[CLR_MESSAGES]);
    window.PutCentre(0, kNoMoreFiles);
    viewer_pause(kNoMoreFilesMs);
}

// The file the viewer opens for entry index: the entry in the panel's
// directory, or an archive member's temporary copy in the archive's
// private folder. Empty when taking the member out failed (reported).
Westring file_to_view(PANEL& panel, int index) {
    // Writing back an earlier copy may have read the panel again.
    if (index >= panel.num_files) return Westring();
    const entry* e = panel.files[index];
    if (!panel.archive) return panel.dir.AppendBackslash() + e->name;
    Westring copy;
    if (!exec_hooks.extract_entry || exec_hooks.extract_entry(&panel, e, copy) != 0) return Westring();
    return copy;
}

// The viewer's Alt-F4 may have changed the file: the entry shows its size
// and time as they are now. A member's copy says nothing of the member.
void refresh_entry(PANEL& panel, int index, const Westring& path) {
    if (panel.archive || index >= panel.num_files) return;
    struct stat status;
    if (stat(EncodeFileName(path).c_str(), &status) != 0 || S_ISDIR(status.st_mode)) return;
    entry* e = panel.files[index];
    const uint64_t size = static_cast<uint64_t>(status.st_size);
    if (e->tagged) panel.tagged_size = panel.tagged_size - e->size + size;
    e->size = size;
    e->time = TimeStamp(status.st_mtim.tv_sec, static_cast<uint32_t>(status.st_mtim.tv_nsec));
}

void put_cursor_on(PANEL& panel, int index) {
    if (index < 0 || index >= panel.num_files) return;
    move_cursor(&panel, index - (panel.top + panel.cur));
}

}  // namespace

void (*viewer_pause)(int milliseconds) = sleep_milliseconds;
void (*viewer_title)(const wchar_t* name) = nullptr;

ViewerExit view_panel_files(PANEL& panel) {
    int index = panel.top + panel.cur;
    if (!internal_viewer || index < 0 || index >= panel.num_files || !viewable(panel.files[index]))
        return ViewerExit::kClosed;

    int last_viewed = -1;
    ViewerExit exit = ViewerExit::kClosed;
    for (;;) {
        const Westring path = file_to_view(panel, index);
        if (path.empty()) {
            exit = ViewerExit::kClosed;
            break;
        }
        if (viewer_title) viewer_title(panel.files[index]->name);
        exit = internal_viewer(path.c_str(), -1);
        last_viewed = index;
        refresh_entry(panel, index, path);
        if (exit != ViewerExit::kPrevious && exit != ViewerExit::kNext) break;
        const int next = neighbour(panel, index, exit == ViewerExit::kNext ? 1 : -1);
        // At either end the same file opens again.
        if (next < 0) show_no_more_files();
        else index = next;
    }
    if (exit != ViewerExit::kQuit) put_cursor_on(panel, last_viewed);
    return exit;
}
