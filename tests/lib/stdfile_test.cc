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
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

// A fresh directory under $TMPDIR (or /tmp), removed with everything in it.
class StdFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/dvfileXXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back(0);
        ASSERT_NE(mkdtemp(name.data()), nullptr);
        dir_ = name.data();
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    std::string Path(const std::string& leaf) const { return dir_ + "/" + leaf; }

    void WriteRaw(const std::string& path, const std::string& content) {
        std::ofstream out(path, std::ios::binary);
        out << content;
    }
    std::string ReadRaw(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream content;
        content << in.rdbuf();
        return content.str();
    }

    std::string dir_;
};

// Bytes that differ from their neighbours, so a misplaced block shows.
std::string Pattern(size_t n, unsigned seed = 0) {
    std::string s(n, 0);
    for (size_t i = 0; i < n; i++) s[i] = static_cast<char>('a' + (i * 7 + seed + i / 26) % 26);
    return s;
}

TEST_F(StdFileTest, GetsLastLineWithoutLineFeed) {
    WriteRaw(Path("f"), "abc");
    StdFile f(Path("f").c_str());
    char line[100];
    EXPECT_EQ(f.gets(line, sizeof line), 0);
    EXPECT_STREQ(line, "abc");
    EXPECT_EQ(f.gets(line, sizeof line), -1);
    EXPECT_STREQ(line, "");
}

TEST_F(StdFileTest, GetsLines) {
    struct Case {
        std::string content;
        std::vector<std::string> lines;  // then -1
    };
    const Case cases[] = {
        {"abc\r\n", {"abc"}},
        {"abc\r\r\n", {"abc"}},
        {"a\n\nb\n", {"a", "", "b"}},
        {"\n", {""}},
        {"", {}},
        {"one\r\ntwo\nthree", {"one", "two", "three"}},
        {std::string("x\0y\n", 4), {"x", "y"}},  // a 0 byte ends a line too
    };
    for (const Case& c : cases) {
        WriteRaw(Path("f"), c.content);
        StdFile f(Path("f").c_str());
        char line[100];
        for (const std::string& expected : c.lines) {
            EXPECT_EQ(f.gets(line, sizeof line), 0) << c.content;
            EXPECT_EQ(line, expected) << c.content;
        }
        EXPECT_EQ(f.gets(line, sizeof line), -1) << c.content;
    }
}

TEST_F(StdFileTest, GetsZeroByteEndsLine) {
    WriteRaw(Path("f"), std::string("ab\0cd\n", 6));
    StdFile f(Path("f").c_str());
    char line[10];
    EXPECT_EQ(f.gets(line, sizeof line), 0);
    EXPECT_STREQ(line, "ab");
    EXPECT_EQ(f.gets(line, sizeof line), 0);
    EXPECT_STREQ(line, "cd");
}

TEST_F(StdFileTest, GetsCutsLongLinesAndKeepsTheRest) {
    WriteRaw(Path("f"), "abcdefgh\nxy\n");
    StdFile f(Path("f").c_str());
    char line[4];
    std::vector<std::string> got;
    while (f.gets(line, sizeof line) == 0) got.push_back(line);
    EXPECT_EQ(got, (std::vector<std::string>{"abc", "def", "gh", "xy"}));

    // A line that fills the room exactly leaves its line feed for an empty line.
    WriteRaw(Path("f"), "abcdef\nz");
    StdFile g(Path("f").c_str());
    got.clear();
    while (g.gets(line, sizeof line) == 0) got.push_back(line);
    EXPECT_EQ(got, (std::vector<std::string>{"abc", "def", "", "z"}));
}

