// Runs one comparison between our code and a standard tool or library on
// the same data, and prints "NAME: ours X s, TOOL Y s, ratio R".
#pragma once

#include <benchmark/benchmark.h>

#include <sys/types.h>

#include <functional>
#include <string>

struct Comparison {
    std::string name;   // the benchmark's name, as given to bench/run
    std::string tool;   // what we are compared with, e.g. "ls -la"
    // Each runs the measured work once per benchmark iteration.
    std::function<void(benchmark::State&)> ours;
    std::function<void(benchmark::State&)> theirs;
    int iterations = 5;
};

// Registers both sides, runs them and prints the comparison line.
// Returns the process exit status.
int RunComparison(int argc, char** argv, const Comparison& comparison);

// A fresh directory named prefix plus a unique tail inside base (TMPDIR or
// /tmp when base is empty), removed with everything in it at the end.
// path() is empty when it could not be made.
class CBenchScratch {
public:
    explicit CBenchScratch(const std::string& prefix, std::string base = std::string());
    ~CBenchScratch();
    CBenchScratch(const CBenchScratch&) = delete;
    CBenchScratch& operator=(const CBenchScratch&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Seconds of wall time taken by a shell command (its output discarded by the
// command itself); negative when it fails.
double TimeCommand(const std::string& command);

// The number a shell command prints first (e.g. "wc -l < FILE"), or -1
// when it prints none.
long long CommandNumber(const std::string& command);

// Starts an X server of our own (Xvfb, one screen of the given size and
// depth, e.g. "1024x768x24") on a free display; its name (":N"), or empty
// when it did not start. pid is the server's, for the caller to end.
std::string StartXvfb(pid_t& pid, const std::string& screen = "1024x768x24");
