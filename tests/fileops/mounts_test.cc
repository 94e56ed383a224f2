// The mount table, file-system attribution of paths and disk space.
#include "fileops/query/mounts.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "console/msgbox.h"
#include "lib/fsname.h"
#include "tests/fileops/temp_dir.h"
#include "tests/support/uitest.h"

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
        for (const char* sub : {"usr", "usr/local", "usrx", "a b", "a b/inner", "back\\slash", "caf\xe9"})
            ASSERT_EQ(mkdir((base_ + "/" + sub).c_str(), 0755), 0) << sub;
    }

    std::string Table(const std::string& lines) { return dir_.Write("mounts", lines); }

    // The mount point FindPos attributes path (below the base) to, or "-".
    std::string MountOf(const CMountPointList& list, const std::string& path) {
        int i = list.FindPos(Wide(path));
        if (i < 0) return "-";
        return EncodeFileName(list[i]->mount_point).c_str();
    }

    CTempDir dir_;
    std::string base_;
};

TEST_F(MountTableTest, FieldsEscapesAndTheLongestMountPointHoldingAPath) {
    std::string table = Table(
        "/dev/sda1 / ext4 rw,relatime 0 0\n"
        "server:/export\\040share " + base_ + "/a\\040b nfs rw 0 0\n"
        "dev2 " + base_ + "/back\\134slash ext4 rw 0 0\n"
        "dev3 " + base_ + "/caf\\351 vfat rw 0 0\n"
        "\n"
        "tabbed\t" + base_ + "/with blank\txfs\trw\n"
        "odd\\x " + base_ + "/keep\\9 ext4 rw 0 0\n"
        "dev1 " + base_ + "/usr ext4 rw 0 0\n");
    CMountPointList list;
    ASSERT_TRUE(list.Load(0, true, table.c_str()));
    ASSERT_EQ(list.count(), 7);  // the empty line is no file system
    EXPECT_EQ(W(list[0]->device), L"/dev/sda1");
    EXPECT_EQ(W(list[0]->mount_point), L"/");
    EXPECT_EQ(W(list[0]->fs_type), L"ext4");
    EXPECT_EQ(W(list[1]->device), L"server:/export share");
    EXPECT_EQ(W(list[1]->mount_point), W(Wide(base_ + "/a b")));
    EXPECT_EQ(W(list[1]->fs_type), L"nfs");
    EXPECT_EQ(W(list[2]->mount_point), W(Wide(base_ + "/back\\slash")));
    // A byte that is not UTF-8 stays the same byte.
    EXPECT_EQ(EncodeFileName(list[3]->mount_point).c_str(), base_ + "/caf\xe9");
    // With tabs in the line, blanks belong to the fields.
    EXPECT_EQ(W(list[4]->device), L"tabbed");
    EXPECT_EQ(W(list[4]->mount_point), W(Wide(base_ + "/with blank")));
    EXPECT_EQ(W(list[4]->fs_type), L"xfs");
    // A backslash that starts no escape is kept.
    EXPECT_EQ(W(list[5]->device), L"odd\\x");
    EXPECT_EQ(W(list[5]->mount_point), W(Wide(base_ + "/keep\\9")));
    EXPECT_EQ(list[0]->total_bytes, 0u);  // no sizes asked for

    // Symbolic links are followed first.
    ASSERT_EQ(symlink((base_ + "/usr/local").c_str(), (base_ + "/link").c_str()), 0);
    const std::pair<std::string, std::string> held[] = {
        {"/usr/local", "/usr"}, {"/usr", "/usr"}, {"/usr/", "/usr"}, {"/a b/inner", "/a b"},
        {"/back\\slash", "/back\\slash"}, {"/caf\xe9", "/caf\xe9"}, {"/link", "/usr"}};
    for (const auto& [path, mount] : held) EXPECT_EQ(MountOf(list, base_ + path), base_ + mount) << path;
    for (const std::string& path : {base_ + "/usrx", base_, std::string("/")})  // "/usrx" is not below "/usr"
        EXPECT_EQ(MountOf(list, path), "/") << path;
    TMountPoint* record = list.Find(Wide(base_ + "/usr/local"));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(W(record->device), L"dev1");

    // A later mount over the same place wins.
    ASSERT_TRUE(list.Load(0, true, Table("first " + base_ + "/usr ext4 rw 0 0\nsecond " + base_ +
                                         "/usr ext4 rw 0 0\n").c_str()));
    EXPECT_EQ(W(list.Find(Wide(base_ + "/usr/local"))->device), L"second");
}

TEST_F(MountTableTest, NoMountPointOrUnresolvablePath) {
    std::string table = Table("dev1 " + base_ + "/usr ext4 rw 0 0\n");
    CMountPointList list;
    ASSERT_TRUE(list.Load(0, true, table.c_str()));
    // Without "/" in the table a path elsewhere belongs to nothing, quietly.
    // (With nothing queued, a message box would make the run fail.)
    CUiTest ui(80, 25);
    EXPECT_EQ(ui.Run([&] { return list.FindPos(Wide(base_ + "/usrx")); }), -1);

    // An unresolvable path is reported, titled with the path, with an OK button.
    Westring missing = Wide(base_ + "/no/such/dir");
    ui.Keys("Enter Enter");
    ui.RecordScreens(true);
    EXPECT_EQ(ui.Run([&] { return list.FindPos(missing); }), -1);
    EXPECT_EQ(ui.Run([&] { return list.Find(missing) == nullptr ? 1 : 0; }), 1);
    ASSERT_FALSE(ui.Screens().empty());
    const CUiTest::Screen& shown = ui.Screens().front();
    EXPECT_TRUE(shown.Find("error resolving path: No such file or directory")) << shown.Dump();
    EXPECT_TRUE(shown.Find(EncodeFileName(missing).c_str())) << shown.Dump();
    EXPECT_TRUE(shown.Find("OK")) << shown.Dump();
}