TEST_F(StdFileTest, GetsLineOfTwoMegabytes) {
    std::string big = Pattern(2 * 1024 * 1024 + 17);
    WriteRaw(Path("f"), big + "\nend\n");
    StdFile f(Path("f").c_str());
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
    WriteRaw(Path("f"), "abc\n");
    StdFile f(Path("f").c_str());
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
    WriteRaw(Path("f"), content);
    StdFile f(Path("f").c_str());
    ASSERT_EQ(f.setptr(96), 0);
    char buffer[10];
    size_t got = 99;
    EXPECT_EQ(f.read(buffer, 10, &got), 0);
    EXPECT_EQ(got, 4u);
    EXPECT_EQ(std::string(buffer, 4), content.substr(96));
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

TEST_F(StdFileTest, ReadOfNothingSucceeds) {
    WriteRaw(Path("f"), "");
    StdFile f(Path("f").c_str());
    size_t got = 5;
    EXPECT_EQ(f.read(nullptr, 0, &got), 0);
    EXPECT_EQ(got, 0u);
}

TEST_F(StdFileTest, WriteAfterReadGoesToLogicalPosition) {
    std::string content = Pattern(10000);
    WriteRaw(Path("f"), content);
    StdFile f(Path("f").c_str(), StdFile::kRead | StdFile::kWrite | StdFile::kAppend);
    ASSERT_TRUE(f.isopen());
    ASSERT_EQ(f.rewind(), 0);
    char buffer[100];
    ASSERT_EQ(f.read(buffer, 100), 0);
    EXPECT_EQ(f.getptr(), 100);
    ASSERT_EQ(f.write("XYZ", 3), 0);
    EXPECT_EQ(f.getptr(), 103);
    // Reading on continues right after the written bytes.
    ASSERT_EQ(f.read(buffer, 2), 0);
    EXPECT_EQ(std::string(buffer, 2), content.substr(103, 2));
    ASSERT_EQ(f.close(), 0);
    content.replace(100, 3, "XYZ");
    EXPECT_EQ(ReadRaw(Path("f")), content);
}

TEST_F(StdFileTest, BufferBoundaries) {
    const size_t sizes[] = {0, 1, 4095, 4096, 4097, 8191, 8192, 8193, 12288 + 5};
    const size_t chunks[] = {1, 7, 4095, 4096, 4097, 100000};
    for (size_t size : sizes) {
        std::string content = Pattern(size, static_cast<unsigned>(size));
        for (size_t chunk : chunks) {
            StdFile out(Path("f").c_str(), StdFile::kWrite | StdFile::kCreate);
            for (size_t at = 0; at < size; at += chunk) {
                ASSERT_EQ(out.write(content.data() + at, std::min(chunk, size - at)), 0);
            }
            EXPECT_EQ(out.size(), static_cast<int64_t>(size));
            ASSERT_EQ(out.close(), 0);
            ASSERT_EQ(ReadRaw(Path("f")), content) << size << " " << chunk;

            StdFile in(Path("f").c_str());
            std::string back;
            std::vector<char> buffer(chunk);
            size_t got;
            while (in.read(buffer.data(), chunk, &got) == 0) back.append(buffer.data(), got);
            EXPECT_EQ(back, content) << size << " " << chunk;
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
        WriteRaw(Path("f"), model);
        StdFile f(Path("f").c_str(), StdFile::kRead | StdFile::kWrite | StdFile::kAppend);
        ASSERT_TRUE(f.isopen());
        size_t pos = model.size();
        bool at_end = false;  // the end-of-file state left by a read of nothing
        std::vector<char> buffer(10000);

        for (int step = 0; step < 400; step++) {
            int op = static_cast<int>(below(100));
            if (getenv("DV_TRACE")) std::cout << step << " op " << op << " pos " << pos << " size " << model.size() << " eof " << at_end << "\n";
            if (op < 30) {
                size_t n = below(6000) + (below(4) == 0 ? 0 : 1);
                size_t got = 12345;
                int result = f.read(buffer.data(), n, &got);
                size_t expected = at_end || pos >= model.size() ? 0 : std::min(n, model.size() - pos);
                ASSERT_EQ(got, expected) << "seed " << seed << " step " << step;
                if (at_end) {
                    ASSERT_EQ(result, -1);
                } else if (n > 0 && expected == 0) {
                    ASSERT_EQ(result, -1);
                    at_end = true;
                } else {
                    ASSERT_EQ(result, 0);
                }
                ASSERT_EQ(std::string(buffer.data(), got), model.substr(std::min(pos, model.size()), got));
                pos += got;
            } else if (op < 60) {
                size_t n = below(6000);
                std::string data = Pattern(n, seed * 1000 + step);
                int result = f.write(data.data(), n);
                if (at_end) {
                    ASSERT_EQ(result, -1);  // refused until the position is set again
                    continue;
                }
                ASSERT_EQ(result, 0);
                if (n == 0) continue;
                if (pos + n > model.size()) model.resize(pos + n, 0);
                model.replace(pos, n, data);
                pos += n;
            } else if (op < 75) {
                size_t target = below(model.size() + 20);
                ASSERT_EQ(f.setptr(static_cast<int64_t>(target)), 0);
                pos = target;
                at_end = false;
            } else if (op < 83) {
                int64_t distance = static_cast<int64_t>(below(200)) - 100;
                if (static_cast<int64_t>(pos) + distance < 0) distance = -static_cast<int64_t>(pos);
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
            ASSERT_EQ(f.getptr(), static_cast<int64_t>(pos)) << "seed " << seed << " step " << step;
        }
        ASSERT_EQ(f.close(), 0);
        ASSERT_EQ(ReadRaw(Path("f")), model) << "seed " << seed;
    }
}

TEST_F(StdFileTest, WriteTruncatesUnlessAppending) {
    WriteRaw(Path("f"), "abc");
    {
        StdFile f(Path("f").c_str(), StdFile::kWrite | StdFile::kAppend);
        EXPECT_EQ(f.getptr(), 3);
        EXPECT_EQ(f.write("def", 3), 0);
        EXPECT_EQ(f.close(), 0);
    }
    EXPECT_EQ(ReadRaw(Path("f")), "abcdef");
    {
        StdFile f(Path("f").c_str(), StdFile::kWrite);
        EXPECT_EQ(f.write("x", 1), 0);
        EXPECT_EQ(f.close(), 0);
    }
    EXPECT_EQ(ReadRaw(Path("f")), "x");
    {
        StdFile f(Path("f").c_str(), StdFile::kRead | StdFile::kWrite);
        EXPECT_EQ(f.size(), 0);
    }
    {
        StdFile f(Path("f").c_str(), StdFile::kRead);
        EXPECT_EQ(f.write("y", 1), 0);
        EXPECT_EQ(f.close(), EBADF);  // opened for reading only
    }
}

TEST_F(StdFileTest, AppendModeCanStillMoveBack) {
    WriteRaw(Path("f"), "0123456789");
    StdFile f(Path("f").c_str(), StdFile::kRead | StdFile::kWrite | StdFile::kAppend);
    EXPECT_EQ(f.getptr(), 10);
    EXPECT_EQ(f.write("AB", 2), 0);
    EXPECT_EQ(f.setptr(2), 0);
    EXPECT_EQ(f.write("cd", 2), 0);
    EXPECT_EQ(f.close(), 0);
    EXPECT_EQ(ReadRaw(Path("f")), "01cd456789AB");
}

TEST_F(StdFileTest, MissingFileWithoutCreate) {
    StdFile f;
    EXPECT_EQ(f.open(Path("missing").c_str(), StdFile::kWrite), ENOENT);
    EXPECT_FALSE(f.isopen());
    EXPECT_EQ(f.gethandle(), -1);
    EXPECT_EQ(f.geterror(), ENOENT);
    EXPECT_EQ(f.close(), 0);
    EXPECT_FALSE(std::filesystem::exists(Path("missing")));
    EXPECT_EQ(f.read(nullptr, 1), EBADF);
    EXPECT_EQ(f.write("x", 1), EBADF);
    EXPECT_EQ(f.size(), -1);
}

TEST_F(StdFileTest, ModeZeroReadsOnly) {
    WriteRaw(Path("f"), "abc");
    StdFile f(Path("f").c_str(), 0);
    ASSERT_TRUE(f.isopen());
    EXPECT_EQ(f.write("x", 1), 0);  // buffered
    EXPECT_EQ(f.flush(), EBADF);
    EXPECT_EQ(f.close(), EBADF);
    EXPECT_FALSE(f.isopen());
    EXPECT_EQ(ReadRaw(Path("f")), "abc");
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
    {
        StdFile f(Path("t").c_str(), StdFile::kWrite | StdFile::kCreate | StdFile::kText);
        EXPECT_TRUE(f.textmode());
        EXPECT_EQ(f.puts("a\nb\n\nc"), 0);
        EXPECT_EQ(f.putln("d\ne"), 0);
        EXPECT_EQ(f.puts(nullptr), 0);
        EXPECT_EQ(f.close(), 0);
    }
    EXPECT_EQ(ReadRaw(Path("t")), "a\r\nb\r\n\r\ncd\r\ne\n");
    {
        StdFile f(Path("b").c_str(), StdFile::kWrite | StdFile::kCreate);
        EXPECT_FALSE(f.textmode());
        EXPECT_EQ(f.puts("a\nb"), 0);
        EXPECT_EQ(f.putln("c"), 0);
        EXPECT_EQ(f.close(), 0);
    }
    EXPECT_EQ(ReadRaw(Path("b")), "a\nbc\n");
}

TEST_F(StdFileTest, ChangeSize) {
    std::string content = Pattern(10000);
    WriteRaw(Path("f"), content);
    StdFile f(Path("f").c_str(), StdFile::kRead | StdFile::kWrite | StdFile::kAppend);
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
    EXPECT_EQ(ReadRaw(Path("f")), "Q");
    EXPECT_EQ(f.changesize(5), EBADF);
}

TEST_F(StdFileTest, SetptrInsideBufferKeepsDescriptorWhereItIs) {
    std::string content = Pattern(10000);
    WriteRaw(Path("f"), content);
    StdFile f(Path("f").c_str());
    char buffer[100];
    ASSERT_EQ(f.read(buffer, 100), 0);
    ASSERT_EQ(lseek(f.gethandle(), 0, SEEK_CUR), 4096);
    ASSERT_EQ(f.setptr(50), 0);
    EXPECT_EQ(lseek(f.gethandle(), 0, SEEK_CUR), 4096);
    ASSERT_EQ(f.read(buffer, 10), 0);
    EXPECT_EQ(std::string(buffer, 10), content.substr(50, 10));
    ASSERT_EQ(f.setptr(4096), 0);  // the end of the buffer is inside too
    EXPECT_EQ(lseek(f.gethandle(), 0, SEEK_CUR), 4096);
    ASSERT_EQ(f.setptr(7000), 0);
    EXPECT_EQ(lseek(f.gethandle(), 0, SEEK_CUR), 7000);
    ASSERT_EQ(f.read(buffer, 10), 0);
    EXPECT_EQ(std::string(buffer, 10), content.substr(7000, 10));
    EXPECT_EQ(f.setptr(-1), EINVAL);
    EXPECT_EQ(f.seek(-7000), 0);
    EXPECT_EQ(f.getptr(), 10);
}

TEST_F(StdFileTest, EndOfFileRefusesWritesUntilRepositioned) {
    WriteRaw(Path("f"), "abc");
    StdFile f(Path("f").c_str(), StdFile::kRead | StdFile::kWrite | StdFile::kAppend);
    ASSERT_EQ(f.rewind(), 0);
    char buffer[10];
    EXPECT_EQ(f.read(buffer, 3), 0);
    EXPECT_EQ(f.read(buffer, 3), -1);
    EXPECT_EQ(f.write("d", 1), -1);
    EXPECT_EQ(f.flush(), 0);
    EXPECT_EQ(f.write("d", 1), 0);
    EXPECT_EQ(f.close(), 0);
    EXPECT_EQ(ReadRaw(Path("f")), "abcd");
}

TEST_F(StdFileTest, FullDeviceNeverClaimsSuccess) {
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    {
        StdFile f("/dev/full", StdFile::kWrite);
        ASSERT_TRUE(f.isopen());
        EXPECT_EQ(f.write("abc", 3), 0);  // still in the buffer
        EXPECT_EQ(f.flush(), ENOSPC);
        EXPECT_EQ(f.geterror(), ENOSPC);
        EXPECT_EQ(f.write("d", 1), ENOSPC);  // sticky
        EXPECT_EQ(f.close(), ENOSPC);
        EXPECT_FALSE(f.isopen());
    }
    {
        StdFile f("/dev/full", StdFile::kWrite);
        std::string big = Pattern(10000);
        EXPECT_EQ(f.write(big.data(), big.size()), ENOSPC);
        EXPECT_EQ(f.close(), ENOSPC);
    }
    {
        // Moving elsewhere cannot quietly drop what is waiting to be written.
        StdFile f("/dev/full", StdFile::kWrite);
        EXPECT_EQ(f.write("abc", 3), 0);
        EXPECT_EQ(f.setptr(0), ENOSPC);
        EXPECT_EQ(f.settimestamp(TimeStamp(1000000000, 0u)), ENOSPC);
        EXPECT_EQ(f.read(nullptr, 0), ENOSPC);
        EXPECT_EQ(f.close(), ENOSPC);
    }
    {
        // Nor can opening another file on the same object.
        StdFile f("/dev/full", StdFile::kWrite);
        EXPECT_EQ(f.write("abc", 3), 0);
        EXPECT_EQ(f.open(Path("next").c_str(), StdFile::kWrite | StdFile::kCreate), ENOSPC);
        EXPECT_EQ(f.close(), 0);
    }
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

TEST_F(StdFileTest, NamesGoToTheSystemAsUtf8) {
    Westring wide = Westring(Path("").c_str()) + L"Gr\u00fc\u00dfe \u4e2d.txt";
    StdFile f(wide, StdFile::kWrite | StdFile::kCreate);
    ASSERT_TRUE(f.isopen());
    EXPECT_TRUE(f.getname() == wide);
    EXPECT_EQ(f.close(), 0);
    EXPECT_TRUE(std::filesystem::exists(Path("") + "Gr\xc3\xbc\xc3\x9f" "e \xe4\xb8\xad.txt"));

    // A narrow name reaches the system byte for byte, even when it is not UTF-8.
    std::string latin1 = Path("caf\xe9.txt");
    StdFile g(latin1.c_str(), StdFile::kWrite | StdFile::kCreate);
    ASSERT_TRUE(g.isopen());
    EXPECT_EQ(g.close(), 0);
    EXPECT_EQ(access(latin1.c_str(), F_OK), 0);

    EXPECT_EQ(StdFile(static_cast<const char*>(nullptr)).geterror(), ENOENT);
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

    // Data written before is flushed first and leaves the time alone.
    ASSERT_EQ(f.write("data", 4), 0);
    ASSERT_EQ(f.settimestamp(set), 0);
    ASSERT_EQ(f.close(), 0);
    struct stat status;
    ASSERT_EQ(stat(Path("f").c_str(), &status), 0);
    EXPECT_EQ(status.st_mtim.tv_sec, 1234567890);
    EXPECT_EQ(status.st_size, 4);
}

TEST_F(StdFileTest, TimestampsFarFromNow) {
    StdFile f(Path("f").c_str(), StdFile::kWrite | StdFile::kCreate);
    const int64_t stamps[] = {2223374400LL /* 2040-06-15 */, -2208988800LL /* 1900-01-01 */};
    for (int64_t seconds : stamps) {
        ASSERT_EQ(f.settimestamp(TimeStamp(seconds, 0u)), 0);
        TimeStamp got;
        ASSERT_EQ(f.timestamp(got), 0);
        if (got.seconds != seconds) {
            // Some file systems cannot hold every year; that is theirs to decide.
            std::cout << "file system keeps " << seconds << " as " << got.seconds << "\n";
            continue;
        }
        EXPECT_EQ(got.nanoseconds, 0u);
    }
}

TEST_F(StdFileTest, DosTimestamps) {
    StdFile f(Path("f").c_str(), StdFile::kWrite | StdFile::kCreate);
    DOSDATE date = (30 << 9) | (3 << 5) | 1;
    DOSTIME time = (10 << 11) | (30 << 5) | 7;
    ASSERT_EQ(f.settimestamp(date, time), 0);
    DOSDATE got_date = 0;
    DOSTIME got_time = 0;
    ASSERT_EQ(f.timestamp(got_date, got_time), 0);
    EXPECT_EQ(got_date, date);
    EXPECT_EQ(got_time, time);
}

// Runs in a child with standard input closed: the file gets descriptor 0
// and must still count as open.
int WriteThroughDescriptorZero(const std::string& path) {
    close(0);
    StdFile f(path.c_str(), StdFile::kRead | StdFile::kWrite | StdFile::kCreate);
    if (!f.isopen()) return 1;
    if (f.gethandle() != 0) return 2;
    if (f.write("zero", 4) != 0) return 3;
    if (f.rewind() != 0) return 4;
    char back[4];
    if (f.read(back, 4) != 0 || std::memcmp(back, "zero", 4) != 0) return 5;
    if (f.close() != 0) return 6;
    if (f.isopen()) return 7;
    return 0;
}

TEST_F(StdFileTest, DescriptorZeroIsAFile) {
    std::string path = Path("zero");
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(WriteThroughDescriptorZero(path));
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadRaw(path), "zero");
}

// Runs in a child under a file-size limit: the write that crosses the limit
// is short, the retry fails with EFBIG, and the rest must stay buffered
// until the limit is lifted.
int WriteAcrossSizeLimit(const std::string& path, const std::string& data) {
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
    if (f.close() != 0) return 8;
    return 0;
}

TEST_F(StdFileTest, ShortWriteKeepsTheRest) {
    std::string path = Path("limited");
    std::string data = Pattern(8192, 9);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(WriteAcrossSizeLimit(path, data));
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(ReadRaw(path) == data);
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
    pthread_t writer_id = writer.native_handle();
    pthread_t reader_id = reader.native_handle();
    while (!done) {
        pthread_kill(writer_id, SIGUSR1);
        pthread_kill(reader_id, SIGUSR1);
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
