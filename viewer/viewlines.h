// ViewLines: where the lines of a file start, found by reading only near
// the place asked about, so that any position of a file of any size is
// reached at once. A line ends at LF, CR, or a CR LF or LF CR pair. A line
// longer than kPiece bytes is cut into pieces at offsets that are multiples
// of kPiece: such an offset B starts a line when no line end lies in the
// kPiece bytes before it. So finding the start of the line around any
// offset never reads more than 2 * kPiece bytes back. In hex mode every
// line is 16 bytes.
#pragma once

#include <cstdint>

#include "editor/textfile.h"

class ViewLines {
public:
    static constexpr int64_t kPiece = int64_t{1} << 20;
    static constexpr int kHexBytes = 16;

    // file stays the caller's and must be open; its format decides the
    // width of a line end (1, 2 or 4 bytes).
    explicit ViewLines(CTextFile& file);

    void SetHex(bool hex) { hex_ = hex; }
    bool hex() const { return hex_; }

    // The start of the line that contains offset (offset clamped to the file).
    int64_t StartOf(int64_t offset);
    // The start of the line after the one starting at start; the file's size
    // when that line is the last.
    int64_t Next(int64_t start);
    // The start of the line before the one starting at start; 0 at the top.
    int64_t Prev(int64_t start);
    // Where the line starting at start ends, before its line end (the
    // piece's end for a cut line).
    int64_t EndOf(int64_t start);
    // The start of the top line of the last page of rows lines (no wrapping).
    int64_t LastPage(int rows);
    // The start of line n (0-based, counted from the start of the file with
    // the rules above); -1 when the file has fewer lines, with their count
    // in *count. Reads forward in large blocks.
    int64_t LineStart(int64_t n, int64_t* count = nullptr);
    // Forgets what it learned about the file (it grew or shrank).
    void Reset();

private:
    CTextFile& file_;
    bool hex_ = false;
};
