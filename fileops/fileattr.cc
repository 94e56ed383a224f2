#include "fileops/fileattr.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "lib/atpath.h"
#include "lib/fsname.h"
#include "panels/entry.h"

namespace {

// stat or lstat of a path of any length; 0 or the error number.
int stat_at(const wchar_t* path, struct stat& status, bool follow) {
    AtPath at(EncodeFileName(path).c_str());
    if (at.error() != 0) return at.error();
    return fstatat(at.dir(), at.leaf(), &status, follow ? 0 : AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno;
}

}  // namespace

int GetFileAttr(const wchar_t* path, int& attr) {
    attr = 0;
    struct stat status;
    if (int failed = stat_at(path, status, false)) return failed;
    if (S_ISLNK(status.st_mode)) {
        // A link may always go where its directory may be written: it is
        // never read-only, whatever its target is.
        attr |= FA_LINK;
        struct stat target;
        if (stat_at(path, target, true) == 0 && S_ISDIR(target.st_mode)) attr |= FA_DIREC;
        return 0;
    }
    if (S_ISDIR(status.st_mode)) attr |= FA_DIREC;
    AtPath at(EncodeFileName(path).c_str());
    if (faccessat(at.dir(), at.leaf(), W_OK, 0) != 0 && errno == EACCES) attr |= FA_RDONLY;
    return 0;
}

int GetFileTime(const wchar_t* path, TimeStamp& time) {
    struct stat status;
    if (int failed = stat_at(path, status, true)) return failed;
    time = TimeStamp(status.st_mtim.tv_sec, static_cast<uint32_t>(status.st_mtim.tv_nsec));
    return 0;
}

int SetFileAttr(const wchar_t*, int) { return 0; }

bool IsDevice(const wchar_t* path) {
    struct stat status;
    if (stat(EncodeFileName(path).c_str(), &status) != 0) return false;
    return S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode) || S_ISFIFO(status.st_mode) ||
           S_ISSOCK(status.st_mode);
}

bool SameFS(const wchar_t* a, const wchar_t* b) {
    struct stat first, second;
    if (stat(EncodeFileName(a).c_str(), &first) != 0) return true;
    if (stat(EncodeFileName(b).c_str(), &second) != 0) return true;
    return first.st_dev == second.st_dev;
}
