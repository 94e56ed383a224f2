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

extern char** environ;

namespace {

// A string quoted for sh: in single quotes, each quote closed and escaped.
std::string sh_quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') quoted += "'\\''";
        else quoted += c;
    }
    return quoted + "'";
}

// Replaces every occurrence of key by value.
void replace_all(std::string& text, const std::string& key, const std::string& value) {
    for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
        text.replace(at, key.size(), value);
}

}  // namespace

Estring ExtractCommand(const Archive& archive, const ArchiveEntry* member, const Westring& dir) {
    const std::string archive_file = EncodeFileName(archive.archive_path).c_str();
    const std::string stored = Archive::StoredName(member);
    std::string command = archive.type >= 0 && archive.type < ARCHIVER_COUNT ? Archiver[archive.type].extract_cmd.c_str()
                                                                               : "";
    Westring program = DecodeFileName(command.c_str());
    if (FindArchiver(program)) command = EncodeFileName(program).c_str();
    if (command.find("%a") != std::string::npos) {
        // A single-member format writes its one member to where %f says.
        replace_all(command, "%f", sh_quote(member->name));
        replace_all(command, "%a", sh_quote(archive_file));
    } else {
        command += " " + sh_quote(archive_file) + " " + sh_quote(stored);
    }
    std::string line = "cd " + sh_quote(EncodeFileName(dir).c_str()) + " && exec " + command;
    return Estring(line.c_str());
}

int ExtractMemberTo(const Archive& archive, const ArchiveEntry* member, const Westring& dir) {
    // A name that climbs out with ".." or starts at "/" is never handed to
    // an archiver to write.
    if (member->unsafe()) return EPERM;
    if (archive.type < 0 || archive.type >= ARCHIVER_COUNT) return ENOEXEC;
    Westring program = DecodeFileName(Archiver[archive.type].extract_cmd.c_str());
    if (!FindArchiver(program)) return ENOEXEC;
    const Estring command = ExtractCommand(archive, member, dir);
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
    Westring extracted = dir.AppendBackslash();
    extracted += Archive::DisplayName(member).filename();
    struct stat info;
    // The member lands under its own directories unless the command flattens them.
    Westring nested = dir.AppendBackslash();
    nested += Archive::DisplayName(member);
    if (stat(EncodeFileName(nested).c_str(), &info) == 0 || stat(EncodeFileName(extracted).c_str(), &info) == 0)
        return 0;
    return ENOENT;
}
