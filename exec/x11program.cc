#include "exec/x11program.h"

#include <fcntl.h>
#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "exec/elfdeps.h"

namespace {

constexpr char kX11Library[] = "libX11.so";
// A hostile file could name thousands of directories or libraries; real ones
// name a few. These keep the search short whatever the files say.
constexpr size_t kMaxSearchDirectories = 64;
constexpr size_t kMaxLibraries = 4096;
constexpr int kMaxConfigIncludeDepth = 8;

bool IsX11LibraryName(const std::string& name) {
    size_t slash = name.rfind('/');
    size_t start = slash == std::string::npos ? 0 : slash + 1;
    return name.compare(start, sizeof kX11Library - 1, kX11Library) == 0;
}

std::string DirectoryOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

void TrimSpace(std::string& text) {
    size_t start = text.find_first_not_of(" \t\r");
    if (start == std::string::npos) {
        text.clear();
        return;
    }
    text.erase(text.find_last_not_of(" \t\r") + 1);
    text.erase(0, start);
}

// Reads a loader configuration file: one directory a line (several may share
// a line), "#" comments, and "include PATTERN" lines whose glob is relative
// to the file's own directory unless absolute.
void ReadLoaderConfig(const std::string& file, int depth, std::vector<std::string>& dirs) {
    if (depth > kMaxConfigIncludeDepth) return;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        line.erase(std::min(line.find('#'), line.size()));
        TrimSpace(line);
        if (line.compare(0, 8, "include ") == 0 || line.compare(0, 8, "include\t") == 0) {
            std::string pattern = line.substr(8);
            TrimSpace(pattern);
            if (pattern.empty()) continue;
            if (pattern[0] != '/') pattern = DirectoryOf(file).append("/").append(pattern);
            glob_t matches;
            if (glob(pattern.c_str(), 0, nullptr, &matches) == 0)
                for (size_t i = 0; i < matches.gl_pathc; i++) ReadLoaderConfig(matches.gl_pathv[i], depth + 1, dirs);
            globfree(&matches);
            continue;
        }
        if (line.compare(0, 5, "hwcap") == 0) continue;
        // Old configurations may follow a directory with "=TYPE".
        for (size_t start = 0; start < line.size();) {
            size_t end = line.find_first_of(" \t,:", start);
            if (end == std::string::npos) end = line.size();
            std::string dir = line.substr(start, end - start);
            dir.erase(std::min(dir.find('='), dir.size()));
            if (!dir.empty() && dir[0] == '/') dirs.push_back(dir);
            start = end + 1;
        }
    }
}

// The directories searched after a program's own: those the loader's cache
// was built from (Debian lists its multiarch directories there), then the
// default ones. Read once per process.
const std::vector<std::string>& SystemLibraryDirectories() {
    static const std::vector<std::string> directories = [] {
        std::vector<std::string> found;
        ReadLoaderConfig("/etc/ld.so.conf", 0, found);
        for (const char* standard : {"/lib", "/usr/lib", "/lib64", "/usr/lib64"}) found.emplace_back(standard);
        std::vector<std::string> unique;
        std::set<std::string> seen;
        for (std::string& dir : found)
            if (seen.insert(dir).second) unique.push_back(std::move(dir));
        return unique;
    }();
    return directories;
}

// A colon-separated list of directories, $ORIGIN (or ${ORIGIN}) standing for
// origin. An empty element is the working directory, as for the loader; a
// directory naming another token ($LIB, $PLATFORM) is left out. An empty
// list names no directory at all.
std::vector<std::string> SearchList(const std::string& list, const std::string& origin) {
    std::vector<std::string> dirs;
    if (list.empty()) return dirs;
    for (size_t start = 0; start <= list.size() && dirs.size() < kMaxSearchDirectories;) {
        size_t end = list.find(':', start);
        if (end == std::string::npos) end = list.size();
        std::string dir = list.substr(start, end - start);
        std::string expanded;
        bool otherToken = false;
        for (size_t at = 0; at < dir.size();) {
            size_t token = dir.compare(at, 7, "$ORIGIN") == 0 ? 7 : dir.compare(at, 9, "${ORIGIN}") == 0 ? 9 : 0;
            if (token) {
                expanded.append(origin);
                at += token;
                continue;
            }
            otherToken |= dir[at] == '$';
            expanded.push_back(dir[at++]);
        }
        if (expanded.empty()) expanded.push_back('.');
        if (!otherToken) dirs.push_back(expanded);
        start = end + 1;
    }
    return dirs;
}

