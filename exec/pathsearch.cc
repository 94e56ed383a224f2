#include "exec/pathsearch.h"

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "exec/environment.h"

namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

}  // namespace

bool PathSearch(const char* name, std::string& found, const char* path) {
    if (!name || !*name) return false;
    if (strchr(name, '/')) {
        if (!IsExecutableFile(name)) return false;
        found.assign(name);
        return true;
    }
    if (!path) path = SessionEnv.Get("PATH");
    if (!path) return false;
    std::string candidate;
    for (const char* start = path;; ) {
        const char* end = strchr(start, ':');
        size_t length = end ? static_cast<size_t>(end - start) : strlen(start);
        // An empty element stands for the working directory.
        candidate.clear();
        if (length == 0) candidate.push_back('.');
        else candidate.append(start, length);
        candidate.push_back('/');
        candidate.append(name);
        if (IsExecutableFile(candidate)) {
            found = candidate;
            return true;
        }
        if (!end) return false;
        start = end + 1;
    }
}

bool IsRunnableProgram(const char* path) {
    struct stat info;
    if (stat(path, &info) != 0 || !S_ISREG(info.st_mode) || !(info.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)))
        return false;
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    unsigned char head[4] = {};
    ssize_t got = read(fd, head, sizeof head);
    close(fd);
    if (got >= 4 && memcmp(head, "\x7f" "ELF", 4) == 0) return true;
    return got >= 2 && head[0] == '#' && head[1] == '!';
}
