// The user's permissions on entries and the text form of modes.
#include "fileops/query/permissions.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

TEST(ModeTextTest, Modes) {
    const std::pair<int, const wchar_t*> cases[] = {
        {04755, L"rwsr-xr-x"}, {02700, L"rwx--S---"}, {01776, L"rwxrwxrwT"},
        {S_IFDIR | 0421, L"r---w---x"},  // the file type is no part of the text
    };
    for (const auto& [mode, text] : cases) EXPECT_STREQ(UnixMode2Str(mode).c_str(), text) << std::oct << mode;
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

    EXPECT_EQ(MyPermissions(0741, me, foreign), 7);
    EXPECT_EQ(MyPermissions(0077, me, getegid()), 0);  // owner bits win even when empty
    EXPECT_EQ(MyPermissions(0750, someone, getegid()), 5);
    EXPECT_EQ(MyPermissions(0764, someone, foreign), 4);
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

}  // namespace
