// RandomFile against the file's own bytes: every way of reading gives what
// is on the disk, wherever the reads fall and in whatever order.
#include <gtest/gtest.h>

#include <dirent.h>

#include <random>
#include <string>

#include "archive/randomfile.h"
#include "lib/fsname.h"
#include "tests/support/temp_dir.h"

namespace {

// Bytes that differ from block to block and within each block.
std::string Pattern(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, 0);
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    return bytes;
}

int Threads() {
    int count = 0;
    if (DIR* dir = opendir("/proc/self/task")) {
        while (dirent* entry = readdir(dir))
            if (entry->d_name[0] != '.') count++;
        closedir(dir);
    }
    return count;
}

class RandomFileTest : public ::testing::Test {
protected:
    void Make(const std::string& bytes) {
        bytes_ = bytes;
        WriteFile(path_, bytes);
        ASSERT_EQ(file_.open(DecodeFileName(path_.c_str())), 0);
    }
    CTempDir dir_;
    std::string path_ = dir_ / "data.bin";
    std::string bytes_;
    RandomFile file_;
};

TEST_F(RandomFileTest, EveryReadGivesTheBytesOnDisk) {
    const int kBlock = RandomFile::kBlockSize;
    Make(Pattern(10 * kBlock + 123, 1));
    const int64_t size = static_cast<int64_t>(bytes_.size());
    ASSERT_EQ(file_.size(), size);

    // Forwards, backwards (both read ahead) and at random.
    for (int64_t pos = 0; pos < size; pos++) ASSERT_EQ(file_.GetChar(pos), static_cast<uint8_t>(bytes_[pos])) << pos;
    for (int64_t pos = size - 1; pos >= 0; pos--)
        ASSERT_EQ(file_.GetChar(pos), static_cast<uint8_t>(bytes_[pos])) << pos;
    std::mt19937 random(7);
    for (int i = 0; i < 20000; i++) {
        int64_t pos = static_cast<int64_t>(random() % bytes_.size());
        ASSERT_EQ(file_.GetChar(pos), static_cast<uint8_t>(bytes_[pos])) << pos;
    }
    EXPECT_EQ(file_.GetChar(size), -1);
    EXPECT_EQ(file_.GetChar(-1), -1);

    // Blocks across block boundaries and past the end.
    for (int64_t pos : {int64_t(0), int64_t(kBlock - 5), int64_t(3 * kBlock + 7), size - 10}) {
        std::string out(3 * kBlock, 0);
        int n = static_cast<int>(out.size());
        ASSERT_EQ(file_.GetBlock(pos, out.data(), n), 0);
        EXPECT_EQ(n, static_cast<int>(std::min<int64_t>(3 * kBlock, size - pos)));
        EXPECT_EQ(out.substr(0, n), bytes_.substr(pos, n)) << pos;
    }
    int n = 10;
    char c;
    EXPECT_EQ(file_.GetBlock(size, &c, n), -1);
    EXPECT_EQ(n, 0);

    // Direct reads move the position.
    file_.position = size - 100;
    std::string out(300, 0);
    int got = 0;
    ASSERT_EQ(file_.read(out.data(), 300, &got), 0);
    EXPECT_EQ(got, 100);
    EXPECT_EQ(out.substr(0, 100), bytes_.substr(size - 100));
    EXPECT_EQ(file_.read(out.data(), 1, &got), -1);
}

TEST_F(RandomFileTest, LinesEndAtLineFeedsNulsOrTheBuffer) {
    Make(std::string("first\r\nsecond\n\nthird\0fourth-is-long", 35));
    char line[8];
    std::vector<std::string> lines;
    for (int length; (length = file_.gets(line, sizeof line)) >= 0;) lines.push_back(std::string(line, length));
    EXPECT_EQ(lines, (std::vector<std::string>{"first", "second", "", "third", "fourth-", "is-long"}));
}

TEST_F(RandomFileTest, AGrowingFileIsSeenAfterRefresh) {
    Make(Pattern(RandomFile::kBlockSize + 10, 2));
    EXPECT_EQ(file_.GetChar(RandomFile::kBlockSize + 9), static_cast<uint8_t>(bytes_.back()));
    const std::string more = Pattern(5000, 3);
    {
        FILE* append = fopen(path_.c_str(), "ab");
        ASSERT_NE(append, nullptr);
        fwrite(more.data(), 1, more.size(), append);
        fclose(append);
    }
    EXPECT_EQ(file_.GetChar(RandomFile::kBlockSize + 10), -1);  // not until asked
    ASSERT_EQ(file_.Refresh(), 0);
    EXPECT_EQ(file_.size(), static_cast<int64_t>(bytes_.size() + more.size()));
    for (size_t i = 0; i < more.size(); i++)
        ASSERT_EQ(file_.GetChar(static_cast<int64_t>(bytes_.size() + i)), static_cast<uint8_t>(more[i])) << i;
}

TEST_F(RandomFileTest, TheReadAheadThreadEndsWithTheFile) {
    const int before = Threads();
    Make(Pattern(8 * RandomFile::kBlockSize, 4));
    EXPECT_EQ(Threads(), before + 1);
    for (int64_t pos = 0; pos < file_.size(); pos += 100) ASSERT_GE(file_.GetChar(pos), 0);
    file_.close();
    EXPECT_EQ(Threads(), before);
    EXPECT_EQ(file_.GetChar(0), -1);
    EXPECT_NE(file_.open(DecodeFileName((dir_ / "missing").c_str())), 0);
    EXPECT_FALSE(file_.is_open());
}

}  // namespace
