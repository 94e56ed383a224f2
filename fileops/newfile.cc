#include "fileops/newfile.h"

#include <errno.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>

#include "fileops/besidefile.h"

namespace {

void keep_owner(int fd, const struct stat& from) {
    if (!MayChown()) return;
    // The owner cannot always be given (EPERM on some file systems); the
    // copy stands anyway.
    int given = fchown(fd, from.st_uid, from.st_gid);
    (void)given;
}

void keep_times(int fd, const struct stat& from) {
    struct timespec times[2] = {from.st_atim, from.st_mtim};
    futimens(fd, times);
}

// The process's umask as the system reports it (without changing it, as
// umask() would); -1 when it cannot be read.
int process_umask() {
    static int mask = [] {
        FILE* status = std::fopen("/proc/self/status", "r");
        if (!status) return -1;
        char line[256];
        int found = -1;
        while (std::fgets(line, sizeof line, status)) {
            unsigned value;
            if (std::sscanf(line, "Umask: %o", &value) == 1) {
                found = static_cast<int>(value);
                break;
            }
        }
        std::fclose(status);
        return found;
    }();
    return mask;
}

// Whether a file created with the permission bits of mode kept all of them.
bool mode_survived_umask(mode_t mode) {
    int mask = process_umask();
    return mask >= 0 && (mode & 07000) == 0 && (mode & static_cast<mode_t>(mask) & 0777) == 0;
}

}  // namespace

bool MayChown() {
    static const bool root = geteuid() == 0;
    return root;
}

int OpenSource(int dir, const char* leaf, struct stat& status) {
    int in;
    do {
        in = openat(dir, leaf, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    } while (in < 0 && errno == EINTR);
    if (in < 0) return -1;
    if (fstat(in, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(in);
        errno = EINVAL;
        return -1;
    }
    // Only O_NONBLOCK of the changeable flags was set: clearing them all
    // clears it.
    (void)fcntl(in, F_SETFL, 0);
    return in;
}

int CreateBeside(int dir, const char* leaf, mode_t mode, int& out, std::string& temp_leaf) {
    return MakeBeside(
        dir, leaf,
        [&](int at, const char* name) {
            int fd;
            do {
                fd = openat(at, name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode);
            } while (fd < 0 && errno == EINTR);
            if (fd < 0) return errno;
            out = fd;
            return 0;
        },
        temp_leaf);
}

int FinishNewFile(int out, const struct stat& source, bool move) {
    // A moved file must be on the disk before its source goes.
    if (move && fsync(out) != 0) return errno;
    keep_owner(out, source);
    // A new file was made with the source's permission bits; only what the
    // umask took away (or the special bits) needs setting again.
    if (!mode_survived_umask(source.st_mode) && fchmod(out, source.st_mode & 07777) != 0) return errno;
    keep_times(out, source);
    return 0;
}
