#include "archive/nestedextract.h"

#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "archive/archive.h"
#include "archive/archiverprogram.h"
#include "archive/memberextract.h"
#include "config/archivers.h"
#include "lib/fsname.h"
#include "lib/quote.h"

extern char** environ;

namespace {

// Runs a shell command with no terminal and waits for it.
int run_quietly(const std::string& command) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The archiver must neither wait for keys nor write over the screen.
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
    pid_t pid = 0;
    const int started = posix_spawn(&pid, "/bin/sh", &actions, nullptr, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) return started;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return 0;
}

}  // namespace

int ExtractMemberTo(const Archive& archive, const ArchiveEntry* member, const Westring& dir, Westring& copy) {
    // A name that climbs out with ".." or starts at "/" is never handed to
    // an archiver to write.
    if (member->unsafe()) return EPERM;
    if (archive.type < 0 || archive.type >= ARCHIVER_COUNT) return ENOEXEC;
    Westring program = DecodeFileName(Archiver[archive.type].extract_cmd.c_str());
    if (!FindArchiver(program)) return ENOEXEC;
    const std::string command =
        "cd " + std::string(EncodeFileName(QuoteName(dir)).c_str()) + " && exec " +
        std::string(EncodeFileName(MemberExtractCommand(archive, member, program)).c_str());
    const int code = run_quietly(command);
    if (code != 0) return code;
    const Westring relative = FindExtractedCopy(archive, member, dir);
    if (relative.empty()) return ENOENT;
    copy = dir.AppendBackslash() + relative;
    return 0;
}
