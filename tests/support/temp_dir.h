// A fresh directory under $TMPDIR (or /tmp) for one test, removed with
// everything in it, and the small file helpers the tests share.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "lib/westring.h"

// Text as UTF-8, for comparisons and failure messages.
inline std::string Narrow(const Westring& text) { return text.ToUTF8().c_str(); }

// The whole content of a file as bytes; empty when it cannot be read.
inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

// prefix followed by the number, such as "f12". Built by appending, because
// GCC 12 at -O3 warns falsely (-Wrestrict) about "literal" + std::to_string().
inline std::string NumberedName(std::string prefix, long number) {
    prefix += std::to_string(number);
    return prefix;
}

// Sets the modification (and access) time of a file to seconds after 1970.
inline void SetFileTime(const std::string& path, long seconds) {
    struct timeval times[2] = {{seconds, 0}, {seconds, 0}};
    EXPECT_EQ(utimes(path.c_str(), times), 0) << path;
}

// Whether the path names anything, a dangling link included.
inline bool PathExists(const std::string& path) {
    struct stat status;
    return lstat(path.c_str(), &status) == 0;
}

// Checks paths, each after prefix: "path=content" must hold content, "path"
// must exist, "!path" must not.
inline void ExpectPaths(const std::vector<std::string>& checks, const std::string& prefix = "") {
    for (const std::string& check : checks) {
        size_t equals = check.find('=');
        if (check[0] == '!') EXPECT_FALSE(PathExists(prefix + check.substr(1))) << check;
        else if (equals == std::string::npos) EXPECT_TRUE(PathExists(prefix + check)) << check;
        else EXPECT_EQ(ReadFile(prefix + check.substr(0, equals)), check.substr(equals + 1)) << check;
    }
}

class CTempDir {
public:
    CTempDir() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/dvfsqXXXXXX";
        if (mkdtemp(pattern.data())) path_ = pattern;
        EXPECT_FALSE(path_.empty());
    }
    ~CTempDir() {
        if (path_.empty()) return;
        std::error_code failed;
        std::filesystem::remove_all(path_, failed);
        // Trees deeper than the path limit, and unreadable directories.
        if (failed) {
            std::string command = "chmod -R u+rwx '" + path_ + "' 2>/dev/null; rm -rf '" + path_ + "'";
            if (std::system(command.c_str()) != 0) ADD_FAILURE() << "cannot remove " << path_;
        }
    }
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& leaf) const { return path_ + "/" + leaf; }

    // Writes content to leaf (bytes as they are), with mode when not 0, and
    // returns its path.
    std::string Write(const std::string& leaf, const std::string& content, mode_t mode = 0) const {
        std::string file = *this / leaf;
        WriteFile(file, content);
        if (mode && chmod(file.c_str(), mode) != 0) ADD_FAILURE() << "cannot chmod " << file;
        return file;
    }
    // Makes the directory leaf and returns its path.
    std::string MakeDir(const std::string& leaf, mode_t mode = 0755) const {
        std::string dir = *this / leaf;
        EXPECT_EQ(mkdir(dir.c_str(), mode), 0) << dir;
        return dir;
    }

    // Makes levels nested directories below leaf, each named by width
    // repetitions of a letter, walking down by descriptor so that the tree
    // may be deeper than the path limit; returns the deepest path.
    std::string MakeDeepDirs(const std::string& leaf, int levels, int width) const {
        std::string deep = MakeDir(leaf);
        int fd = open(deep.c_str(), O_RDONLY | O_DIRECTORY);
        for (int level = 0; level < levels && fd >= 0; level++) {
            std::string name(static_cast<size_t>(width), static_cast<char>('a' + level % 26));
            EXPECT_EQ(mkdirat(fd, name.c_str(), 0755), 0) << level;
            int next = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
            close(fd);
            fd = next;
            deep += "/" + name;
        }
        EXPECT_GE(fd, 0);
        if (fd >= 0) close(fd);
        return deep;
    }

private:
    std::string path_;
};
