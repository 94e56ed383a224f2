#include "fileops/besidefile.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>

namespace {

constexpr int kNameAttempts = 100;

// leaf with its last component replaced by name.
std::string sibling(const char* leaf, const std::string& name) {
    std::string path = leaf;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? name : path.substr(0, slash + 1) + name;
}

// Hidden, short (the final name may already use the whole name length),
// and different for every attempt, process and moment.
std::string temp_name(unsigned attempt) {
    static unsigned serial = 0;
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    unsigned long mix = static_cast<unsigned long>(now.tv_nsec) ^ (static_cast<unsigned long>(getpid()) << 20) ^
                        (++serial * 2654435761UL) ^ attempt;
    char name[32];
    std::snprintf(name, sizeof name, ".dv%08lx.part", mix & 0xffffffffUL);
    return name;
}

}  // namespace

int MakeBeside(const AtPath& final, const std::function<int(int dir, const char* leaf)>& make,
               std::string& temp_leaf) {
    if (final.error() != 0) return final.error();
    for (unsigned attempt = 0; attempt < kNameAttempts; attempt++) {
        temp_leaf = sibling(final.leaf(), temp_name(attempt));
        int made = make(final.dir(), temp_leaf.c_str());
        if (made != EEXIST) return made;
    }
    return EEXIST;
}

int PutInPlace(const AtPath& final, const std::string& temp_leaf, bool replace) {
    int result = 0;
    if (replace) {
        if (renameat(final.dir(), temp_leaf.c_str(), final.dir(), final.leaf()) != 0) result = errno;
    } else if (renameat2(final.dir(), temp_leaf.c_str(), final.dir(), final.leaf(), RENAME_NOREPLACE) != 0) {
        result = errno;
        if (result == EINVAL || result == ENOSYS) {
            // A file system that cannot refuse in the rename itself: a hard
            // link refuses an existing name just as well.
            result = linkat(final.dir(), temp_leaf.c_str(), final.dir(), final.leaf(), 0) == 0 ? 0 : errno;
            if (result == 0) {
                (void)unlinkat(final.dir(), temp_leaf.c_str(), 0);
            } else if (result == EPERM || result == EOPNOTSUPP || result == EMLINK) {
                struct stat existing;
                result = fstatat(final.dir(), final.leaf(), &existing, AT_SYMLINK_NOFOLLOW) == 0 ? EEXIST : 0;
                if (result == 0 && renameat(final.dir(), temp_leaf.c_str(), final.dir(), final.leaf()) != 0)
                    result = errno;
            }
        }
    }
    if (result != 0) DropBeside(final, temp_leaf);
    return result;
}

void DropBeside(const AtPath& final, const std::string& temp_leaf) {
    struct stat node;
    if (fstatat(final.dir(), temp_leaf.c_str(), &node, AT_SYMLINK_NOFOLLOW) != 0) return;
    (void)unlinkat(final.dir(), temp_leaf.c_str(), S_ISDIR(node.st_mode) ? AT_REMOVEDIR : 0);
}
