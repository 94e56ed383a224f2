#include "editor/syntaxinistack.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

CIniStack::~CIniStack() {
    while (!files_.empty()) CloseTop();
}

void CIniStack::CloseTop() {
    std::fclose(files_.back().file);
    files_.pop_back();
}

Westring CIniStack::Where() const {
    return last_path_ + L":" + Westring(IntToStr(static_cast<long>(last_line_)).c_str());
}

bool CIniStack::Open(const Westring& path) {
    const bool first = !opened_any_;
    opened_any_ = true;
    Estring name = path.ToUTF8();
    if (depth() >= kMaxDepth) {
        Report(L"includes nested deeper than " + Westring(IntToStr(static_cast<long>(kMaxDepth)).c_str()) +
               L" files; " + path + L" is skipped");
        return false;
    }
    FILE* file = std::fopen(name.c_str(), "rb");
    if (!file) {
        int error = errno;
        if (first && error == ENOENT) return false;
        Westring what = Westring(path) + L": " + Westring(std::strerror(error));
        if (first) messages_.push_back(what);
        else Report(L"cannot include " + what);
        return false;
    }
    struct stat st;
    if (fstat(fileno(file), &st) != 0 || S_ISDIR(st.st_mode)) {
        std::fclose(file);
        Westring what = path + L": " + Westring(std::strerror(S_ISDIR(st.st_mode) ? EISDIR : errno));
        if (first) messages_.push_back(what);
        else Report(L"cannot include " + what);
        return false;
    }
    for (const OpenFile& open : files_)
        if (open.device == st.st_dev && open.inode == st.st_ino) {
            std::fclose(file);
            Report(path + L" includes itself; the include is skipped");
            return false;
        }
    files_.push_back(OpenFile{file, path, st.st_dev, st.st_ino, 0});
    return true;
}

bool CIniStack::ReadPhysical(Estring& line) {
    OpenFile& top = files_.back();
    char buffer[kMaxLine + 2];
    for (;;) {
        if (!std::fgets(buffer, sizeof buffer, top.file)) return false;
        top.line++;
        last_path_ = top.path;
        last_line_ = top.line;
        size_t n = std::strlen(buffer);  // a NUL byte in the line ends it here
        bool ended = n > 0 && buffer[n - 1] == '\n';
        if (ended || std::feof(top.file)) {
            line = Estring(buffer, static_cast<int>(n));
            return true;
        }
        // Longer than a line may be: the rest of it is skipped.
        int c;
        while ((c = std::fgetc(top.file)) != EOF && c != '\n') {
        }
        Report(L"the line is longer than " + Westring(IntToStr(static_cast<long>(kMaxLine)).c_str()) +
               L" bytes and is ignored");
    }
}

bool CIniStack::gets(Estring& line) {
    line = "";
    Estring piece;
    while (!files_.empty()) {
        if (!ReadPhysical(piece)) {
            CloseTop();
            if (!line.empty()) return true;  // a '\' on the file's last line
            continue;
        }
        piece = piece.trim();
        int n = piece.strlen();
        bool joined = n > 0 && piece[n - 1] == '\\';
        if (joined) piece = piece.chop(1);
        if (line.strlen() + piece.strlen() > kMaxJoined) {
            Report(L"the joined line is longer than " + Westring(IntToStr(static_cast<long>(kMaxJoined)).c_str()) +
                   L" bytes and is ignored");
            line = "";
            // The rest of the joined line goes with it.
            while (joined && ReadPhysical(piece)) {
                piece = piece.trim();
                joined = !piece.empty() && piece[piece.strlen() - 1] == '\\';
            }
            continue;
        }
        line += piece;
        if (!joined) return true;
    }
    return !line.empty();
}
