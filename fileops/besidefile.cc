#include "fileops/besidefile.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
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
    // The parallel copy's workers name files at the same time.
    static std::atomic<unsigned> serial{0};
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    unsigned long mix = static_cast<unsigned long>(now.tv_nsec) ^ (static_cast<unsigned long>(getpid()) << 20) ^
                        ((serial.fetch_add(1) + 1UL) * 2654435761UL) ^ attempt;
    char name[32];
    std::snprintf(name, sizeof name, ".dv%08lx.part", mix & 0xffffffffUL);
    return name;
}

}  // namespace

int MakeBeside(const AtPath& final, const std::function<int(int dir, const char* leaf)>& make,
               std::string& temp_leaf) {
    if (final.error() != 0) return final.error();
    return MakeBeside(final.dir(), final.leaf(), make, temp_leaf);
}

int MakeBeside(int dir, const char* leaf, const std::function<int(int dir, const char* leaf)>& make,
               std::string& temp_leaf) {
    for (unsigned attempt = 0; attempt < kNameAttempts; attempt++) {
        temp_leaf = sibling(leaf, temp_name(attempt));
        int made = make(dir, temp_leaf.c_str());
        if (made != EEXIST) return made;
    }
    return EEXIST;
}

int PutInPlace(const AtPath& final, const std::string& temp_leaf, bool replace) {
    if (final.error() != 0) return final.error();
    return PutInPlace(final.dir(), final.leaf(), temp_leaf, replace);
}

int PutInPlace(int dir, const char* leaf, const std::string& temp_leaf, bool replace) {
    int result = 0;
    if (replace) {
        if (renameat(dir, temp_leaf.c_str(), dir, leaf) != 0) result = errno;
    } else if (renameat2(dir, temp_leaf.c_str(), dir, leaf, RENAME_NOREPLACE) != 0) {
        result = errno;
        if (result == EINVAL || result == ENOSYS) {
            // A file system that cannot refuse in the rename itself: a hard
            // link refuses an existing name just as well.
            result = linkat(dir, temp_leaf.c_str(), dir, leaf, 0) == 0 ? 0 : errno;
            if (result == 0) {
                (void)unlinkat(dir, temp_leaf.c_str(), 0);
            } else if (result == EPERM || result == EOPNOTSUPP || result == EMLINK) {
                struct stat existing;
                result = fstatat(dir, leaf, &existing, AT_SYMLINK_NOFOLLOW) == 0 ? EEXIST : 0;
                if (result == 0 && renameat(dir, temp_leaf.c_str(), dir, leaf) != 0)
                    result = errno;
            }
        }
    }
    if (result != 0) DropBeside(dir, temp_leaf);
    return result;
}

void DropBeside(const AtPath& final, const std::string& temp_leaf) { DropBeside(final.dir(), temp_leaf); }

void DropBeside(int dir, const std::string& temp_leaf) {
    struct stat node;
    if (fstatat(dir, temp_leaf.c_str(), &node, AT_SYMLINK_NOFOLLOW) != 0) return;
    (void)unlinkat(dir, temp_leaf.c_str(), S_ISDIR(node.st_mode) ? AT_REMOVEDIR : 0);
}
