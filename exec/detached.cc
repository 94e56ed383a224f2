#include "exec/detached.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "exec/childprocess.h"

int StartDetached(const char* command, const char* environment) {
    ShellLaunch launch(command, environment);
    pid_t middle = fork();
    if (middle < 0) return errno;
    if (middle == 0) {
        // The intermediate child: async-signal-safe calls only. It starts the
        // program and ends at once, so the program's parent becomes init.
        ResetSignalsForExec();
        pid_t program = fork();
        if (program != 0) _exit(program < 0 ? 1 : 0);
        setsid();
        // Nothing of the program's own output may land in the window, which
        // the program draws itself.
        int null_device = open("/dev/null", O_RDWR);
        if (null_device >= 0) {
            for (int fd = 0; fd <= 2; fd++)
                if (null_device != fd) dup2(null_device, fd);
            if (null_device > 2) close(null_device);
        }
        execve(launch.shell(), launch.argv(), launch.envp());
        _exit(127);
    }
    int wait_status = 0;
    while (waitpid(middle, &wait_status, 0) < 0)
        if (errno != EINTR) return errno;
    if (!WIFEXITED(wait_status) || WEXITSTATUS(wait_status) != 0) return EAGAIN;  // the second fork failed
    return 0;
}
