#include "archive/besidearchive.h"

#include <errno.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include "exec/tmpfiles.h"
#include "lib/fsname.h"

namespace {

mode_t process_umask() {
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}

}  // namespace

int WriteBesideArchive(const Westring& archive, const std::function<int(const Westring& target)>& write) {
    const int slash = archive.rchr(L'/');
    const Westring folder = slash <= 0 ? Westring(slash == 0 ? L"/" : L".") : archive.left(slash);
    Westring target;
    if (int failure = TmpFileName(target, folder.c_str())) return failure;
    const Estring target_bytes = EncodeFileName(target);
    const Estring archive_bytes = EncodeFileName(archive);
    int result = write(target);
    if (result == 0) {
        struct stat old;
        if (stat(archive_bytes.c_str(), &old) == 0) chmod(target_bytes.c_str(), old.st_mode & 07777);
        else chmod(target_bytes.c_str(), 0666 & ~process_umask());
        if (rename(target_bytes.c_str(), archive_bytes.c_str()) != 0) result = errno;
    }
    if (result != 0) unlink(target_bytes.c_str());
    return result;
}
