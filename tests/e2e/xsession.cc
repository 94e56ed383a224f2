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
#include <sstream>
#include <thread>

#include "tests/support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

std::string FindProgram(const std::string& name) {
    if (name.find('/') != std::string::npos) return access(name.c_str(), X_OK) == 0 ? name : std::string();
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        if (dir.empty()) continue;
        std::string candidate = dir + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return std::string();
}

// ---- CChildProcess

CChildProcess::~CChildProcess() {
    if (pid_ > 0) Stop(5000);
    if (out_fd_ >= 0) close(out_fd_);
}

bool CChildProcess::Start(const std::vector<std::string>& argv, bool capture_stdout) {
    std::string program = FindProgram(argv.at(0));
    if (program.empty()) return false;
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    int pipe_fds[2] = {-1, -1};
    if (capture_stdout && pipe2(pipe_fds, O_CLOEXEC) != 0) return false;
    pid_t pid = fork();
    if (pid < 0) {
        close(pipe_fds[0]);  // -1 without a pipe: nothing to close
        close(pipe_fds[1]);
        return false;
    }
    if (pid == 0) {
        // Only async-signal-safe calls from here on.
        if (capture_stdout) dup2(pipe_fds[1], STDOUT_FILENO);
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

bool WaitForDump(const std::string& dump_file, CChildProcess& program,
                 const std::function<bool(const std::string&)>& wanted, int timeout_ms, std::string* screen) {
    Eventually([&] { return wanted(*screen = ReadFile(dump_file)) || !program.Running(); }, timeout_ms);
    return wanted(*screen = ReadFile(dump_file));
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
    // Xvfb picks a free display and writes its number to -displayfd (here its
    // standard output) when it is ready for clients.
    std::string number;
    if (!server_.Start({"Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"},
                       true) ||
        !server_.WaitForLine([](const std::string&) { return true; }, 30000, &number) || number.empty()) {
        error = "Xvfb did not start or did not report its display";
        return false;
    }
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
    // Raw 8-bit RGB on standard output: no header to read.
    std::string data;
    int status = RunCapture({"import", "-window", "root", "-depth", "8", "rgb:-"}, 60000, &data);
    if (status != 0 || data.size() != static_cast<size_t>(shot.width) * shot.height * 3) {
        error = "import did not take a " + size + " screenshot (status " + std::to_string(status) + ")";
        return false;
    }
    shot.rgb.assign(data.begin(), data.end());
    return true;
}

bool UseTestDisplay(CXServer& server, std::string& error) {
    const char* chosen = std::getenv("DV_E2E_DISPLAY");
    bool own = !chosen || !*chosen;
    if (own && !server.Start(error)) return false;
    setenv("DISPLAY", own ? server.Display().c_str() : chosen, 1);
    return true;
}
