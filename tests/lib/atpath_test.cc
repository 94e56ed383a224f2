#include "lib/atpath.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/support/temp_dir.h"
#include "tests/support/shell_output.h"

namespace {

// What find(1) prints for the files below dir named name.
std::string FindByName(const std::string& dir, const std::string& name) {
    return ShellOutput("find '" + dir + "' -name '" + name + "'");
}

TEST(AtPath, ShortPathsGoToTheSystemAsTheyAre) {
    AtPath at("some/relative/name");
    EXPECT_EQ(at.dir(), AT_FDCWD);
    EXPECT_STREQ(at.leaf(), "some/relative/name");
    EXPECT_EQ(at.error(), 0);
}

TEST(AtPath, ReachesFilesBelowThePathLimit) {
    CTempDir tmp;
    // 40 levels of 120 bytes: about 4,900 bytes, past the limit.
    std::string deep = tmp.MakeDeepDirs("top", 40, 120);
    ASSERT_GT(deep.size(), static_cast<size_t>(PATH_MAX));
    std::string file = deep + "/deepest.txt";
    {
        AtPath at(file.c_str());
        ASSERT_EQ(at.error(), 0);
        EXPECT_STREQ(at.leaf(), "deepest.txt");
        int fd = openat(at.dir(), at.leaf(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(write(fd, "x", 1), 1);
        close(fd);
    }
    EXPECT_EQ(FindByName(tmp.path(), "deepest.txt"), file + "\n");

    AtPath dir((deep + "/").c_str());
    int listed = dir.OpenDirectory();
    EXPECT_GE(listed, 0);
    if (listed >= 0) close(listed);

    AtPath missing((deep + "/nowhere/more/x").c_str());
    EXPECT_EQ(missing.error(), ENOENT);
    struct stat status;
    EXPECT_NE(fstatat(missing.dir(), missing.leaf(), &status, 0), 0);
}


}  // namespace
