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
#include <iostream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tests/fileops/temp_dir.h"

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
    struct Case {
        std::string content;
        int room;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"abc", 100, {"abc"}}, {"abc\r\n", 100, {"abc"}}, {"abc\r\r\n", 100, {"abc"}},
        {"a\n\nb\n", 100, {"a", "", "b"}}, {"\n", 100, {""}}, {"", 100, {}},
        {"one\r\ntwo\nthree", 100, {"one", "two", "three"}},
        {std::string("x\0y\n", 4), 100, {"x", "y"}},  // a 0 byte ends a line too
        {"abcdefgh\nxy\n", 4, {"abc", "def", "gh", "xy"}},  // long lines are cut, the rest follows
        {"abcdef\nz", 4, {"abc", "def", "", "z"}},  // filling the room leaves the line feed
    };
    for (const Case& c : cases) EXPECT_EQ(Lines(dir_.Write("f", c.content), c.room), c.lines) << c.content;
}

TEST_F(StdFileTest, GetsLineOfTwoMegabytes) {
    std::string big = Pattern(2 * 1024 * 1024 + 17);
    StdFile f(dir_.Write("f", big + "\nend\n").c_str());
    std::vector<char> line(5000);
    std::string joined;
    int pieces = 0;
    while (joined.size() < big.size()) {
        ASSERT_EQ(f.gets(line.data(), static_cast<int>(line.size())), 0);
        joined += line.data();
        pieces++;
    }
    EXPECT_EQ(joined, big);
    EXPECT_EQ(pieces, static_cast<int>((big.size() + 4998) / 4999));
    ASSERT_EQ(f.gets(line.data(), static_cast<int>(line.size())), 0);
    EXPECT_STREQ(line.data(), "end");
}

TEST_F(StdFileTest, GetsWithNoRoomWritesNothing) {
    StdFile f(dir_.Write("f", "abc\n").c_str());
    char line[4] = {'X', 'X', 'X', 'X'};
    EXPECT_EQ(f.gets(line, 0), EINVAL);
    EXPECT_EQ(f.gets(line, -5), EINVAL);
    EXPECT_EQ(std::string(line, 4), "XXXX");
    EXPECT_EQ(f.gets(nullptr, 10), EINVAL);
    // Size 1 has room for the terminator only and consumes nothing.
    EXPECT_EQ(f.gets(line, 1), 0);
    EXPECT_EQ(line[0], 0);
    EXPECT_EQ(line[1], 'X');
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
    EXPECT_EQ(got, 4u);
    EXPECT_EQ(std::string(buffer, 4), content.substr(96));
    got = 5;
    EXPECT_EQ(f.read(nullptr, 0, &got), 0);  // reading nothing succeeds, even at the end
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(f.read(buffer, 10, &got), -1);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(f.geterror(), -1);
    // The end-of-file state holds until the position is set again.
    EXPECT_EQ(f.read(buffer, 1, &got), -1);
    EXPECT_EQ(f.setptr(99), 0);
    EXPECT_EQ(f.read(buffer, 10, &got), 0);
    EXPECT_EQ(got, 1u);
    EXPECT_EQ(buffer[0], content[99]);
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

    StdFile g(dir_.Write("g", "0123456789").c_str(), mode);  // append mode can still move back
    EXPECT_EQ(g.write("AB", 2), 0);
    EXPECT_EQ(g.setptr(2), 0);
    EXPECT_EQ(g.write("cd", 2), 0);
    EXPECT_EQ(g.close(), 0);
    EXPECT_EQ(ReadFile(Path("g")), "01cd456789AB");

    StdFile h(dir_.Write("h", "abc").c_str(), mode);  // the end of file refuses writes
    ASSERT_EQ(h.rewind(), 0);
    EXPECT_EQ(h.read(buffer, 3), 0);
    EXPECT_EQ(h.read(buffer, 3), -1);
    EXPECT_EQ(h.write("d", 1), -1);
    EXPECT_EQ(h.flush(), 0);  // until the position is set again
    EXPECT_EQ(h.write("d", 1), 0);
    EXPECT_EQ(h.close(), 0);
    EXPECT_EQ(ReadFile(Path("h")), "abcd");
}

