#include "fileops/treeplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "lib/atpath.h"
#include "lib/fsname.h"

namespace {

bool same_node(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

bool stat_path(const std::string& path, struct stat& status) {
    AtPath at(path.c_str());
    return at.error() == 0 && fstatat(at.dir(), at.leaf(), &status, 0) == 0;
}

// The path one component up; false when there is none left.
bool cut_last(std::string& path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        if (path == ".") return false;
        path.assign(1, '.');  // (assigning a literal warns falsely at -O3 in GCC 12)
    } else if (slash == 0) {
        if (path == "/") return false;
        path.assign(1, '/');
    } else {
        path.resize(slash);
    }
    return true;
}

// The nearest existing directory at or above path, opened for lookups.
int open_existing_ancestor(std::string path) {
    for (;;) {
        AtPath at(path.c_str());
        if (at.error() == 0) {
            int fd = openat(at.dir(), at.leaf(), O_PATH | O_DIRECTORY | O_CLOEXEC);
            if (fd >= 0) return fd;
        }
        if (!cut_last(path)) return -1;
    }
}

}  // namespace

bool WithinDirectory(const wchar_t* dir, const wchar_t* path) {
    struct stat directory, target;
    if (!stat_path(EncodeFileName(dir).c_str(), directory) || !S_ISDIR(directory.st_mode)) return false;
    std::string where = EncodeFileName(path).c_str();
    if (stat_path(where, target) && same_node(target, directory)) return true;
    if (!cut_last(where)) return false;

    // Walks up from the parent by "..", which the system resolves through
    // links and mount points as the directories really hang together.
    int fd = open_existing_ancestor(where);
    bool inside = false;
    while (fd >= 0) {
        struct stat here, above;
        if (fstat(fd, &here) != 0) break;
        if (same_node(here, directory)) {
            inside = true;
            break;
        }
        int up = openat(fd, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
        close(fd);
        fd = up;
        if (fd < 0 || fstat(fd, &above) != 0 || same_node(above, here)) break;  // the root
    }
    if (fd >= 0) close(fd);
    return inside;
}
