// What the archive tests share: making archives with the real archivers,
// our listing of an archive in a comparable form, and the listing the
// libarchive and 7-Zip programs give of the same file.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "archive/archive.h"
#include "lib/fsname.h"
#include "tests/support/temp_dir.h"

// One member as a listing shows it: the full path without a trailing '/'.
struct ListedMember {
    std::string path;
    uint64_t size = 0;  // 0 for directories
    int64_t mtime = 0;  // Unix seconds
    bool directory = false;

    bool operator==(const ListedMember&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const ListedMember& m) {
    return out << (m.directory ? "dir " : "file ") << m.path << " size " << m.size << " time " << m.mtime;
}

// Runs a shell command; its exit status (-1 when it did not run).
inline int RunShell(const std::string& command) {
    int status = std::system(command.c_str());
    return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// What a command prints on its standard output.
inline std::string ShellOutput(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[65536];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
        pclose(pipe);
    }
    return output;
}

// A path quoted for sh.
inline std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') quoted += "'\\''";
        else quoted += c;
    }
    return quoted + "'";
}

// Opens path with every reader, as a panel does.
inline std::unique_ptr<Archive> OpenArchive(const std::string& path) {
    return std::make_unique<Archive>(DecodeFileName(path.c_str()).c_str(), nullptr);
}

// Every member of the archive, keyed by full path (as UTF-8 file-name
// bytes). Directories the archive only implies (a/b/c.txt without a record
// of a or a/b) are added, as a listing of the tree shows them.
inline std::map<std::string, ListedMember> OurListing(const Archive& archive, bool add_implied_dirs = true) {
    std::map<std::string, ListedMember> members;
    for (size_t i = 0; i < archive.entries.size(); i++) {
        const ArchiveEntry* e = archive.entries[i];
        ListedMember m;
        m.path = e->path;
        if (*e->name) m.path += (m.path.empty() ? "" : "/") + std::string(e->name);
        m.directory = e->is_dir();
        m.size = m.directory || e->size == ArchiveEntry::kUnknown ? 0 : e->size;
        m.mtime = e->time.seconds;
        if (m.path.empty()) continue;
        members[m.path] = m;
        if (!add_implied_dirs) continue;
        for (size_t slash = m.path.find('/'); slash != std::string::npos; slash = m.path.find('/', slash + 1)) {
            std::string dir = m.path.substr(0, slash);
            if (!members.count(dir)) members[dir] = ListedMember{dir, 0, 0, true};
        }
    }
    return members;
}

// An mtree name with its \ooo escapes undone.
inline std::string UnescapeMtree(const std::string& name) {
    std::string out;
    for (size_t i = 0; i < name.size(); i++) {
        if (name[i] == '\\' && i + 3 < name.size() + 0 && isdigit(static_cast<unsigned char>(name[i + 1]))) {
            out += static_cast<char>(std::stoi(name.substr(i + 1, 3), nullptr, 8));
            i += 3;
        } else {
            out += name[i];
        }
    }
    return out;
}

// libarchive's listing of an archive (through bsdtar's mtree output):
// path, type, size and time of every member. Directory times are taken
// only when keep_dir_times; a leading "./" is dropped.
inline std::map<std::string, ListedMember> BsdtarListing(const std::string& archive) {
    std::map<std::string, ListedMember> members;
    std::string text = ShellOutput("bsdtar -cf - --format mtree --options='!all,type,size,time' @" +
                                   ShellQuote(archive) + " 2>/dev/null");
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.empty() || line[0] == '#') continue;
        size_t blank = line.find(' ');
        ListedMember m;
        m.path = UnescapeMtree(line.substr(0, blank));
        if (m.path.rfind("./", 0) == 0) m.path = m.path.substr(2);
        while (!m.path.empty() && m.path.back() == '/') m.path.pop_back();
        std::string rest = blank == std::string::npos ? "" : line.substr(blank);
        auto field = [&rest](const char* key) -> std::string {
            size_t at = rest.find(std::string(" ") + key + "=");
            if (at == std::string::npos) return "";
            at += std::strlen(key) + 2;
            return rest.substr(at, rest.find(' ', at) - at);
        };
        m.directory = field("type") == "dir";
        std::string size = field("size");
        m.size = m.directory || size.empty() ? 0 : std::stoull(size);
        std::string time = field("time");
        m.mtime = time.empty() ? 0 : std::stoll(time);
        if (!m.path.empty() && m.path != ".") members[m.path] = m;
    }
    return members;
}

// A tree of files whose names a user may well have: long, non-ASCII, with
// blanks and odd characters, an empty folder and an empty file. Made in
// dir; every file gets the time 1600000000 (2020-09-13).
inline void MakeOddTree(const std::string& dir) {
    const std::string long_name(200, 'L');
    const std::vector<std::string> dirs = {"plain", "plain/deeper/still", "with blank", "ünïcödé 文件",
                                           "empty dir", long_name};
    for (const std::string& d : dirs) std::filesystem::create_directories(dir + "/" + d);
    const std::vector<std::pair<std::string, std::string>> files = {
        {"top.txt", "top\n"},
        {"empty file", ""},
        {"plain/a.c", "int main() {}\n"},
        {"plain/deeper/still/deep.bin", std::string(70000, 'x')},
        {"with blank/it's \"odd\" & $x.txt", "odd\n"},
        {"ünïcödé 文件/ファイル.txt", "unicode\n"},
        {long_name + "/" + std::string(180, 'n') + ".txt", "long\n"},
        {".hidden", "h\n"},
    };
    for (const auto& [name, content] : files) WriteFile(dir + "/" + name, content);
    RunShell("find " + ShellQuote(dir) + " -exec touch -h -d @1600000000 {} +");
}
