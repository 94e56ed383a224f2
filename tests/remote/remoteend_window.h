// A window for the remote end's tests: it reads the commands the remote end
// writes to a pipe, keeps the cells they paint, and answers the requests;
// events and raw bytes go back through a second pipe.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "console/console.h"
#include "remote/parameter.h"
#include "remote/remoteendlink.h"

class CTestWindow {
public:
    struct Command {
        RemoteCommand code;
        size_t bytes;  // the whole message
    };

    CTestWindow(int columns, int rows);
    ~CTestWindow();

    // The remote end's side of the two pipes, for one link.
    std::unique_ptr<CRemoteEndLink> MakeLink();
    // Makes the remote end's side of the pipes not block, as some
    // connections hand them over.
    void SetRemoteSideNonBlocking();
    // While held, the window reads nothing (a slow connection): the remote
    // end's writes fill the pipe.
    void HoldReading(bool hold);
    // Runs body in a child process whose standard input and output are the
    // remote end's side of the pipes; the child's id. The child ends with
    // body's result.
    pid_t ForkRemote(const std::function<int()>& body);
    // What Init is answered with (1 accepts), and whether requests are
    // answered at all.
    void SetInitReply(int value) { init_reply_ = value; }
    // A window that stops answering the clipboard request (a hung window).
    void SetClipboardAnswered(bool answered) { clipboard_answered_ = answered; }
    void SetClipboard(const Westring& text);

    void SendEvent(int type, int key, int shift = 0, int x = 0, int y = 0, int unicode = 0);
    void SendRaw(const std::string& bytes);
    // The end of the remote end's input.
    void CloseInput();

    // ---- what arrived
    std::vector<Command> Commands() const;
    void ClearCommands();
    int Columns() const;
    int Rows() const;
    ScreenCell Cell(int x, int y) const;
    int CursorX() const;
    int CursorY() const;
    int CursorType() const;
    Westring Title() const;
    Westring Clipboard() const;
    // Messages the window could not read, and commands whose parameters did not fit.
    int Faults() const;

private:
    void StartReading();
    void ReadLoop();
    void Carry(RemoteCommand code, const CParameterList& params);
    void Reply(const CParameterList& params);
    ScreenCell& At(int x, int y) { return cells_[static_cast<size_t>(y) * columns_ + x]; }

    int to_remote_[2] = {-1, -1};    // the window writes events, the remote end reads
    int from_remote_[2] = {-1, -1};  // the remote end writes commands, the window reads
    std::thread thread_;

    mutable std::mutex mutex_;
    std::mutex write_mutex_;
    int init_reply_ = 1;
    std::atomic<bool> clipboard_answered_{true};
    int columns_, rows_;
    std::vector<ScreenCell> cells_;
    int cursor_x_ = -1, cursor_y_ = -1, cursor_type_ = -1;
    Westring title_, clipboard_;
    std::vector<Command> commands_;
    int faults_ = 0;
    bool holding_ = false;
    std::condition_variable released_;
};

// Whether condition comes true within half a minute (looked at every 50 ms).
template <class Condition>
bool WaitUntil(Condition condition) {
    for (int i = 0; i < 600; i++) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return condition();
}

// The exit status of a child once it ended (child becomes -1), or -1 when
// it does not end in time.
inline int WaitForChildExit(pid_t& child) {
    int status = 0;
    if (!WaitUntil([&] { return waitpid(child, &status, WNOHANG) == child; })) return -1;
    child = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
