// The platform queries: link targets, owners, permissions and modes, path
// tests, the search path, the temporary write permission of read-only files,
// the mount table and disk space, and opening the desktop's file manager.
#include <fcntl.h>
#include <grp.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>
#include <tuple>
#include <vector>

#include "config/config.h"
#include "fileops/query/links.h"
#include "fileops/query/mounts.h"
#include "fileops/query/owners.h"
#include "fileops/query/paths.h"
#include "fileops/query/permissions.h"
#include "fileops/query/readonly.h"
#include "fileops/query/shellwindow.h"
#include "lib/fsname.h"
#include "tests/support/env_guard.h"
#include "tests/support/temp_dir.h"

namespace {

Westring Wide(const std::string& bytes) { return DecodeFileName(bytes.c_str()); }
std::wstring W(const Westring& w) { return w.c_str(); }
int ModeOf(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 ? static_cast<int>(status.st_mode & 07777) : -1;
}

TEST(LinkTargetTest, Targets) {
    CTempDir dir;
    // Past the old 2047-byte limit, within what the system allows.
    std::string long_target;
    while (long_target.size() < 4000) long_target += "segment-" + std::to_string(long_target.size()) + "/";
    const std::pair<std::string, std::string> links[] = {
        {"utf8", "caf\xc3\xa9"}, {"long", long_target}, {"l\xff", "t\xe9\x80"}};
    for (const auto& [name, target] : links) {
        ASSERT_EQ(symlink(target.c_str(), (dir / name).c_str()), 0);
        EXPECT_EQ(EncodeFileName(GetLinkTarget(Wide(dir / name))).c_str(), target) << name;
    }
    EXPECT_STREQ(GetLinkTarget(Wide(dir / "utf8")).c_str(), L"caf\u00e9");
    // Links the system makes up report size 0.
    EXPECT_EQ(EncodeFileName(GetLinkTarget(L"/proc/self")).c_str(), std::to_string(getpid()));
    for (const std::string& path : {dir.Write("file", "x"), dir.path(), dir / "missing", std::string()})
        EXPECT_TRUE(GetLinkTarget(Wide(path)).empty()) << path;
}

TEST(OwnersTest, KnownUnknownAndConcurrentLookups) {
    EXPECT_EQ(W(UID2Str(0)), L"root");
    EXPECT_EQ(Str2GID(L"root"), 0);
    EXPECT_EQ(W(GID2Str(3999999999u)), L"3999999999");
    // A number is not a name; strange and very long names are simply unknown.
    for (const Westring& name : {Westring(L"3999999999"), Westring(L"x\xdcff\U0001f600"), Westring(String(L'g', 100000))}) {
        EXPECT_EQ(Str2UID(name), -1);
        EXPECT_EQ(Str2GID(name), -1);
    }
    std::vector<std::thread> threads;
    std::vector<int> failures(8, 0);
    for (int t = 0; t < 8; t++) {
        threads.emplace_back([t, &failures] {
            for (int i = 0; i < 200; i++) {
                if (W(UID2Str(0)) != L"root") failures[t]++;
                gid_t g = static_cast<gid_t>(3999990000u + static_cast<unsigned>(i % 50));
                if (W(GID2Str(g)) != std::to_wstring(g)) failures[t]++;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int f : failures) EXPECT_EQ(f, 0);
}

// The process's groups.
std::vector<gid_t> MyGroups() {
    std::vector<gid_t> groups(static_cast<size_t>(std::max(getgroups(0, nullptr), 0)) + 1);
    int n = getgroups(static_cast<int>(groups.size()), groups.data());
    groups.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return groups;
}

TEST(PermissionsTest, ModeTextAndOwnerGroupOthers) {
    const std::pair<int, const wchar_t*> modes[] = {
        {04755, L"rwsr-xr-x"}, {02700, L"rwx--S---"}, {01776, L"rwxrwxrwT"},
        {S_IFDIR | 0421, L"r---w---x"},  // the file type is no part of the text
    };
    for (const auto& [mode, text] : modes) EXPECT_STREQ(UnixMode2Str(mode).c_str(), text) << std::oct << mode;

    uid_t me = geteuid();
    std::vector<gid_t> mine = MyGroups();
    mine.push_back(getegid());
    gid_t foreign = 54321;  // a group the process is not in
    while (std::find(mine.begin(), mine.end(), foreign) != mine.end()) foreign++;
    EXPECT_EQ(MyPermissions(0741, me, foreign), 7);
    EXPECT_EQ(MyPermissions(0077, me, getegid()), 0);  // owner bits win even when empty
    EXPECT_EQ(MyPermissions(0750, me + 1000, getegid()), 5);
    EXPECT_EQ(MyPermissions(0764, me + 1000, foreign), 4);
}

TEST(PermissionsTest, SupplementaryGroupGivesGroupBits) {
    if (geteuid() == 0) {
        // The superuser gives a fresh process (the groups are read once per
        // run) a supplementary group of its own.
        std::string style = GTEST_FLAG_GET(death_test_style);
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        EXPECT_EXIT(
            {
                gid_t extra = 54321;
                if (setgroups(1, &extra) != 0) _exit(2);
                _exit(MyPermissions(0057, geteuid() + 1, extra) == 5 ? 0 : 1);
            },
            ::testing::ExitedWithCode(0), "");
        GTEST_FLAG_SET(death_test_style, style);
        return;
    }
    std::vector<gid_t> groups = MyGroups();
    if (groups.empty()) GTEST_SKIP() << "the process has no supplementary groups";
    for (gid_t group : groups) EXPECT_EQ(MyPermissions(0070, geteuid() + 1, group), 7) << group;
}

TEST(SearchPathTest, EnvironmentThenAppended) {
    using List = std::vector<std::wstring>;
    const std::tuple<const char*, const wchar_t*, List> cases[] = {
        {"/usr/bin::/bin:", L"/opt/tools", {L"/usr/bin", L"/bin", L"/opt/tools"}},
        {nullptr, L"", {}},
        {"/a b:/caf\xe9", L"", {L"/a b", L"/caf\xdce9"}},
    };
    for (const auto& [env, append, expected] : cases) {
        CEnvGuard path("PATH", env);
        WestringStore store;
        GetPaths(store, append);
        List list;
        for (int i = 0; i < store.count(); i++) list.push_back(store[i]->c_str());
        EXPECT_EQ(list, expected) << (env ? env : "(no PATH)");
    }
}

// (Which paths lie below a directory is checked with the mount table and
// with copies into themselves.)
TEST(PathHelpersTest, ValidDirectory) {
    CTempDir dir;
    std::string file = dir.Write("file", "x");
    // A missing directory is no error of the listing itself.
    for (const std::string& good : {dir.path(), dir / "missing", dir.MakeDir("d\xe9")})
        EXPECT_TRUE(ValidDirectory(Wide(good))) << good;
    for (const std::string& bad : {file, dir / "file/below"}) EXPECT_FALSE(ValidDirectory(Wide(bad))) << bad;
}

TEST(ReadOnlyOverrideTest, OverrideReleaseAndOtherProblems) {
    CTempDir dir;
    std::string file = dir.Write("r\xe9o", "x", 02551);  // a name that is not UTF-8, special bits
    {
        CReadOnlyOverride override;
        ASSERT_EQ(override.Override(Wide(file)), 0);
        EXPECT_TRUE(override.active());
        EXPECT_TRUE(ModeOf(file) & S_IWUSR);
        EXPECT_EQ(override.Release(), 0);
        EXPECT_EQ(ModeOf(file), 02551);
        EXPECT_EQ(override.Release(), 0);  // a second release has nothing to do
        // The destructor restores the mode too.
        ASSERT_EQ(override.Override(Wide(file)), 0);
    }
    EXPECT_EQ(ModeOf(file), 02551);
    // A writable or missing file is another problem.
    CReadOnlyOverride override;
    std::string writable = dir.Write("rw", "x", 0644);
    EXPECT_EQ(override.Override(Wide(writable)), EACCES);
    EXPECT_EQ(override.Override(Wide(dir / "missing")), ENOENT);
    EXPECT_FALSE(override.active());
    EXPECT_EQ(ModeOf(writable), 0644);
}

// ---- the mount table

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

// ---- the desktop's file manager

class ShellWindowTest : public ::testing::Test {
protected:
    void SetUp() override { config.PathAppend = L""; }
    void TearDown() override { config.PathAppend = saved_append_; }

    // A stand-in for xdg-open in dir_/bin that notes its arguments, its
    // session and whether its input is a terminal; returns the directory.
    std::string InstallFake() {
        std::string bin = dir_.MakeDir("bin");
        std::string out = dir_.path();
        dir_.Write("bin/xdg-open",
                   "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > '" + out + "/args.tmp'\n"
                   "/usr/bin/readlink /proc/$$/fd/0 > '" + out + "/stdin'\n"
                   "/usr/bin/cut -d' ' -f6 /proc/$$/stat > '" + out + "/session'\n"
                   "exec 3> '" + out + "/args.done'\n", 0755);
        return bin;
    }
    // The arguments the fake noted, once it is done (a generous wait).
    std::string Arguments() {
        for (int i = 0; i < 1000 && !PathExists(dir_ / "args.done"); i++)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return ReadFile(dir_ / "args.tmp");
    }

    CTempDir dir_;
    Westring saved_append_ = config.PathAppend;
};

TEST_F(ShellWindowTest, StartsXdgOpenOnTheDirectory) {
    CEnvGuard path("PATH", ("/nonexistent:" + InstallFake()).c_str());
    std::string target = dir_ / "my dir \xe9";
    ASSERT_TRUE(OpenShellWindow(DecodeFileName(target.c_str())));
    EXPECT_EQ(Arguments(), "1|" + target);
    // Detached: no input, and a session of its own.
    EXPECT_EQ(ReadFile(dir_ / "stdin"), "/dev/null\n");
    EXPECT_NE(ReadFile(dir_ / "session"), std::to_string(getsid(0)) + "\n");
    EXPECT_FALSE(ReadFile(dir_ / "session").empty());
}

TEST_F(ShellWindowTest, DirectoryStartingWithDashIsNoOption) {
    CEnvGuard path("PATH", InstallFake().c_str());
    ASSERT_TRUE(OpenShellWindow(L"-rf"));
    EXPECT_EQ(Arguments(), "1|./-rf");
}

TEST_F(ShellWindowTest, NoXdgOpen) {
    // A file that is not executable does not count.
    dir_.MakeDir("bin");
    dir_.Write("bin/xdg-open", "#!/bin/sh\n");
    CEnvGuard path("PATH", (dir_ / "bin").c_str());
    EXPECT_FALSE(OpenShellWindow(L"/tmp"));
}

}  // namespace
