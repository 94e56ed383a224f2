#include "panels/dirinfo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "config/config.h"
#include "console/cells.h"
#include "console/win.h"
#include "lib/cellwidth.h"
#include "lib/fsname.h"

void CNoteLines::Feed(const char* bytes, size_t n) {
    const char* end = bytes + n;
    while (bytes < end && !Full()) {
        const char* newline = static_cast<const char*>(std::memchr(bytes, '\n', static_cast<size_t>(end - bytes)));
        const char* stop = newline ? newline : end;
        started_ = true;
        if (!cut_) {
            const size_t room = max_bytes_ - current_.size();
            const size_t piece = static_cast<size_t>(stop - bytes);
            // One byte past the limit is kept for a moment: it may be the
            // "\r" of a line ending exactly at the limit.
            current_.append(bytes, std::min(piece, room + 1));
            if (current_.size() > max_bytes_) cut_ = true;
        }
        if (!newline) return;
        EndLine();
        bytes = newline + 1;
    }
}

void CNoteLines::Finish() {
    if (started_ && !Full()) EndLine();
    started_ = false;
}

void CNoteLines::EndLine() {
    if (!current_.empty() && current_.back() == '\r') current_.pop_back();
    if (current_.size() > max_bytes_) current_.resize(max_bytes_);
    lines_.push_back(std::move(current_));
    current_.clear();
    started_ = false;
    cut_ = false;
}

bool ReadDirInfo(const Westring& directory, size_t max_lines, std::vector<std::string>& lines) {
    lines.clear();
    const Estring path = EncodeFileName(directory.AppendBackslash() + L"dirinfo");
    // Without O_NONBLOCK, opening a FIFO would wait for a writer forever.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat status;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        return false;
    }
    CNoteLines note(kNoteLineBytes, max_lines);
    char buffer[4096];
    while (!note.Full()) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        // A read error ends the note where it happened; what came before
        // is still shown.
        if (got <= 0) break;
        note.Feed(buffer, static_cast<size_t>(got));
    }
    note.Finish();
    close(fd);
    lines = note.lines();
    return true;
}

Westring NoteLineText(const std::string& line, int tab_width, int width) {
    if (tab_width < 1) tab_width = 1;
    // A zero byte would end the decoded text early: it shows as a blank
    // like the other control characters.
    std::string bytes = line;
    std::replace(bytes.begin(), bytes.end(), '\0', ' ');
    Westring decoded;
    // Bytes that are no UTF-8 come out as replacement characters.
    static_cast<void>(decoded.FromUTF8(bytes.data(), bytes.size()));
    std::wstring out;
    int cells = 0;
    const int length = decoded.strlen();
    for (int i = 0; i < length; i++) {
        wchar_t ch = decoded[i];
        if (ch == L'\t') {
            const int spaces = tab_width - cells % tab_width;
            if (cells + spaces > width) break;
            out.append(static_cast<size_t>(spaces), L' ');
            cells += spaces;
            continue;
        }
        if (ch < L' ' || ch == 0x7F) ch = L' ';
        const int taken = CellWidth(ch);
        if (cells + taken > width) break;
        out += ch;
        cells += taken;
    }
    return Westring(out.c_str(), static_cast<int>(out.size()));
}

void ShowDirInfo(Win* window, const Westring& directory, int row) {
    if (!window) return;
    const int last_row = window->inner_height() - 1;
    if (row < 0 || row > last_row) return;
    std::vector<std::string> lines;
    if (!ReadDirInfo(directory, static_cast<size_t>(last_row - row), lines)) return;
    window->PutCentre(row, L" Dir Info ", colours[CLR_TAGGED]);
    const int width = window->inner_width() - 1;
    for (size_t i = 0; i < lines.size(); i++) {
        const Westring text = NoteLineText(lines[i], config.TabWidth, width);
        window->puts_at(1, row + 1 + static_cast<int>(i), text.c_str());
    }
}
