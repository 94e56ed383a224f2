#include "fileops/dosops.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fileops/copyseams.h"
#include "lib/atpath.h"
#include "lib/fsname.h"
#include "lib/nls.h"

namespace {

// The rename itself, at any depth (or through the test seam).
int rename_at(const AtPath& from, const AtPath& to, unsigned flags = 0) {
    if (from.error() != 0) return from.error();
    if (to.error() != 0) return to.error();
    if (copy_seams.rename && from.dir() == AT_FDCWD && to.dir() == AT_FDCWD)
        return copy_seams.rename(from.leaf(), to.leaf()) == 0 ? 0 : errno;
    return renameat2(from.dir(), from.leaf(), to.dir(), to.leaf(), flags) == 0 ? 0 : errno;
}

}  // namespace

int DosMove(const wchar_t* src, const wchar_t* dst) {
    AtPath to(EncodeFileName(dst).c_str());
    AtPath from(EncodeFileName(src).c_str());
    struct stat target, source;
    if (to.error() == 0 && fstatat(to.dir(), to.leaf(), &target, AT_SYMLINK_NOFOLLOW) == 0) {
        // On a file system that ignores case, a new spelling of the same name
        // finds the file itself: that rename is allowed.
        bool respelled = fstatat(from.dir(), from.leaf(), &source, AT_SYMLINK_NOFOLLOW) == 0 &&
                         source.st_dev == target.st_dev && source.st_ino == target.st_ino && fncompare(src, dst) != 0 &&
                         nls_stricmp(src, dst) == 0;
        if (!respelled) return EEXIST;
    }
    return rename_at(from, to);
}

int DosMoveNew(const wchar_t* src, const wchar_t* dst) {
    AtPath to(EncodeFileName(dst).c_str());
    AtPath from(EncodeFileName(src).c_str());
    return rename_at(from, to, RENAME_NOREPLACE);
}

int DosMoveOver(const wchar_t* src, const wchar_t* dst) {
    AtPath to(EncodeFileName(dst).c_str());
    AtPath from(EncodeFileName(src).c_str());
    return rename_at(from, to);
}

int DosDelete(const wchar_t* path) {
    AtPath at(EncodeFileName(path).c_str());
    if (at.error() != 0) return at.error();
    struct stat status;
    if (fstatat(at.dir(), at.leaf(), &status, AT_SYMLINK_NOFOLLOW) != 0) return errno;
    // A symbolic link is judged by itself, never by its target: removing it
    // needs only the directory's write permission.
    if (!S_ISLNK(status.st_mode) && faccessat(at.dir(), at.leaf(), W_OK, 0) != 0 && errno != ENOENT) return errno;
    return unlinkat(at.dir(), at.leaf(), 0) == 0 ? 0 : errno;
}

int DosUnlink(const wchar_t* path) {
    AtPath at(EncodeFileName(path).c_str());
    if (at.error() != 0) return at.error();
    return unlinkat(at.dir(), at.leaf(), 0) == 0 ? 0 : errno;
}

int DosRemoveDir(const wchar_t* path) {
    AtPath at(EncodeFileName(path).c_str());
    if (at.error() != 0) return at.error();
    return unlinkat(at.dir(), at.leaf(), AT_REMOVEDIR) == 0 ? 0 : errno;
}

int DosMayWrite(const wchar_t* path) {
    AtPath at(EncodeFileName(path).c_str());
    if (at.error() != 0) return at.error();
    return faccessat(at.dir(), at.leaf(), W_OK, 0) == 0 ? 0 : errno;
}

int MakeDirectory(const wchar_t* path) {
    AtPath at(EncodeFileName(path).c_str());
    if (at.error() != 0) return at.error();
    return mkdirat(at.dir(), at.leaf(), 0777) == 0 ? 0 : errno;
}

int MakeDirectories(const wchar_t* path) {
    Estring name = EncodeFileName(path);
    if (mkdir(name.c_str(), 0777) == 0) return 0;
    if (errno != ENOENT) return errno;
    // Make the parents first, from the top down.
    char* bytes = name.data();
    int length = name.strlen();
    for (int i = 1; i < length; i++) {
        if (bytes[i] != '/') continue;
        bytes[i] = 0;
        int made = mkdir(bytes, 0777);
        int error = errno;
        bytes[i] = '/';
        if (made != 0 && error != EEXIST) return error;
    }
    return mkdir(name.c_str(), 0777) == 0 ? 0 : errno;
}
