// The stack of open definition files: a file's "!include" opens another,
// whose lines are read in its place until it ends. Lines are trimmed and a
// line ending in '\' is joined with the next one.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <vector>

#include "lib/estring.h"
#include "lib/westring.h"

class CIniStack {
public:
    static constexpr int kMaxLine = 1024;       // bytes of one line in the file
    static constexpr int kMaxJoined = 8192;     // bytes of lines joined by '\'
    static constexpr int kMaxDepth = 8;         // files open at once

    explicit CIniStack(std::vector<Westring>& messages) : messages_(messages) {}
    ~CIniStack();
    CIniStack(const CIniStack&) = delete;
    CIniStack& operator=(const CIniStack&) = delete;

    // Pushes a file. A failure is reported, except that the first file may
    // be missing without a word; a file already open (one including itself,
    // directly or through others) and nesting beyond kMaxDepth are refused.
    [[nodiscard]] bool Open(const Westring& path);
    // The next line of the innermost file, trimmed and joined; at the end of
    // a file it is closed and the enclosing one goes on. False when no file
    // is left.
    [[nodiscard]] bool gets(Estring& line);

    int depth() const { return static_cast<int>(files_.size()); }
    // The place of the last line read, "file:line", for messages.
    Westring Where() const;
    void Report(const Westring& what) { messages_.push_back(Where() + L": " + what); }

private:
    struct OpenFile {
        FILE* file;
        Westring path;
        dev_t device;
        ino_t inode;
        int line;
    };
    std::vector<OpenFile> files_;
    std::vector<Westring>& messages_;
    bool opened_any_ = false;
    Westring last_path_;
    int last_line_ = 0;

    // One physical line of the innermost file into buffer; false at its end.
    bool ReadPhysical(Estring& line);
    void CloseTop();
};
