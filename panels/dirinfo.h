// The note file "dirinfo" a directory may keep: its first lines, read as
// the information panel shows them under " Dir Info ".
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "lib/westring.h"

class Win;

// Splits the bytes of a note into lines as they arrive, in pieces of any
// size: "\n" ends a line and a "\r" ending a line is dropped; a line longer than
// max_bytes keeps its first max_bytes bytes and the rest of it is skipped,
// so that a long line never becomes several. Lines after max_lines are not
// kept.
class CNoteLines {
public:
    CNoteLines(size_t max_bytes, size_t max_lines) : max_bytes_(max_bytes), max_lines_(max_lines) {}

    void Feed(const char* bytes, size_t n);
    // Keeps the last line when the note does not end with "\n".
    void Finish();
    // Whether more bytes would change nothing.
    bool Full() const { return lines_.size() >= max_lines_; }
    const std::vector<std::string>& lines() const { return lines_; }

private:
    void EndLine();

    size_t max_bytes_;
    size_t max_lines_;
    std::vector<std::string> lines_;
    std::string current_;
    bool started_ = false;    // current_ holds a line begun but not ended
    bool cut_ = false;        // the current line went past max_bytes
};

// The bytes a note line may have; the rest of a longer line is not shown.
constexpr size_t kNoteLineBytes = 500;

// Reads the first max_lines lines of the file "dirinfo" in directory. False
// when there is no such regular file that opens: a missing file, a
// directory, or a FIFO or device of that name (opened without waiting for
// a writer and never read from).
[[nodiscard]] bool ReadDirInfo(const Westring& directory, size_t max_lines, std::vector<std::string>& lines);

// A note line for a row width cells wide: decoded as UTF-8, control
// characters shown as blanks, tabs expanded to tab_width columns, cut to
// width cells.
Westring NoteLineText(const std::string& line, int tab_width, int width);

// Shows the "dirinfo" of directory in window from row on: " Dir Info "
// centred on row in the Tagged colour, then its lines from column 1 on the
// rows below, up to the window's last inner row. Nothing when the file
// cannot be read or row lies past the window.
void ShowDirInfo(Win* window, const Westring& directory, int row);
