#include "fileops/movedsources.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fileops/copyseams.h"
#include "fileops/delete.h"
#include "fileops/descbatch.h"
#include "fileops/descriptions.h"
#include "fileops/fserror.h"
#include "fileops/resolvepath.h"
#include "lib/atpath.h"
#include "lib/fsname.h"

namespace {

thread_local CMovedSources* innermost = nullptr;

// Writes everything of the file system that holds dir to the disk. 0 or
// the error number.
int sync_file_system_of(const std::string& dir) {
    AtPath at(dir.c_str());
    if (at.error() != 0) return at.error();
    int fd = at.OpenDirectory();
    if (fd < 0) return errno;
    int result = copy_seams.syncfs ? copy_seams.syncfs(fd) : syncfs(fd);
    int error_code = result == 0 ? 0 : errno;
    close(fd);
    return error_code;
}

}  // namespace

CMovedSources::CMovedSources(DescBatch& descriptions) : descriptions_(descriptions), outer_(innermost) {
    innermost = this;
}

CMovedSources::~CMovedSources() {
    innermost = outer_;
    // The caller settles on every ordinary way out; what an early return
    // left goes the same way, a failure having been reported already.
    (void)Settle();
}

CMovedSources* CMovedSources::Open() { return innermost; }

void CMovedSources::Add(const Westring& src, const Westring& dst) {
    waiting_.push_back({src, Westring(), false});
    destinations_.insert(EncodeFileName(dir_part(dst)).c_str());
}

void CMovedSources::AddDirectory(const Westring& src, const Westring& dst) {
    waiting_.push_back({src, dst, true});
}

int CMovedSources::remove_directory(const Source& source) {
    // Its entries' lines are gone from its description file; what is left
    // there describes names that never existed and travels along.
    descriptions_.FlushDirectory(source.path);
    for (;;) {
        int code = carry_desc_leftovers(source.path, source.directory_copy);
        if (code == 0) break;
        int done = 0;
        fs_error(code, done, source.path.c_str());
        if (done) return code < 0 ? -1 : 0;
    }
    for (;;) {
        AtPath at(EncodeFileName(source.path).c_str());
        if (at.error() == 0 && unlinkat(at.dir(), at.leaf(), AT_REMOVEDIR) == 0) {
            descriptions_.Remove(source.path);
            return 1;
        }
        int code = at.error() ? at.error() : errno;
        // Something in it stayed and was reported already.
        if (code == ENOTEMPTY || code == EEXIST) return 0;
        int done = 0;
        fs_error(code, done, source.path.c_str());
        if (done) return code < 0 ? -1 : 0;
    }
}

int CMovedSources::Settle() {
    if (waiting_.empty()) return 0;
    std::vector<Source> sources;
    sources.swap(waiting_);
    std::set<std::string> destinations;
    destinations.swap(destinations_);
    std::set<dev_t> synced;
    for (const std::string& dir : destinations) {
        // One sync writes a whole file system.
        struct stat status;
        if (stat(dir.c_str(), &status) == 0 && !synced.insert(status.st_dev).second) continue;
        for (;;) {
            int code = sync_file_system_of(dir);
            if (code == 0) break;
            int done = 0;
            const Westring shown = DecodeFileName(dir.c_str());
            fs_error(code, done, shown.c_str());
            if (!done) continue;
            // Without the copies safely on the disk every source stays.
            return code < 0 ? -1 : static_cast<int>(sources.size());
        }
    }
    int stayed = 0;
    for (const Source& source : sources) {
        int deleted = source.directory ? remove_directory(source)
                                       : delete_file(source.path.c_str(), DELETE_SILENT, &descriptions_);
        if (deleted < 0) return -1;
        if (deleted == 0) stayed++;
    }
    return stayed;
}
