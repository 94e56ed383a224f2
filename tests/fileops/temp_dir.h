// A fresh directory under $TMPDIR (or /tmp) for one test, removed with
// everything in it.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

class CTempDir {
public:
    CTempDir() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/dvfsqXXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back(0);
        if (mkdtemp(name.data())) path_ = name.data();
        EXPECT_FALSE(path_.empty());
    }
    ~CTempDir() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& leaf) const { return path_ + "/" + leaf; }

    // Writes content to leaf (bytes as they are) and returns its path.
    std::string Write(const std::string& leaf, const std::string& content) const {
        std::string file = *this / leaf;
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << content;
        return file;
    }

private:
    std::string path_;
};
