// A command running under a pseudo-terminal: its output goes to a sink as it
// comes, and keys typed meanwhile go to it.
#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>

#include "exec/childprocess.h"

// Where a command's terminal output goes: the console's teletype now, a
// terminal emulator later. Called on the thread that runs the session.
class PtyOutput {
public:
    virtual ~PtyOutput() = default;
    virtual void Output(const char* bytes, size_t n) = 0;
};

class PtySession {
public:
    PtySession();
    PtySession(const PtySession&) = delete;
    PtySession& operator=(const PtySession&) = delete;
    ~PtySession();

    // Starts command (UTF-8) under the shell on a new terminal of rows x
    // columns with the given environment block. Returns 0 or an errno value.
    [[nodiscard]] int Start(const char* command, int rows, int columns, const char* environment);

    // Queues bytes for the command's input: typed keys or a paste. Never
    // blocks; safe from any thread, before or during Run.
    void Input(const char* bytes, size_t n);
    // Resizes the terminal; the command gets SIGWINCH. Returns 0 or an errno value.
    [[nodiscard]] int Resize(int rows, int columns);
    // Sends SIGHUP to the command's process group, as closing a terminal
    // window does.
    void HangUp();
    // Called on Run's thread at every turn of its loop (at least every
    // 100 ms while the command runs): the place to look at the window.
    void SetTick(std::function<void()> tick) { tick_ = std::move(tick); }

    // Passes the command's output to out and the queued input to the
    // command until the command ends, then passes on what it left behind.
    // Returns the exit status 0-255, or -1 when a signal ended it. The
    // terminal itself stays open until the session is destroyed.
    int Run(PtyOutput& out);

    pid_t pid() const { return child_.pid(); }

private:
    enum class ReadResult { kData, kEmpty, kHangup };
    ReadResult ReadOutput(PtyOutput& out);
    void WriteInput();
    bool HasInput();
    void DrainAfterExit(PtyOutput& out);
    void WaitWithoutTerminal();
    void CloseMaster();
    void ClearWakeUps();

    int master_ = -1;
    std::function<void()> tick_;
    ChildProcess child_;
    std::mutex input_lock_;
    std::string input_;  // bytes not yet taken by the terminal
    // Input writes a byte here so that Run passes keys on at once rather
    // than after its poll times out.
    int wake_read_ = -1, wake_write_ = -1;
};
