#include "archive/heldmembers.h"

#include <sys/stat.h>

#include <string>
#include <vector>

#include "archive/archive.h"
#include "archive/memberextract.h"
#include "console/msgbox.h"
#include "lib/fsname.h"
#include "panels/panel.h"

namespace {

struct HeldMember {
    int type;
    Westring archive_path;
    Westring folder;
    Westring relative;  // the copy inside folder
    Westring member;    // its name in the archive, for messages
    struct timespec modified;
    struct timespec changed;
};

std::vector<HeldMember>& held() {
    static std::vector<HeldMember> members;
    return members;
}

bool read_times(const Westring& path, struct timespec& modified, struct timespec& changed) {
    struct stat info;
    if (stat(EncodeFileName(path).c_str(), &info) != 0) return false;
    modified = info.st_mtim;
    changed = info.st_ctim;
    return true;
}

bool same(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

}  // namespace

void HoldExtractedMembers() {
    for (PANEL* panel = panel_base; panel < panel_base + 2; panel++) {
        for (Archive* archive = panel->archive; archive; archive = archive->parent) {
            if (archive->temp_dir.empty() || archive->temp_held) continue;
            HeldMember member{archive->type, archive->archive_path, archive->temp_dir, archive->temp_relative,
                              archive->temp_member, {}, {}};
            // Times as extracted: a change made before the program started counts.
            member.modified = {archive->temp_time.seconds, static_cast<long>(archive->temp_time.nanoseconds)};
            member.changed = {archive->temp_ctime.seconds, static_cast<long>(archive->temp_ctime.nanoseconds)};
            held().push_back(member);
            archive->temp_held = 1;
        }
    }
}

void WriteBackHeldMembers() {
    for (HeldMember& member : held()) {
        struct timespec modified {}, changed {};
        if (!read_times(member.folder.AppendBackslash() + member.relative, modified, changed)) continue;
        if (same(modified, member.modified) && same(changed, member.changed)) continue;
        // Looked at once per change: a failure is reported once, and the
        // copy stays where it is for the user.
        member.modified = modified;
        member.changed = changed;
        const int status = WriteBackMember(member.type, member.archive_path, member.folder, member.relative);
        if (status != 0) {
            Westring text = member.member + L" to " + member.archive_path + L" (" +
                            Westring(std::to_wstring(status).c_str()) + L"). The edited file is kept as";
            static_cast<void>(
                error(L"An error occurred updating\n" + text, member.folder.AppendBackslash() + member.relative, MB_OK));
        }
    }
}

int HeldMemberCount() { return static_cast<int>(held().size()); }
