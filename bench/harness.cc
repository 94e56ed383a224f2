#include "bench/harness.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>
#include <map>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Keeps the mean real time of each benchmark instead of printing a table.
class CollectingReporter : public benchmark::BenchmarkReporter {
public:
    bool ReportContext(const Context&) override { return true; }
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred || run.iterations == 0) continue;
            seconds[run.run_name.function_name] = run.real_accumulated_time / static_cast<double>(run.iterations);
        }
    }
    std::map<std::string, double> seconds;
};

}  // namespace

int RunComparison(int argc, char** argv, const Comparison& c) {
    benchmark::Initialize(&argc, argv);
    benchmark::ClearRegisteredBenchmarks();  // a program may run several comparisons
    benchmark::RegisterBenchmark("ours", c.ours)->Iterations(c.iterations)->UseRealTime();
    benchmark::RegisterBenchmark("theirs", c.theirs)->Iterations(c.iterations)->UseRealTime();
    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    auto ours = reporter.seconds.find("ours");
    auto theirs = reporter.seconds.find("theirs");
    if (ours == reporter.seconds.end() || theirs == reporter.seconds.end() || theirs->second <= 0) {
        std::fprintf(stderr, "%s: a side of the comparison did not run\n", c.name.c_str());
        return 1;
    }
    std::printf("%s: ours %.4f s, %s %.4f s, ratio %.2f\n", c.name.c_str(), ours->second, c.tool.c_str(),
                theirs->second, ours->second / theirs->second);
    return 0;
}

double TimeCommand(const std::string& command) {
    auto start = std::chrono::steady_clock::now();
    int status = std::system(command.c_str());
    auto end = std::chrono::steady_clock::now();
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return std::chrono::duration<double>(end - start).count();
}

long long CommandNumber(const std::string& command) {
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    long long number = -1;
    if (std::fscanf(pipe, "%lld", &number) != 1) number = -1;
    pclose(pipe);
    return number;
}

CBenchScratch::CBenchScratch(const std::string& prefix, std::string base) {
    if (base.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        base = tmp && *tmp ? tmp : "/tmp";
    }
    std::string pattern = base + "/" + prefix + "XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back(0);
    if (mkdtemp(name.data())) path_ = name.data();
}

CBenchScratch::~CBenchScratch() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

std::string StartXvfb(pid_t& pid, const std::string& screen) {
    int fds[2];
    if (pipe(fds) != 0) return std::string();
    pid = fork();
    if (pid == 0) {
        int null = open("/dev/null", O_RDWR);
        if (null >= 0) {
            dup2(null, 1);
            dup2(null, 2);
        }
        std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
               "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    while (pid > 0 && number.find('\n') == std::string::npos) {
        pollfd p = {fds[0], POLLIN, 0};
        if (poll(&p, 1, 30000) <= 0) break;
        char c;
        if (read(fds[0], &c, 1) != 1) break;
        number += c;
    }
    close(fds[0]);
    if (number.empty() || number.back() != '\n') return std::string();
    number.pop_back();
    return ":" + number;
}
