// Taking one member out of an archive to view, edit or run it, and putting
// it back when its copy changed.
#include "archive/memberextract.h"

#include <sys/stat.h>

#include <cstring>
#include <string>

#include "archive/archive.h"
#include "archive/archivecommand.h"
#include "archive/archivernaming.h"
#include "archive/archiverprogram.h"
#include "archive/besidearchive.h"
#include "archive/nesteddir.h"
#include "archive/workingdir.h"
#include "config/archivers.h"
#include "console/msgbox.h"
#include "exec/run.h"
#include "lib/fsname.h"
#include "lib/oserror.h"
#include "lib/quote.h"

namespace {

// The member's name on the archiver's command line, before shell quoting.
Westring stored_name(const ArchiveEntry* member) {
    const std::string stored = Archive::StoredName(member);
    return DecodeFileName(stored.c_str(), stored.size());
}

Westring base_name(const Westring& path) {
    const int slash = path.rchr(L'/');
    return slash < 0 ? path : path.mid(slash + 1);
}

bool is_file(const Westring& path) {
    struct stat info;
    return lstat(EncodeFileName(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The member at its display path ("dir/name"), or null.
const ArchiveEntry* member_at(const Archive& archive, const Westring& path) {
    const int slash = path.rchr(L'/');
    if (slash < 0) return archive.FindMember(Westring(), path.c_str());
    return archive.FindMember(path.left(slash), path.mid(slash + 1).c_str());
}

// The copy's modification and change times.
bool copy_times(const Westring& copy, TimeStamp& modified, TimeStamp& changed, int& failure) {
    struct stat info;
    if (stat(EncodeFileName(copy).c_str(), &info) != 0) {
        failure = errno;
        return false;
    }
    modified = TimeStamp(info.st_mtim.tv_sec, static_cast<uint32_t>(info.st_mtim.tv_nsec));
    changed = TimeStamp(info.st_ctim.tv_sec, static_cast<uint32_t>(info.st_ctim.tv_nsec));
    return true;
}

}  // namespace

Westring MemberExtractCommand(const Archive& archive, const ArchiveEntry* member, const Westring& program) {
    const ArchiverNaming rules = NamingFor(archive.type, ArchiveOperation::kExtract);
    // A single-file format writes wherever %f says: only ever to a plain
    // name in the folder, never to a stored path such as "../../.bashrc".
    const Westring name = rules.single_file ? base_name(Archive::DisplayName(member)) : stored_name(member);
    return FillArchiverTemplate(program, archive.archive_path, QuoteName(ArchiverLiteral(name, rules)),
                                rules.double_dash && !rules.single_file);
}

Westring FindExtractedCopy(const Archive& archive, const ArchiveEntry* member, const Westring& folder) {
    const ArchiverNaming rules = NamingFor(archive.type, ArchiveOperation::kExtract);
    const Westring display = Archive::DisplayName(member);
    const Westring candidates[] = {rules.single_file ? base_name(display) : stored_name(member), display};
    for (const Westring& relative : candidates)
        if (!relative.empty() && is_file(folder.AppendBackslash() + relative)) return relative;
    return Westring();
}

Westring MemberWriteBackCommand(int type, const Westring& archive_path, const Westring& stored,
                                const Westring& program) {
    const ArchiverNaming rules = NamingFor(type, ArchiveOperation::kAdd);
    return FillArchiverTemplate(program, archive_path, QuoteName(ArchiverLiteral(stored, rules)),
                                rules.double_dash && !rules.single_file);
}

int WriteBackMember(int type, const Westring& archive_path, const Westring& folder, const Westring& relative) {
    if (type < 0 || type >= ARCHIVER_COUNT) return -1;
    const Westring configured = DecodeFileName(Archiver[type].compress_cmd.c_str());
    Westring program = configured;
    if (!FindArchiver(program)) {
        static_cast<void>(::error(ArchiverNotFoundMessage(configured, type), Westring(), MB_OK));
        return -1;
    }
    WorkingDirectoryChange into(folder);
    if (!into.ok()) return into.error();
    const bool whole_file = NamingFor(type, ArchiveOperation::kAdd).single_file;
    if (!whole_file) {
        const Westring line = MemberWriteBackCommand(type, archive_path, relative, program);
        return run(line.c_str(), 0, L"", RUN_EXTRA_LINE | RUN_IN_CURRENT_DIRECTORY);
    }
    // The command writes the whole archive: into a new file beside it,
    // which replaces the archive only once complete.
    return WriteBesideArchive(archive_path, [&](const Westring& target) {
        const Westring line = MemberWriteBackCommand(type, target, relative, program);
        return run(line.c_str(), 0, L"", RUN_EXTRA_LINE | RUN_IN_CURRENT_DIRECTORY);
    });
}

Westring Archive::ExtractFile(const Westring& member_path, const Westring& dir) {
    const ArchiveEntry* member = member_at(*this, member_path);
    if (!member || member->is_dir()) {
        static_cast<void>(::error(L"An error occurred extracting: no such file in the archive", member_path, MB_OK));
        temp_member = Westring();
        return Westring();
    }
    if (member->unsafe()) {
        static_cast<void>(::error(
            L"An error occurred extracting: its stored name leads outside the folder it would be extracted to",
            member_path, MB_OK));
        temp_member = Westring();
        return Westring();
    }
    const Westring configured = DecodeFileName(Archiver[type].extract_cmd.c_str());
    Westring program = configured;
    if (!FindArchiver(program)) {
        static_cast<void>(::error(ArchiverNotFoundMessage(configured, type), Westring(), MB_OK));
        temp_member = Westring();
        return Westring();
    }
    int status = 0;
    {
        WorkingDirectoryChange into(dir);
        status = into.ok() ? run(MemberExtractCommand(*this, member, program).c_str(), 0, L"",
                                 RUN_EXTRA_LINE | RUN_IN_CURRENT_DIRECTORY)
                           : into.error();
    }
    const Westring relative = status == 0 ? FindExtractedCopy(*this, member, dir) : Westring();
    if (status != 0 || relative.empty()) {
        Westring text = temp_member + L" to " + dir + L" (" + Westring(std::to_wstring(status).c_str()) + L")";
        static_cast<void>(::error(L"An error occurred extracting\n" + text, Westring(), MB_OK));
        temp_member = Westring();
        return Westring();
    }
    temp_relative = relative;
    return dir.AppendBackslash() + relative;
}

Westring Archive::TmpExtractFile(const Westring& member) {
    const Westring full = current_dir.empty() ? member : current_dir.AppendBackslash() + member;
    if (!temp_dir.empty() && SameChars(full, temp_member) && is_file(temp_copy)) return temp_copy;
    ReleaseTmpFile();
    if (int failure = MakeNestedDir(temp_dir)) {
        static_cast<void>(::error(L"Unable to create temporary directory\n" + GetOSErrorMessage(failure), Westring(), MB_OK));
        temp_dir = Westring();
        return Westring();
    }
    temp_member = full;
    temp_copy = ExtractFile(full, temp_dir);
    int failure = 0;
    if (temp_copy.empty() || !copy_times(temp_copy, temp_time, temp_ctime, failure)) {
        RemoveNestedDir(temp_dir);
        temp_dir = temp_member = temp_copy = Westring();
        return Westring();
    }
    return temp_copy;
}

bool Archive::UpdateTmpFile() {
    if (temp_dir.empty() || temp_copy.empty() || temp_held) return true;
    TimeStamp modified, changed;
    int failure = 0;
    if (!copy_times(temp_copy, modified, changed, failure)) {
        static_cast<void>(::error(L"Error reading file time stamp\n" + GetOSErrorMessage(failure), temp_copy, MB_OK));
        return false;
    }
    if (modified == temp_time && changed == temp_ctime) return true;
    if (parent) {
        // This archive is itself a copy taken out of another one: writing
        // into it would be lost when it goes.
        static_cast<void>(::error(L"An error occurred updating\n" + temp_member +
                    L": the archive is inside another archive. The edited file is kept as",
                temp_copy, MB_OK));
        return false;
    }
    const int status = WriteBackMember(type, archive_path, temp_dir, temp_relative);
    if (status != 0) {
        Westring text = temp_member + L" to " + archive_path + L" (" + Westring(std::to_wstring(status).c_str()) +
                        L"). The edited file is kept as";
        static_cast<void>(::error(L"An error occurred updating\n" + text, temp_copy, MB_OK));
        return false;
    }
    temp_time = modified;
    temp_ctime = changed;
    return true;
}

void Archive::ReleaseTmpFile() {
    if (temp_dir.empty()) return;
    // A program running on its own may still have the copy open: its
    // folder stays, and the held copy is written back when it changes.
    // A copy that could not be written back stays too, for the user.
    if (!temp_held && UpdateTmpFile()) RemoveNestedDir(temp_dir);
    temp_dir = temp_member = temp_copy = temp_relative = Westring();
    temp_held = 0;
}
