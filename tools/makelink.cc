#include "tools/makelink.h"

#include <sys/stat.h>

#include "config/config.h"
#include "console/msgbox.h"
#include "fileops/fserror.h"
#include "fileops/resolvepath.h"
#include "lib/collapsepath.h"
#include "lib/fsname.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"
#include "tools/makelinkdialog.h"
#include "tools/symlinktarget.h"

namespace {

constexpr int kTitleNameWidth = 45;

Westring dialog_title(const PANEL* panel, const entry* single) {
    if (!single) {
        const int count = panel->num_tagged;
        const char* plural = count == 1 ? "" : "s";
        return Westring(esprintf("Make symbolic link%s to %d file%s in", plural, count, plural));
    }
    Westring shown(single->name);
    collapse_path(shown, kTitleNameWidth);
    return Westring(L"Make symbolic link to \"") + shown + L"\" as";
}

bool is_directory(const Westring& path) {
    struct stat st;
    return stat(EncodeFileName(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void reread_both() {
    for (PANEL* panel = panel_base; panel < panel_base + 2; panel++) {
        if (!panel->visible || panel->type != PANEL_FILES) continue;
        read_panel(panel);
        paint_panel(panel);
    }
}

}  // namespace

bool MakeSymLink(const Westring& link, const Westring& target, bool relative) {
    const Westring written = relative ? relative_link_target(link, target) : target;
    for (;;) {
        int code = CreateSymLink(link, written);
        if (code == 0) return true;
        // Every error of symlink() concerns the link's own path (the target
        // is never looked at), so the prompt names the link.
        int done = 0;
        (void)fs_error(code, done, link.c_str());
        if (code == -1) return false;
        if (done) return true;
    }
}

void MakeSymLinks(PANEL* panel, const Westring& destination_dir) {
    if (!panel || panel->archive || panel->num_files == 0) return;
    entry* single = panel->num_tagged == 0 ? panel->CurrentEntry() : nullptr;
    if (panel->num_tagged == 0 && (!single || single->is_parent())) return;

    const Westring working_dir = panel->GetWD();
    Westring field = destination_dir.AppendBackslash();
    if (single) field += single->name;
    bool relative = config.RelativeLinks;
    {
        // The dialog goes before any link is made, so no prompt lands on it.
        LinkDialog dialog(dialog_title(panel, single), field, destination_dir, relative, single == nullptr,
                          working_dir);
        if (dialog.Run() != 13) return;
    }
    config.RelativeLinks = relative;

    // A name typed without a directory lands in the panel's directory.
    Westring destination = field;
    if (ResolvePath(destination, working_dir.c_str()) != 0) {
        (void)error(L"Invalid destination", field, MB_OK);
        return;
    }
    if (single) {
        // A directory (picked from the tree or the history) receives the
        // link under the file's own name.
        if (is_directory(destination)) destination = join_path(destination, single->name);
        (void)MakeSymLink(destination, join_path(working_dir, single->name), relative);
    } else {
        for (int i = 0; i < panel->num_files; i++) panel->files[i]->done = 0;
        for (int i = 0; i < panel->num_files; i++) {
            entry* e = panel->files[i];
            if (!e->tagged) continue;
            if (!MakeSymLink(join_path(destination, e->name), join_path(working_dir, e->name), relative)) break;
            tag(panel, i, -1);
            e->done = 1;
        }
    }
    reread_both();
}
