#include "fileops/query/links.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <vector>

#include "lib/fsname.h"

Westring GetLinkTarget(const Westring& path) {
    Estring system_path = EncodeFileName(path);
    struct stat status;
    if (lstat(system_path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return Westring();
    // The size lstat reports is the target's length, except for links the
    // system makes up (0 there); one byte more shows whether the link grew
    // in between, and then it is read again with more room.
    size_t size = status.st_size > 0 ? static_cast<size_t>(status.st_size) + 1 : PATH_MAX;
    for (;;) {
        std::vector<char> buffer(size);
        ssize_t n = readlink(system_path.c_str(), buffer.data(), size);
        if (n < 0) return Westring();
        if (static_cast<size_t>(n) < size) return DecodeFileName(buffer.data(), static_cast<size_t>(n));
        if (size >= (1u << 30)) return Westring();
        size *= 2;
    }
}
