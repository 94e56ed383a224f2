#include "fileops/dirnames.h"

#include <dirent.h>
#include <errno.h>
#include <unistd.h>

#include "fileops/descriptions.h"
#include "lib/atpath.h"
#include "lib/fsname.h"

int ListNames(const wchar_t* dir, std::vector<Westring>& names, bool skip_descriptions) {
    AtPath at(EncodeFileName(dir).c_str());
    int fd = at.OpenDirectory();
    if (fd < 0) return errno;
    DIR* stream = fdopendir(fd);
    if (!stream) {
        int error = errno;
        close(fd);
        return error;
    }
    int error = 0;
    for (;;) {
        errno = 0;
        struct dirent* d = readdir(stream);
        if (!d) {
            error = errno;
            break;
        }
        const char* raw = d->d_name;
        if (raw[0] == '.' && (raw[1] == 0 || (raw[1] == '.' && raw[2] == 0))) continue;
        Westring name = DecodeFileName(raw);
        if (skip_descriptions && IsDescFileName(name.c_str())) continue;
        names.push_back(name);
    }
    closedir(stream);
    return error;
}
