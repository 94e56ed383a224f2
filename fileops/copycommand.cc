#include "fileops/copycommand.h"

#include <optional>

#include "console/console.h"
#include "fileops/copydialog.h"
#include "fileops/copymove.h"
#include "fileops/copyseams.h"
#include "fileops/copystatus.h"
#include "fileops/descbatch.h"
#include "fileops/movedsources.h"
#include "fileops/editname.h"
#include "fileops/fileattr.h"
#include "fileops/fileglobals.h"
#include "fileops/fileprompt.h"
#include "fileops/hooks.h"
#include "fileops/resolvepath.h"
#include "fileops/sizecount.h"
#include "lib/collapsepath.h"
#include "lib/nls.h"
#include "lib/timestamp.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"

namespace {

constexpr int kTitleNameWidth = 55;

// The panel's directory, or in the tree style the directory under its cursor.
Westring panel_directory(PANEL* panel) {
    Westring path;
    if (panel->detail == DETAIL_TREE && fileops_hooks.tree_cursor_path && fileops_hooks.tree_cursor_path(panel, path))
        return path;
    return panel->dir;
}

// Untags a finished entry without drawing it: the progress window is over
// the panel until the command ends, and the panels are painted then.
void untag_unseen(PANEL* panel, entry* e) {
    if (!e->tagged) return;
    e->tagged = 0;
    panel->num_tagged--;
    panel->tagged_size -= e->size;
}

bool names_directory(const Westring& destination) {
    int length = destination.strlen();
    return fncompare(destination.c_str(), L"..") == 0 || (length > 0 && destination[length - 1] == L'/');
}

// One command run: the status, the description file of the source
// directory, and what is left to do at the end whatever happened.
class CCopyCommand {
public:
    CCopyCommand(PANEL* source, PANEL* other, char flags) : source_(source), other_(other), move_(flags & COPY_MOVE) {}
    ~CCopyCommand() {
        // WriteTree cannot fail while the tree lives in memory only.
        if (grafted_) (void)source_->WriteTree();
        // The panels show the carried descriptions.
        descriptions_.Flush();
        EndCopyProgress(&status_);
        panel_refresh();
        if (!cursor_name_.empty()) {
            goto_fname(source_, cursor_name_.c_str());
            paint_panel(source_);
        }
        // The selection shrank by the entries done.
        print_status(source_);
    }
    CCopyCommand(const CCopyCommand&) = delete;
    CCopyCommand& operator=(const CCopyCommand&) = delete;

    void Single(const Westring& default_destination, const wchar_t* destination);
    void Tagged(const Westring& default_destination, const wchar_t* destination);

private:
    Westring other_directory() const { return other_ ? panel_directory(other_) : Westring(); }
    void graft(const Westring& from, const Westring& to) {
        if (fileops_hooks.tree_graft) fileops_hooks.tree_graft(source_, from, to);
        grafted_ = true;
    }

    // Trims the typed destination and makes it a full path from the source
    // panel's directory; false (after saying why, when it is not empty) if
    // there is nothing to copy to.
    bool resolve_destination(Westring& typed, Westring& resolved) const {
        typed = typed.trim();
        if (typed.empty()) return false;
        resolved = typed;
        if (ResolvePath(resolved, source_->dir.c_str()) == 0) return true;
        file_error(L"Invalid path", typed, MB_OK);
        return false;
    }

