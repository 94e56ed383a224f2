// The temporary write permission for saving over a read-only file.
#include "fileops/query/readonly.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "lib/fsname.h"
#include "tests/fileops/temp_dir.h"

namespace {

int ModeOf(const std::string& path) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0) return -1;
    return status.st_mode & 07777;
}

TEST(ReadOnlyOverrideTest, OverrideAndRelease) {
    CTempDir dir;
    std::string file = dir.Write("ro", "x");
    ASSERT_EQ(chmod(file.c_str(), 0444), 0);
    CReadOnlyOverride override;
    EXPECT_EQ(override.Override(DecodeFileName(file.c_str())), 0);
    EXPECT_TRUE(override.active());
    EXPECT_EQ(ModeOf(file), 0644);
    EXPECT_EQ(override.Release(), 0);
    EXPECT_FALSE(override.active());
    EXPECT_EQ(ModeOf(file), 0444);
    // A second release has nothing to do.
    EXPECT_EQ(override.Release(), 0);
    EXPECT_EQ(ModeOf(file), 0444);
}

TEST(ReadOnlyOverrideTest, SpecialBitsAreRestored) {
    CTempDir dir;
    std::string file = dir.Write("odd", "x");
    ASSERT_EQ(chmod(file.c_str(), 02551), 0);
    int before = ModeOf(file);
    {
        CReadOnlyOverride override;
        ASSERT_EQ(override.Override(DecodeFileName(file.c_str())), 0);
        EXPECT_TRUE(ModeOf(file) & S_IWUSR);
    }  // the destructor releases
    EXPECT_EQ(ModeOf(file), before);
}

TEST(ReadOnlyOverrideTest, AlreadyWritableIsAnotherProblem) {
    CTempDir dir;
    std::string file = dir.Write("rw", "x");
    ASSERT_EQ(chmod(file.c_str(), 0644), 0);
    CReadOnlyOverride override;
    EXPECT_EQ(override.Override(DecodeFileName(file.c_str())), EACCES);
    EXPECT_FALSE(override.active());
    EXPECT_EQ(override.Release(), 0);
    EXPECT_EQ(ModeOf(file), 0644);
}

TEST(ReadOnlyOverrideTest, MissingFile) {
    CTempDir dir;
    CReadOnlyOverride override;
    EXPECT_EQ(override.Override(DecodeFileName((dir / "missing").c_str())), ENOENT);
    EXPECT_FALSE(override.active());
}

TEST(ReadOnlyOverrideTest, NameThatIsNotUtf8) {
    CTempDir dir;
    std::string file = dir.Write("r\xe9o", "x");
    ASSERT_EQ(chmod(file.c_str(), 0400), 0);
    CReadOnlyOverride override;
    ASSERT_EQ(override.Override(DecodeFileName(file.c_str())), 0);
    EXPECT_EQ(ModeOf(file), 0600);
    EXPECT_EQ(override.Release(), 0);
    EXPECT_EQ(ModeOf(file), 0400);
}

TEST(ReadOnlyOverrideTest, NewOverrideReleasesTheOldOne) {
    CTempDir dir;
    std::string a = dir.Write("a", "x"), b = dir.Write("b", "x");
    ASSERT_EQ(chmod(a.c_str(), 0444), 0);
    ASSERT_EQ(chmod(b.c_str(), 0444), 0);
    CReadOnlyOverride override;
    ASSERT_EQ(override.Override(DecodeFileName(a.c_str())), 0);
    ASSERT_EQ(override.Override(DecodeFileName(b.c_str())), 0);
    EXPECT_EQ(ModeOf(a), 0444);
    EXPECT_EQ(ModeOf(b), 0644);
}

}  // namespace
