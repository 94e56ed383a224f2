// run_command: a typed command from Enter to its exit (the echo line, the
// substitution, the search along PATH, the pseudo-terminal and the shell)
// for `true`, against `sh -c true` started with posix_spawn and waited for.
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>

#include "bench/harness.h"
#include "console/console.h"
#include "console/headlessview.h"
#include "exec/environment.h"
#include "exec/run.h"
#include "lib/fsname.h"
#include "panels/panel.h"

extern char** environ;

namespace {

constexpr int kRuns = 200;

bool spawn_and_wait(const char* const* argv) {
    pid_t pid;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0) return false;
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    CBenchScratch scratch("dv-run-command-");
    if (scratch.path().empty()) return 1;
    console = new CConsole(new CHeadlessView());
    for (int side = 0; side < 2; side++) {
        panel_base[side].dir = DecodeFileName(scratch.path().c_str());
        panel_base[side].visible = 1;
        read_panel(panel_base + side);
    }
    SessionEnv.Set("SHELL", "/bin/sh");
    std::printf("run_command: %d runs of `true` each\n", kRuns);

    Comparison c;
    c.name = "run_command";
    c.tool = "posix_spawn sh -c true";
    c.ours = [](benchmark::State& state) {
        for (auto _ : state)
            for (int i = 0; i < kRuns; i++) static_cast<void>(execute(panel_base, 0, L"true", false));
    };
    c.theirs = [](benchmark::State& state) {
        const char* const args[] = {"/bin/sh", "-c", "true", nullptr};
        for (auto _ : state)
            for (int i = 0; i < kRuns; i++)
                if (!spawn_and_wait(args)) state.SkipWithError("sh -c true failed");
    };
    int status = RunComparison(argc, argv, c);
    delete console;
    console = nullptr;
    return status;
}
