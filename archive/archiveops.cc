#include "archive/archiveops.h"

#include <sys/stat.h>

#include <cwchar>
#include <cwctype>

#include "archive/archive.h"
#include "archive/archivecommand.h"
#include "archive/archivedialogs.h"
#include "archive/archivetexts.h"
#include "archive/besidearchive.h"
#include "archive/workingdir.h"
#include "config/archivers.h"
#include "console/console.h"
#include "console/msgbox.h"
#include "lib/fsname.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"

namespace {

// The format chosen in the "Compress Files" dialog, kept between dialogs.
int chosen_format = ARCHIVE_ZIP;


bool ends_with(const Westring& name, const wchar_t* suffix) {
    const int length = static_cast<int>(wcslen(suffix));
    const int start = name.strlen() - length;
    if (start < 0) return false;
    for (int i = 0; i < length; i++)
        if (towlower(name[start + i]) != towlower(suffix[i])) return false;
    return true;
}

// The extension a new archive of format type gets when its name has none
// of those the format is known by.
void add_extension(Westring& name, int type) {
    struct Extension {
        int type;
        const wchar_t* added;
        const wchar_t* also;
    };
    static const Extension kExtensions[] = {
        {ARCHIVE_GZIP, L".gz", L".tgz"}, {ARCHIVE_TAR, L".tar", nullptr},
        {ARCHIVE_BZIP2, L".bz2", L".tbz"}, {ARCHIVE_XZ, L".xz", L".txz"}};
    for (const Extension& extension : kExtensions) {
        if (extension.type != type) continue;
        if (ends_with(name, extension.added) || (extension.also && ends_with(name, extension.also))) return;
        name += extension.added;
    }
}

// name without a final extension ('.' after the last '/', not leading).
Westring without_extension(const Westring& name) {
    const int dot = name.rchr(L'.');
    const int slash = name.rchr(L'/');
    return dot > 0 && dot > slash + 1 ? name.left(dot) : name;
}

}  // namespace

int ArchiveReload(PANEL* panel) {
    Archive* old = panel->archive;
    if (!old) return -1;
    // The new reading takes over the folder a nested archive's file is in.
    const Westring nested_dir = old->nested_dir;
    old->nested_dir = Westring();
    Archive* parent = old->parent;
    const Westring path = old->archive_path;
    delete old;
    Archive* fresh = new Archive(path.c_str(), parent);
    fresh->nested_dir = nested_dir;
    if (fresh->status != 0) {
        delete fresh;
        panel->archive = parent;
        panel->reread = 1;
        return -1;
    }
    panel->archive = fresh;
    panel->reread = 1;
    return 0;
}

void ArchiveDelete(PANEL* panel) {
    Archive* archive = panel->archive;
    if (!archive || archive->type < 0 || archive->type >= ARCHIVER_COUNT) return;
    const int type = archive->type;
    if (Archiver[type].delete_cmd.empty()) {
        static_cast<void>(error(FormatMessage(L"Deleting from %s not supported", type), Westring(), MB_OK));
        return;
    }
    if (archive->parent) {
        static_cast<void>(error(L"Changing an archive inside an archive is not supported: extract it first",
                                archive->VirtualRoot(), MB_OK));
        return;
    }
    Westring prefix = archive->dot_slash ? Westring(L"./") : Westring();
    if (!archive->current_dir.empty()) prefix += archive->current_dir.AppendBackslash();
    const int status = ExecMultiFile(DecodeFileName(Archiver[type].delete_cmd.c_str()), archive->archive_path,
                                     prefix, panel, type, ArchiveOperation::kDelete);
    static_cast<void>(status);  // the archive is read again whatever came of it
    static_cast<void>(ArchiveReload(panel));
}

int MakeArchive(PANEL* panel) {
    if (panel->archive || panel->num_files == 0) return -1;
    entry* current = panel->CurrentEntry();
    if (!current || (panel->num_tagged == 0 && current->is_parent())) return -1;
    PANEL* other = panel == panel_base ? panel_base + 1 : panel_base;
    Westring name;
    if (other->visible && other->type == PANEL_FILES && !other->archive) name = DestinationDirectory(other).AppendBackslash();
    name += without_extension(current->is_parent() ? Westring(L"archive") : Westring(current->name));
    CMakeArchiveDlg dialog(name, chosen_format);
    if (dialog.Run() != 13) return 0;
    name = name.trim();
    if (name.empty()) return 0;
    const int type = chosen_format;
    if (IsSingleFileFormat(type) && panel->num_tagged > 1) {
        static_cast<void>(error(FormatMessage(L"%s archives cannot contain multiple files", type), Westring(), MB_OK));
        return -1;
    }
    add_extension(name, type);
    if (name[0] != L'/') name = panel->dir.AppendBackslash() + name;
    WorkingDirectoryChange into(panel->dir);
    const Westring command = DecodeFileName(Archiver[type].compress_cmd.c_str());
    int status = 0;
    if (IsSingleFileFormat(type)) {
        // The command writes the whole file: an existing file of that name
        // is replaced only by a complete new one.
        status = WriteBesideArchive(name, [&](const Westring& target) {
            return ExecMultiFile(command, target, Westring(), panel, type, ArchiveOperation::kAdd);
        });
    } else {
        status = ExecMultiFile(command, name, Westring(), panel, type, ArchiveOperation::kAdd);
    }
    panel_base[0].reread = panel_base[1].reread = 1;
    return status;
}
