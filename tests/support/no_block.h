// Runs a call that might block (say, opening a FIFO) in a child process
// under an alarm, so that a call that hangs fails its test instead of
// hanging the whole run.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>

// The exit code the child gives (call's result), or -1 when the child was
// killed, by the alarm after seconds or otherwise. What call changes in the
// file system stays; what it changes in memory is lost with the child.
inline int RunInChildWithin(int seconds, const std::function<int()>& call) {
    pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) {
        signal(SIGALRM, SIG_DFL);
        alarm(static_cast<unsigned>(seconds));
        _exit(call());
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
