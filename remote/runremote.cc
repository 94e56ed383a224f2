// The remote session (see runremote.h). ssh runs on a pseudo-terminal of its
// own, so that its password prompt and messages show in the window and keys
// answer them, while the protocol travels over two pipes: ssh's standard
// input and output.
#include "remote/runremote.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "console/console.h"
#include "exec/ansiterminal.h"
#include "exec/childprocess.h"
#include "exec/pathsearch.h"
#include "exec/pty.h"
#include "lib/oserror.h"
#include "remote/consoleserver.h"
#include "shell/screendump.h"

extern char** environ;

namespace {

constexpr const char* kRemoteProgram = "vi-vizevu";
constexpr int kPollMs = 200;
// Turns of the session's loop (each at most kPollMs) a child that was hung
// up on has to end before it is killed.
constexpr int kTurnsBeforeKill = 15;
constexpr size_t kReadSize = 65535;
// What the connection printed last, kept to explain a failure.
constexpr size_t kTailBytes = 2048;
constexpr int kTailLines = 8;

// Everything the child needs, made before fork: between fork and exec the
// child may make only async-signal-safe calls.
struct Launch {
    std::string path;
    std::vector<std::string> strings;
    std::vector<char*> argv, envp;

    Launch(const char* program, const Estring& host) {
        path = program;
        std::string found;
        if (PathSearch(program, found)) path = found;
        // The host after "--", so that a host beginning with "-" is no option.
        strings = {program, "--", host.c_str(), kRemoteProgram};
        size_t arguments = strings.size();
        for (char** e = environ; e && *e; e++)
            if (std::strncmp(*e, "TERM=", 5) != 0) strings.push_back(*e);
        strings.push_back("TERM=xterm");
        for (size_t i = 0; i < strings.size(); i++) {
            (i < arguments ? argv : envp).push_back(strings[i].data());
        }
        argv.push_back(nullptr);
        envp.push_back(nullptr);
    }

    std::string CommandLine() const {
        std::string line;
        for (size_t i = 0; i + 1 < argv.size(); i++) line.append(i ? " " : "").append(argv[i]);
        return line;
    }
};

// Puts fd at target for the exec (without close-on-exec).
void MoveTo(int fd, int target) {
    if (fd == target) fcntl(fd, F_SETFD, 0);
    else dup2(fd, target);
}

// The child: a session of its own with the terminal as its controlling
// one, the protocol on standard input and output, and its own messages on
// the terminal. Never returns.
[[noreturn]] void RunChild(const Launch& launch, int slave, int input, int output) {
    ResetSignalsForExec();
    setsid();
    ioctl(slave, TIOCSCTTY, 0);
    MoveTo(input, 0);
    MoveTo(output, 1);
    MoveTo(slave, 2);
    execve(launch.path.c_str(), launch.argv.data(), launch.envp.data());
    _exit(127);
}

void SetNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK); }

// Writes what it can without blocking: keys typed faster than the other
// side reads are dropped rather than freeze the window.
void WriteKeys(int fd, const char* bytes, size_t n) {
    while (n > 0) {
        ssize_t written = write(fd, bytes, n);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return;
        bytes += written;
        n -= static_cast<size_t>(written);
    }
}

void KeepTail(std::string& tail, const char* bytes, size_t n) {
    tail.append(bytes, n);
    if (tail.size() > kTailBytes) tail.erase(0, tail.size() - kTailBytes);
}

// The last few non-empty lines of what the terminal printed, without its
// control sequences.
std::string LastLines(const std::string& tail) {
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < tail.size(); i++) {
        unsigned char c = static_cast<unsigned char>(tail[i]);
        if (c == 0x1B) {  // a sequence: skip to its final byte
            while (++i < tail.size() && !(tail[i] >= '@' && tail[i] <= '~' && tail[i] != '[')) {
            }
        } else if (c == '\n') {
            lines.emplace_back();
        } else if (c >= 0x20 || c == '\t') {
            lines.back().push_back(static_cast<char>(c));
        }
    }
    std::string out;
    int taken = 0;
    for (size_t i = lines.size(); i-- > 0 && taken < kTailLines;) {
        if (lines[i].find_first_not_of(" \t") == std::string::npos) continue;
        out.insert(0, "  " + lines[i] + "\r\n");
        taken++;
    }
    return out;
}

std::string DescribeStatus(int wait_status) {
    if (WIFEXITED(wait_status)) return "exit status " + std::to_string(WEXITSTATUS(wait_status));
    if (WIFSIGNALED(wait_status)) return "ended by signal " + std::to_string(WTERMSIG(wait_status));
    return "ended";
}