TEST_F(MountTableTest, LongPathsAndLines) {
    // Deep enough to pass 512 and 1024 characters, short of PATH_MAX, in a
    // table line longer than 2000 bytes.
    std::string deep = base_ + "/usr";
    while (deep.size() < 1500) {
        deep += "/" + std::string(60, 'd');
        ASSERT_EQ(mkdir(deep.c_str(), 0755), 0);
    }
    std::string options(2000, 'o');
    std::string table = Table("/dev/root / ext4 rw 0 0\ndev1 " + deep + " ext4 " + options + " 0 0\n");
    CMountPointList list;
    ASSERT_TRUE(list.Load(0, true, table.c_str()));
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(W(list[1]->fs_type), L"ext4");
    EXPECT_EQ(MountOf(list, deep), deep);
    EXPECT_EQ(MountOf(list, base_ + "/usr"), "/");
}

TEST_F(MountTableTest, PseudoFileSystemsOnlyWithAll) {
    std::string table = Table(
        "/dev/root / ext4 rw 0 0\n"
        "tmpfs " + base_ + "/usr tmpfs rw 0 0\n"
        "proc /proc proc rw 0 0\n"
        "gone " + base_ + "/vanished ext4 rw 0 0\n");
    CMountPointList all, real;
    ASSERT_TRUE(all.Load(0, true, table.c_str()));
    EXPECT_EQ(all.count(), 4);
    ASSERT_TRUE(real.Load(0, false, table.c_str()));
    // tmpfs goes by its type, proc by having no blocks; a mount point whose
    // statistics cannot be read stays, without sizes.
    ASSERT_EQ(real.count(), 2);
    EXPECT_EQ(W(real[0]->mount_point), L"/");
    EXPECT_GT(real[0]->total_bytes, 0u);
    EXPECT_LE(real[0]->free_bytes, real[0]->total_bytes);
    EXPECT_EQ(W(real[1]->device), L"gone");
    EXPECT_EQ(real[1]->total_bytes, 0u);
}

void SetTime(const std::string& path, time_t seconds) {
    struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

TEST_F(MountTableTest, StaleWhenTheTableChanges) {
    CMountPointList missing;
    EXPECT_FALSE(missing.Load(0, true, (base_ + "/no-table").c_str()));
    EXPECT_EQ(missing.count(), 0);
    EXPECT_FALSE(missing.IsStale());
    EXPECT_FALSE(missing.Load(0, true, nullptr));

    std::string table = Table("/dev/root / ext4 rw 0 0\n");
    SetTime(table, 1000000000);
    CMountPointList list;
    ASSERT_TRUE(list.Load(0, true, table.c_str()));
    EXPECT_EQ(list.table_time().seconds, 1000000000);
    EXPECT_FALSE(list.IsStale());

    Table("/dev/root / ext4 rw 0 0\nnew " + base_ + "/usr ext4 rw 0 0\n");
    SetTime(table, 1000000100);
    EXPECT_TRUE(list.IsStale());
    ASSERT_TRUE(list.Load(0, true, table.c_str()));
    EXPECT_FALSE(list.IsStale());

    // An older time does not count; a table that is gone is never stale.
    SetTime(table, 999999000);
    EXPECT_FALSE(list.IsStale());
    ASSERT_EQ(unlink(table.c_str()), 0);
    EXPECT_FALSE(list.IsStale());

    // A table that reports size 0 (as the system's generated ones do) says
    // nothing with its time: its text decides.
    Table("");
    SetTime(table, 1000000000);
    ASSERT_TRUE(list.Load(0, true, table.c_str()));
    EXPECT_FALSE(list.IsStale());
    Table("/dev/root / ext4 rw 0 0\n");
    SetTime(table, 1000000000);
    EXPECT_TRUE(list.IsStale());
}

TEST(MountSystemTest, TheSystemTable) {
    CMountPointList list;
    ASSERT_TRUE(list.Load(0, true));
    EXPECT_GT(list.count(), 0);
    EXPECT_FALSE(list.table().empty());
    EXPECT_FALSE(list.IsStale());
    int root = list.FindPos(L"/");
    ASSERT_GE(root, 0);
    EXPECT_EQ(W(list[root]->mount_point), L"/");

    CMountPointList proc;
    ASSERT_TRUE(proc.Load(0, true, "/proc/self/mounts"));
    EXPECT_FALSE(proc.IsStale());
}

TEST(MountSystemTest, FileSystemInfoAndDiskSpace) {
    Estring type;
    Westring mount;
    ASSERT_TRUE(GetUnixFSInfo(type, mount, L"/"));
    EXPECT_EQ(W(mount), L"/");
    EXPECT_FALSE(type.empty());
    ASSERT_TRUE(GetUnixFSInfo(type, mount, L"/proc/self"));
    EXPECT_STREQ(type.c_str(), "proc");
    EXPECT_EQ(W(mount), L"/proc");

    long long total = -1, free = -1;
    unsigned long block = 0;
    ASSERT_EQ(dvGetDiskSpace(L"/", total, free, block), 0);
    EXPECT_GT(total, 0);
    EXPECT_GE(free, 0);
    EXPECT_LE(free, total);
    EXPECT_GT(block, 0u);
    EXPECT_EQ(dvGetDiskSpace(L"/no/such/place", total, free, block), ENOENT);
}

}  // namespace
