#include "archive/archiverprogram.h"

#include <unistd.h>

#include <climits>
#include <cstring>
#include <string>

#include "config/archivers.h"
#include "exec/pathsearch.h"
#include "lib/fsname.h"
#include "lib/quote.h"

extern char** environ;

namespace {

// The first word of a command line and where it ends.
Westring first_word(const Westring& command, int* end) {
    int start = 0;
    while (command[start] == L' ') start++;
    int stop = start;
    while (command[stop] && command[stop] != L' ') stop++;
    *end = stop;
    return command.mid(start, stop - start);
}

// The directory of the running program, with a trailing '/'; empty when
// it cannot be read.
std::string own_directory() {
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return std::string();
    std::string path(buffer, static_cast<size_t>(length));
    return path.substr(0, path.rfind('/') + 1);
}

}  // namespace

bool FindArchiver(Westring& command) {
    int end = 0;
    const Westring program = first_word(command, &end);
    if (program.empty()) return false;
    const Estring name = EncodeFileName(program);
    std::string found;
    if (!PathSearch(name.c_str(), found)) {
        const std::string beside = own_directory();
        if (beside.empty() || !PathSearch(name.c_str(), found, beside.c_str())) return false;
    }
    Westring resolved = QuoteName(DecodeFileName(found.c_str()));
    resolved += command.mid(end);
    command = resolved;
    return true;
}

Westring ArchiverNotFoundMessage(const Westring& command, int type) {
    int end = 0;
    Westring message = first_word(command, &end);
    if (message.empty()) {
        // Nothing configured: the format's program cannot do this at all.
        message = type >= 0 && type < ARCHIVER_COUNT ? Westring(archiver_names[type]) : Westring(L"archive");
        message += L": no command is set for this; set [Archiver:";
        if (type >= 0 && type < ARCHIVER_COUNT) message += Westring(archiver_names[type]);
        message += L"] in dv.ini";
        return message;
    }
    message += L": program not found; set [Archiver:";
    if (type >= 0 && type < ARCHIVER_COUNT) message += Westring(archiver_names[type]);
    message += L"] in dv.ini";
    return message;
}

size_t ArchiverArgumentRoom() {
    long limit = sysconf(_SC_ARG_MAX);
    if (limit <= 0) limit = 131072;  // the least POSIX systems give
    size_t environment = 0;
    for (char** variable = environ; variable && *variable; variable++)
        environment += std::strlen(*variable) + 1 + sizeof(char*);
    // Room for the shell's own words and whatever the command adds.
    const size_t reserve = environment + 8192;
    const size_t total = static_cast<size_t>(limit);
    size_t room = total > reserve ? total - reserve : 0;
    // A command the shell runs reaches it as one argument, which Linux
    // caps at 32 pages however large the total limit is.
    const long page = sysconf(_SC_PAGESIZE);
    const size_t one_argument = 32 * static_cast<size_t>(page > 0 ? page : 4096) - 4096;
    if (room > one_argument) room = one_argument;
    return room > 4096 ? room : 4096;
}
