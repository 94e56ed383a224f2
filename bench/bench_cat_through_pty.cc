// cat_through_pty: `cat` of a 100 MB text file run as a command, its output
// shown on the (headless) console until the command returns, against `cat`
// of the same file through a pseudo-terminal read by a plain loop into
// nothing: the physical limit of the terminal.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "bench/harness.h"
#include "console/console.h"
#include "console/headlessview.h"
#include "exec/environment.h"
#include "exec/pty.h"
#include "exec/run.h"
#include "lib/fsname.h"
#include "panels/panel.h"

namespace {

constexpr size_t kFileBytes = 100u << 20;

bool write_text_file(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "w");
    if (!file) return false;
    std::string line;
    size_t written = 0;
    for (unsigned n = 0; written < kFileBytes; n++) {
        line.assign("line ").append(std::to_string(n)).append(": the quick brown fox jumps over the lazy dog, again\n");
        written += std::fwrite(line.data(), 1, line.size(), file);
    }
    return std::fclose(file) == 0;
}

// cat on a fresh terminal, its output read and dropped.
bool cat_into_nothing(const std::string& path) {
    int master = -1, slave = -1;
    if (OpenPty(master, slave, 25, 80) != 0) return false;
    pid_t pid = fork();
    if (pid == 0) {
        dup2(slave, 1);
        execl("/bin/cat", "cat", path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(slave);
    static char buffer[64 * 1024];
    for (;;) {
        ssize_t got = read(master, buffer, sizeof buffer);
        if (got > 0) continue;
        if (got < 0 && errno == EINTR) continue;
        break;  // EIO: cat has ended and closed the terminal
    }
    close(master);
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    CBenchScratch scratch("dv-cat-pty-");
    const std::string file = scratch.path() + "/big.txt";
    if (scratch.path().empty() || !write_text_file(file)) return 1;
    console = new CConsole(new CHeadlessView());
    for (int side = 0; side < 2; side++) {
        panel_base[side].dir = DecodeFileName(scratch.path().c_str());
        panel_base[side].visible = 1;
    }
    SessionEnv.Set("SHELL", "/bin/sh");
    std::printf("cat_through_pty: %zu MB of text lines\n", kFileBytes >> 20);

    Comparison c;
    c.name = "cat_through_pty";
    c.tool = "cat through a pty into nothing";
    c.iterations = 3;
    c.ours = [](benchmark::State& state) {
        for (auto _ : state)
            if (run(L"cat big.txt", 0, L"", 0) != 0) state.SkipWithError("cat failed");
    };
    c.theirs = [file](benchmark::State& state) {
        for (auto _ : state)
            if (!cat_into_nothing(file)) state.SkipWithError("cat failed");
    };
    int status = RunComparison(argc, argv, c);
    delete console;
    console = nullptr;
    return status;
}
