#include "tests/e2e/xsession.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

bool IsExecutable(const std::string& path) { return access(path.c_str(), X_OK) == 0; }

}  // namespace

std::string FindProgram(const std::string& name) {
    if (name.find('/') != std::string::npos) return IsExecutable(name) ? name : std::string();
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        if (dir.empty()) continue;
        std::string candidate = dir + "/" + name;
        if (IsExecutable(candidate)) return candidate;
    }
    return std::string();
}

// ---- CChildProcess

CChildProcess::~CChildProcess() {
    if (pid_ > 0) Stop(5000);
    if (out_fd_ >= 0) close(out_fd_);
}

bool CChildProcess::Start(const std::vector<std::string>& argv, bool capture_stdout, int extra_fd) {
    std::string program = FindProgram(argv.at(0));
    if (program.empty()) return false;
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    int pipe_fds[2] = {-1, -1};
    if (capture_stdout && pipe2(pipe_fds, O_CLOEXEC) != 0) return false;
    pid_t pid = fork();
    if (pid < 0) {
        if (capture_stdout) {
            close(pipe_fds[0]);
            close(pipe_fds[1]);
        }
        return false;
    }
    if (pid == 0) {
        // Only async-signal-safe calls from here on.
        if (capture_stdout) dup2(pipe_fds[1], STDOUT_FILENO);
        if (extra_fd >= 0) {
            int flags = fcntl(extra_fd, F_GETFD);
            if (flags >= 0) fcntl(extra_fd, F_SETFD, flags & ~FD_CLOEXEC);
        }
        execv(program.c_str(), args.data());
        _exit(127);
    }
    pid_ = pid;
    exit_status_ = -1;
    if (capture_stdout) {
        close(pipe_fds[1]);
        out_fd_ = pipe_fds[0];
    }
    return true;
}

bool CChildProcess::WaitExit(int timeout_ms, int& status) {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        int raw = 0;
        pid_t done = waitpid(pid_, &raw, WNOHANG);
        if (done == pid_ || (done < 0 && errno == ECHILD)) {
            status = done == pid_ && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
            return true;
        }
        if (MsLeft(deadline) == 0) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

bool CChildProcess::Running() {
    if (pid_ <= 0) return false;
    int status;
    if (WaitExit(0, status)) {
        exit_status_ = status;
        pid_ = -1;
        return false;
    }
    return true;
}

int CChildProcess::Stop(int timeout_ms) {
    if (pid_ <= 0) return exit_status_;
    kill(pid_, SIGTERM);
    return Wait(timeout_ms);
}

bool CChildProcess::ReadMore(int timeout_ms) {
    if (out_fd_ < 0) return false;
    pollfd p = {out_fd_, POLLIN, 0};
    if (poll(&p, 1, timeout_ms) <= 0) return true;  // nothing yet, but not ended
    char buffer[4096];
    ssize_t n = read(out_fd_, buffer, sizeof buffer);
    if (n <= 0) {
        close(out_fd_);
        out_fd_ = -1;
        return false;
    }
    pending_.append(buffer, n);
    size_t end;
    while ((end = pending_.find('\n')) != std::string::npos) {
        lines_.push_back(pending_.substr(0, end));
        pending_.erase(0, end + 1);
    }
    return true;
}

bool CChildProcess::WaitForLine(const std::function<bool(const std::string&)>& match, int timeout_ms,
                                std::string* line) {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        while (next_line_ < lines_.size()) {
            const std::string& candidate = lines_[next_line_++];
            if (match(candidate)) {
                if (line) *line = candidate;
                return true;
            }
        }
        int left = MsLeft(deadline);
        if (left == 0) return false;
        if (!ReadMore(left > 200 ? 200 : left) && next_line_ >= lines_.size()) return false;
    }
}

std::string CChildProcess::ReadAll(int timeout_ms) {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    while (MsLeft(deadline) > 0 && ReadMore(MsLeft(deadline) > 200 ? 200 : MsLeft(deadline))) {
    }
    std::string all;
    for (const std::string& line : lines_) all += line + "\n";
    return all + pending_;
}

