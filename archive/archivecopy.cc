// F5 and F6 with an archive on either side: extracting members into a
// directory, and adding files to an archive.
#include <sys/stat.h>

#include <vector>

#include "archive/archive.h"
#include "archive/archivecommand.h"
#include "archive/archivedialogs.h"
#include "archive/archivetexts.h"
#include "archive/archiveops.h"
#include "archive/nesteddir.h"
#include "archive/workingdir.h"
#include "config/archivers.h"
#include "console/console.h"
#include "console/msgbox.h"
#include "fileops/copycommand.h"
#include "fileops/copymove.h"
#include "fileops/copystatus.h"
#include "fileops/deletecmd.h"
#include "fileops/descbatch.h"
#include "fileops/resolvepath.h"
#include "lib/collapsepath.h"
#include "lib/fsname.h"
#include "lib/oserror.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"

namespace {

constexpr int kTitleNameWidth = 50;


bool is_directory(const Westring& path) {
    struct stat info;
    return stat(EncodeFileName(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}


// The outermost archive file of an archive panel.
Westring outer_archive_file(const PANEL* panel) {
    const Archive* archive = panel->archive;
    while (archive->parent) archive = archive->parent;
    return archive->archive_path;
}

// "Extract and Move 3 files to", "Compress "name" to".
Westring dialog_title(const PANEL* source, bool extracting, bool move) {
    Westring title(extracting ? L"Extract" : L"Compress");
    if (move) title += L" and Move";
    if (source->num_tagged > 0) {
        title += L" " + Westring(std::to_wstring(source->num_tagged).c_str()) +
                 (source->num_tagged == 1 ? L" file to" : L" files to");
    } else {
        Westring name(source->CurrentEntry()->name);
        collapse_path(name, kTitleNameWidth);
        title += L" \"" + name + L"\" to";
    }
    return title;
}

// The entries the command works on: the tagged ones, or the cursor entry.
std::vector<entry*> chosen_entries(PANEL* panel) {
    std::vector<entry*> chosen;
    for (int i = 0; i < panel->num_files; i++)
        if (panel->files[i]->tagged) chosen.push_back(panel->files[i]);
    if (chosen.empty() && panel->CurrentEntry()) chosen.push_back(panel->CurrentEntry());
    return chosen;
}

// Moves what the archiver extracted into folder on to destination, entry
// by entry. An entry that could not be moved (failed, skipped, or its
// overwrite declined) loses its done mark: it stays in the archive on a
// move. The number moved.
int move_out(const std::vector<entry*>& extracted, const Westring& folder, const Westring& prefix,
             const Westring& destination) {
    copy_status status;
    DescBatch descriptions;
    status.start_time = TimeStamp::GetRelativeTime();
    int moved = 0;
    bool stopped = false;
    const int count = static_cast<int>(extracted.size());
    for (int i = 0; i < count; i++) {
        entry* e = extracted[static_cast<size_t>(i)];
        if (stopped || break_status == 2) {
            e->done = 0;
            continue;
        }
        const Westring from = folder.AppendBackslash() + prefix + e->name;
        const Westring to = join_path(destination, e->name);
        const int result = move_file(from.c_str(), to.c_str(), i + 1, count, &status, descriptions, true);
        if (result == 0) {
            e->done = 1;
            moved++;
        } else {
            e->done = 0;
            if (result < 0) stopped = true;
        }
    }
    EndCopyProgress(&status);
    return moved;
}

// Tags exactly the entries marked done; the number tagged.
int tag_done(PANEL* panel) {
    panel->num_tagged = 0;
    panel->tagged_size = 0;
    for (int i = 0; i < panel->num_files; i++) {
        entry* e = panel->files[i];
        e->tagged = e->done && !e->is_parent();
        if (!e->tagged) continue;
        panel->num_tagged++;
        panel->tagged_size += e->size;
    }
    return panel->num_tagged;
}

void extract(PANEL* source, const Westring& destination, bool move) {
    Archive* archive = source->archive;
    const int type = archive->type;
    Westring prefix = archive->dot_slash ? Westring(L"./") : Westring();
    if (!archive->current_dir.empty()) prefix += archive->current_dir.AppendBackslash();
    // A fresh private folder: nothing extracted earlier, nor a link the
    // archive itself holds, can send a later member elsewhere.
    Westring folder;
    if (int failure = MakeNestedDir(folder, destination)) {
        static_cast<void>(error(L"Unable to create temporary directory\n" + GetOSErrorMessage(failure), Westring(), MB_OK));
        return;
    }
    const bool none_tagged = source->num_tagged == 0;
    entry* cursor = source->CurrentEntry();
    int status = 0;
    {
        WorkingDirectoryChange into(folder);
        status = into.ok() ? ExecMultiFile(DecodeFileName(Archiver[type].extract_cmd.c_str()), archive->archive_path,
                                           prefix, source, type, ArchiveOperation::kExtract)
                           : into.error();
    }
    std::vector<entry*> extracted;
    if (status == 0) {
        if (none_tagged && cursor) extracted.push_back(cursor);
        else
            for (int i = 0; i < source->num_files; i++)
                if (source->files[i]->done) extracted.push_back(source->files[i]);
    }
    // A single-file format's member lands under its plain name.
    const Westring landed = NamingFor(type, ArchiveOperation::kExtract).single_file ? Westring() : prefix;
    const int moved = extracted.empty() ? 0 : move_out(extracted, folder, landed, destination);
    RemoveNestedDir(folder);
    // Only what really arrived leaves the archive.
    if (move && moved > 0 && tag_done(source) > 0) ArchiveDelete(source);
}

void compress(PANEL* source, PANEL* other, bool move) {
    Archive* archive = other->archive;
    const int type = archive->type;
    if (archive->parent) {
        static_cast<void>(error(L"Changing an archive inside an archive is not supported: extract it first",
                                archive->VirtualRoot(), MB_OK));
        return;
    }
    entry* cursor = source->num_tagged == 0 ? source->CurrentEntry() : nullptr;
    int status = 0;
    {
        WorkingDirectoryChange into(source->dir);
        status = into.ok() ? ExecMultiFile(DecodeFileName(Archiver[type].compress_cmd.c_str()), archive->archive_path,
                                           Westring(), source, type, ArchiveOperation::kAdd)
                           : into.error();
    }
    // Every file named went in; the cursor file is one of them when none was tagged.
    if (status == 0 && cursor) cursor->done = 1;
    if (move && status == 0 && tag_done(source) > 0) file_delete_selected(source);
    static_cast<void>(ArchiveReload(other));
}

}  // namespace

bool ArchiveCopyApplies(const PANEL* panels, int side) {
    const PANEL* source = panels + side;
    const PANEL* other = panels + (1 - side);
    if (!source->visible || source->type != PANEL_FILES) return false;
    if (source->archive) return true;
    return other->visible && other->type == PANEL_FILES && other->detail != DETAIL_TREE && other->archive;
}

void archive_copy_move(PANEL* panels, int side, bool move) {
    PANEL* source = panels + side;
    PANEL* other = panels + (1 - side);
    const bool extracting = source->archive != nullptr;
    entry* cursor = source->CurrentEntry();
    if (source->num_files == 0 || !cursor || (cursor->is_parent() && source->num_tagged == 0)) return;

    Westring typed = DestinationDirectory(other);
    if (extracting) {
        typed = other->archive ? outer_archive_file(source).left(outer_archive_file(source).rchr(L'/') + 1)
                               : typed.AppendBackslash();
    }
    CArchiveCopyDlg dialog(dialog_title(source, extracting, move), typed);
    if (dialog.Run() != 13) return;
    typed = typed.trim();
    if (typed.empty()) return;

    if (!extracting) {
        const int type = other->archive->type;
        if (IsSingleFileFormat(type)) {
            static_cast<void>(error(FormatMessage(L"Cannot add to a %s file", type), Westring(), MB_OK));
            return;
        }
        const Westring root = other->archive->VirtualRoot();
        const int length = root.strlen();
        Westring head = typed.left(length + 1);
        if (head.strlen() > length && head[length] == L'/') head = head.left(length);
        if (!(head == root)) {
            // Somewhere outside the archive: an ordinary copy or move.
            file_copy_move(source, other, move ? COPY_MOVE : 0, typed.c_str());
            return;
        }
        Westring rest = typed.mid(length);
        while (rest[0] == L'/') rest = rest.mid(1);
        if (!rest.empty()) {
            static_cast<void>(error(L"Compressing into subdirectories not supported", typed, MB_OK));
            return;
        }
        if (move) {
            for (entry* e : chosen_entries(source)) {
                if (join_path(source->dir, e->name) == root) {
                    static_cast<void>(error(L"Cannot move an archive into itself", root, MB_OK));
                    return;
                }
            }
        }
    }

    Westring destination = typed;
    if (ResolvePath(destination, source->archive ? source->GetWD().c_str() : source->dir.c_str()) != 0) {
        static_cast<void>(error(L"Invalid path", typed, MB_OK));
        return;
    }
    if (extracting) {
        if (!is_directory(destination)) {
            const bool named_directory = typed[typed.strlen() - 1] == L'/';
            static_cast<void>(error(named_directory ? L"Directory does not exist" : L"Destination must be a valid directory",
                                    typed, MB_OK));
            return;
        }
        while (destination.strlen() > 1 && destination[destination.strlen() - 1] == L'/')
            destination = destination.left(destination.strlen() - 1);
    }

    break_status = 1;
    for (int i = 0; i < source->num_files; i++) source->files[i]->done = 0;
    if (extracting) extract(source, destination, move);
    else compress(source, other, move);
    break_status = 0;
    panels[0].reread = panels[1].reread = 1;
}
