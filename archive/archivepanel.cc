#include "archive/archivepanel.h"

#include <sys/stat.h>

#include <cstring>

#include "archive/archive.h"
#include "archive/archiveops.h"
#include "archive/archiverprogram.h"
#include "archive/heldmembers.h"
#include "archive/nesteddir.h"
#include "archive/nestedextract.h"
#include "config/archivers.h"
#include "console/msgbox.h"
#include "exec/chdir.h"
#include "exec/exechooks.h"
#include "fileops/hooks.h"
#include "lib/fsname.h"
#include "lib/nls.h"
#include "lib/oserror.h"
#include "panels/directory.h"
#include "panels/panel.h"

namespace {

// The directory inside the innermost archive that the panel shows: dir less
// the virtual root, without the separator.
Westring dir_inside(const PANEL* panel) {
    const Westring root = panel->archive->VirtualRoot();
    int skip = root.strlen();
    while (panel->dir[skip] == L'/') skip++;
    return skip < panel->dir.strlen() ? panel->dir.mid(skip) : Westring();
}

bool archive_current(PANEL* panel) {
    const Archive* archive = panel->archive;
    const Westring root = archive->VirtualRoot();
    const int length = root.strlen();
    if (fncomparen(panel->dir.c_str(), root.c_str(), static_cast<size_t>(length)) != 0) return false;
    if (panel->dir[length] != 0 && panel->dir[length] != L'/') return false;
    struct stat info;
    return stat(EncodeFileName(archive->archive_path).c_str(), &info) == 0;
}

void close_innermost(PANEL* panel) {
    Archive* innermost = panel->archive;
    if (!innermost) return;
    panel->archive = innermost->parent;
    delete innermost;
}

int find_first(PANEL* panel, entry** result) {
    // A directory the archive does not hold (typed, or gone after a change)
    // sends the panel up to the nearest one it does.
    return panel->archive->FindFirst(dir_inside(panel), result) == 0 ? 0 : ENOTDIR;
}

int find_next(PANEL* panel, entry** result) {
    return panel->archive->FindNext(result) == 0 ? 0 : DIR_NO_MORE_FILES;
}

Westring outer_file(const PANEL* panel) {
    const Archive* archive = panel->archive;
    while (archive->parent) archive = archive->parent;
    return archive->archive_path;
}

void archive_totals(PANEL* panel, int64_t& unpacked, int64_t& packed, Westring& type_name, Westring& file_name) {
    Archive* archive = panel->archive;
    archive->GetTotals(unpacked, packed);
    type_name = Westring(archive->GetArchTypeName());
    // A nested archive's copy carries the member's own name.
    file_name = archive->FileName();
}

// The member of the innermost archive that the entry of the panel's
// directory stands for.
const ArchiveEntry* member_of(const PANEL* panel, const entry* e) {
    const Archive* archive = panel->archive;
    const Estring path = EncodeFileName(dir_inside(panel));
    const Estring name = EncodeFileName(e->name);
    const size_t at = archive->entries.LowerBound(path.c_str(), name.c_str());
    if (at >= archive->entries.size()) return nullptr;
    const ArchiveEntry* member = archive->entries[at];
    if (std::strcmp(member->path, path.c_str()) != 0 || std::strcmp(member->name, name.c_str()) != 0) return nullptr;
    return member;
}

// Takes the member out of the panel's archive into a new private folder;
// the path of its copy, or empty (already reported).
Westring extract_nested(PANEL* panel, entry* e, Westring& folder) {
    const ArchiveEntry* member = member_of(panel, e);
    if (!member) return Westring();
    Westring copy;
    int code = MakeNestedDir(folder);
    if (code == 0) code = ExtractMemberTo(*panel->archive, member, folder, copy);
    if (code == 0) return copy;
    if (!folder.empty()) RemoveNestedDir(folder);
    const int type = panel->archive->type;
    Westring message(L"Cannot extract the archive from the archive it is in: ");
    if (code == EPERM) message += L"its stored name leads outside the folder it would be extracted to";
    else if (code == ENOEXEC && type >= 0 && type < ARCHIVER_COUNT)
        message = ArchiverNotFoundMessage(DecodeFileName(Archiver[type].extract_cmd.c_str()), type);
    else message += GetOSErrorMessage(code);
    error(message, e->name, MB_OK);
    return Westring();
}

int extract_entry(PANEL* panel, const entry* e, Westring& path) {
    if (!panel->archive || !e || e->is_parent()) return -1;
    if (e->is_dir()) {
        static_cast<void>(error(L"Only a file can be taken out of an archive for this", e->name, MB_OK));
        return -1;
    }
    WriteBackHeldMembers();
    path = panel->archive->TmpExtractFile(Westring(e->name));
    return path.empty() ? -1 : 0;
}

}  // namespace

bool EnterArchive(PANEL* panel, entry* e) {
    if (!e || e->is_dir() || e->is_parent()) return false;
    const int side = static_cast<int>(panel - panel_base);
    if (side != 0 && side != 1) return false;
    Archive* archive = nullptr;
    if (panel->archive) {
        Westring folder;
        const Westring copy = extract_nested(panel, e, folder);
        if (copy.empty()) return false;
        archive = new Archive(copy.c_str(), panel->archive);
        archive->nested_dir = folder;
    } else {
        Westring path = panel->dir.AppendBackslash();
        path += e->name;
        archive = new Archive(path.c_str(), nullptr);
    }
    if (archive->status != 0) {
        delete archive;
        return false;
    }
    panel->archive = archive;
    // The virtual root is the panel's directory followed by the entry's name,
    // so entering it is an ordinary change into a subdirectory.
    change_dir(panel_base, side, e->name, 0, -1, -1);
    return true;
}

void CloseArchives(PANEL* panel) {
    while (panel->archive) close_innermost(panel);
    WriteBackHeldMembers();
}

void InstallArchiveHooks() {
    panel_hooks.archive_current = archive_current;
    panel_hooks.archive_close_innermost = close_innermost;
    panel_hooks.archive_find_first = find_first;
    panel_hooks.archive_find_next = find_next;
    panel_hooks.archive_outer_file = outer_file;
    panel_hooks.archive_totals = archive_totals;
    exec_hooks.enter_archive = EnterArchive;
    exec_hooks.extract_entry = extract_entry;
    exec_hooks.background_started = HoldExtractedMembers;
    fileops_hooks.archive_delete = ArchiveDelete;
}
