// Commands under a real pseudo-terminal: the terminal they see, keys typed
// to them, their exit status, and output left behind as they end.
#include "exec/ptysession.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <thread>

namespace {

// A plain environment; TERM is deliberately wrong, the terminal sets its own.
const std::string kEnvironment("PATH=/usr/bin:/bin\0SHELL=/bin/sh\0TERM=dumb\0", 44);

class CollectOutput : public PtyOutput {
public:
    void Output(const char* bytes, size_t n) override { text.append(bytes, n); }
    // The output without the carriage returns the terminal adds to new lines.
    std::string Lines() const {
        std::string lines = text;
        lines.erase(std::remove(lines.begin(), lines.end(), '\r'), lines.end());
        return lines;
    }
    std::string text;
};

struct Finished {
    int status;
    std::string output;
};

Finished RunCommand(const char* command, int rows = 24, int columns = 80) {
    PtySession session;
    EXPECT_EQ(session.Start(command, rows, columns, kEnvironment.c_str()), 0);
    CollectOutput out;
    int status = session.Run(out);
    return {status, out.Lines()};
}

double CpuSeconds() {
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

TEST(PtySessionTest, TheCommandHasATerminalOfTheGivenSize) {
    Finished run = RunCommand("tty; stty size; echo \"$TERM\"", 37, 101);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output.rfind("/dev/pts/", 0), 0u) << run.output;
    EXPECT_NE(run.output.find("\n37 101\nxterm\n"), std::string::npos) << run.output;
}

TEST(PtySessionTest, ExitStatusAndDeathBySignal) {
    EXPECT_EQ(RunCommand("exit 3").status, 3);
    EXPECT_EQ(RunCommand("true").status, 0);
    EXPECT_EQ(RunCommand("kill -9 $$").status, -1);
    EXPECT_EQ(RunCommand("exec /nonexistent/program").status, 127);
}

TEST(PtySessionTest, KeysTypedWhileTheCommandRunsReachIt) {
    PtySession session;
    ASSERT_EQ(session.Start("read x; echo \"got $x\"", 24, 80, kEnvironment.c_str()), 0);
    // Keys come from another thread, as they do from the toolkit.
    std::thread typist([&session] {
        session.Input("hel", 3);
        session.Input("lo\n", 3);
    });
    CollectOutput out;
    EXPECT_EQ(session.Run(out), 0);
    typist.join();
    EXPECT_NE(out.Lines().find("got hello\n"), std::string::npos) << out.Lines();
}

TEST(PtySessionTest, AHugePasteDoesNotHoldUpTheCaller) {
    PtySession session;
    ASSERT_EQ(session.Start("sleep 1", 24, 80, kEnvironment.c_str()), 0);
    std::string paste(1 << 20, 'p');
    session.Input(paste.data(), paste.size());  // more than the terminal ever takes
    CollectOutput out;
    EXPECT_EQ(session.Run(out), 0);
}

TEST(PtySessionTest, OutputLeftAsTheCommandEndsIsStillPassedOn) {
    // More than the terminal buffers: the tail is still in it when the shell ends.
    Finished run = RunCommand("head -c 300000 /dev/zero | tr '\\0' x");
    EXPECT_EQ(std::count(run.output.begin(), run.output.end(), 'x'), 300000);

    // A background writer outlives the shell and writes after it ended.
    run = RunCommand("trap '' HUP; (sleep 0.1; echo late) & echo early");
    EXPECT_NE(run.output.find("early\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("late\n"), std::string::npos) << run.output;
}

TEST(PtySessionTest, WaitingForACommandThatLeftItsTerminalTakesNoCpu) {
    double cpu_before = CpuSeconds();
    auto wall_before = std::chrono::steady_clock::now();
    Finished run = RunCommand("exec 0<&- 1>&- 2>&-; sleep 1.5");
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_before).count();
    double cpu = CpuSeconds() - cpu_before;
    EXPECT_EQ(run.status, 0);
    EXPECT_LT(cpu, 0.05 * wall) << cpu << " s of CPU in " << wall << " s";
}

// The descriptor numbers in text, separated by white space.
std::set<int> Numbers(const std::string& text) {
    std::istringstream in(text);
    std::set<int> numbers;
    for (int n; in >> n;) numbers.insert(n);
    return numbers;
}

TEST(PtySessionTest, NoDescriptorOfOursReachesTheCommand) {
    // Whoever started the tests may have passed descriptors on to us without
    // close-on-exec: those are theirs to pass on and not counted.
    std::set<int> passed_to_us;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        int fd = std::stoi(entry.path().filename());
        int flags = fcntl(fd, F_GETFD);
        if (fd > 2 && flags >= 0 && !(flags & FD_CLOEXEC)) passed_to_us.insert(fd);
    }
    int mine = open("/dev/null", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(mine, 0);
    Finished run = RunCommand("ls /proc/self/fd");
    close(mine);
    std::set<int> listed = Numbers(run.output);
    for (int fd : passed_to_us) listed.erase(fd);
    // ls itself opens the directory it lists, at the lowest free number.
    int ls_directory = 3;
    while (passed_to_us.count(ls_directory)) ls_directory++;
    EXPECT_EQ(listed, std::set<int>({0, 1, 2, ls_directory})) << run.output;
}

}  // namespace
