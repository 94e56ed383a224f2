#include "fileops/deletecmd.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "config/config.h"
#include "console/console.h"
#include "console/msgbox.h"
#include "fileops/copyseams.h"
#include "fileops/delete.h"
#include "fileops/descbatch.h"
#include "fileops/fileglobals.h"
#include "fileops/hooks.h"
#include "fileops/resolvepath.h"
#include "lib/collapsepath.h"
#include "lib/fsname.h"
#include "panels/panel.h"

namespace {

constexpr int kFieldWidth = 72;
constexpr int kMaxLength = 512;

int delete_dialog_width(const Westring& line1, const Westring& line2, bool withReadOnly) {
    int width = std::max({18, line1.strlen(), line2.strlen()});
    if (withReadOnly && width < 43) width = 42;
    else if (width & 1) width++;
    return width + 4;
}

int delete_dialog_height(bool withReadOnly, bool withNoUndelete) {
    int options = (withReadOnly ? 1 : 0) + (withNoUndelete ? 1 : 0);
    return options == 0 ? 6 : 7 + options;
}

Westring shortened(const Westring& path) {
    int columns = 80, rows = 25;
    if (console) console->GetSize(columns, rows);
    Westring text = path;
    collapse_path(text, columns - 10);
    return text;
}

// The path of the entry under the cursor (in the tree style: of the tree node).
Westring current_path(PANEL* panel, const entry* e) {
    Westring path;
    if (panel->detail == DETAIL_TREE && fileops_hooks.tree_cursor_path && fileops_hooks.tree_cursor_path(panel, path))
        return path;
    return join_path(panel->dir, e->name);
}

// "No Undelete" is offered when DELDIR names the panel's drive, so to speak:
// it contains the first three characters of the directory.
bool offer_no_undelete(const PANEL* panel) {
    if (panel->archive) return false;
    const char* deldir = fileops_getenv("DELDIR");
    if (!deldir || !*deldir) return false;
    Estring start = panel->dir.left(3).ToAscii();
    return !start.empty() && std::strstr(deldir, start.c_str()) != nullptr;
}

void save_tree(PANEL* panel) {
    PANEL* owner = panel->detail == DETAIL_TREE ? other_panel(panel) : panel;
    // WriteTree cannot fail while the tree lives in memory only.
    if (owner) (void)owner->WriteTree();
}

// "You are deleting %d selected files from" and the directory: true for OK.
bool confirm_tagged(const PANEL* panel) {
    Westring line1(esprintf("You are deleting %d selected files from", panel->num_tagged));
    Westring line2 = shortened(panel->dir);
    int width = std::max(line1.strlen(), line2.strlen());
    if (width & 1) width++;
    width += 4;
    Dialog box(-1, -4, width, 6, colours[CLR_ERRORS]);
    box.AddStaticText(-1, 0, line1);
    box.AddStaticText(-1, 1, line2);
    int ok_x = (width - 2 - 18) / 2;
    box.AddPushButton(ok_x, 3, 1, 13, L"_OK");
    box.AddPushButton(ok_x + 9, 3, 0, 27, L"Cancel");
    return box.Process() == 13;
}

// "Do you wish to delete" and the name: true for OK.
bool confirm_single(const Westring& name) {
    Westring shown = shortened(name);
    int width = std::max(21, shown.strlen() + (shown.strlen() & 1)) + 4;
    Dialog box(-1, -4, width, 6, colours[CLR_MESSAGES]);
    box.AddStaticText(-1, 0, L"Do you wish to delete");
    box.AddStaticText(-1, 1, shown);
    box.AddOkCancel(-1, -1, 1);
    return box.Process() == 13;
}

bool is_real_directory(const Westring& path) {
    struct stat status;
    return lstat(EncodeFileName(path).c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace

CDeleteDlg::CDeleteDlg(const Westring& line1, const Westring& line2, bool withReadOnly, bool withNoUndelete)
    : Dialog(-1, -4, delete_dialog_width(line1, line2, withReadOnly), delete_dialog_height(withReadOnly, withNoUndelete),
             colours[CLR_MESSAGES]) {
    AddStaticText(-1, 0, line1);
    AddStaticText(-1, 1, line2);
    if (withReadOnly) {
        AddStaticText(1, 3, L"Delete Read Only: ");
        AddRadioButton(19, 3, 1, read_only, 0, L"As_k");
        AddRadioButton(27, 3, 0, read_only, 1, L"_All");
        AddRadioButton(35, 3, 0, read_only, 2, L"Non_e");
    }
    if (withNoUndelete) AddCheckBox(1, withReadOnly ? 4 : 3, 1, no_undelete, L"No _Undelete");
    int ok = AddOkCancel(-1, -1, 1);
    ChangeFocus(ok);
}

void file_delete(PANEL* panel) {
    if (!panel || panel->num_files == 0) return;
    del_all_RO = DEL_RO_ASK;
    del_force = 0;
    del_all_trees = 0;
    break_status = 1;
    const bool undelete_choice = offer_no_undelete(panel);

    if (panel->num_tagged > 0) {
        int n = panel->num_tagged;
        Westring line1(esprintf("You have selected %d file%s", n, n > 1 ? "s" : ""));
        if (!(config.Confirmations & CONFIRM_DELETE_FILE)) {
            CDeleteDlg dialog(line1, L"Delete?", true, undelete_choice);
            if (dialog.Process() != 13) {
                break_status = 0;
                return;
            }
            del_force = dialog.no_undelete;
            del_all_RO = static_cast<char>(dialog.read_only);
        }
        if (!(config.Confirmations & CONFIRM_DELETE_TAGGED) && !confirm_tagged(panel)) {
            break_status = 0;
            return;
        }
    } else {
        entry* e = panel->CurrentEntry();
        if (!e || e->is_parent()) {
            break_status = 0;
            return;
        }
        Westring name = panel->detail == DETAIL_TREE ? current_path(panel, e) : Westring(e->name);
        if (!(config.Confirmations & CONFIRM_DELETE_FILE)) {
            CDeleteDlg dialog(L"Do you wish to delete", shortened(name), e->is_dir(), undelete_choice);
            if (dialog.Process() != 13) {
                break_status = 0;
                return;
            }
            del_force = dialog.no_undelete;
            del_all_RO = static_cast<char>(dialog.read_only);
        }
    }
    file_delete_selected(panel);
    break_status = 0;
    panel_refresh();
}

void file_delete_selected(PANEL* panel) {
    if (!panel) return;
    if (panel->archive) {
        if (fileops_hooks.archive_delete) fileops_hooks.archive_delete(panel);
        return;
    }
    if (panel->num_tagged > 0) {
        int last = 0;
        bool tree_changed = false;
        DescBatch descriptions;
        for (int i = 0; i < panel->num_files; i++) {
            entry* e = panel->files[i];
            if (!e->tagged) continue;
            if (last < 0 || break_status == 2 || fileops_esc_pending()) break;
            Westring path = join_path(panel->dir, e->name);
            if (!e->is_dir() || (e->attr & FA_LINK)) {
                last = delete_file(path.c_str(), DELETE_BATCH, &descriptions);
            } else {
                last = delete_dir(path.c_str(), L"*");
                tree_changed = true;
            }
        }
        descriptions.Flush();
        end_delete_batch();
        if (tree_changed) save_tree(panel);
        return;
    }
    entry* e = panel->CurrentEntry();
    if (!e || e->is_parent()) return;
    Westring path = current_path(panel, e);
    // A failure has been reported to the user, and nothing else follows.
    if (e->is_dir() && !(e->attr & FA_LINK)) {
        (void)delete_dir(path.c_str(), L"*");
        save_tree(panel);
    } else {
        (void)delete_file(path.c_str(), DELETE_SINGLE);
    }
}

void file_delete_single(PANEL* panel) {
    if (!panel) return;
    entry* e = panel->CurrentEntry();
    Westring text;
    if (e && !e->is_parent()) text = panel->detail == DETAIL_TREE ? current_path(panel, e) : Westring(e->name);
    Westring path;
    for (;;) {
        {
            Dialog dialog(-1, -4, 76, 7, colours[CLR_MESSAGES]);
            dialog.AddStaticText(1, 0, L"Delete the file:");
            dialog.AddStringField(1, 2, 1, text, kFieldWidth, kMaxLength, Dialog::kNoHistory);
            dialog.AddOkCancel(-1, -1, 1);
            if (dialog.Process() != 13) return;
        }
        Westring typed = text.trim();
        if (typed.empty()) return;
        path = typed;
        if (ResolvePath(path, panel->dir.c_str()) != 0) {
            error(L"Invalid Path", typed, MB_OK);
            continue;
        }
        struct stat status;
        if (lstat(EncodeFileName(path).c_str(), &status) != 0) {
            error(L"File not found", typed, MB_OK);
            continue;
        }
        break;
    }
    if (!(config.Confirmations & CONFIRM_DELETE_FILE) && !confirm_single(path)) return;
    break_status = 1;
    // A failure has been reported to the user, and nothing else follows.
    if (is_real_directory(path)) {
        (void)delete_dir(path.c_str(), L"*");
        save_tree(panel);
    } else {
        (void)delete_file(path.c_str(), DELETE_SINGLE);
    }
    break_status = 0;
    panel_refresh();
}
