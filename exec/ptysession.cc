#include "exec/ptysession.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "exec/pty.h"

namespace {

constexpr size_t kReadSize = 64 * 1024;
constexpr int kPollMilliseconds = 100;
// After the command ends, a program it left in the background may still
// hold the terminal and write to it; output is taken until the terminal
// hangs up or stays quiet this long.
constexpr int kQuietAfterExitMilliseconds = 1000;

}  // namespace

PtySession::PtySession() {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
        wake_read_ = ends[0];
        wake_write_ = ends[1];
    }
}

PtySession::~PtySession() {
    CloseMaster();
    if (wake_read_ >= 0) close(wake_read_);
    if (wake_write_ >= 0) close(wake_write_);
}

void PtySession::ClearWakeUps() {
    char bytes[64];
    while (wake_read_ >= 0 && read(wake_read_, bytes, sizeof bytes) > 0) {
    }
}

void PtySession::CloseMaster() {
    if (master_ >= 0) close(master_);
    master_ = -1;
}

int PtySession::Start(const char* command, int rows, int columns, const char* environment) {
    if (master_ >= 0) return EBUSY;
    ShellLaunch launch(command, environment);
    int slave = -1;
    if (int error = OpenPty(master_, slave, rows, columns)) return error;
    int flags = fcntl(master_, F_GETFL);
    int error = 0;
    if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) < 0)
        error = errno;
    else
        error = child_.StartOnTerminal(launch, slave);
    // Only the child keeps the slave open, so that its end hangs the terminal up.
    close(slave);
    if (error) CloseMaster();
    return error;
}

void PtySession::Input(const char* bytes, size_t n) {
    {
        std::lock_guard<std::mutex> hold(input_lock_);
        input_.append(bytes, n);
    }
    // A full pipe already holds a wake-up: nothing is lost when this fails.
    char wake = 1;
    if (wake_write_ >= 0 && write(wake_write_, &wake, 1) < 0) return;
}

bool PtySession::HasInput() {
    std::lock_guard<std::mutex> hold(input_lock_);
    return !input_.empty();
}

void PtySession::HangUp() {
    if (child_.running()) kill(-child_.pid(), SIGHUP);
}

int PtySession::Resize(int rows, int columns) {
    return master_ < 0 ? EBADF : SetPtySize(master_, rows, columns);
}

void PtySession::WriteInput() {
    std::lock_guard<std::mutex> hold(input_lock_);
    while (!input_.empty()) {
        ssize_t written = write(master_, input_.data(), input_.size());
        if (written > 0) {
            input_.erase(0, static_cast<size_t>(written));
        } else if (written < 0 && errno == EINTR) {
            continue;
        } else {
            return;  // full (EAGAIN) or hung up: the rest waits
        }
    }
}

PtySession::ReadResult PtySession::ReadOutput(PtyOutput& out) {
    char buffer[kReadSize];
    for (;;) {
        ssize_t got = read(master_, buffer, sizeof buffer);
        if (got > 0) {
            out.Output(buffer, static_cast<size_t>(got));
            return ReadResult::kData;
        }
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && errno == EAGAIN) return ReadResult::kEmpty;
        return ReadResult::kHangup;  // EIO: no process has the slave open
    }
}

void PtySession::WaitWithoutTerminal() {
    // Nothing can come from the terminal any more and nothing can go to it:
    // waiting for the command is all that is left, and it costs no time.
    static_cast<void>(child_.Wait());
}

void PtySession::DrainAfterExit(PtyOutput& out) {
    for (;;) {
        ReadResult result;
        while ((result = ReadOutput(out)) == ReadResult::kData) {
        }
        if (result == ReadResult::kHangup) return;
        struct pollfd watch = {master_, POLLIN, 0};
        int ready = poll(&watch, 1, kQuietAfterExitMilliseconds);
        if (ready == 0) return;
        if (ready < 0 && errno != EINTR) return;
    }
}

int PtySession::Run(PtyOutput& out) {
    if (master_ < 0 || !child_.running()) return -1;
    bool hung_up = false;
    while (!child_.Ended()) {
        if (hung_up) {
            WaitWithoutTerminal();
            break;
        }
        struct pollfd watches[2] = {{master_, POLLIN, 0}, {wake_read_, POLLIN, 0}};
        struct pollfd& watch = watches[0];
        if (HasInput()) watch.events |= POLLOUT;
        int ready = poll(watches, wake_read_ >= 0 ? 2 : 1, kPollMilliseconds);
        if (tick_) tick_();
        if (ready < 0 && errno != EINTR) break;
        if (ready <= 0) continue;
        if (watches[1].revents) ClearWakeUps();
        if (watch.revents & POLLOUT) WriteInput();
        if (watch.revents & (POLLIN | POLLHUP | POLLERR)) {
            // One read per turn, so that a command that writes without end
            // still gets its input and is still looked at. Buffered output
            // comes before the hangup shows.
            ReadResult result = ReadOutput(out);
            if (result == ReadResult::kHangup ||
                (result == ReadResult::kEmpty && (watch.revents & (POLLHUP | POLLERR))))
                hung_up = true;
        }
    }
    if (!hung_up) DrainAfterExit(out);
    child_.Wait();
    // The master stays open until the session goes, so that whoever shows
    // the terminal can let go of it first.
    {
        std::lock_guard<std::mutex> hold(input_lock_);
        input_.clear();  // nobody left to read it
    }
    return child_.ExitStatus();
}
