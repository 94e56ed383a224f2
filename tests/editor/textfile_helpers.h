// Shared by the text-file tests: a scratch directory, files made from
// bytes, and the load-everything-then-save cycle the editor performs.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "editor/textfile.h"
#include "lib/fsname.h"

class TextScratch {
public:
    // in_memory puts it in /dev/shm where there is one: thousands of saves
    // each sync their file.
    explicit TextScratch(bool in_memory = false) {
        const char* base = std::getenv("TMPDIR");
        std::string root = base && *base ? base : "/tmp";
        if (in_memory && access("/dev/shm", W_OK) == 0) root = "/dev/shm";
        std::string pattern = root + "/dvtextXXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back(0);
        if (mkdtemp(buffer.data())) dir_ = buffer.data();
    }
    ~TextScratch() {
        if (!dir_.empty()) (void)std::system(("rm -rf '" + dir_ + "'").c_str());
    }
    const std::string& dir() const { return dir_; }
    std::string Write(const std::string& leaf, const std::string& bytes) const {
        std::string path = dir_ + "/" + leaf;
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        return path;
    }

private:
    std::string dir_;
};

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline Westring Wide(const std::string& path) { return DecodeFileName(path.c_str()); }

struct TextLine {
    std::wstring text;
    ELineEnd end;
};

// Every line of the file from the current position on.
inline std::vector<TextLine> ReadAllLines(CTextFile& file, long long maxlen = 0) {
    std::vector<TextLine> lines;
    int len = 0;
    while (const wchar_t* line = file.ReadTextLine(len, maxlen)) lines.push_back({std::wstring(line, len), file.last_line_end});
    return lines;
}

// Writes lines back through the file's save; 0 or the error.
inline int SaveLines(CTextFile& file, const std::vector<TextLine>& lines) {
    int result = file.BeginSave();
    if (result != 0) return result;
    for (const TextLine& line : lines) {
        result = file.WriteLine(line.text.data(), static_cast<int>(line.text.size()), line.end);
        if (result != 0) break;
    }
    int ended = file.EndSave();
    return result != 0 ? result : ended;
}
