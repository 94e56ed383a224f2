// The mount table, file-system attribution of paths and disk space.
#include "fileops/query/mounts.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "lib/fsname.h"
#include "tests/support/temp_dir.h"

namespace {

std::wstring W(const Westring& w) { return w.c_str(); }
Westring Wide(const std::string& bytes) { return DecodeFileName(bytes.c_str()); }

// A temporary directory with a fake mount table naming places inside it.
class MountTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        char* real = realpath(dir_.path().c_str(), nullptr);
        ASSERT_NE(real, nullptr);
        base_ = real;
        std::free(real);
        for (const char* sub : {"usr", "usr/local", "usrx", "a b", "caf\xe9"})
            ASSERT_EQ(mkdir((base_ + "/" + sub).c_str(), 0755), 0) << sub;
    }
    std::string Table(const std::string& lines) { return dir_.Write("mounts", lines); }
    // The mount point FindPos attributes path to, or "-".
    std::string MountOf(const CMountPointList& list, const std::string& path) {
        int i = list.FindPos(Wide(path));
        return i < 0 ? "-" : EncodeFileName(list[i]->mount_point).c_str();
    }

    CTempDir dir_;
    std::string base_;
};

TEST_F(MountTableTest, EscapesAndTheLongestMountPointHoldingAPath) {
    std::string table = Table(
        "/dev/sda1 / ext4 rw,relatime 0 0\n"
        "server:/export\\040share " + base_ + "/a\\040b nfs rw 0 0\n"
        "dev3 " + base_ + "/caf\\351 vfat rw 0 0\n"
        "\n"
        "odd\\x " + base_ + "/keep\\9 ext4 rw 0 0\n"
        "dev1 " + base_ + "/usr ext4 rw 0 0\n");
    CMountPointList list;
    ASSERT_TRUE(list.Load(0, true, table.c_str()));
    ASSERT_EQ(list.count(), 5);  // the empty line is no file system
    EXPECT_EQ(W(list[1]->device), L"server:/export share");
    EXPECT_EQ(W(list[1]->fs_type), L"nfs");
    // A byte that is not UTF-8 stays the same byte; a backslash that starts
    // no escape is kept.
    EXPECT_EQ(EncodeFileName(list[2]->mount_point).c_str(), base_ + "/caf\xe9");
    EXPECT_EQ(W(list[3]->device), L"odd\\x");

    // Symbolic links are followed first; "/usrx" is not below "/usr".
    ASSERT_EQ(symlink((base_ + "/usr/local").c_str(), (base_ + "/link").c_str()), 0);
    const std::pair<std::string, std::string> held[] = {
        {"/usr/local", "/usr"}, {"/a b", "/a b"}, {"/link", "/usr"}, {"/usrx", ""}};
    for (const auto& [path, mount] : held)
        EXPECT_EQ(MountOf(list, base_ + path), mount.empty() ? "/" : base_ + mount) << path;
}

TEST_F(MountTableTest, UnresolvablePathGivesItsError) {
    CMountPointList list;
    ASSERT_TRUE(list.Load(0, true, Table("dev1 " + base_ + "/usr ext4 rw 0 0\n").c_str()));
    int failure = 0;
    EXPECT_EQ(list.FindPos(Wide(base_ + "/no/such/dir"), &failure), -1);
    EXPECT_EQ(failure, ENOENT);
    EXPECT_EQ(list.FindPos(Wide(base_ + "/usr"), &failure), 0);
    EXPECT_EQ(failure, 0);
}

TEST_F(MountTableTest, LongPathsAndLines) {
    // Deep enough to pass 512 and 1024 characters, short of PATH_MAX, in a
    // table line longer than 2000 bytes.
    std::string deep = base_ + "/usr";
    while (deep.size() < 1500) {
        deep += "/" + std::string(60, 'd');
        ASSERT_EQ(mkdir(deep.c_str(), 0755), 0);
    }
    std::string table = Table("/dev/root / ext4 rw 0 0\ndev1 " + deep + " ext4 " + std::string(2000, 'o') + " 0 0\n");
    CMountPointList list;
    ASSERT_TRUE(list.Load(0, true, table.c_str()));
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(W(list[1]->fs_type), L"ext4");
    EXPECT_EQ(MountOf(list, deep), deep);
}

TEST_F(MountTableTest, StaleWhenTheTableChanges) {
    auto set_time = [](const std::string& path, time_t seconds) {
        struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    };
    std::string table = Table("/dev/root / ext4 rw 0 0\n");
    set_time(table, 1000000000);
    CMountPointList list;
    ASSERT_TRUE(list.Load(0, true, table.c_str()));
    EXPECT_FALSE(list.IsStale());
    Table("/dev/root / ext4 rw 0 0\nnew " + base_ + "/usr ext4 rw 0 0\n");
    set_time(table, 1000000100);
    EXPECT_TRUE(list.IsStale());
    // A table that reports size 0 (as the system's generated ones do) says
    // nothing with its time: its text decides.
    Table("");
    set_time(table, 1000000000);
    ASSERT_TRUE(list.Load(0, true, table.c_str()));
    Table("/dev/root / ext4 rw 0 0\n");
    set_time(table, 1000000000);
    EXPECT_TRUE(list.IsStale());
    // A table that is gone is never stale.
    ASSERT_EQ(unlink(table.c_str()), 0);
    EXPECT_FALSE(list.IsStale());
}

TEST(MountSystemTest, TheSystemTableAndDiskSpace) {
    Estring type;
    Westring mount;
    ASSERT_TRUE(GetUnixFSInfo(type, mount, L"/proc/self"));
    EXPECT_STREQ(type.c_str(), "proc");
    EXPECT_EQ(W(mount), L"/proc");

    long long total = -1, free = -1;
    unsigned long block = 0;
    ASSERT_EQ(dvGetDiskSpace(L"/", total, free, block), 0);
    EXPECT_GT(total, 0);
    EXPECT_LE(free, total);
    EXPECT_EQ(dvGetDiskSpace(L"/no/such/place", total, free, block), ENOENT);
}

}  // namespace