TEST_F(StdFileTest, BufferBoundaries) {
    const size_t sizes[] = {0, 1, 4095, 4096, 4097, 8191, 8192, 8193, 12288 + 5};
    const size_t chunks[] = {1, 7, 4095, 4096, 4097, 100000};
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

// Random reads, writes and moves checked against a string holding what the
// file should contain.
TEST_F(StdFileTest, RandomOperationsMatchModel) {
    for (unsigned seed = 1; seed <= 12; seed++) {
        std::mt19937 random(seed);
        auto below = [&](size_t n) { return static_cast<size_t>(random() % n); };
        std::string model = Pattern(below(9000), seed);
        StdFile f(dir_.Write("f", model).c_str(), StdFile::kRead | StdFile::kWrite | StdFile::kAppend);
        ASSERT_TRUE(f.isopen());
        size_t pos = model.size();
        bool at_end = false;  // the end-of-file state left by a read of nothing
        std::vector<char> buffer(10000);

        for (int step = 0; step < 400; step++) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " step " << step);
            int op = static_cast<int>(below(100));
            if (op < 30) {
                size_t n = below(6000) + (below(4) == 0 ? 0 : 1);
                size_t got = 12345;
                int result = f.read(buffer.data(), n, &got);
                size_t expected = at_end || pos >= model.size() ? 0 : std::min(n, model.size() - pos);
                ASSERT_EQ(got, expected);
                if (!at_end && n > 0 && expected == 0) at_end = true;
                ASSERT_EQ(result, at_end ? -1 : 0);
                ASSERT_EQ(std::string(buffer.data(), got), model.substr(std::min(pos, model.size()), got));
                pos += got;
            } else if (op < 60) {
                size_t n = below(6000);
                std::string data = Pattern(n, seed * 1000 + step);
                ASSERT_EQ(f.write(data.data(), n), at_end ? -1 : 0);  // refused until repositioned
                if (at_end || n == 0) continue;
                if (pos + n > model.size()) model.resize(pos + n, 0);
                model.replace(pos, n, data);
                pos += n;
            } else if (op < 75) {
                pos = below(model.size() + 20);
                ASSERT_EQ(f.setptr(static_cast<int64_t>(pos)), 0);
                at_end = false;
            } else if (op < 83) {
                int64_t distance = std::max(static_cast<int64_t>(below(200)) - 100, -static_cast<int64_t>(pos));
                ASSERT_EQ(f.seek(static_cast<int32_t>(distance)), 0);
                pos = static_cast<size_t>(static_cast<int64_t>(pos) + distance);
                at_end = false;
            } else if (op < 88) {
                ASSERT_EQ(f.flush(), 0);
                at_end = false;
            } else if (op < 92) {
                size_t length = below(model.size() + 5000);
                ASSERT_EQ(f.changesize(static_cast<int64_t>(length)), 0);
                model.resize(length, 0);
                at_end = false;
            } else if (op < 96) {
                ASSERT_EQ(f.size(), static_cast<int64_t>(model.size()));
            } else {
                ASSERT_EQ(f.rewind(), 0);
                pos = 0;
                at_end = false;
            }
            ASSERT_EQ(f.getptr(), static_cast<int64_t>(pos));
        }
        ASSERT_EQ(f.close(), 0);
        ASSERT_EQ(ReadFile(Path("f")), model) << "seed " << seed;
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
    EXPECT_EQ(ReadFile(Path("f")), "x");
    EXPECT_EQ(StdFile(Path("f").c_str(), StdFile::kRead | StdFile::kWrite).size(), 0);  // truncates too
    dir_.Write("f", "x");
    for (int mode : {0, static_cast<int>(StdFile::kRead)}) {  // no bits: reading only
        ASSERT_EQ(f.open(Path("f").c_str(), mode), 0);
        EXPECT_EQ(f.write("y", 1), 0);  // buffered
        EXPECT_EQ(f.flush(), EBADF);
        EXPECT_EQ(f.close(), EBADF);
        EXPECT_FALSE(f.isopen());
    }
    EXPECT_EQ(ReadFile(Path("f")), "x");

    StdFile missing;
    EXPECT_EQ(missing.open(Path("missing").c_str(), StdFile::kWrite), ENOENT);
    EXPECT_FALSE(missing.isopen());
    EXPECT_EQ(missing.gethandle(), -1);
    EXPECT_EQ(missing.geterror(), ENOENT);
    EXPECT_EQ(missing.close(), 0);
    EXPECT_FALSE(PathExists(Path("missing")));
    EXPECT_EQ(missing.read(nullptr, 1), EBADF);
    EXPECT_EQ(missing.write("x", 1), EBADF);
    EXPECT_EQ(missing.size(), -1);
    EXPECT_EQ(StdFile(static_cast<const char*>(nullptr)).geterror(), ENOENT);
}

