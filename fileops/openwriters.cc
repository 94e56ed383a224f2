#include "fileops/openwriters.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>

bool OpenForWritingElsewhere(int fd) {
#ifdef F_SETLEASE
    // Should a writer open the file in the instant the lease is held, the
    // system signals the lease holder: SIGURG is ignored unless handled,
    // where the default signal would end the program.
    (void)fcntl(fd, F_SETSIG, SIGURG);
    if (fcntl(fd, F_SETLEASE, F_RDLCK) == 0) {
        (void)fcntl(fd, F_SETLEASE, F_UNLCK);
        return false;
    }
    if (errno == EAGAIN) return true;
    // Not our file, or a file system without leases.
#endif
    return flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
}
