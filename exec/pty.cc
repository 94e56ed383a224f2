#include "exec/pty.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

int SetPtySize(int fd, int rows, int columns) {
    if (rows <= 0 || columns <= 0) return EINVAL;
    struct winsize size = {};
    size.ws_row = static_cast<unsigned short>(rows);
    size.ws_col = static_cast<unsigned short>(columns);
    return ioctl(fd, TIOCSWINSZ, &size) == 0 ? 0 : errno;
}

int OpenPty(int& master, int& slave, int rows, int columns) {
    master = slave = -1;
    int fd = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return errno;
    char name[128];
    int error = 0;
    if (grantpt(fd) != 0 || unlockpt(fd) != 0)
        error = errno;
    else
        error = ptsname_r(fd, name, sizeof name);  // returns the error itself
    int other = -1;
    if (error == 0) {
        other = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (other < 0) error = errno;
    }
    if (error == 0) error = SetPtySize(fd, rows, columns);
    if (error != 0) {
        if (other >= 0) close(other);
        close(fd);
        return error;
    }
    master = fd;
    slave = other;
    return 0;
}
