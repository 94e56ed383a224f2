// AtPath: a path of any length made usable by the *at system calls
// (openat, fstatat, mkdirat, unlinkat, ...). A path the system takes as it
// is stays relative to the current directory; a longer one is reached by
// opening its directories a few thousand bytes at a time, so that trees
// deeper than the system's path limit can be copied and deleted.
#pragma once

#include <string>

class AtPath {
public:
    // path is in the system's encoding.
    explicit AtPath(const char* path);
    ~AtPath();
    AtPath(const AtPath&) = delete;
    AtPath& operator=(const AtPath&) = delete;

    // The directory the leaf is relative to: AT_FDCWD or an open directory.
    int dir() const { return dir_; }
    // The name to hand to the *at call together with dir().
    const char* leaf() const { return leaf_.c_str(); }
    // 0, or the error number met opening the directories on the way (the
    // *at call then fails with EBADF; callers check this first).
    int error() const { return error_; }

    // Opens the path itself as a directory (O_DIRECTORY, for reading its
    // entries); the descriptor or -1 with errno set.
    int OpenDirectory(bool follow_link = true) const;

private:
    int dir_;
    std::string leaf_;
    int error_ = 0;
};
