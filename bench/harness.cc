#include "bench/harness.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>
#include <map>
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
