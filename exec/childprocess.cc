#include "exec/childprocess.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <cstring>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "exec/simplecommand.h"

namespace {

const char kTerminalType[] = "TERM=xterm";

bool IsTermEntry(const char* entry) { return strncmp(entry, "TERM=", 5) == 0; }

// A regular file we may execute: what a program named by its path must be
// for starting it without the shell (which would report anything else).
bool IsProgramFile(const char* path) {
    struct stat status;
    return stat(path, &status) == 0 && S_ISREG(status.st_mode) && access(path, X_OK) == 0;
}

// The signals the program handles or ignores: a command gets them back at
// their defaults.
constexpr int kResetSignals[] = {SIGCHLD, SIGPIPE, SIGINT, SIGQUIT, SIGTSTP, SIGHUP, SIGTERM, SIGTTIN, SIGTTOU};

}  // namespace

ShellLaunch::ShellLaunch(const char* command, const char* environment) {
    const char* shell = nullptr;
    size_t count = 0;
    for (const char* p = environment; p && *p; p += strlen(p) + 1) {
        if (strncmp(p, "SHELL=", 6) == 0 && p[6] == '/') shell = p + 6;
        count++;
    }
    std::vector<std::string> words;
    if (SplitSimpleCommand(command, words) && IsProgramFile(words[0].c_str())) {
        strings_ = std::move(words);
    } else {
        strings_.emplace_back(shell ? shell : "/bin/sh");
        strings_.emplace_back("-c");
        strings_.emplace_back(command ? command : "");
    }
    const size_t arguments = strings_.size();
    strings_.reserve(arguments + count + 1);
    for (const char* p = environment; p && *p; p += strlen(p) + 1)
        if (!IsTermEntry(p)) strings_.emplace_back(p);
    strings_.emplace_back(kTerminalType);
    // The strings do not move any more: take the pointers now.
    for (size_t i = 0; i < arguments; i++) argv_.push_back(strings_[i].data());
    argv_.push_back(nullptr);
    for (size_t i = arguments; i < strings_.size(); i++) envp_.push_back(strings_[i].data());
    envp_.push_back(nullptr);
}

void ResetSignalsForExec() {
    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int sig : kResetSignals) sigaction(sig, &action, nullptr);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
}

int ChildProcess::StartOnTerminal(const ShellLaunch& launch, int slave) {
    if (running()) return EBUSY;
    // posix_spawn starts the child without copying the program's memory
    // (which a fork of a large program would, page table by page table)
    // and makes only safe calls in it. The child becomes a session leader
    // first; opening the terminal by its name then makes it the child's
    // controlling terminal.
    char name[128];
    if (int error = ttyname_r(slave, name, sizeof name)) return error;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_t actions;
    if (int error = posix_spawnattr_init(&attributes)) return error;
    if (int error = posix_spawn_file_actions_init(&actions)) {
        posix_spawnattr_destroy(&attributes);
        return error;
    }
    sigset_t none, reset;
    sigemptyset(&none);
    sigemptyset(&reset);
    for (int sig : kResetSignals) sigaddset(&reset, sig);
    int error = posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK |
                                                          POSIX_SPAWN_SETSIGDEF);
    if (!error) error = posix_spawnattr_setsigmask(&attributes, &none);
    if (!error) error = posix_spawnattr_setsigdefault(&attributes, &reset);
    if (!error) error = posix_spawn_file_actions_addopen(&actions, 0, name, O_RDWR, 0);
    if (!error) error = posix_spawn_file_actions_adddup2(&actions, 0, 1);
    if (!error) error = posix_spawn_file_actions_adddup2(&actions, 0, 2);
    pid_t pid = -1;
    if (!error) error = posix_spawn(&pid, launch.shell(), &actions, &attributes, launch.argv(), launch.envp());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error) return error;
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
