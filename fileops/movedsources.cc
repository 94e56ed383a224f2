#include "fileops/movedsources.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include "fileops/copyseams.h"
#include "fileops/delete.h"
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
    waiting_.push_back(src);
    destinations_.insert(EncodeFileName(dir_part(dst)).c_str());
}

int CMovedSources::Settle() {
    if (waiting_.empty()) return 0;
    std::vector<Westring> sources;
    sources.swap(waiting_);
    std::set<std::string> destinations;
    destinations.swap(destinations_);
    for (const std::string& dir : destinations) {
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
    for (const Westring& source : sources) {
        int deleted = delete_file(source.c_str(), DELETE_SILENT, &descriptions_);
        if (deleted < 0) return -1;
        if (deleted == 0) stayed++;
    }
    return stayed;
}
