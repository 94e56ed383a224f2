#include "shell/filecommands.h"

#include "archive/archiveops.h"
#include "exec/environment.h"
#include "fileops/copycommand.h"
#include "fileops/deletecmd.h"
#include "fileops/launcher.h"
#include "fileops/mkdir.h"
#include "fileops/selection.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"
#include "shell/mainloop.h"
#include "shell/panelaccess.h"

namespace {

// File commands work on a visible panel that lists files, outside archives.
bool usable(const PANEL* panel) { return panel->visible && panel->type == PANEL_FILES && !panel->archive; }

void after_command(CMainLoop& loop) {
    loop.ShowCursorAgain();
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

}  // namespace

void copy_or_move_files(CMainLoop& loop, int key, _MEVENT&) {
    PANEL* panel = current_panel();
    if (ArchiveCopyApplies(panel_base, currpanel)) {
        archive_copy_move(panel_base, currpanel, key == KEY_F6 || key == KEY_SHIFT_F6);
        after_command(loop);
        return;
    }
    if (!usable(panel) || panel->num_files == 0) return;
    char flags = 0;
    if (key == KEY_F6 || key == KEY_SHIFT_F6) flags |= COPY_MOVE;
    // Shift proposes the entry's own name instead of the other panel's directory.
    if (key == KEY_SHIFT_F5 || key == KEY_SHIFT_F6) flags |= COPY_NO_OTHER_PANEL;
    file_copy_move(panel_base, currpanel, flags);
    after_command(loop);
}

void make_archive(CMainLoop& loop, int, _MEVENT&) {
    PANEL* panel = current_panel();
    if (!usable(panel)) return;
    static_cast<void>(MakeArchive(panel));
    after_command(loop);
}

void make_new_directory(CMainLoop& loop, int, _MEVENT&) {
    PANEL* panel = current_panel();
    if (!panel->visible || panel->archive) return;
    make_dir(static_cast<char>(currpanel));
    after_command(loop);
}

void delete_files(CMainLoop& loop, int key, _MEVENT&) {
    PANEL* panel = current_panel();
    if (!panel->visible || panel->type != PANEL_FILES) return;
    if (key == KEY_SHIFT_F8) file_delete_single(panel);
    else file_delete(panel);
    after_command(loop);
}

void make_launcher_objects(CMainLoop& loop, int, _MEVENT&) {
    PANEL* panel = current_panel();
    if (!usable(panel)) return;
    create_object(panel);
    after_command(loop);
}

void restore_last_selection(CMainLoop& loop, int, _MEVENT&) {
    PANEL* panel = current_panel();
    if (!panel->visible) return;
    restore_selection(panel);  // each changed entry is redrawn as it is tagged
    after_command(loop);
}

const char* session_getenv(const char* name) { return SessionEnv.Get(name); }
