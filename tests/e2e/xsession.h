// Helpers for end-to-end tests: child processes with a line-reading pipe, a
// private X server, and running desktop tools with a time limit.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

// Time limits of the tests, generous: a sanitizer build starting its first
// desktop window is slow.
constexpr int kStartMs = 120000;
constexpr int kEventMs = 30000;
constexpr int kToolMs = 30000;

// The full path of a program found on PATH, or empty.
std::string FindProgram(const std::string& name);

// Runs a program to its end, or kills it after timeout_ms; its stdout is
// captured into out (when given). The exit status, or -1 when it could not
// be started, was killed or did not finish in time.
int RunCapture(const std::vector<std::string>& argv, int timeout_ms, std::string* out = nullptr);

// Polls condition every 50 ms until it holds or timeout_ms passes; its last value.
bool Eventually(const std::function<bool()>& condition, int timeout_ms);

// Runs xdotool with args (30 seconds at most); whether it succeeded.
bool Xdo(std::vector<std::string> args);

// The id of the first visible window whose name matches the pattern, looked
// for until timeout_ms passes (a title may come just after its window); empty when none.
std::string FindWindow(const std::string& pattern, int timeout_ms);

// A started program that is ended (SIGTERM, then SIGKILL) when the object
// goes, whatever happened meanwhile.
class CChildProcess {
public:
    CChildProcess() = default;
    ~CChildProcess();
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    // Starts argv[0] with argv. With capture_stdout its output can be read
    // line by line. False when the program could not be started.
    bool Start(const std::vector<std::string>& argv, bool capture_stdout);
    bool Running();

    // The next line of output that matches (lines before it are skipped),
    // waiting up to timeout_ms. False at time-out or end of output.
    bool WaitForLine(const std::function<bool(const std::string&)>& match, int timeout_ms,
                     std::string* line = nullptr);
    // Every line read so far.
    const std::vector<std::string>& Lines() const { return lines_; }

    // Everything the program prints until it closes its output or timeout_ms
    // passes, including a last line without a line end.
    std::string ReadAll(int timeout_ms);
    // Waits up to timeout_ms for the program to end by itself; the exit
    // status, or -1 when it had to be killed or was killed by a signal.
    int Wait(int timeout_ms);
    // SIGTERM, then waits up to timeout_ms for the exit (SIGKILL after it).
    // The exit status, or -1 when the program had to be killed or was killed
    // by a signal.
    int Stop(int timeout_ms);

private:
    bool ReadMore(int timeout_ms);
    bool WaitExit(int timeout_ms, int& status);

    pid_t pid_ = -1;
    int out_fd_ = -1;
    std::string pending_;
    std::vector<std::string> lines_;
    size_t next_line_ = 0;
    int exit_status_ = -1;
};

// An X server of our own (Xvfb, 1024x768x24) on a free display number.
class CXServer {
public:
    // Starts the server; the display name (":N"), or empty with error set.
    bool Start(std::string& error);
    const std::string& Display() const { return display_; }

private:
    CChildProcess server_;
    std::string display_;
};

// Points DISPLAY at the display the tests run on: DV_E2E_DISPLAY when set,
// else a new server of our own started in server.
bool UseTestDisplay(CXServer& server, std::string& error);

// An RGB screenshot of the whole screen.
struct Screenshot {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;  // width * height * 3
    const unsigned char* Pixel(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};
bool TakeScreenshot(Screenshot& shot, std::string& error);

// Waits until the program's test screen dump (the file DV_SCREEN_DUMP names)
// satisfies wanted, or the program has ended, up to timeout_ms; the last dump
// read is left in screen.
bool WaitForDump(const std::string& dump_file, CChildProcess& program,
                 const std::function<bool(const std::string&)>& wanted, int timeout_ms, std::string* screen);
