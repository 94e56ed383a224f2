// Two figures of the running program:
//
// startup: from starting dv under Xvfb until its first complete screen (the
// panels listing their files, read back through DV_SCREEN_DUMP), against
// xmessage, a minimal X client, from its start until its window is mapped
// (or, without xmessage, against `true`, which only measures starting a
// process). Both are polled every 5 ms.
//
// enter_dir: changing a panel into a directory of 100,000 files until the
// panel is painted (headless console), against `ls -la` on that directory.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/harness.h"
#include "config/config.h"
#include "console/console.h"
#include "console/headlessview.h"
#include "exec/chdir.h"
#include "lib/fsname.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"
#include "shell/screen.h"

namespace {

constexpr int kFiles = 100000;
constexpr int kPollMs = 5;
constexpr int kStartTimeoutMs = 60000;

using Clock = std::chrono::steady_clock;

// The full path of a program on PATH, or empty.
std::string find_program(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        std::string full = (dir.empty() ? "." : dir) + "/" + name;
        if (access(full.c_str(), X_OK) == 0) return full;
    }
    return std::string();
}

pid_t spawn(const std::vector<std::string>& argv, int keep_fd = -1) {
    pid_t pid = fork();
    if (pid != 0) return pid;
    int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
        dup2(null, 1);
        dup2(null, 2);
    }
    if (keep_fd >= 0) fcntl(keep_fd, F_SETFD, 0);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

void stop(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    for (int i = 0; i < 200; i++) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

// The program built beside this benchmark.
std::string dv_path() {
    char self[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return "dv";
    self[n] = 0;
    std::string dir = std::filesystem::path(self).parent_path().parent_path().string();
    return dir + "/shell/dv";
}

// Starts dv and waits until its screen dump shows both panels' files; false
// when it does not. The process is left for the caller to stop (untimed).
bool start_dv(const std::string& dv, const std::string& scratch, pid_t& pid) {
    const std::string dump = scratch + "/screen.txt";
    auto start = Clock::now();
    pid = spawn({dv, "-l", scratch + "/left", "-r", scratch + "/right"});
    bool shown = false;
    while (Clock::now() - start < std::chrono::milliseconds(kStartTimeoutMs)) {
        std::string screen = contents(dump);
        if (screen.find("left.txt") != std::string::npos && screen.find("right.txt") != std::string::npos) {
            shown = true;
            break;
        }
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            pid = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    }
    return shown;
}

// Starts xmessage and waits until its window is mapped.
bool start_xmessage(const std::string& xmessage, pid_t& pid) {
    const std::string title = "dv-bench-" + std::to_string(getpid());
    auto start = Clock::now();
    pid = spawn({xmessage, "-title", title, "-name", title, "startup"});
    const std::string search = "xdotool search --onlyvisible --name '^" + title + "$' >/dev/null 2>&1";
    while (Clock::now() - start < std::chrono::milliseconds(kStartTimeoutMs)) {
        if (std::system(search.c_str()) == 0) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    }
    return false;
}

int startup_comparison(int argc, char** argv) {
    if (find_program("Xvfb").empty()) {
        std::fprintf(stderr, "startup: Xvfb is not installed\n");
        return 1;
    }
    pid_t server = -1;
    std::string display = StartXvfb(server);
    if (display.empty()) {
        std::fprintf(stderr, "startup: Xvfb did not start\n");
        stop(server);
        return 1;
    }
    CBenchScratch scratch("dvstart");
    const std::string dir = scratch.path();
    for (const char* sub : {"/home", "/left", "/right"}) mkdir((dir + sub).c_str(), 0755);
    std::ofstream(dir + "/left/left.txt") << "x";
    std::ofstream(dir + "/right/right.txt") << "x";
    setenv("DISPLAY", display.c_str(), 1);
    setenv("HOME", (dir + "/home").c_str(), 1);
    setenv("DV_SCREEN_DUMP", (dir + "/screen.txt").c_str(), 1);

    const std::string dv = dv_path();
    const std::string xmessage = find_program("xmessage");
    const bool have_xmessage = !xmessage.empty() && !find_program("xdotool").empty();

    Comparison c;
    c.name = "startup";
    c.tool = have_xmessage ? "xmessage (window mapped)" : "true (no X client to compare with)";
    c.ours = [&](benchmark::State& state) {
        for (auto _ : state) {
            state.PauseTiming();
            unlink((dir + "/screen.txt").c_str());
            pid_t pid = -1;
            state.ResumeTiming();
            bool shown = start_dv(dv, dir, pid);
            state.PauseTiming();
            stop(pid);
            state.ResumeTiming();
            if (!shown) {
                state.SkipWithError("dv did not show its panels");
                break;
            }
        }
    };
    c.theirs = [&](benchmark::State& state) {
        for (auto _ : state) {
            if (!have_xmessage) {
                if (TimeCommand("true") < 0) state.SkipWithError("true failed");
                continue;
            }
            pid_t pid = -1;
            bool shown = start_xmessage(xmessage, pid);
            state.PauseTiming();
            stop(pid);
            state.ResumeTiming();
            if (!shown) {
                state.SkipWithError("xmessage did not show its window");
                break;
            }
        }
    };
    int status = RunComparison(argc, argv, c);
    stop(server);
    unsetenv("DV_SCREEN_DUMP");
    return status;
}

// ---- entering a directory of 100,000 files

int enter_dir_comparison(int argc, char** argv) {
    CBenchScratch scratch("dvstart");
    const std::string big = scratch.path() + "/big";
    mkdir(big.c_str(), 0755);
    for (int i = 0; i < kFiles; i++) {
        std::string file = big + "/file_" + std::to_string(i) + ".dat";
        int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0) {
            std::perror(file.c_str());
            return 1;
        }
        close(fd);
    }

    console = new CConsole(new CHeadlessView());
    get_screen_size();
    PANEL* panel = panel_base;
    panel->dir = DecodeFileName(scratch.path().c_str());
    panel->visible = 1;
    panel->type = PANEL_FILES;
    panel->detail = DETAIL_FULL;
    panel->filter = L"*";
    make_panel(panel, 0);

    Comparison c;
    c.name = "enter_dir";
    c.tool = "ls -la";
    bool complete = true;
    c.ours = [&](benchmark::State& state) {
        for (auto _ : state) {
            change_dir(panel_base, 0, L"big", 0, -1, -1);  // read, sorted and painted
            state.PauseTiming();
            if (panel->num_files != kFiles + 1) complete = false;
            change_dir(panel_base, 0, L"..", 0, -1, -1);
            state.ResumeTiming();
        }
        if (!complete) state.SkipWithError("the panel does not hold every file");
    };
    const std::string command = "ls -la '" + big + "' >/dev/null";
    c.theirs = [&](benchmark::State& state) {
        for (auto _ : state) {
            if (TimeCommand(command) < 0) state.SkipWithError("ls failed");
        }
    };
    int status = RunComparison(argc, argv, c);
    panel->window.reset();
    panel->FreeEntries();
    delete console;
    console = nullptr;
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    int status = startup_comparison(argc, argv);
    benchmark::ClearRegisteredBenchmarks();
    if (enter_dir_comparison(argc, argv) != 0) status = 1;
    return status;
}