TEST_F(StdFileTest, CreatePermissionsAndCloseOnExec) {
    mode_t old_mask = umask(0);
    StdFile plain(Path("plain").c_str(), StdFile::kWrite | StdFile::kCreate);
    StdFile exec(Path("exec").c_str(), StdFile::kWrite | StdFile::kCreate | StdFile::kExecutable | StdFile::kInherit);
    umask(old_mask);
    ASSERT_TRUE(plain.isopen());
    ASSERT_TRUE(exec.isopen());
    struct stat status;
    ASSERT_EQ(stat(Path("plain").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0664u);
    ASSERT_EQ(stat(Path("exec").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0775u);
    EXPECT_TRUE(fcntl(plain.gethandle(), F_GETFD) & FD_CLOEXEC);
    EXPECT_FALSE(fcntl(exec.gethandle(), F_GETFD) & FD_CLOEXEC);
}

TEST_F(StdFileTest, TextModePuts) {
    for (bool text : {true, false}) {
        StdFile t(Path("t").c_str(), StdFile::kWrite | StdFile::kCreate | (text ? StdFile::kText : 0));
        EXPECT_EQ(t.textmode(), text);
        EXPECT_EQ(t.puts("a\nb\n\nc"), 0);
        EXPECT_EQ(t.putln("d\ne"), 0);
        EXPECT_EQ(t.puts(nullptr), 0);
        EXPECT_EQ(t.close(), 0);
        EXPECT_EQ(ReadFile(Path("t")), text ? "a\r\nb\r\n\r\ncd\r\ne\n" : "a\nb\n\ncd\ne\n");
    }
}

TEST_F(StdFileTest, ChangeSize) {
    std::string content = Pattern(10000);
    StdFile f(dir_.Write("f", content).c_str(), StdFile::kRead | StdFile::kWrite | StdFile::kAppend);
    ASSERT_EQ(f.setptr(10), 0);
    char buffer[20];
    ASSERT_EQ(f.read(buffer, 5), 0);  // the buffer now holds bytes up to 4106
    ASSERT_EQ(f.changesize(12), 0);
    EXPECT_EQ(f.size(), 12);
    EXPECT_EQ(f.getptr(), 15);
    size_t got = 99;
    EXPECT_EQ(f.read(buffer, 5, &got), -1);  // nothing stale from the old buffer
    EXPECT_EQ(got, 0u);
    ASSERT_EQ(f.changesize(20), 0);  // extending fills with zeros
    ASSERT_EQ(f.setptr(10), 0);
    ASSERT_EQ(f.read(buffer, 10, &got), 0);
    EXPECT_EQ(std::string(buffer, 10), content.substr(10, 2) + std::string(8, '\0'));
    // Data still buffered is written before the size changes.
    ASSERT_EQ(f.setptr(0), 0);
    ASSERT_EQ(f.write("QQ", 2), 0);
    ASSERT_EQ(f.changesize(1), 0);
    EXPECT_EQ(f.close(), 0);
    EXPECT_EQ(ReadFile(Path("f")), "Q");
    EXPECT_EQ(f.changesize(5), EBADF);
}

TEST_F(StdFileTest, SetptrInsideBufferKeepsDescriptorWhereItIs) {
    std::string content = Pattern(10000);
    StdFile f(dir_.Write("f", content).c_str());
    auto descriptor = [&] { return lseek(f.gethandle(), 0, SEEK_CUR); };
    char buffer[100];
    ASSERT_EQ(f.read(buffer, 100), 0);
    ASSERT_EQ(descriptor(), 4096);
    ASSERT_EQ(f.setptr(50), 0);
    EXPECT_EQ(descriptor(), 4096);
    ASSERT_EQ(f.read(buffer, 10), 0);
    EXPECT_EQ(std::string(buffer, 10), content.substr(50, 10));
    ASSERT_EQ(f.setptr(4096), 0);  // the end of the buffer is inside too
    EXPECT_EQ(descriptor(), 4096);
    ASSERT_EQ(f.setptr(7000), 0);
    EXPECT_EQ(descriptor(), 7000);
    ASSERT_EQ(f.read(buffer, 10), 0);
    EXPECT_EQ(std::string(buffer, 10), content.substr(7000, 10));
    EXPECT_EQ(f.setptr(-1), EINVAL);
    EXPECT_EQ(f.seek(-7000), 0);
    EXPECT_EQ(f.getptr(), 10);
}

TEST_F(StdFileTest, FullDeviceNeverClaimsSuccess) {
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    StdFile f("/dev/full", StdFile::kWrite);
    ASSERT_TRUE(f.isopen());
    EXPECT_EQ(f.write("abc", 3), 0);  // still in the buffer
    EXPECT_EQ(f.flush(), ENOSPC);
    EXPECT_EQ(f.geterror(), ENOSPC);
    EXPECT_EQ(f.write("d", 1), ENOSPC);  // sticky
    EXPECT_EQ(f.close(), ENOSPC);
    EXPECT_FALSE(f.isopen());

    std::string big = Pattern(10000);
    ASSERT_EQ(f.open("/dev/full", StdFile::kWrite), 0);
    EXPECT_EQ(f.write(big.data(), big.size()), ENOSPC);
    EXPECT_EQ(f.close(), ENOSPC);

    // Moving elsewhere cannot quietly drop what is waiting to be written.
    ASSERT_EQ(f.open("/dev/full", StdFile::kWrite), 0);
    EXPECT_EQ(f.write("abc", 3), 0);
    EXPECT_EQ(f.setptr(0), ENOSPC);
    EXPECT_EQ(f.settimestamp(TimeStamp(1000000000, 0u)), ENOSPC);
    EXPECT_EQ(f.read(nullptr, 0), ENOSPC);
    EXPECT_EQ(f.close(), ENOSPC);

    // Nor can opening another file on the same object.
    ASSERT_EQ(f.open("/dev/full", StdFile::kWrite), 0);
    EXPECT_EQ(f.write("abc", 3), 0);
    EXPECT_EQ(f.open(Path("next").c_str(), StdFile::kWrite | StdFile::kCreate), ENOSPC);
    EXPECT_EQ(f.close(), 0);
}

TEST_F(StdFileTest, FileRemovedWhileOpen) {
    StdFile f(Path("gone").c_str(), StdFile::kRead | StdFile::kWrite | StdFile::kCreate);
    ASSERT_TRUE(f.isopen());
    ASSERT_EQ(unlink(Path("gone").c_str()), 0);
    std::string data = Pattern(5000);
    EXPECT_EQ(f.write(data.data(), data.size()), 0);
    EXPECT_EQ(f.rewind(), 0);
    std::vector<char> back(5000);
    EXPECT_EQ(f.read(back.data(), back.size()), 0);
    EXPECT_EQ(std::string(back.data(), back.size()), data);
    EXPECT_EQ(f.close(), 0);
    StdFile again;
    EXPECT_EQ(again.open(Path("gone").c_str()), ENOENT);
    EXPECT_FALSE(again.isopen());
}

TEST_F(StdFileTest, WideNamesGoToTheSystemAsUtf8) {
    Westring wide = Westring(Path("").c_str()) + L"Gr\u00fc\u00dfe \u4e2d.txt";
    StdFile f(wide, StdFile::kWrite | StdFile::kCreate);
    ASSERT_TRUE(f.isopen());
    EXPECT_TRUE(f.getname() == wide);
    EXPECT_EQ(f.close(), 0);
    EXPECT_TRUE(PathExists(Path("Gr\xc3\xbc\xc3\x9f" "e \xe4\xb8\xad.txt")));
}

TEST_F(StdFileTest, Timestamps) {
    StdFile f(Path("f").c_str(), StdFile::kWrite | StdFile::kCreate);
    ASSERT_TRUE(f.isopen());
    TimeStamp set(1234567890, 123456789u);
    ASSERT_EQ(f.settimestamp(set), 0);
    TimeStamp got;
    ASSERT_EQ(f.timestamp(got), 0);
    EXPECT_EQ(got.seconds, 1234567890);
    EXPECT_EQ(got.nanoseconds, 123456000u);  // to the microsecond

    DOSDATE date = (30 << 9) | (3 << 5) | 1, got_date = 0;
    DOSTIME time = (10 << 11) | (30 << 5) | 7, got_time = 0;
    ASSERT_EQ(f.settimestamp(date, time), 0);
    ASSERT_EQ(f.timestamp(got_date, got_time), 0);
    EXPECT_EQ(got_date, date);
    EXPECT_EQ(got_time, time);

    for (int64_t seconds : {2223374400LL /* 2040-06-15 */, -2208988800LL /* 1900-01-01 */}) {
        ASSERT_EQ(f.settimestamp(TimeStamp(seconds, 0u)), 0);
        ASSERT_EQ(f.timestamp(got), 0);
        if (got.seconds != seconds) {
            // Some file systems cannot hold every year; that is theirs to decide.
            std::cout << "file system keeps " << seconds << " as " << got.seconds << "\n";
            continue;
        }
        EXPECT_EQ(got.nanoseconds, 0u);
    }

    // Data written before is flushed first and leaves the time alone.
    ASSERT_EQ(f.write("data", 4), 0);
    ASSERT_EQ(f.settimestamp(set), 0);
    ASSERT_EQ(f.close(), 0);
    struct stat status;
    ASSERT_EQ(stat(Path("f").c_str(), &status), 0);
    EXPECT_EQ(status.st_mtim.tv_sec, 1234567890);
    EXPECT_EQ(status.st_size, 4);
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

}  // namespace
