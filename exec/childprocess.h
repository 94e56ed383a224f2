// Starting a shell command in a child process. Everything the child needs is
// prepared before fork, so that the child itself makes only
// async-signal-safe calls (the program has other threads).
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// The argument vector and environment for one command: $SHELL (or /bin/sh
// when unset) with "-c" and the command, or for a simple command naming its
// program by path (exec/simplecommand.h) the program and its words
// directly; and the environment block with TERM set to what the program's
// terminal understands.
class ShellLaunch {
public:
    // command is UTF-8; environment is a "name=value\0...\0\0" block such as
    // Environment::Block() gives.
    ShellLaunch(const char* command, const char* environment);
    // The pointers point into the strings: no copies.
    ShellLaunch(const ShellLaunch&) = delete;
    ShellLaunch& operator=(const ShellLaunch&) = delete;

    const char* shell() const { return argv_[0]; }  // the program to execute
    char* const* argv() const { return argv_.data(); }
    char* const* envp() const { return envp_.data(); }

private:
    std::vector<std::string> strings_;  // owns what the pointers below point into
    std::vector<char*> argv_, envp_;
};

// Resets the signal mask and the handlers of the signals the program itself
// handles or ignores to their defaults, so the command starts as if from a
// plain shell. Async-signal-safe: for use between fork and exec.
void ResetSignalsForExec();

class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    // A child still running is left to run; a destroyed ChildProcess does
    // not wait for it.
    ~ChildProcess() = default;

    // Runs command under the shell with the terminal slave as its
    // controlling terminal and its standard input, output and error. The
    // caller closes its copy of slave afterwards. Returns 0 or an errno value.
    [[nodiscard]] int StartOnTerminal(const ShellLaunch& launch, int slave);

    pid_t pid() const { return pid_; }
    bool running() const { return pid_ > 0 && !ended_; }

    // Whether the child has ended, without blocking. Only this child is
    // reaped: other children of the program belong to whoever started them.
    [[nodiscard]] bool Ended();
    // Blocks until the child ends and returns ExitStatus().
    int Wait();
    // The exit status 0-255, or -1 when a signal ended the child.
    int ExitStatus() const { return status_; }

private:
    void Record(int wait_status);

    pid_t pid_ = -1;
    bool ended_ = false;
    int status_ = -1;
};