    PANEL* source_;
    PANEL* other_;
    bool move_;
    bool grafted_ = false;
    copy_status status_;
    DescBatch descriptions_;
    Westring cursor_name_;
};

void CCopyCommand::Single(const Westring& default_destination, const wchar_t* destination) {
    entry* current = source_->CurrentEntry();
    if (!current || current->is_parent()) return;
    Westring source_dir = panel_directory(source_);
    Westring src = source_->detail == DETAIL_TREE ? source_dir : join_path(source_->dir, current->name);
    Westring name = last_component(src);
    const bool directory = current->is_dir();

    Westring typed = destination ? Westring(destination) : default_destination;
    if (!destination) {
        Westring shown = name;
        collapse_path(shown, kTitleNameWidth);
        Westring title = Westring(move_ ? L"Move/Rename" : L"Copy") + L" \"" + shown + L"\" to";
        CCopyDlg dialog(title, typed, directory, true, other_directory());
        if (dialog.Run() != 13) return;
        if (directory) overwrite_mode = dialog.overwrite;
    }
    Westring target;
    if (!resolve_destination(typed, target)) return;
    if (names_directory(typed)) {
        target = join_path(target, name);
    } else {
        Westring edited;
        editname(src.c_str(), target.c_str(), edited);
        target = edited;
    }

    const bool same_fs = move_ && SameFS(dir_part(src).c_str(), dir_part(target).c_str());
    if (!(move_ && same_fs) && du_selection(source_) < 0) return;
    status_.total_bytes = static_cast<int64_t>(current->size);
    status_.start_time = TimeStamp::GetRelativeTime();

    if (move_) {
        int result = move_file(src.c_str(), target.c_str(), 1, 1, &status_, descriptions_, same_fs);
        if (result == 0 && directory) graft(src, target);
        if (result == 0 && fncompare(dir_part(target).c_str(), dir_part(src).c_str()) == 0)
            cursor_name_ = last_component(target);
    } else {
        // A failure has been reported to the user, and nothing else follows.
        (void)copy_file(src.c_str(), target.c_str(), 1, 1, &status_, descriptions_);
    }
}

void CCopyCommand::Tagged(const Westring& default_destination, const wchar_t* destination) {
    const int count = source_->num_tagged;
    Westring typed = destination ? Westring(destination) : default_destination;
    if (!destination) {
        Westring title(esprintf("%s %d file%c to", move_ ? "Move" : "Copy", count, count == 1 ? ' ' : 's'));
        CCopyDlg dialog(title, typed, true, false, other_directory());
        if (dialog.Run() != 13) return;
        overwrite_mode = dialog.overwrite;
    }
    Westring resolved;
    if (!resolve_destination(typed, resolved)) return;
    const bool device = IsDevice(resolved.c_str());
    Westring target_dir = resolved;
    Westring pattern;
    Westring last = last_component(resolved);
    if (!device && (last.chr(L'*') >= 0 || last.chr(L'?') >= 0)) {
        target_dir = dir_part(resolved);
        pattern = last;
    }
    if (!device) {
        int attr = 0;
        if (GetFileAttr(target_dir.c_str(), attr) != 0 || !(attr & FA_DIREC)) {
            bool expected_directory = names_directory(typed) || !pattern.empty();
            file_error(expected_directory ? L"Directory does not exist" : L"Destination must be a valid directory",
                       typed, MB_OK);
            return;
        }
    }
    Westring edit_destination = device            ? resolved
                                : pattern.empty() ? target_dir.AppendBackslash()
                                                  : join_path(target_dir, pattern);

    const bool same_fs = move_ && !device && SameFS(source_->dir.c_str(), target_dir.c_str());
    if (!(move_ && same_fs) && du_selection(source_) < 0) return;
    status_.total_bytes = static_cast<int64_t>(source_->tagged_size);
    status_.start_time = TimeStamp::GetRelativeTime();
    break_status = 1;
    for (int i = 0; i < source_->num_files; i++) source_->files[i]->done = 0;

    int k = 0;
    Westring same_fs_dir;
    bool same_known = false, same_fs_here = false;
    // Files moved to another device go once their copies are synced together.
    std::optional<CMovedSources> moved_sources;
    if (move_) moved_sources.emplace(descriptions_);
    for (int i = 0; i < source_->num_files; i++) {
        entry* e = source_->files[i];
        if (!e->tagged) continue;
        k++;
        Westring src = join_path(source_->dir, e->name);
        Westring target;
        editname(src.c_str(), edit_destination.c_str(), target);
        int result;
        if (move_) {
            // Every file comes from one directory, and most go to one too.
            const Westring into = dir_part(target);
            if (!same_known || fncompare(into.c_str(), same_fs_dir.c_str()) != 0) {
                same_fs_dir = into;
                same_fs_here = !device && SameFS(source_->dir.c_str(), into.c_str());
                same_known = true;
            }
            const bool same = same_fs_here;
            result = move_file(src.c_str(), target.c_str(), k, count, &status_, descriptions_, same);
            if (result == 0 && e->is_dir()) graft(src, target);
        } else {
            result = copy_file(src.c_str(), target.c_str(), k, count, &status_, descriptions_);
        }
        if (result == 0) {
            untag_unseen(source_, e);
            e->done = 1;
        }
        if (moved_sources && moved_sources->Full() && moved_sources->Settle() < 0) result = -1;
        if (result < 0 || break_status == 2 || fileops_esc_pending()) break;
    }
    // A source that could not go has been told about and stays where it is.
    if (moved_sources) (void)moved_sources->Settle();
    break_status = 0;
}

}  // namespace

void file_copy_move(PANEL* source, PANEL* other, char flags, const wchar_t* destination) {
    if (!source) return;
    ResetFileGlobals();
    case_filter = case_filtered(source);
    if (source->num_files == 0) return;

    entry* current = source->CurrentEntry();
    Westring default_destination;
    if (other && other->visible && other->type == PANEL_FILES && !(flags & COPY_NO_OTHER_PANEL)) {
        default_destination = panel_directory(other).AppendBackslash();
        if (source->num_tagged == 0 && current) default_destination += current->name;
    } else if (current) {
        default_destination = current->name;
    }

    CCopyCommand command(source, other, flags);
    if (source->num_tagged == 0) command.Single(default_destination, destination);
    else command.Tagged(default_destination, destination);
}

void file_copy_move(PANEL* panels, int index, char flags, const wchar_t* destination) {
    if (!panels || index < 0 || index > 1) return;
    file_copy_move(panels + index, panels + (1 - index), flags, destination);
}
