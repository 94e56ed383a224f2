// EditBuffer: the editor's text, an array of lines whose texts live in a
// memory pool, with the line under the cursor held apart so that typing
// does not copy the line each time. Every change goes through Replace,
// which is where the line-length and line-count limits are checked.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "editor/editundo.h"
#include "editor/textfile.h"
#include "lib/memorypool.h"

enum class EditStatus {
    kOk,
    kLineTooLong,   // a line would exceed kMaxLineLength characters
    kTooManyLines,  // the text would exceed kMaxLines lines
    kBadPosition,   // a position lies outside the text
    kNoMemory,
    kNothing,       // nothing to do here (no word, no bracket, start of text)
    kMovedOnly,     // undo or redo only moved the cursor to the change
    kReadError,     // loading stopped at a read error; the text is short
    kStopped,       // loading was stopped by the caller
};

constexpr int kMaxLineLength = 65535;
constexpr int kMaxLines = 8388608;

class EditBuffer {
public:
    EditBuffer();
    EditBuffer(const EditBuffer&) = delete;
    EditBuffer& operator=(const EditBuffer&) = delete;

    int LineCount() const { return static_cast<int>(lines_.size()); }
    int LineLength(int i) const;
    // The text of line i; the pointer stays valid until the next change,
    // or until scratch is reused.
    const wchar_t* Line(int i, std::wstring& scratch) const;
    std::wstring LineString(int i) const;
    wchar_t CharAt(TextPos at) const;  // 0 past the end of the line
    ELineEnd LineEnd(int i) const { return static_cast<ELineEnd>(lines_[static_cast<size_t>(i)].end); }
    TextPos End() const { return {LineCount() - 1, LineLength(LineCount() - 1)}; }
    // Clamps at into the text.
    TextPos Clamp(TextPos at) const;
    bool Valid(TextPos at) const;

    // Line end given to new line breaks.
    ELineEnd default_end = LE_LF;
    // Gives every line that has a line end this one, and new breaks too.
    void SetLineEnds(ELineEnd end);
    // Re-reads the text as if its bytes in code page from_cp had been in
    // to_cp: each character to its byte in the old page, the byte to its
    // character in the new one. Characters the old page lacks become '?';
    // their count is returned. Line lengths do not change.
    [[nodiscard]] int Recode(int from_cp, int to_cp);

    // Replaces the text from from to to by text. removed (when given)
    // receives the text replaced and end where the new text ends. Refused,
    // with nothing changed, when a line would grow past kMaxLineLength,
    // the line count past kMaxLines, or a position is outside the text.
    [[nodiscard]] EditStatus Replace(TextPos from, TextPos to, const TextBlock& text,
                                     TextBlock* removed = nullptr, TextPos* end = nullptr);
    // The text between from and to (both clamped).
    TextBlock Extract(TextPos from, TextPos to) const;

    // Loading. offset (a byte position, -1 for none) gives the line that
    // contains it and the character that many bytes into it in at_offset.
    // Lines longer than kMaxLineLength come in pieces joined without a line
    // end, so they save back unchanged; split_lines counts them. progress
    // is asked now and then; returning false stops the load.
    [[nodiscard]] EditStatus Load(CTextFile& file, int64_t offset = -1, TextPos* at_offset = nullptr,
                                  const std::function<bool(int64_t pos)>& progress = nullptr);
    // The same in steps, so the first screen can be shown while the rest
    // is read: BeginLoad, then LoadMore until done (at least once before
    // the text is used). at_offset is valid once offset_found().
    void BeginLoad(CTextFile& file, int64_t offset = -1);
    [[nodiscard]] EditStatus LoadMore(CTextFile& file, int max_lines, bool& done);
    bool offset_found() const { return located_; }
    TextPos at_offset() const { return at_offset_; }
    // Saves every line with its own line end through the file's safe save:
    // 0 or the error number, the file untouched on failure.
    [[nodiscard]] int Save(CTextFile& file);
    void Clear();

    int split_lines = 0;  // lines cut at kMaxLineLength when loading
    int bad_lines = 0;    // lines with invalid bytes for the format

    // Pool bytes in use, for checking that edits stay bounded.
    size_t PoolBytes() const { return pool_bytes_; }

private:
    // One line: its characters are bytes (narrow, all below 256) or
    // wchar_t in the pool; the line under the cursor may be newer in cur_.
    struct Line_ {
        const void* text;
        int32_t len;
        uint8_t wide;
        uint8_t end;
    };

    [[nodiscard]] bool Store(const wchar_t* s, size_t len, ELineEnd end, Line_& out);
    // The same with the OR of the characters' bits already known.
    [[nodiscard]] bool Store(const wchar_t* s, size_t len, ELineEnd end, uint32_t char_bits, Line_& out);
    void Flush();
    void MakeCurrent(int line);
    EditStatus CheckLimits(TextPos from, TextPos to, const TextBlock& text) const;

    // The load in progress.
    int64_t load_offset_ = -1;
    int64_t line_start_ = 0;
    bool located_ = false;
    TextPos at_offset_;

    MemoryPool pool_;
    size_t pool_bytes_ = 0;
    std::vector<Line_> lines_;
    int cur_line_ = -1;       // the line held in cur_, or -1
    std::wstring cur_;        // its text
    bool cur_dirty_ = false;  // cur_ differs from the pool copy
};
