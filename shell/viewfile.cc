#include "shell/viewfile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "archive/archive.h"
#include "config/config.h"
#include "console/keys.h"
#include "console/msgbox.h"
#include "exec/exechooks.h"
#include "fileops/sizecount.h"
#include "lib/fsname.h"
#include "lib/oserror.h"
#include "panels/associations.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"
#include "shell/fileopen.h"
#include "shell/mainloop.h"
#include "shell/panelaccess.h"
#include "shell/screen.h"
#include "viewer/viewpanel.h"

namespace {

// The history of the field that asks which file to view.
constexpr int kViewNameHistory = 11;

void (*saved_view_command)(const Westring& file) = nullptr;
void (*saved_viewer_title)(const wchar_t* name) = nullptr;

// While F3 or a variant opens the program's own viewer on the cursor file,
// the panel it pages through; null for a typed name or "$view".
PANEL* paging_panel = nullptr;

// True when the desktop closed the window while the viewer was open.
bool open_in_viewer(const Westring& path) {
    if (!internal_viewer) {
        static_cast<void>(error(L"The internal viewer is not available yet", Westring(), MB_OK));
        return false;
    }
    if (paging_panel) return view_panel_files(*paging_panel) == ViewerExit::kQuit;
    return internal_viewer(path.c_str(), -1) == ViewerExit::kQuit;
}

const FileTool kViewerTool = {
    &viewAssociations, &CONFIG::Viewer, &CONFIG::Viewer2, open_in_viewer, nullptr, L"View the file:",
    kViewNameHistory,
};

// F3 on a directory: everything below it is counted into its size, shown
// in its row as a file's size would be. False when the cursor is on no
// directory. A symbolic link to a directory keeps its own size.
bool count_cursor_directory() {
    PANEL* panel = current_panel();
    if (panels_hidden() || !file_list(panel)) return false;
    entry* e = panel->CurrentEntry();
    if (!e || !e->is_dir() || e->is_parent()) return false;
    if (e->attr & FA_LINK) return true;

    uint64_t size = 0;
    if (panel->archive) {
        size = panel->archive->du(Westring(e->name));
    } else {
        const int saved_break = break_status;
        break_status = 1;
        SizeCount count;
        const bool counted = CountPath(panel->dir.AppendBackslash() + e->name, count);
        break_status = saved_break;
        // Stopped with Esc or Break: the size stays unknown.
        if (!counted) return true;
        size = static_cast<uint64_t>(count.bytes.load());
    }
    if (e->tagged) panel->tagged_size = panel->tagged_size - e->size + size;
    e->size = size;
    e->size_known = 1;
    paint_panel(panel);
    return true;
}

// "$view file": a relative name is taken in the directory the command runs in.
void view_command(const Westring& file) {
    if (file.empty()) {
        static_cast<void>(error(L"Which file? $view needs the name of the file to view", Westring(), MB_OK));
        return;
    }
    const Westring path = AbsoluteFileName(file, CurrentDirectory());
    set_title(path.filename().c_str());
    static_cast<void>(open_in_viewer(path));
}

// Whether path opens for reading as something other than a directory; the
// reason is told when it does not.
bool check_viewable(const Westring& path) {
    const int fd = open(EncodeFileName(path).c_str(), O_RDONLY | O_CLOEXEC);
    int failure = fd < 0 ? errno : 0;
    if (fd >= 0) {
        struct stat status;
        if (fstat(fd, &status) != 0) failure = errno;
        else if (S_ISDIR(status.st_mode)) failure = EISDIR;
        close(fd);
    }
    if (failure == 0) return true;
    static_cast<void>(error(L"Cannot view the file: " + GetOSErrorMessage(failure), path, MB_OK));
    return false;
}

}  // namespace

void view_cursor_file(CMainLoop& loop, int key, _MEVENT&) {
    if (key == KEY_F3 && count_cursor_directory()) {
        loop.ShowCursorAgain();
        return;
    }
    paging_panel = current_panel();
    OpenCursorFile(loop, kViewerTool, key != KEY_F3);
    paging_panel = nullptr;
}

void view_named_file(CMainLoop& loop, int, _MEVENT&) { OpenNamedFile(loop, kViewerTool); }

int ViewAlone(const Westring& name) {
    const Westring path = AbsoluteFileName(name, CurrentDirectory());
    set_title(path.filename().c_str());
    // The viewer does not tell whether it could open the file: that is
    // found out first.
    if (!check_viewable(path) || !internal_viewer) return 1;
    static_cast<void>(internal_viewer(path.c_str(), -1));
    return 0;
}

void InstallViewerHooks() {
    saved_view_command = exec_hooks.view;
    exec_hooks.view = view_command;
    saved_viewer_title = viewer_title;
    viewer_title = set_title;
}

void RestoreViewerHooks() {
    exec_hooks.view = saved_view_command;
    viewer_title = saved_viewer_title;
}
