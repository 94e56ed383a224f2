#include "lib/stdfile.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "tests/support/no_block.h"
#include "tests/support/temp_dir.h"

namespace {

class StdFileTest : public ::testing::Test {
protected:
    std::string Path(const std::string& leaf) const { return dir_ / leaf; }
    CTempDir dir_;
};

// Bytes that differ from their neighbours, so a misplaced block shows.
std::string Pattern(size_t n, unsigned seed = 0) {
    std::string s(n, 0);
    for (size_t i = 0; i < n; i++) s[i] = static_cast<char>('a' + (i * 7 + seed + i / 26) % 26);
    return s;
}

// Every line gets returns with room bytes, up to the end of the file, which
// leaves the destination empty.
std::vector<std::string> Lines(const std::string& path, int room) {
    StdFile f(path.c_str());
    std::vector<char> line(room);
    std::vector<std::string> got;
    while (f.gets(line.data(), room) == 0) got.push_back(line.data());
    EXPECT_STREQ(line.data(), "") << path;
    return got;
}

// The exit status of body run in a forked child, or -1 when it did not exit.
int RunInChild(const std::function<int()>& body) {
    pid_t child = fork();
    if (child == 0) _exit(body());
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

TEST_F(StdFileTest, GetsLines) {
    struct Case { std::string content; int room; std::vector<std::string> lines; };
    const Case cases[] = {
        {"abc\r\r\n", 100, {"abc"}}, {"", 100, {}}, {"a\r\n\nb", 100, {"a", "", "b"}},
        {std::string("x\0y\n", 4), 100, {"x", "y"}},  // a 0 byte ends a line too
        {"abcdefgh\nxy\n", 4, {"abc", "def", "gh", "xy"}},  // long lines are cut, the rest follows
        {"abcdef\nz", 4, {"abc", "def", "", "z"}},  // filling the room leaves the line feed
        {Pattern(3 << 20) + "\nend", 4 << 20, {Pattern(3 << 20), "end"}},  // a line across many buffers
    };
    for (const Case& c : cases) EXPECT_EQ(Lines(dir_.Write("f", c.content), c.room), c.lines) << c.content;
}

TEST_F(StdFileTest, GetsWithNoRoomWritesNothing) {
    StdFile f(dir_.Write("f", "abc\n").c_str());
    char line[4] = {'X', 'X', 'X', 'X'};
    for (int room : {0, -5}) EXPECT_EQ(f.gets(line, room), EINVAL);
    EXPECT_EQ(std::string(line, 4), "XXXX");
    EXPECT_EQ(f.gets(nullptr, 10), EINVAL);
    EXPECT_EQ(f.gets(line, sizeof line), 0);
    EXPECT_STREQ(line, "abc");
}

TEST_F(StdFileTest, ReadNearEnd) {
    std::string content = Pattern(100);
    StdFile f(dir_.Write("f", content).c_str());
    ASSERT_EQ(f.setptr(96), 0);
    char buffer[10];
    size_t got = 99;
    EXPECT_EQ(f.read(buffer, 10, &got), 0);
    EXPECT_EQ(std::string(buffer, got), content.substr(96));
    got = 5;
    EXPECT_EQ(f.read(nullptr, 0, &got), 0);  // reading nothing succeeds, even at the end
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(f.read(buffer, 10, &got), -1);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(f.geterror(), -1);
}

TEST_F(StdFileTest, ReadingAndWritingShareOneLogicalPosition) {
    const int mode = StdFile::kRead | StdFile::kWrite | StdFile::kAppend;
    std::string content = Pattern(10000);
    StdFile f(dir_.Write("f", content).c_str(), mode);
    ASSERT_TRUE(f.isopen());
    EXPECT_EQ(f.getptr(), 10000);  // appending starts at the end
    ASSERT_EQ(f.rewind(), 0);
    char buffer[100];
    ASSERT_EQ(f.read(buffer, 100), 0);
    ASSERT_EQ(f.write("XYZ", 3), 0);  // right after what was read
    EXPECT_EQ(f.getptr(), 103);
    ASSERT_EQ(f.read(buffer, 2), 0);  // and reading on after what was written
    EXPECT_EQ(std::string(buffer, 2), content.substr(103, 2));
    ASSERT_EQ(f.close(), 0);
    EXPECT_EQ(ReadFile(Path("f")), content.replace(100, 3, "XYZ"));
}

TEST_F(StdFileTest, BufferBoundaries) {
    const size_t sizes[] = {0, 4096, 8193};
    const size_t chunks[] = {7, 4097, 100000};
    for (size_t size : sizes) {
        std::string content = Pattern(size, static_cast<unsigned>(size));
        for (size_t chunk : chunks) {
            SCOPED_TRACE(testing::Message() << size << " " << chunk);
            StdFile out(Path("f").c_str(), StdFile::kWrite | StdFile::kCreate);
            for (size_t at = 0; at < size; at += chunk)
                ASSERT_EQ(out.write(content.data() + at, std::min(chunk, size - at)), 0);
            EXPECT_EQ(out.size(), static_cast<int64_t>(size));
            ASSERT_EQ(out.close(), 0);
            ASSERT_EQ(ReadFile(Path("f")), content);

            StdFile in(Path("f").c_str());
            std::string back;
            std::vector<char> buffer(chunk);
            size_t got;
            while (in.read(buffer.data(), chunk, &got) == 0) back.append(buffer.data(), got);
            EXPECT_EQ(back, content);
            EXPECT_EQ(in.getptr(), static_cast<int64_t>(size));
        }
    }
}

TEST_F(StdFileTest, OpenModes) {
    StdFile f(dir_.Write("f", "abc").c_str(), StdFile::kWrite | StdFile::kAppend);
    EXPECT_EQ(f.getptr(), 3);
    EXPECT_EQ(f.write("def", 3), 0);
    EXPECT_EQ(f.close(), 0);
    EXPECT_EQ(ReadFile(Path("f")), "abcdef");
    EXPECT_EQ(f.open(Path("f").c_str(), StdFile::kWrite), 0);  // truncates
    EXPECT_EQ(f.write("x", 1), 0);
    EXPECT_EQ(f.close(), 0);
    ASSERT_EQ(f.open(Path("f").c_str(), StdFile::kRead), 0);  // reading only
    EXPECT_EQ(f.write("y", 1), 0);  // buffered
    EXPECT_EQ(f.flush(), EBADF);
    EXPECT_EQ(f.close(), EBADF);
    EXPECT_EQ(ReadFile(Path("f")), "x");

    StdFile missing;
    EXPECT_EQ(missing.open(Path("missing").c_str(), StdFile::kWrite), ENOENT);
    EXPECT_FALSE(PathExists(Path("missing")));
    EXPECT_EQ(missing.write("x", 1), EBADF);
    EXPECT_EQ(StdFile(static_cast<const char*>(nullptr)).geterror(), ENOENT);
}

TEST_F(StdFileTest, CreatedFilesFollowTheMaskAndCloseOnExec) {
    mode_t old_mask = umask(0);
    StdFile plain(Path("plain").c_str(), StdFile::kWrite | StdFile::kCreate);
    umask(old_mask);
    struct stat status;
    ASSERT_EQ(stat(Path("plain").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0664u);
    EXPECT_TRUE(fcntl(plain.gethandle(), F_GETFD) & FD_CLOEXEC);
}

TEST_F(StdFileTest, PutsAndPutln) {
    StdFile t(Path("t").c_str(), StdFile::kWrite | StdFile::kCreate);
    EXPECT_EQ(t.puts("a\nb\n\nc"), 0);
    EXPECT_EQ(t.putln("d\ne"), 0);
    EXPECT_EQ(t.puts(nullptr), 0);
    EXPECT_EQ(t.close(), 0);
    EXPECT_EQ(ReadFile(Path("t")), "a\nb\n\ncd\ne\n");
}

TEST_F(StdFileTest, ChangeSize) {
    std::string content = Pattern(10000);
    StdFile f(dir_.Write("f", content).c_str(), StdFile::kRead | StdFile::kWrite | StdFile::kAppend);
    ASSERT_EQ(f.setptr(10), 0);
    char buffer[20];
    ASSERT_EQ(f.read(buffer, 5), 0);  // the buffer now holds bytes up to 4106
    ASSERT_EQ(f.changesize(12), 0);
    size_t got = 99;
    EXPECT_EQ(f.read(buffer, 5, &got), -1);  // nothing stale from the old buffer
    EXPECT_EQ(got, 0u);
    // Data still buffered is written before the size changes.
    ASSERT_EQ(f.setptr(0), 0);
    ASSERT_EQ(f.write("QQ", 2), 0);
    ASSERT_EQ(f.changesize(1), 0);
    EXPECT_EQ(f.close(), 0);
    EXPECT_EQ(ReadFile(Path("f")), "Q");
    EXPECT_EQ(f.changesize(5), EBADF);
}

TEST_F(StdFileTest, FullDeviceNeverClaimsSuccess) {
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    StdFile f("/dev/full", StdFile::kWrite);
    ASSERT_TRUE(f.isopen());
    EXPECT_EQ(f.write("abc", 3), 0);  // still in the buffer
    EXPECT_EQ(f.flush(), ENOSPC);
    EXPECT_EQ(f.write("d", 1), ENOSPC);  // sticky
    EXPECT_EQ(f.close(), ENOSPC);
    EXPECT_FALSE(f.isopen());

    // Moving elsewhere cannot quietly drop what is waiting to be written.
    ASSERT_EQ(f.open("/dev/full", StdFile::kWrite), 0);
    EXPECT_EQ(f.write("abc", 3), 0);
    EXPECT_EQ(f.setptr(0), ENOSPC);
    EXPECT_EQ(f.close(), ENOSPC);

    // Nor can opening another file on the same object.
    ASSERT_EQ(f.open("/dev/full", StdFile::kWrite), 0);
    EXPECT_EQ(f.write("abc", 3), 0);
    EXPECT_EQ(f.open(Path("next").c_str(), StdFile::kWrite | StdFile::kCreate), ENOSPC);
    EXPECT_EQ(f.close(), 0);
}

// With standard input closed the file gets descriptor 0 and must still count
// as open.
TEST_F(StdFileTest, DescriptorZeroIsAFile) {
    std::string path = Path("zero");
    EXPECT_EQ(RunInChild([&] {
        close(0);
        StdFile f(path.c_str(), StdFile::kRead | StdFile::kWrite | StdFile::kCreate);
        if (!f.isopen()) return 1;
        if (f.gethandle() != 0) return 2;
        if (f.write("zero", 4) != 0) return 3;
        if (f.rewind() != 0) return 4;
        char back[4];
        if (f.read(back, 4) != 0 || std::memcmp(back, "zero", 4) != 0) return 5;
        if (f.close() != 0) return 6;
        return f.isopen() ? 7 : 0;
    }), 0);
    EXPECT_EQ(ReadFile(path), "zero");
}

// Under a file-size limit the write that crosses it is short, the retry fails
// with EFBIG, and the rest must stay buffered until the limit is lifted.
TEST_F(StdFileTest, ShortWriteKeepsTheRest) {
    std::string path = Path("limited");
    std::string data = Pattern(8192, 9);
    EXPECT_EQ(RunInChild([&] {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit;
        if (getrlimit(RLIMIT_FSIZE, &limit) != 0) return 1;
        rlim_t old_soft = limit.rlim_cur;
        limit.rlim_cur = 5000;
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
        StdFile f(path.c_str(), StdFile::kWrite | StdFile::kCreate);
        if (f.write(data.data(), data.size()) != 0) return 3;
        if (f.flush() != EFBIG) return 4;
        if (f.geterror() != EFBIG) return 5;
        if (f.getptr() != static_cast<int64_t>(data.size())) return 6;
        limit.rlim_cur = old_soft;
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 7;
        return f.close() != 0 ? 8 : 0;
    }), 0);
    EXPECT_TRUE(ReadFile(path) == data);
}

void IgnoreSignal(int) {}

// Signals arriving while a write into a full pipe or a read from an empty
// one blocks give EINTR or short counts; no byte may be lost or doubled.
TEST_F(StdFileTest, InterruptedPipeTransfersEverything) {
    std::string fifo = Path("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    struct sigaction action, old_action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = IgnoreSignal;  // no SA_RESTART: calls are interrupted
    sigemptyset(&action.sa_mask);
    ASSERT_EQ(sigaction(SIGUSR1, &action, &old_action), 0);

    std::string data = Pattern(600000, 3);
    std::string received;
    std::atomic<bool> done{false};
    int write_result = -2, close_result = -2, read_result = -2;
    std::thread writer([&] {
        StdFile out(fifo.c_str(), StdFile::kWrite);
        fcntl(out.gethandle(), F_SETPIPE_SZ, 4096);  // a small pipe blocks the writer often
        for (size_t at = 0; at < data.size(); at += 1000) {
            write_result = out.write(data.data() + at, std::min<size_t>(1000, data.size() - at));
            if (write_result != 0) break;
        }
        close_result = out.close();
    });
    std::thread reader([&] {
        StdFile in(fifo.c_str());
        char buffer[777];
        size_t got;
        while ((read_result = in.read(buffer, sizeof buffer, &got)) == 0) received.append(buffer, got);
        done = true;
    });
    while (!done) {
        pthread_kill(writer.native_handle(), SIGUSR1);
        pthread_kill(reader.native_handle(), SIGUSR1);
        usleep(50);
    }
    writer.join();
    reader.join();
    sigaction(SIGUSR1, &old_action, nullptr);
    EXPECT_EQ(write_result, 0);
    EXPECT_EQ(close_result, 0);
    EXPECT_EQ(read_result, -1);
    EXPECT_EQ(received.size(), data.size());
    EXPECT_TRUE(received == data);
}

// Opening "regular files only" never waits on a FIFO or device, refuses
// them and directories, and leaves a refused file as it was.
TEST_F(StdFileTest, RegularOnlyRefusesOtherFilesWithoutBlocking) {
    std::string fifo = Path("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    mkdir(Path("dir").c_str(), 0700);
    const int regular = StdFile::kRegularOnly;
    const std::tuple<std::string, int, int> cases[] = {
        {fifo, regular, ENODEV},
        {fifo, regular | StdFile::kRead | StdFile::kWrite | StdFile::kAppend, ENODEV},
        {"/dev/null", regular | StdFile::kWrite, ENODEV},
        {Path("dir"), regular, EISDIR},
    };
    for (const auto& [path, mode, error] : cases) {
        const std::string& name = path;
        const int open_mode = mode;
        EXPECT_EQ(RunInChildWithin(5, [&] { return StdFile().open(name.c_str(), open_mode); }), error) << path;
    }
    struct stat status;
    ASSERT_EQ(stat(fifo.c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));

    // A regular file opens as before, truncated for writing, and blocks as usual.
    std::string file = dir_.Write("f", "old text");
    StdFile f;
    ASSERT_EQ(f.open(file.c_str(), regular | StdFile::kWrite), 0);
    EXPECT_EQ(fcntl(f.gethandle(), F_GETFL) & O_NONBLOCK, 0);
    ASSERT_EQ(f.puts("new"), 0);
    ASSERT_EQ(f.close(), 0);
    EXPECT_EQ(ReadFile(file), "new");
}

}  // namespace
