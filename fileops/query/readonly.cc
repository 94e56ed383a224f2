#include "fileops/query/readonly.h"

#include <sys/stat.h>

#include <cerrno>

#include "lib/fsname.h"

int CReadOnlyOverride::Override(const Westring& path) {
    // The earlier file keeps its override when its mode cannot be put
    // back; that does not stop this one.
    (void)Release();
    path_ = path;
    Estring system_path = EncodeFileName(path);
    struct stat status;
    if (stat(system_path.c_str(), &status) != 0) return errno;
    mode_ = static_cast<uint16_t>(status.st_mode & 07777);
    if (mode_ & S_IWUSR) return EACCES;
    if (chmod(system_path.c_str(), mode_ | S_IWUSR) != 0) return errno;
    active_ = true;
    return 0;
}

int CReadOnlyOverride::Release() {
    if (!active_) return 0;
    active_ = false;
    if (chmod(EncodeFileName(path_).c_str(), mode_) != 0) return errno;
    return 0;
}
