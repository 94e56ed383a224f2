// The user's permissions on entries and the text form of modes.
#include "fileops/query/permissions.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

// An entry with the given owner, group and mode (the name is not needed).
class CTestEntry {
public:
    CTestEntry(uint32_t uid, uint32_t gid, uint16_t mode)
        : block_(::operator new(sizeof(entry) + sizeof(wchar_t))) {
        std::memset(block_, 0, sizeof(entry) + sizeof(wchar_t));
        entry& e = get();
        e.uid = uid;
        e.gid = gid;
        e.mode = mode;
    }
    ~CTestEntry() { ::operator delete(block_); }
    CTestEntry(const CTestEntry&) = delete;
    CTestEntry& operator=(const CTestEntry&) = delete;
    entry& get() { return *static_cast<entry*>(block_); }

private:
    void* block_;
};

TEST(ModeTextTest, Modes) {
    struct Case {
        int mode;
        const wchar_t* text;
    } cases[] = {
        {0, L"---------"},      {0777, L"rwxrwxrwx"},   {0644, L"rw-r--r--"},
        {0755, L"rwxr-xr-x"},   {04755, L"rwsr-xr-x"},  {04644, L"rwSr--r--"},
        {02710, L"rwx--s---"},  {02700, L"rwx--S---"},  {01777, L"rwxrwxrwt"},
        {01776, L"rwxrwxrwT"},  {07777, L"rwsrwsrwt"},  {07000, L"--S--S--T"},
        {S_IFDIR | 0750, L"rwxr-x---"},  // the file type is no part of the text
        {0421, L"r---w---x"},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(UnixMode2Str(c.mode).c_str(), c.text) << std::oct << c.mode;
    }
}

// A group the process is not in.
gid_t ForeignGroup() {
    std::vector<gid_t> mine(static_cast<size_t>(std::max(getgroups(0, nullptr), 0)) + 1);
    int n = getgroups(static_cast<int>(mine.size()), mine.data());
    mine.resize(n > 0 ? static_cast<size_t>(n) : 0);
    mine.push_back(getegid());
    gid_t g = 54321;
    while (std::find(mine.begin(), mine.end(), g) != mine.end()) g++;
    return g;
}

TEST(PermissionsTest, OwnerGroupOthers) {
    uid_t me = geteuid();
    uid_t someone = me + 1000;
    gid_t foreign = ForeignGroup();

    CTestEntry mine(me, foreign, 0741);
    EXPECT_EQ(MyPermissions(mine.get()), 7);
    CTestEntry mine_no_rights(me, getegid(), 0077);  // owner bits win even when empty
    EXPECT_EQ(MyPermissions(mine_no_rights.get()), 0);

    CTestEntry group_file(someone, getegid(), 0750);
    EXPECT_EQ(MyPermissions(group_file.get()), 5);

    CTestEntry others_file(someone, foreign, 0764);
    EXPECT_EQ(MyPermissions(others_file.get()), 4);
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
                CTestEntry e(geteuid() + 1, extra, 0057);
                _exit(MyPermissions(e.get()) == 5 ? 0 : 1);
            },
            ::testing::ExitedWithCode(0), "");
        GTEST_FLAG_SET(death_test_style, style);
        return;
    }
    std::vector<gid_t> groups(static_cast<size_t>(std::max(getgroups(0, nullptr), 0)));
    int n = groups.empty() ? 0 : getgroups(static_cast<int>(groups.size()), groups.data());
    if (n <= 0) GTEST_SKIP() << "the process has no supplementary groups";
    for (int i = 0; i < n; i++) {
        CTestEntry e(geteuid() + 1, groups[static_cast<size_t>(i)], 0070);
        EXPECT_EQ(MyPermissions(e.get()), 7) << groups[static_cast<size_t>(i)];
    }
}

TEST(PermissionsTest, Executable) {
    CTestEntry script(geteuid(), 0, 0700);
    EXPECT_TRUE(IsExecutable(&script.get()));
    CTestEntry text(geteuid(), 0, 0677);
    EXPECT_FALSE(IsExecutable(&text.get()));
    EXPECT_FALSE(IsExecutable(nullptr));
}

}  // namespace
