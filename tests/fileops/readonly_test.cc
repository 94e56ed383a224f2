// The temporary write permission for saving over a read-only file.
#include "fileops/query/readonly.h"

#include <cerrno>

#include "lib/fsname.h"
#include "tests/support/temp_dir.h"

namespace {

int ModeOf(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 ? static_cast<int>(status.st_mode & 07777) : -1;
}
Westring W(const std::string& path) { return DecodeFileName(path.c_str()); }

TEST(ReadOnlyOverrideTest, OverrideAndRelease) {
    CTempDir dir;
    std::string file = dir.Write("r\xe9o", "x", 02551);  // a name that is not UTF-8, special bits
    {
        CReadOnlyOverride override;
        ASSERT_EQ(override.Override(W(file)), 0);
        EXPECT_TRUE(override.active());
        EXPECT_TRUE(ModeOf(file) & S_IWUSR);
        EXPECT_EQ(override.Release(), 0);
        EXPECT_EQ(ModeOf(file), 02551);
        EXPECT_EQ(override.Release(), 0);  // a second release has nothing to do
        // The destructor restores the mode too.
        ASSERT_EQ(override.Override(W(file)), 0);
    }
    EXPECT_EQ(ModeOf(file), 02551);
}

TEST(ReadOnlyOverrideTest, WritableOrMissingFilesAreOtherProblems) {
    CTempDir dir;
    CReadOnlyOverride override;
    std::string file = dir.Write("rw", "x", 0644);
    EXPECT_EQ(override.Override(W(file)), EACCES);
    EXPECT_FALSE(override.active());
    EXPECT_EQ(ModeOf(file), 0644);
    EXPECT_EQ(override.Override(W(dir / "missing")), ENOENT);
    EXPECT_FALSE(override.active());
}

}  // namespace
