#include "fileops/query/permissions.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace {

// The process's groups, read once: the effective group and the
// supplementary groups, sorted for bisection.
const std::vector<gid_t>& my_groups() {
    static const std::vector<gid_t> groups = [] {
        std::vector<gid_t> list;
        int n = getgroups(0, nullptr);
        if (n > 0) {
            list.resize(static_cast<size_t>(n));
            n = getgroups(n, list.data());
            list.resize(n > 0 ? static_cast<size_t>(n) : 0);
        }
        list.push_back(getegid());
        std::sort(list.begin(), list.end());
        return list;
    }();
    return groups;
}

}  // namespace

int MyPermissions(int mode, uid_t owner, gid_t group) {
    if (owner == geteuid()) return (mode >> 6) & 7;
    const std::vector<gid_t>& groups = my_groups();
    if (std::binary_search(groups.begin(), groups.end(), group)) return (mode >> 3) & 7;
    return mode & 7;
}

Westring UnixMode2Str(int mode) {
    wchar_t text[10];
    const int shifts[3] = {6, 3, 0};
    // The special bit shown in each group's execute place, and its letter.
    const int special[3] = {S_ISUID, S_ISGID, S_ISVTX};
    const wchar_t letter[3] = {L's', L's', L't'};
    for (int g = 0; g < 3; g++) {
        int bits = (mode >> shifts[g]) & 7;
        text[g * 3] = bits & 4 ? L'r' : L'-';
        text[g * 3 + 1] = bits & 2 ? L'w' : L'-';
        bool execute = bits & 1;
        if (mode & special[g]) {
            // Upper case when the execute bit under it is clear.
            text[g * 3 + 2] = execute ? letter[g] : static_cast<wchar_t>(letter[g] - L'a' + L'A');
        } else {
            text[g * 3 + 2] = execute ? L'x' : L'-';
        }
    }
    text[9] = 0;
    return Westring(text);
}