void WaitForKey() {
    CConsole::TEvent event;
    DumpScreenIfAsked();
    while (true) {
        if (!console->GetEvent(event, 1000)) continue;
        if (event.type == CConsole::TEvent::Key || event.type == CConsole::TEvent::Quit) return;
    }
}

// The session's two channels and the child, from start to end.
class RemoteSession {
public:
    RemoteSession(const Launch& launch, const Estring& host) : launch_(launch), host_(host) {}
    ~RemoteSession();
    // 0 or an errno value.
    [[nodiscard]] int Start();
    // Runs until the child has ended and both channels are closed.
    void Run();
    // Tells the user how it ended; true when it ended well.
    bool Report();
    // Whether the user ended it (Break, or closing the window early).
    bool UserLeft() const { return left_; }

private:
    void CloseFd(int& fd) {
        if (fd >= 0) close(fd);
        fd = -1;
    }
    bool UserLeaves();
    void ReadTerminal();
    void ReadProtocol();

    const Launch& launch_;
    const Estring host_;
    int master_ = -1, slave_ = -1;
    int to_remote_[2] = {-1, -1}, from_remote_[2] = {-1, -1};
    pid_t child_ = -1;
    bool child_ended_ = false;
    int wait_status_ = 0;
    bool left_ = false;
    int turns_since_leaving_ = 0;
    std::unique_ptr<CConsoleServer> server_;
    CAnsiTerminalEmulator* emulator_ = nullptr;  // attached to the console, which owns it
    bool emulator_on_terminal_ = false;
    bool terminal_quiet_ = false;  // nobody holds the terminal's other side
    std::string tail_;
    std::vector<char> chunk_ = std::vector<char>(kReadSize);
};

RemoteSession::~RemoteSession() {
    server_.reset();  // its input thread ends before the descriptors go
    if (console) console->AttachTerminal(nullptr);
    CloseFd(master_);
    CloseFd(slave_);
    for (int* pair : {to_remote_, from_remote_}) {
        CloseFd(pair[0]);
        CloseFd(pair[1]);
    }
    if (child_ > 0 && !child_ended_) {
        kill(child_, SIGTERM);
        waitpid(child_, &wait_status_, 0);
    }
}

int RemoteSession::Start() {
    int columns = 80, rows = 25;
    (void)console->GetSize(columns, rows);
    if (int error = OpenPty(master_, slave_, rows, columns)) return error;
    if (pipe2(to_remote_, O_CLOEXEC) != 0 || pipe2(from_remote_, O_CLOEXEC) != 0) return errno;
    child_ = fork();
    if (child_ < 0) return errno;
    if (child_ == 0) RunChild(launch_, slave_, to_remote_[0], from_remote_[1]);
    CloseFd(slave_);
    CloseFd(to_remote_[0]);
    CloseFd(from_remote_[1]);
    SetNonBlocking(master_);
    SetNonBlocking(to_remote_[1]);

    server_ = std::make_unique<CConsoleServer>(to_remote_[1], console);
    // Until the terminal prints something, keys go to ssh's input.
    int input = to_remote_[1];
    emulator_ = new CAnsiTerminalEmulator(*console, [input](const char* bytes, size_t n) { WriteKeys(input, bytes, n); });
    console->AttachTerminal(emulator_);
    return 0;
}

bool RemoteSession::UserLeaves() {
    // Break always ends the session; before the protocol runs, so does
    // closing the window (afterwards the remote end hears of it).
    bool leave = break_status.exchange(1) == 2;
    if (!server_->Active()) {
        CConsole::TEvent event;
        while (console->GetEvent(event, 0)) {
            if (event.type == CConsole::TEvent::Quit || (event.type == CConsole::TEvent::Key && event.key == KEY_F10)) {
                leave = true;
            } else if (event.type == CConsole::TEvent::Resize && console->SetSize(event.x, event.y)) {
                (void)SetPtySize(master_, event.y, event.x);
            }
        }
    }
    return leave;
}

void RemoteSession::ReadTerminal() {
    char* bytes = chunk_.data();
    ssize_t n = read(master_, bytes, chunk_.size());
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
    if (n <= 0) {
        // EIO once no process holds the terminal any more. While the child
        // lives the terminal stays open, only unwatched: closing it would
        // hang up the child's session, and a remote end that let go of the
        // terminal is still talking on the pipes.
        if (child_ended_) CloseFd(master_);
        else terminal_quiet_ = true;
        return;
    }
    KeepTail(tail_, bytes, static_cast<size_t>(n));
    // Once the protocol runs, the remote end owns the screen: what ssh
    // says then is kept only for the report.
    if (server_->Active()) return;
    if (!emulator_on_terminal_) {
        // ssh is asking something: keys answer it.
        int terminal = master_;
        emulator_ = new CAnsiTerminalEmulator(*console, [terminal](const char* b, size_t k) { WriteKeys(terminal, b, k); });
        console->AttachTerminal(emulator_);
        emulator_on_terminal_ = true;
    }
    emulator_->WriteOutput(bytes, static_cast<size_t>(n));
}

