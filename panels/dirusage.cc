#include "panels/dirusage.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "lib/fsname.h"
#include "panels/dirtree.h"
#include "panels/treeupdate.h"

namespace {

// A directory of very many entries is not listed to its end before the
// poll is asked again.
constexpr int kEntriesBetweenPolls = 256;

struct Directory {
    std::string path;  // in the system's encoding
    int parent;        // index of the parent among the directories listed, -1 for the top
    uint64_t total = 0;
};

}  // namespace

uint64_t dir_usage(CTree* tree, const Westring& path, DirUsageCount& count,
                   const std::function<bool(const Westring& dir)>& poll) {
    // Listed in pre-order without recursion; the totals are then added up
    // from the last directory to the first, children before parents.
    std::vector<Directory> dirs;
    dirs.push_back({EncodeFileName(path).c_str(), -1});
    std::vector<int> pending{0};
    while (!pending.empty()) {
        const int index = pending.back();
        pending.pop_back();
        const std::string dir_path = dirs[static_cast<size_t>(index)].path;
        if (poll && !poll(DecodeFileName(dir_path.c_str()))) return TREENODE::kUnknownSize;
        count.directories++;
        const int fd = ::open(dir_path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) continue;
        DIR* dir = ::fdopendir(fd);
        if (!dir) {
            ::close(fd);
            continue;
        }
        uint64_t own = 0;
        int since_poll = 0;
        while (const dirent* d = ::readdir(dir)) {
            if (poll && ++since_poll == kEntriesBetweenPolls) {
                since_poll = 0;
                if (!poll(DecodeFileName(dir_path.c_str()))) {
                    ::closedir(dir);
                    return TREENODE::kUnknownSize;
                }
            }
            const char* n = d->d_name;
            if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
            struct stat st;
            if (::fstatat(dirfd(dir), n, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
            if (S_ISDIR(st.st_mode)) {
                dirs.push_back({dir_path + (dir_path.back() == '/' ? "" : "/") + n, index});
                pending.push_back(static_cast<int>(dirs.size() - 1));
                continue;
            }
            own += static_cast<uint64_t>(st.st_size);
            count.files++;
            count.bytes += static_cast<uint64_t>(st.st_size);
        }
        ::closedir(dir);
        dirs[static_cast<size_t>(index)].total += own;
    }
    for (size_t i = dirs.size(); i-- > 1;)
        dirs[static_cast<size_t>(dirs[i].parent)].total += dirs[i].total;
    // Children first: adding a missing node makes its parent's size unknown.
    if (tree) {
        for (size_t i = dirs.size(); i-- > 0;) {
            TREENODE* node = tree_node_for(tree, DecodeFileName(dirs[i].path.c_str()));
            if (node) node->size = dirs[i].total;
        }
    }
    return dirs[0].total;
}
