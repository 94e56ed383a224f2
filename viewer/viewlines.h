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

    // Bytes of the file looked at so far: what finding a place cost, which
    // stays small near the end of a file of any size.
    int64_t bytes_examined() const { return examined_; }

private:
    // Where a line end's low byte sits and how wide a character is.
    struct UnitLayout {
        int width = 1;
        int low = 0;
    };
    // The last start LineStart returned, to go on counting from.
    struct LineMark {
        int64_t index = 0;
        int64_t start = 0;
        int64_t last_end = 0;  // the last line-end character before start
    };

    UnitLayout Layout() const;
    int64_t DataStart() const;
    int64_t UnitsEnd() const;
    int64_t AlignDown(int64_t offset) const;
    int64_t AlignUp(int64_t offset) const;
    void ForgetIfFileChanged();

    // LF or CR when the character at at is one, else 0.
    uint8_t LineEndAt(int64_t at);
    int64_t FindEndForward(int64_t from, int64_t limit);
    int64_t FindEndBackward(int64_t before, int64_t floor);
    void NoteClear(int64_t from, int64_t to);
    int64_t LineEndAfter(int64_t at);
    int64_t LineEndStartOf(int64_t at);
    int64_t LastStartAtOrBefore(int64_t at);
    void Bounds(int64_t start, int64_t* end, int64_t* next);
    int64_t CountFrom(int64_t n, int64_t* count);

    CTextFile& file_;
    bool hex_ = false;
    int64_t examined_ = 0;

    // What the file looked like when the caches below were filled.
    int64_t seen_size_ = -1;
    EFileFormat seen_format_ = FF_UNKNOWN;
    int64_t seen_data_start_ = -1;

    // [clear_from_, clear_to_) holds no line end: a long line seen before.
    int64_t clear_from_ = 0;
    int64_t clear_to_ = 0;
    // [run_from_, run_to_) is a run of alternating CR and LF whose first
    // character begins a line end, so the pairs in it are known.
    int64_t run_from_ = 0;
    int64_t run_to_ = 0;
    LineMark mark_;
    int64_t line_count_ = -1;  // of the whole file, once counted
};
