// Counting a path before a copy, against find: a file is one file, a link
// is itself, a directory everything below it; Esc and Break stop a count.
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "console/console.h"
#include "fileops/copyseams.h"
#include "fileops/sizecount.h"
#include "tests/support/shell_output.h"
#include "tests/support/temp_dir.h"

namespace {

uint64_t find_number(const std::string& command) { return std::stoull(ShellOutput(command)); }

// What find sees below dir: the bytes of everything but directories, the
// number of such entries, and the directories (dir itself among them).
uint64_t find_bytes(const std::string& dir) {
    return find_number("find '" + dir + "' ! -type d -printf '%s\\n' | awk '{s+=$1} END {printf \"%d\", s}'");
}
uint64_t find_count(const std::string& dir, const std::string& test) {
    return find_number("find '" + dir + "' " + test + " | wc -l");
}

class SizeCountTest : public ::testing::Test {
protected:
    void TearDown() override {
        copy_seams.esc_pending = nullptr;
        break_status = 0;
    }
    static Westring W(const std::string& path) { return Westring(path.c_str()); }
    CTempDir disk;
};

TEST_F(SizeCountTest, ADirectoryCountsWhatLiesBelowItWithoutFollowingLinks) {
    disk.MakeDir("top");
    disk.MakeDir("top/a");
    disk.MakeDir("top/a/b");
    disk.MakeDir("top/empty");
    disk.MakeDir("elsewhere");
    disk.Write("top/one", std::string(1000, '1'));
    disk.Write("top/a/two", std::string(2345, '2'));
    disk.Write("top/a/b/three", "3");
    disk.Write("elsewhere/big", std::string(200000, 'b'));
    ASSERT_EQ(symlink((disk / "elsewhere/big").c_str(), (disk / "top/a/to-big").c_str()), 0);
    ASSERT_EQ(symlink((disk / "elsewhere").c_str(), (disk / "top/to-dir").c_str()), 0);
    copy_seams.esc_pending = [] { return false; };

    SizeCount count;
    ASSERT_TRUE(CountPath(W(disk / "top"), count));
    EXPECT_EQ(count.bytes.load(), find_bytes(disk / "top"));
    EXPECT_LT(count.bytes.load(), 200000u);
    EXPECT_EQ(count.files.load(), find_count(disk / "top", "! -type d"));
    EXPECT_EQ(count.directories.load(), find_count(disk / "top", "-type d"));

    // Counts add up over several paths; a file is one file.
    ASSERT_TRUE(CountPath(W(disk / "elsewhere/big"), count));
    EXPECT_EQ(count.bytes.load(), find_bytes(disk / "top") + 200000);
    EXPECT_EQ(count.files.load(), find_count(disk / "top", "! -type d") + 1);

    // A link to a directory named itself is its own length, not the directory.
    SizeCount link;
    ASSERT_TRUE(CountPath(W(disk / "top/to-dir"), link));
    EXPECT_EQ(link.bytes.load(), find_bytes(disk / "top/to-dir"));
    EXPECT_EQ(link.files.load(), 1u);
    EXPECT_EQ(link.directories.load(), 0u);

    // A path that is gone counts nothing and is no failure.
    SizeCount gone;
    ASSERT_TRUE(CountPath(W(disk / "missing"), gone));
    EXPECT_EQ(gone.bytes.load() + gone.files.load() + gone.directories.load(), 0u);
}

TEST_F(SizeCountTest, EscAndBreakStopACountEvenInsideOneLargeDirectory) {
    disk.MakeDir("flat");
    for (int i = 0; i < 3000; i++) disk.Write("flat/f" + std::to_string(i), "x");
    // Esc is pressed only after the count has begun listing the directory.
    static int looks;
    looks = 0;
    copy_seams.esc_pending = [] { return ++looks > 1; };
    SizeCount count;
    EXPECT_FALSE(CountPath(W(disk / "flat"), count));
    EXPECT_LT(count.files.load(), 3000u);

    copy_seams.esc_pending = [] { return false; };
    break_status = 2;
    SizeCount broken;
    EXPECT_FALSE(CountPath(W(disk / "flat"), broken));
    EXPECT_FALSE(CountPath(W(disk / "flat/f1"), broken));

    break_status = 0;
    SizeCount whole;
    EXPECT_TRUE(CountPath(W(disk / "flat"), whole));
    EXPECT_EQ(whole.files.load(), 3000u);
}

}  // namespace
