// The terminal a command started on a pseudo-terminal draws into: its output
// is read as an xterm reads it (UTF-8 text, control characters, cursor and
// erase sequences, colours, a scroll region, the alternate screen, the
// line-drawing set) and laid onto the console's cells, and the keys pressed
// meanwhile go to it as an xterm sends them.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "console/console.h"
#include "exec/ansiparser.h"
#include "exec/ansisgr.h"

class Win;

class CAnsiTerminalEmulator : public CTerminalAttachment, private CAnsiSequenceHandler {
public:
    // send writes bytes to the command's terminal (keys, pastes, answers to
    // queries); it never blocks and may be called from either thread.
    using Sender = std::function<void(const char* bytes, size_t n)>;
    CAnsiTerminalEmulator(CConsole& console, Sender send);
    ~CAnsiTerminalEmulator() override;          // leaves an active alternate screen
    void Key(int code) override;                // toolkit thread
    void Output(const char* utf8) override;     // a NUL-terminated chunk
    void WriteOutput(const char* data, size_t n);  // a chunk of any bytes

private:
    // ---- what the parser finds
    void Print(const wchar_t* text, size_t n) override;
    void Control(unsigned char byte) override;
    void Escape(const CAnsiSequence& sequence) override;
    void ControlSequence(const CAnsiSequence& sequence) override;

    // ---- the cursor's row, kept as cells until the cursor leaves it
    void EnsureLine();
    // Writes the row back (after a scroll still held back) and lets it go.
    void StoreLine();
    void PutChar(wchar_t ch);
    void JoinMark(wchar_t mark);
    void MendLine(int at);  // keeps wide characters whole at a boundary of the row
    void CopyRow(int y, std::vector<ScreenCell>& row);

    // ---- moving and scrolling
    void LineFeed();
    void ReverseLineFeed();
    // A line feed at the region's bottom: the scroll is counted and done
    // at once for a run of them (FlushScroll).
    void DeferScroll();
    void FlushScroll();
    void ScrollRegionUp(int lines);
    void ScrollRegionDown(int lines);
    void ScrollRowsUp(int top, int bottom, int lines);  // rows top..bottom, no scroll-back
    void ScrollRowsDown(int top, int bottom, int lines);
    bool TakesScrollback() const;
    void AddScrollback(int first_row, int rows);
    void MoveTo(int x, int y);
    int Column() const { return x_ < width_ ? x_ : width_ - 1; }  // the column under a pending wrap

    // ---- sequences
    void CsiPrivateMode(const CAnsiSequence& sequence, bool set);
    void EraseInDisplay(int mode);
    void EraseInLine(int mode);
    void EraseChars(int count);
    void InsertChars(int count);
    void DeleteChars(int count);
    void InsertLines(int count);
    void DeleteLines(int count);
    int LinesBottom() const;  // the last row lines move in from the cursor's
    void SetScrollRegion(const CAnsiSequence& sequence);
    void RepeatLast(int count);
    void SaveCursor();
    void RestoreCursor();
    void EnterAlternateScreen();
    void LeaveAlternateScreen();
    void FullReset();
    void Answer(const char* bytes, size_t n);
    void ReadSize();

    CConsole& console_;
    Sender send_;
    CAnsiParser parser_;
    CAnsiRendition rendition_;
    unsigned char attr_;  // the rendition's attribute, for cells written and erased

    int width_ = 80, height_ = 25;
    int x_ = 0, y_ = 0;  // x_ == width_: the row is full and the next character wraps
    int scroll_top_ = 0, scroll_bottom_ = 24;
    bool insert_mode_ = false;
    bool autowrap_ = true;
    bool cursor_visible_ = true;
    int visible_cursor_type_ = 15;
    wchar_t last_char_ = 0;
    bool line_drawing_[2] = {false, false};  // G0 and G1 are the DEC line-drawing set
    int shift_ = 0;                          // G0 or G1 is in use (SI, SO)

    struct Saved {
        int x = 0, y = 0;
        CAnsiRendition rendition;
        bool line_drawing[2] = {false, false};
        int shift = 0;
        explicit Saved(unsigned char attr) : rendition(attr) {}
    };
    Saved saved_;

    std::unique_ptr<Win> alternate_;

    std::vector<ScreenCell> line_;
    int line_y_ = -1;  // the row line_ holds, -1 none
    bool line_dirty_ = false;
    // Line feeds at the bottom of the region held back: pending_scroll_
    // rows still to scroll up, and the rows written meanwhile that come in
    // above the current one (fresh_[0] the oldest).
    int pending_scroll_ = 0;
    std::vector<std::vector<ScreenCell>> fresh_;
    int fresh_count_ = 0;
    std::vector<ScreenCell> scratch_;

    // Read by Key on the toolkit thread.
    std::atomic<bool> application_cursor_{false};
    std::atomic<bool> bracketed_paste_{false};
};
