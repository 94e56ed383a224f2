#include "fileops/fileattr.h"

#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include "lib/fsname.h"
#include "panels/entry.h"

int GetFileAttr(const wchar_t* path, int& attr) {
    attr = 0;
    Estring name = EncodeFileName(path);
    struct stat status;
    if (lstat(name.c_str(), &status) != 0) return errno;
    if (S_ISLNK(status.st_mode)) {
        attr |= FA_LINK;
        struct stat target;
        if (stat(name.c_str(), &target) == 0) status = target;
    }
    if (S_ISDIR(status.st_mode)) attr |= FA_DIREC;
    if (access(name.c_str(), W_OK) != 0 && errno == EACCES) attr |= FA_RDONLY;
    return 0;
}

int GetFileTime(const wchar_t* path, TimeStamp& time) {
    struct stat status;
    if (stat(EncodeFileName(path).c_str(), &status) != 0) return errno;
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

bool SameFile(const wchar_t* a, const wchar_t* b) {
    struct stat first, second;
    if (lstat(EncodeFileName(a).c_str(), &first) != 0) return false;
    if (lstat(EncodeFileName(b).c_str(), &second) != 0) return false;
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}