int CChildProcess::Wait(int timeout_ms) {
    if (pid_ <= 0) return exit_status_;
    int status = -1;
    if (!WaitExit(timeout_ms, status)) {
        kill(pid_, SIGKILL);
        WaitExit(10000, status);
        status = -1;
    }
    pid_ = -1;
    exit_status_ = status;
    return status;
}

// ---- running tools

int RunCapture(const std::vector<std::string>& argv, int timeout_ms, std::string* out) {
    CChildProcess child;
    if (!child.Start(argv, out != nullptr)) return -1;
    auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    if (out) *out = child.ReadAll(timeout_ms);
    return child.Wait(MsLeft(deadline));
}

bool Eventually(const std::function<bool()>& condition, int timeout_ms) {
    auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!condition()) {
        if (MsLeft(deadline) == 0) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

bool Xdo(std::vector<std::string> args) {
    args.insert(args.begin(), "xdotool");
    return RunCapture(args, 30000) == 0;
}

std::string FindWindow(const std::string& pattern, int timeout_ms) {
    std::string ids;
    Eventually([&] { return RunCapture({"xdotool", "search", "--onlyvisible", "--name", pattern}, 30000, &ids) == 0 &&
                            !ids.empty(); },
               timeout_ms);
    return ids.substr(0, ids.find('\n'));
}

// ---- CXServer

bool CXServer::Start(std::string& error) {
    if (FindProgram("Xvfb").empty()) {
        error = "Xvfb is not installed (scripts/deps installs the package xvfb)";
        return false;
    }
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    // Xvfb picks a free display and writes its number to -displayfd when
    // it is ready for clients.
    bool started = server_.Start({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1024x768x24",
                                  "-nolisten", "tcp", "-noreset"},
                                 false, fds[1]);
    close(fds[1]);
    if (!started) {
        close(fds[0]);
        error = "cannot start Xvfb";
        return false;
    }
    std::string number;
    auto deadline = Clock::now() + std::chrono::seconds(30);
    while (number.find('\n') == std::string::npos && MsLeft(deadline) > 0) {
        pollfd p = {fds[0], POLLIN, 0};
        if (poll(&p, 1, MsLeft(deadline)) <= 0) break;
        char c;
        if (read(fds[0], &c, 1) != 1) break;
        number += c;
    }
    close(fds[0]);
    if (number.empty() || number.back() != '\n') {
        error = "Xvfb did not report its display";
        return false;
    }
    number.pop_back();
    display_ = ":" + number;
    return true;
}

// ---- screenshots

bool TakeScreenshot(Screenshot& shot, std::string& error) {
    if (FindProgram("import").empty()) {
        error = "ImageMagick's import is not installed (scripts/deps installs the package imagemagick)";
        return false;
    }
    std::string size;
    if (RunCapture({"xdotool", "getdisplaygeometry"}, 30000, &size) != 0 ||
        std::sscanf(size.c_str(), "%d %d", &shot.width, &shot.height) != 2) {
        error = "cannot read the screen's size: " + size;
        return false;
    }
    char name[] = "/tmp/dv-e2e-shot-XXXXXX";
    int fd = mkstemp(name);
    if (fd < 0) {
        error = "cannot create a temporary file";
        return false;
    }
    close(fd);
    // Raw 8-bit RGB: no header to read.
    int status = RunCapture({"import", "-window", "root", "-depth", "8", std::string("rgb:") + name}, 60000);
    std::string data;
    if (FILE* f = std::fopen(name, "rb")) {
        char buffer[65536];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) data.append(buffer, n);
        std::fclose(f);
    }
    unlink(name);
    if (status != 0 || data.size() != static_cast<size_t>(shot.width) * shot.height * 3) {
        error = "import did not take a " + size + " screenshot (status " + std::to_string(status) + ")";
        return false;
    }
    shot.rgb.assign(data.begin(), data.end());
    return true;
}

bool UseTestDisplay(CXServer& server, std::string& error) {
    const char* chosen = std::getenv("DV_E2E_DISPLAY");
    std::string display;
    if (chosen && *chosen) {
        display = chosen;
    } else {
        if (!server.Start(error)) return false;
        display = server.Display();
    }
    setenv("DISPLAY", display.c_str(), 1);
    return true;
}
