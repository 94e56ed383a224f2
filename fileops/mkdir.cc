#include "fileops/mkdir.h"

#include <errno.h>
#include <sys/stat.h>

#include "console/dialog.h"
#include "console/msgbox.h"
#include "fileops/dosops.h"
#include "fileops/fserror.h"
#include "fileops/hooks.h"
#include "fileops/resolvepath.h"
#include "lib/fsname.h"
#include "lib/nls.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"

namespace {

constexpr int kFieldWidth = 72;
constexpr int kMaxLength = 512;

// The directory the new one is made in: the panel's (in the tree style the
// node under the cursor; for the information panel the other panel's).
Westring base_directory(PANEL* panel) {
    if (panel->type == PANEL_INFO) {
        PANEL* other = other_panel(panel);
        return other ? other->dir : panel->dir;
    }
    Westring path;
    if (panel->detail == DETAIL_TREE && fileops_hooks.tree_cursor_path && fileops_hooks.tree_cursor_path(panel, path))
        return path;
    return panel->dir;
}

// The name of the entry in base that leads to path, or empty when path
// does not lie below base.
Westring entry_below(const Westring& base, const Westring& path) {
    Westring prefix = base.AppendBackslash();
    int n = prefix.strlen();
    if (fncomparen(path.c_str(), prefix.c_str(), static_cast<size_t>(n)) != 0) return Westring();
    Westring rest = path.mid(n);
    int slash = rest.chr(L'/');
    return slash < 0 ? rest : rest.left(slash);
}

}  // namespace

void make_dir(char panelIndex) {
    if (panelIndex < 0 || panelIndex > 1) return;
    PANEL* panel = panel_base + panelIndex;
    Westring name;
    {
        Dialog dialog(-1, -4, 76, 6, colours[CLR_MESSAGES]);
        dialog.AddStaticText(1, 0, L"Create the directory");
        dialog.AddStringField(1, 1, 1, name, kFieldWidth, kMaxLength, Dialog::kNoHistory);
        dialog.AddPushButton(28, 3, 1, 13, L"_OK");
        dialog.AddPushButton(36, 3, 0, 27, L"Cancel");
        if (dialog.Process() != 13) return;
    }
    name = name.trim();
    if (name.empty()) return;

    Westring base = base_directory(panel);
    Westring path = name;
    if (ResolvePath(path, base.c_str()) != 0) {
        error(L"Invalid path", name, MB_OK);
        return;
    }
    for (;;) {
        int code = MakeDirectories(path.c_str());
        if (code == 0) {
            if (fileops_hooks.tree_add) fileops_hooks.tree_add(panel, path);
            // WriteTree cannot fail while the tree lives in memory only.
            (void)panel->WriteTree();
            break;
        }
        struct stat status;
        if ((code == EEXIST || code == EACCES) && stat(EncodeFileName(path).c_str(), &status) == 0) {
            error(S_ISDIR(status.st_mode) ? L"Directory already exists" : L"File already exists named", path, MB_OK);
            return;
        }
        int done = 0;
        fs_error(code, done, path.c_str());
        if (done) return;
    }

    Westring cursor = entry_below(base, path);
    PANEL* target = panel->type == PANEL_INFO ? other_panel(panel) : panel;
    if (target && case_filtered(target)) cursor.upcase();
    panel_refresh();
    if (target && !cursor.empty()) {
        goto_fname(target, cursor.c_str());
        paint_panel(target);
    }
}
