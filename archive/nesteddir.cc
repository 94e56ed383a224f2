#include "archive/nesteddir.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "exec/tmpfiles.h"
#include "lib/fsname.h"

namespace {

// Removes what the folder open on dir_fd (owned here) holds. Every name is
// taken relative to its folder's descriptor and never followed, so a link
// planted inside cannot send the removal elsewhere. Folders are walked with
// a stack of their own, however deep they go.
void remove_contents(int dir_fd) {
    struct Level {
        DIR* dir;
        std::string name;  // the folder's name in the level below; "" at the top
    };
    std::vector<Level> stack;
    if (DIR* dir = fdopendir(dir_fd)) stack.push_back({dir, ""});
    else close(dir_fd);
    while (!stack.empty()) {
        DIR* dir = stack.back().dir;
        struct dirent* item = readdir(dir);
        if (!item) {
            std::string name = std::move(stack.back().name);
            closedir(dir);
            stack.pop_back();
            if (!stack.empty()) unlinkat(dirfd(stack.back().dir), name.c_str(), AT_REMOVEDIR);
            continue;
        }
        const char* name = item->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
        const int parent_fd = dirfd(dir);
        if (unlinkat(parent_fd, name, 0) == 0) continue;
        if (errno != EISDIR && errno != EPERM) continue;
        if (unlinkat(parent_fd, name, AT_REMOVEDIR) == 0) continue;
        // A read-only folder is made writable so that its files can go.
        fchmodat(parent_fd, name, 0700, 0);
        const int child = openat(parent_fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (child < 0) continue;
        if (DIR* child_dir = fdopendir(child)) stack.push_back({child_dir, name});
        else close(child);
    }
}

}  // namespace

int MakeNestedDir(Westring& dir, const Westring& inside) {
    const Westring base = inside.empty() ? TmpDir() : inside;
    if (base.empty()) return errno ? errno : EACCES;
    Estring pattern = EncodeFileName(base.AppendBackslash() + Westring(inside.empty() ? L"nested.XXXXXX" : L".dv-extract.XXXXXX"));
    std::string buffer(pattern.c_str());
    if (!mkdtemp(buffer.data())) return errno;
    dir = DecodeFileName(buffer.c_str());
    return 0;
}

void RemoveNestedDir(const Westring& dir) {
    const Estring path = EncodeFileName(dir);
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
        remove_contents(fd);
    }
    if (rmdir(path.c_str()) != 0) unlink(path.c_str());
}
