#include "lib/atpath.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <cstring>

namespace {

// Paths shorter than this go to the system as they are.
constexpr size_t kDirectLimit = PATH_MAX - 1;

int open_step(int from, const char* part) {
    int fd;
    do {
        fd = openat(from, part, O_PATH | O_DIRECTORY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

}  // namespace

AtPath::AtPath(const char* path) : dir_(AT_FDCWD) {
    size_t length = std::strlen(path);
    if (length <= kDirectLimit) {
        leaf_ = path;
        return;
    }
    // Trailing slashes belong to no component.
    while (length > 1 && path[length - 1] == '/') length--;
    size_t leaf_start = length;
    while (leaf_start > 0 && path[leaf_start - 1] != '/') leaf_start--;
    leaf_.assign(path + leaf_start, length - leaf_start);

    // The directory part is opened in steps that each stay under the limit
    // and end at a separator.
    std::string rest(path, leaf_start);
    size_t position = 0;
    int current = AT_FDCWD;
    while (position < rest.size()) {
        size_t end = rest.size();
        if (end - position > kDirectLimit) {
            end = rest.rfind('/', position + kDirectLimit - 1);
            if (end == std::string::npos || end < position) {
                // A single component longer than the limit cannot exist.
                error_ = ENAMETOOLONG;
                break;
            }
            end++;  // keep the separator: "/" alone opens the root
        }
        std::string part = rest.substr(position, end - position);
        int next = open_step(current, part.c_str());
        int step_error = errno;
        if (current != AT_FDCWD) close(current);
        current = AT_FDCWD;
        if (next < 0) {
            error_ = step_error;
            break;
        }
        current = next;
        position = end;
    }
    if (error_ != 0) {
        if (current != AT_FDCWD) close(current);
        dir_ = -1;  // the *at call fails with EBADF
        return;
    }
    dir_ = current;
}

AtPath::~AtPath() {
    if (dir_ >= 0) close(dir_);
}

int AtPath::OpenDirectory(bool follow_link) const {
    if (error_ != 0) {
        errno = error_;
        return -1;
    }
    int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (follow_link ? 0 : O_NOFOLLOW);
    int fd;
    do {
        fd = openat(dir_, leaf_.empty() ? "." : leaf_.c_str(), flags);
    } while (fd < 0 && errno == EINTR);
    return fd;
}