struct LoadedObject {
    ElfDependencies deps;
    std::string origin;  // the directory $ORIGIN names
    // The DT_RPATH directories of this object and of those that loaded it,
    // nearest first, leaving out each that has a DT_RUNPATH.
    std::vector<std::string> rPathChain;
};

void StartRPathChain(LoadedObject& object) {
    if (!object.deps.hasRunPath) object.rPathChain = SearchList(object.deps.rPath, object.origin);
}

// Follows the libraries a program needs, breadth first as the loader loads
// them, until one is the X11 library or there are none left.
class LibraryWalk {
public:
    // Reads the program; false when it is no ELF program or library.
    [[nodiscard]] bool Start(const char* path) {
        int fd = open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) return false;
        bool read = ReadElfDependencies(fd, program_.deps) && Remember(fd);
        close(fd);
        if (!read) return false;
        // The loader takes the program's $ORIGIN from its real path.
        char real[PATH_MAX];
        program_.origin = DirectoryOf(realpath(path, real) ? real : path);
        StartRPathChain(program_);
        // Our LD_LIBRARY_PATH: a program started from here inherits it.
        const char* libraryPath = getenv("LD_LIBRARY_PATH");
        if (libraryPath && *libraryPath) libraryPath_ = SearchList(libraryPath, program_.origin);
        return true;
    }

    [[nodiscard]] bool NeedsX11() {
        std::deque<LoadedObject> pending;
        pending.push_back(program_);
        for (; !pending.empty() && files_.size() < kMaxLibraries; pending.pop_front()) {
            for (const std::string& name : pending.front().deps.needed) {
                if (IsX11LibraryName(name)) return true;
                // The loader loads each name once, whoever asks for it.
                if (!names_.insert(name).second) continue;
                LoadedObject library;
                if (Find(name, pending.front(), library)) pending.push_back(std::move(library));
            }
        }
        return false;
    }

private:
    enum class Found { Missing, New, Seen };

    // Looks for name as the loader would on behalf of requester; true when a
    // library not read before was found and read into library.
    bool Find(const std::string& name, const LoadedObject& requester, LoadedObject& library) {
        if (name.find('/') == std::string::npos) {
            // DT_RPATH counts only where the asking object has no DT_RUNPATH.
            std::vector<std::string> none, runPath;
            if (requester.deps.hasRunPath) runPath = SearchList(requester.deps.runPath, requester.origin);
            const std::vector<std::string>& rPath = requester.deps.hasRunPath ? none : requester.rPathChain;
            const std::vector<std::string>* lists[] = {&rPath, &libraryPath_, &runPath, &SystemLibraryDirectories()};
            for (const std::vector<std::string>* dirs : lists)
                for (const std::string& dir : *dirs) {
                    Found found = Load(std::string(dir).append("/").append(name), library);
                    if (found != Found::Missing) return Loaded(found, requester, library);
                }
            return false;
        }
        return Loaded(Load(name, library), requester, library);
    }

    // Whether a library not read before was found; it inherits the
    // requester's rpath chain.
    static bool Loaded(Found found, const LoadedObject& requester, LoadedObject& library) {
        if (found != Found::New) return false;
        StartRPathChain(library);
        for (const std::string& dir : requester.rPathChain)
            if (library.rPathChain.size() < kMaxSearchDirectories) library.rPathChain.push_back(dir);
        return true;
    }

    // Reads the library at path when it suits the program.
    Found Load(const std::string& path, LoadedObject& library) {
        int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) return Found::Missing;
        Found found = Found::Missing;
        // One for another processor or word size is passed over, as the
        // loader does.
        if (ReadElfDependencies(fd, library.deps) && library.deps.elfClass == program_.deps.elfClass &&
            library.deps.machine == program_.deps.machine)
            found = Remember(fd) ? Found::New : Found::Seen;
        close(fd);
        library.origin = DirectoryOf(path);
        return found;
    }

    // Notes the file as read; false when it was already.
    bool Remember(int fd) {
        struct stat info;
        return fstat(fd, &info) == 0 && files_.insert({info.st_dev, info.st_ino}).second;
    }

    LoadedObject program_;
    std::vector<std::string> libraryPath_;
    std::set<std::string> names_;
    std::set<std::pair<dev_t, ino_t>> files_;
};

}  // namespace

bool IsX11(const char* path) {
    if (!path || !*path) return false;
    LibraryWalk walk;
    if (!walk.Start(path)) return false;
    return IsX11LibraryName(path) || walk.NeedsX11();
}
