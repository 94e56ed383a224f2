#include "fileops/query/paths.h"

#include <dirent.h>

#include <cerrno>
#include <cstdlib>
#include <cwchar>

#include "lib/fsname.h"

void GetPaths(WestringStore& out, const Westring& append) {
    Westring search = DecodeFileName(std::getenv("PATH"));
    if (!append.empty()) {
        search += L':';
        search += append;
    }
    const wchar_t* p = search.c_str();
    while (*p) {
        const wchar_t* colon = std::wcschr(p, L':');
        int length = colon ? static_cast<int>(colon - p) : static_cast<int>(std::wcslen(p));
        if (length > 0) out.Add(Westring(p, length));
        p += colon ? length + 1 : length;
    }
}

bool IsRoot(const wchar_t* path) { return path && path[0] == L'/' && path[1] == 0; }

bool IsAbsolute(const wchar_t* path) { return path && path[0] == L'/'; }

bool IsBelow(const wchar_t* dir, const wchar_t* path) {
    if (!dir || !dir[0]) return true;
    if (!path) return false;
    size_t length = std::wcslen(dir);
    if (std::wcsncmp(dir, path, length) != 0) return false;
    // A directory given with its final "/" (the root, say) already ends
    // at a whole name.
    return dir[length - 1] == L'/' || path[length] == L'/' || path[length] == 0;
}

bool ValidDirectory(const Westring& path) {
    Estring system_path = EncodeFileName(path);
    DIR* dir = opendir(system_path.c_str());
    if (!dir) return errno == ENOENT;
    errno = 0;
    bool valid = readdir(dir) != nullptr || errno == 0;
    closedir(dir);
    return valid;
}

bool RemoveBackslash(wchar_t* path) {
    if (!path || !path[0]) return false;
    size_t length = std::wcslen(path);
    if (path[length - 1] != L'/' && path[length - 1] != L'\\') return false;
    path[length - 1] = 0;
    return true;
}
