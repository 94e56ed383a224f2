#include "exec/childprocess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char kTerminalType[] = "TERM=xterm";

bool IsTermEntry(const char* entry) { return strncmp(entry, "TERM=", 5) == 0; }

}  // namespace

ShellLaunch::ShellLaunch(const char* command, const char* environment) {
    const char* shell = nullptr;
    size_t count = 0;
    for (const char* p = environment; p && *p; p += strlen(p) + 1) {
        if (strncmp(p, "SHELL=", 6) == 0 && p[6] == '/') shell = p + 6;
        count++;
    }
    strings_.reserve(count + 4);
    strings_.emplace_back(shell ? shell : "/bin/sh");
    strings_.emplace_back("-c");
    strings_.emplace_back(command ? command : "");
    for (const char* p = environment; p && *p; p += strlen(p) + 1)
        if (!IsTermEntry(p)) strings_.emplace_back(p);
    strings_.emplace_back(kTerminalType);
    // The strings do not move any more: take the pointers now.
    for (size_t i = 0; i < 3; i++) argv_.push_back(strings_[i].data());
    argv_.push_back(nullptr);
    for (size_t i = 3; i < strings_.size(); i++) envp_.push_back(strings_[i].data());
    envp_.push_back(nullptr);
}

void ResetSignalsForExec() {
    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGCHLD, SIGPIPE, SIGINT, SIGQUIT, SIGTSTP, SIGHUP, SIGTERM, SIGTTIN, SIGTTOU})
        sigaction(sig, &action, nullptr);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
}

int ChildProcess::StartOnTerminal(const ShellLaunch& launch, int slave) {
    if (running()) return EBUSY;
    pid_t pid = fork();
    if (pid < 0) return errno;
    if (pid == 0) {
        // The child: async-signal-safe calls only from here on.
        ResetSignalsForExec();
        if (setsid() < 0 || ioctl(slave, TIOCSCTTY, 0) < 0) _exit(127);
        for (int fd = 0; fd <= 2; fd++)
            if (dup2(slave, fd) < 0) _exit(127);
        // slave itself, like every descriptor of ours, closes on exec.
        execve(launch.shell(), launch.argv(), launch.envp());
        _exit(127);
    }
    pid_ = pid;
    ended_ = false;
    status_ = -1;
    return 0;
}

void ChildProcess::Record(int wait_status) {
    ended_ = true;
    status_ = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
}

bool ChildProcess::Ended() {
    if (pid_ <= 0 || ended_) return true;
    int wait_status = 0;
    pid_t got = waitpid(pid_, &wait_status, WNOHANG);
    if (got == pid_)
        Record(wait_status);
    else if (got < 0 && errno == ECHILD)
        ended_ = true;  // reaped elsewhere: the status is lost
    return ended_;
}

int ChildProcess::Wait() {
    while (!ended_ && pid_ > 0) {
        int wait_status = 0;
        pid_t got = waitpid(pid_, &wait_status, 0);
        if (got == pid_)
            Record(wait_status);
        else if (got < 0 && errno != EINTR)
            ended_ = true;
    }
    return status_;
}