void RemoteSession::ReadProtocol() {
    char* bytes = chunk_.data();
    ssize_t n = read(from_remote_[0], bytes, chunk_.size());
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
    if (n <= 0) {
        CloseFd(from_remote_[0]);
        return;
    }
    if (!server_->Active()) KeepTail(tail_, bytes, static_cast<size_t>(n));
    server_->ProcessData(bytes, static_cast<size_t>(n));
    if (server_->Active()) emulator_ = nullptr;  // Init let it go
}

void RemoteSession::Run() {
    break_status = 1;
    while (true) {
        if (!child_ended_ && waitpid(child_, &wait_status_, WNOHANG) == child_) child_ended_ = true;
        if (child_ended_ && master_ < 0 && from_remote_[0] < 0) break;
        if (!left_ && UserLeaves()) {
            left_ = true;
            kill(child_, SIGHUP);
        } else if (left_ && !child_ended_ && ++turns_since_leaving_ == kTurnsBeforeKill) {
            kill(child_, SIGKILL);  // it did not hang up
        }
        pollfd fds[2];
        int count = 0;
        if (master_ >= 0 && !terminal_quiet_) fds[count++] = pollfd{master_, POLLIN, 0};
        if (from_remote_[0] >= 0) fds[count++] = pollfd{from_remote_[0], POLLIN, 0};
        int ready = poll(fds, static_cast<nfds_t>(count), child_ended_ ? 0 : kPollMs);
        if (ready < 0 && errno != EINTR) break;
        if (ready == 0 && child_ended_) {
            // Nothing more is waiting; whatever still holds a channel open
            // (a helper ssh left behind) is not waited for.
            CloseFd(master_);
            CloseFd(from_remote_[0]);
            continue;
        }
        for (int i = 0; i < count && ready > 0; i++) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            if (fds[i].fd == master_) ReadTerminal();
            else ReadProtocol();
        }
        if (ready > 0) DumpScreenIfAsked();
    }
    break_status = 0;
    server_->Close();
}

bool RemoteSession::Report() {
    const bool ran = server_->Active();
    const bool clean = WIFEXITED(wait_status_) && WEXITSTATUS(wait_status_) == 0;
    console->AttachTerminal(nullptr);
    console->SetAttr(7);
    console->SetCursorType(15);
    std::string text = "\r\n";
    if (server_->Failure()) text += std::string("Error: ") + server_->Failure() + "\r\n";
    if (!ran && !left_) {
        bool missing = WIFEXITED(wait_status_) && WEXITSTATUS(wait_status_) == 127;
        text += "The remote end did not start on " + std::string(host_.c_str()) + ".\r\n";
        text += "Ran: " + launch_.CommandLine() + "\r\n";
        text += "It " + std::string(missing ? "could not find a program to run (" : "ended (") +
                DescribeStatus(wait_status_) + ") before it spoke the protocol.\r\n";
        std::string last = LastLines(tail_);
        text += last.empty() ? "It printed nothing.\r\n" : "What it printed last:\r\n" + last;
    }
    text += "Connection to " + std::string(host_.c_str()) + " closed";
    if (!clean) text += " (" + DescribeStatus(wait_status_) + ")";
    text += ".\r\n";
    console->Write(text.c_str());
    return ran && clean && !server_->Failure();
}

}  // namespace

bool RunRemote(const Estring& host, const RemoteOptions& options) {
    if (!console) return false;
    const char* program = options.program;
    if (!program) program = getenv("DV_REMOTE_SSH");
    if (!program || !*program) program = "ssh";
    // A write to a remote end that has gone must fail with EPIPE, not end
    // the program.
    signal(SIGPIPE, SIG_IGN);
    console->SetAttr(7);
    console->SetRemoteName(host);

    Launch launch(program, host);
    bool ok = false, user_left = false;
    {
        RemoteSession session(launch, host);
        if (int error = session.Start()) {
            std::string text =
                "Cannot start " + launch.CommandLine() + ": " + GetOSErrorMessage(error).ToUTF8().c_str() + "\r\n";
            console->Write(text.c_str());
        } else {
            session.Run();
            ok = session.Report();
            user_left = session.UserLeft();
        }
    }
    // Whoever left on purpose has seen enough.
    if (options.wait_for_key && !user_left) {
        console->Write("Press a key.");
        WaitForKey();
    }
    console->SetRemoteName(Estring());
    return ok;
}
