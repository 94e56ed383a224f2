#include "shell/dirkeys.h"

#include <cstdlib>
#include <vector>

#include "config/config.h"
#include "console/keys.h"
#include "console/msgbox.h"
#include "exec/chdir.h"
#include "exec/environment.h"
#include "exec/exechooks.h"
#include "fileops/query/links.h"
#include "fileops/query/paths.h"
#include "lib/fsname.h"
#include "panels/paneldisplay.h"
#include "shell/dispatch.h"
#include "shell/mainloop.h"
#include "shell/panelaccess.h"
#include "tools/storedpaths.h"

void enter_directory(CMainLoop& loop, int, _MEVENT&) {
    PANEL* panel = current_panel();
    entry* e = file_list(panel) ? panel->CurrentEntry() : nullptr;
    if (!e) return;
    if (e->is_dir()) change_dir(panel_base, currpanel, e->name, 0, -1, -1);
    else if (!exec_hooks.enter_archive || !exec_hooks.enter_archive(panel, e)) return;
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

void parent_directory(CMainLoop& loop, int, _MEVENT&) {
    PANEL* panel = directory_target();
    if (!panel->visible || IsRoot(panel->dir)) return;
    change_dir(panel_base, static_cast<int>(panel - panel_base), L"..", 0, -1, -1);
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

void root_or_other_directory(CMainLoop& loop, int key, _MEVENT&) {
    PANEL* panel = current_panel();
    if (!panel->visible || panel->type != PANEL_FILES) return;
    if (key & KEY_SHIFTED) {
        change_to(panel, other_side_panel()->GetWD());
    } else if (panel->archive && panel_hooks.archive_outer_file) {
        Westring file = panel_hooks.archive_outer_file(panel);
        change_to(panel, panel->GetWD(), file.filename().c_str());
    } else {
        change_to(panel, Westring(L"/"));
    }
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

void previous_directory(CMainLoop& loop, int, _MEVENT&) {
    PANEL* panel = current_panel();
    if (!panel->visible || panel->type != PANEL_FILES || panel->prev_dir.empty()) return;
    const int top = panel->prev_pos[0], cur = panel->prev_pos[1];
    const Westring dir = panel->prev_dir;
    if (goto_directory(panel, dir) != 0) {
        error(L"Invalid Directory", dir, MB_OK);
        return;
    }
    if (top >= 0 && top < panel->num_files) {
        panel->top = top;
        panel->cur = cur < 0 ? 0 : cur;
        if (panel->top + panel->cur >= panel->num_files) panel->cur = panel->num_files - panel->top - 1;
        paint_panel(panel);
    }
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

void home_directory(CMainLoop& loop, int, _MEVENT&) {
    PANEL* panel = current_panel();
    if (!panel->visible || panel->type != PANEL_FILES) return;
    const char* home = std::getenv("HOME");
    if (!home || !*home) return;
    change_to(panel, DecodeFileName(home));
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

namespace {

// Drops "." and ".." components of an absolute path.
Westring normalise_path(const Westring& path) {
    std::vector<Westring> parts;
    int start = 0;
    const int length = path.strlen();
    for (int i = 0; i <= length; i++) {
        if (i < length && path[i] != L'/') continue;
        // (mid with a length of 0 would give the rest of the path)
        Westring part = i > start ? path.mid(start, i - start) : Westring();
        start = i + 1;
        if (part.empty() || part == L".") continue;
        if (part == L"..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    Westring out;
    for (const Westring& part : parts) out += Westring(L"/") + part;
    return out.empty() ? Westring(L"/") : out;
}

}  // namespace

void follow_link(CMainLoop& loop, int, _MEVENT&) {
    PANEL* panel = current_panel();
    entry* e = file_list(panel) && !panel->archive ? panel->CurrentEntry() : nullptr;
    if (!e || !(e->attr & FA_LINK)) return;
    Westring target = GetLinkTarget(panel->dir.AppendBackslash() + e->name);
    if (target.empty()) return;
    if (target[0] != L'/') target = panel->dir.AppendBackslash() + target;
    target = normalise_path(target);
    if (IsRoot(target)) {
        change_to(panel, target);
    } else {
        const int slash = target.rchr(L'/');
        Westring dir = slash <= 0 ? Westring(L"/") : target.left(slash);
        change_to(panel, dir, target.mid(slash + 1).c_str());
    }
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}

void reread_or_choose_mount(CMainLoop& loop, int, _MEVENT&) {
    PANEL* panel = current_panel();
    if (config.CtrlRDriveChng) {
        ChooseMountPoint(panel, false);
        loop.RequestRedraw(CMainLoop::REDRAW_ALL);
        return;
    }
    reread_and_paint(panel);
}

void toggle_hidden_files(CMainLoop&, int, _MEVENT&) { toggle_hidden(); }

void hot_directory(CMainLoop& loop, int key, const _MEVENT& event) {
    if (event.shift & CConsole::TEvent::Mod2) return;  // Num Lock on: the keypad types digits
    const int slot = (key & 0xFF) - '0';
    if (key & KEY_SHIFTED) {
        dirstore[slot] = current_panel()->GetWD();
        return;
    }
    PANEL* panel = directory_target();
    Westring dir = dirstore[slot];
    if (dir.empty() || report_unset_variable(dir)) return;
    SubstEnvVars(dir);
    if (goto_directory(panel, dir) != 0) {
        error(L"Invalid Directory", dir, MB_OK);
        return;
    }
    panel->type = PANEL_FILES;
    loop.RequestRedraw(CMainLoop::REDRAW_ALL);
}
