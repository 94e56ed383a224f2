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
#include "config/archivers.h"
#include "lib/fsname.h"
#include "lib/quote.h"

extern char** environ;

namespace {

// A name as one shell word, in the bytes the system knows.
std::string quoted(const Westring& name) { return EncodeFileName(QuoteName(name)).c_str(); }

// Replaces every occurrence of key by value.
void replace_all(std::string& text, const std::string& key, const std::string& value) {
    for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
        text.replace(at, key.size(), value);
}

// The shell command that extracts member in dir with program, the
// format's extract command with its program already found.
std::string extract_command(const Archive& archive, const ArchiveEntry* member, const Westring& dir,
                            const Westring& program) {
    std::string command = EncodeFileName(program).c_str();
    const std::string archive_file = quoted(archive.archive_path);
    if (command.find("%a") != std::string::npos) {
        // A single-member format writes its one member to where %f says.
        replace_all(command, "%f", quoted(DecodeFileName(member->name)));
        replace_all(command, "%a", archive_file);
    } else {
        const std::string stored = Archive::StoredName(member);
        command += " " + archive_file + " " + quoted(DecodeFileName(stored.c_str(), stored.size()));
    }
    return "cd " + quoted(dir) + " && exec " + command;
}

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

bool exists(const Westring& path) {
    struct stat info;
    return stat(EncodeFileName(path).c_str(), &info) == 0;
}

}  // namespace

int ExtractMemberTo(const Archive& archive, const ArchiveEntry* member, const Westring& dir, Westring& copy) {
    // A name that climbs out with ".." or starts at "/" is never handed to
    // an archiver to write.
    if (member->unsafe()) return EPERM;
    if (archive.type < 0 || archive.type >= ARCHIVER_COUNT) return ENOEXEC;
    Westring program = DecodeFileName(Archiver[archive.type].extract_cmd.c_str());
    if (!FindArchiver(program)) return ENOEXEC;
    const int code = run_quietly(extract_command(archive, member, dir, program));
    if (code != 0) return code;
    // The member lands under its own directories unless the command flattens them.
    copy = dir.AppendBackslash() + Archive::DisplayName(member);
    if (exists(copy)) return 0;
    copy = dir.AppendBackslash() + DecodeFileName(member->name);
    return exists(copy) ? 0 : ENOENT;
}
