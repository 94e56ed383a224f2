#include "fileops/dirnames.h"

#include <dirent.h>
#include <errno.h>

#include "fileops/descriptions.h"
#include "lib/fsname.h"

int ListNames(const wchar_t* dir, std::vector<Westring>& names, bool skip_descriptions) {
    DIR* stream = opendir(EncodeFileName(dir).c_str());
    if (!stream) return errno;
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
