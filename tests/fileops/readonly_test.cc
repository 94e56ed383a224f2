// The temporary write permission for saving over a read-only file.
#include "fileops/query/readonly.h"

#include <cerrno>
#include <tuple>

#include "lib/fsname.h"
#include "tests/fileops/temp_dir.h"

namespace {

int ModeOf(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 ? static_cast<int>(status.st_mode & 07777) : -1;
}

// A file with a mode, in its own directory.
class ReadOnlyOverrideTest : public ::testing::Test {
protected:
    std::string File(const std::string& name, mode_t mode) { return dir_.Write(name, "x", mode); }
    static Westring W(const std::string& path) { return DecodeFileName(path.c_str()); }
    CTempDir dir_;
    CReadOnlyOverride override_;
};

TEST_F(ReadOnlyOverrideTest, OverrideAndRelease) {
    // Also for a name that is not UTF-8.
    for (const auto& [name, mode, writable] : {std::tuple("ro", 0444, 0644), std::tuple("r\xe9o", 0400, 0600)}) {
        std::string file = File(name, mode);
        EXPECT_EQ(override_.Override(W(file)), 0);
        EXPECT_TRUE(override_.active());
        EXPECT_EQ(ModeOf(file), writable);
        EXPECT_EQ(override_.Release(), 0);
        EXPECT_FALSE(override_.active());
        EXPECT_EQ(ModeOf(file), mode);
        EXPECT_EQ(override_.Release(), 0);  // a second release has nothing to do
        EXPECT_EQ(ModeOf(file), mode);
    }
}

TEST_F(ReadOnlyOverrideTest, SpecialBitsAreRestoredByTheDestructor) {
    std::string file = File("odd", 02551);
    int before = ModeOf(file);
    {
        CReadOnlyOverride override;
        ASSERT_EQ(override.Override(W(file)), 0);
        EXPECT_TRUE(ModeOf(file) & S_IWUSR);
    }
    EXPECT_EQ(ModeOf(file), before);
}

TEST_F(ReadOnlyOverrideTest, WritableOrMissingFilesAreOtherProblems) {
    std::string file = File("rw", 0644);
    EXPECT_EQ(override_.Override(W(file)), EACCES);
    EXPECT_FALSE(override_.active());
    EXPECT_EQ(override_.Release(), 0);
    EXPECT_EQ(ModeOf(file), 0644);
    EXPECT_EQ(override_.Override(W(dir_ / "missing")), ENOENT);
    EXPECT_FALSE(override_.active());
}

TEST_F(ReadOnlyOverrideTest, NewOverrideReleasesTheOldOne) {
    std::string a = File("a", 0444), b = File("b", 0444);
    ASSERT_EQ(override_.Override(W(a)), 0);
    ASSERT_EQ(override_.Override(W(b)), 0);
    EXPECT_EQ(ModeOf(a), 0444);
    EXPECT_EQ(ModeOf(b), 0644);
}

}  // namespace
