// The user's permissions on entries and the text form of modes.
#include "fileops/query/permissions.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "panels/entry.h"

namespace {

struct EntryDeleter {
    void operator()(entry* e) const { entry::Destroy(e); }
};
using EntryPtr = std::unique_ptr<entry, EntryDeleter>;

// An entry with the given owner, group and mode.
EntryPtr Entry(uint32_t uid, uint32_t gid, uint16_t mode) {
    EntryPtr e(entry::Create(L""));
    e->uid = uid;
    e->gid = gid;
    e->mode = mode;
    return e;
}

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
    for (const Case& c : cases) EXPECT_STREQ(UnixMode2Str(c.mode).c_str(), c.text) << std::oct << c.mode;
}

// The process's groups.
std::vector<gid_t> MyGroups() {
    std::vector<gid_t> groups(static_cast<size_t>(std::max(getgroups(0, nullptr), 0)) + 1);
    int n = getgroups(static_cast<int>(groups.size()), groups.data());
    groups.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return groups;
}

TEST(PermissionsTest, OwnerGroupOthers) {
    uid_t me = geteuid();
    uid_t someone = me + 1000;
    std::vector<gid_t> mine = MyGroups();
    mine.push_back(getegid());
    gid_t foreign = 54321;  // a group the process is not in
    while (std::find(mine.begin(), mine.end(), foreign) != mine.end()) foreign++;

    EXPECT_EQ(MyPermissions(*Entry(me, foreign, 0741)), 7);
    EXPECT_EQ(MyPermissions(*Entry(me, getegid(), 0077)), 0);  // owner bits win even when empty
    EXPECT_EQ(MyPermissions(*Entry(someone, getegid(), 0750)), 5);
    EXPECT_EQ(MyPermissions(*Entry(someone, foreign, 0764)), 4);

    EXPECT_TRUE(IsExecutable(Entry(me, 0, 0700).get()));
    EXPECT_FALSE(IsExecutable(Entry(me, 0, 0677).get()));
    EXPECT_FALSE(IsExecutable(nullptr));
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
                _exit(MyPermissions(*Entry(geteuid() + 1, extra, 0057)) == 5 ? 0 : 1);
            },
            ::testing::ExitedWithCode(0), "");
        GTEST_FLAG_SET(death_test_style, style);
        return;
    }
    std::vector<gid_t> groups = MyGroups();
    if (groups.empty()) GTEST_SKIP() << "the process has no supplementary groups";
    for (gid_t group : groups) EXPECT_EQ(MyPermissions(*Entry(geteuid() + 1, group, 0070)), 7) << group;
}

}  // namespace
