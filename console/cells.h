// Character cells, colour attributes and the colour items of the screen.
#pragma once

#include <cstdint>

#include "lib/westring.h"

// One character cell: a code point, a combining mark drawn over it (or 0)
// and its colour attribute. A double-width character takes two cells: its
// own, which draws it across both, and a tail cell after it.
struct ScreenCell {
    wchar_t ch;
    wchar_t mark;
    unsigned char attr;

    ScreenCell() = default;  // fields left unset: arrays of cells are filled explicitly
    ScreenCell(wchar_t c, unsigned char a) : ch(c), mark(0), attr(a) {}
    ScreenCell(wchar_t c, wchar_t m, unsigned char a) : ch(c), mark(m), attr(a) {}
    bool operator==(const ScreenCell& o) const { return ch == o.ch && mark == o.mark && attr == o.attr; }
    bool operator!=(const ScreenCell& o) const { return !(*this == o); }
};

// The code of a tail cell: no Unicode character, so no text can put it on
// the screen (text lay-out shows values beyond Unicode as U+FFFD).
constexpr wchar_t kWideTail = static_cast<wchar_t>(0x110000);
inline bool is_wide_tail(const ScreenCell& cell) { return cell.ch == kWideTail; }
// Whether the cell holds a double-width character (its tail follows it).
bool is_wide_head(const ScreenCell& cell);

// Joins a combining mark to a cell: composed with its character where
// Unicode has the composed form (so that several marks can show), else kept
// as the cell's mark when it has none yet; a further mark is not shown.
void join_mark(ScreenCell& cell, wchar_t mark);

// Keeps double-width characters whole around the boundary before cell
// `at` of a row of `columns` cells: a character whose tail is gone, or a
// tail whose character is gone, becomes a blank of its colour. The cells
// changed widen first..last (inclusive) when given.
void mend_wide_boundary(ScreenCell* row, int columns, int at, int* first = nullptr, int* last = nullptr);

// Colour attribute byte: foreground in bits 0-3, background in bits 4-7.
// A colour number: bit 0 blue, bit 1 green, bit 2 red, bit 3 bright.
inline int attr_foreground(unsigned char attr) { return attr & 0x0F; }
inline int attr_background(unsigned char attr) { return attr >> 4; }

// The screen colour drawn for colour number n (0-15), as 16-bit components.
struct RGB16 {
    uint16_t r, g, b;
};
RGB16 palette_colour(int n);

// The three-letter colour names Str2Attr accepts, in colour-number order.
extern const char* const colournames[8];

// The configurable colour items, in the order the configuration stores them.
enum ColourItem {
    CLR_PANEL, CLR_HIGHLIGHT, CLR_TAGGED, CLR_HIGHLIGHT_TAGGED, CLR_DIRECTORIES, CLR_DIRECTORY_HIGH,
    CLR_COMMAND_LINE, CLR_MESSAGES, CLR_ERRORS, CLR_INPUT_FIELDS, CLR_SCREEN_SAVER, CLR_MENU, CLR_MENU_BAR,
    CLR_MENU_HIGHLIGHT, CLR_MENU_QUICK_KEY, CLR_DISABLED_MENU, CLR_FILE_VIEWER, CLR_CLOCK, CLR_COLUMN_HEADING,
    COLOUR_ITEMS
};
extern const char* const colour_names[COLOUR_ITEMS];
extern const unsigned char default_colours[COLOUR_ITEMS];

// The program's colour items; the configuration reads and writes them.
extern unsigned char colours[COLOUR_ITEMS];
// Copies the factory defaults into the colour items.
void set_default_colours();

// The base attribute changed by colour words: "bright white on blue".
unsigned char Str2Attr(const char* text, unsigned char base);
unsigned char Str2Attr(const Westring& text, unsigned char base);

// Zero-terminated cell arrays (the destination must be large enough).
ScreenCell* strcpy(ScreenCell* dst, const char* text, unsigned char attr);
ScreenCell* strcpy(ScreenCell* dst, const wchar_t* text, unsigned char attr);
ScreenCell* strcpy(ScreenCell* dst, const ScreenCell* src);
ScreenCell* strcat(ScreenCell* dst, const char* text, unsigned char attr);
ScreenCell* strcat(ScreenCell* dst, const wchar_t* text, unsigned char attr);
ScreenCell* strcat(ScreenCell* dst, const ScreenCell* src);
ScreenCell* strncpy(ScreenCell* dst, const char* text, unsigned char attr, int n);
ScreenCell* strncpy(ScreenCell* dst, const wchar_t* text, unsigned char attr, int n);
int strlen(const ScreenCell* cells);

// A growable string of cells (no terminating cell is stored).
class CellString {
public:
    static constexpr int kInline = 20;

    CellString();
    explicit CellString(int capacity);
    CellString(const wchar_t* text, unsigned char attr);
    CellString(const char* text, unsigned char attr);  // decoded as UTF-8
    CellString(const CellString& other);
    CellString(CellString&& other) noexcept;
    ~CellString();

    CellString& operator=(const CellString& other);
    CellString& operator=(CellString&& other) noexcept;
    CellString& operator=(const char* text);     // one cell per byte, default attribute
    CellString& operator=(const wchar_t* text);  // default attribute

    CellString& operator+=(const CellString& s);
    CellString& operator+=(const Westring& s);
    CellString& operator+=(ScreenCell cell);  // one cell as it is
    CellString& operator+=(wchar_t ch);       // laid out as text

    // n cells from an array, or (n < 0) all up to its terminating cell.
    CellString& Append(const ScreenCell* cells, int n);
    // The first n characters of text in attr (n < 0 or past the end: all;
    // with n given, text is read no further than that),
    // laid out as the screen shows them: a double-width character takes its
    // cell and a tail cell, a combining mark joins the cell before it (a
    // mark at the start of the string is not shown).
    CellString& Append(const wchar_t* text, unsigned char attr, int n = -1);

    // Pieces by cells. A double-width character cut in half leaves a blank.
    CellString left(int n) const;
    CellString mid(int pos, int n = -1) const;
    CellString pad(int n) const;
    int rchr(wchar_t ch) const;
    void SetLength(int n);
    // Puts a cell at i (inside the string), blanking the other half of a
    // double-width character it overwrites.
    void Put(int i, ScreenCell cell);
    // Puts piece over the cells from pos on, as far as the string reaches,
    // blanking the halves of double-width characters it cuts.
    void Overlay(int pos, const CellString& piece);

    int length() const { return length_; }
    int capacity() const { return capacity_; }
    const ScreenCell* cells() const { return data_; }
    ScreenCell* cells() { return data_; }
    const ScreenCell& operator[](int i) const { return data_[i]; }
    ScreenCell& operator[](int i) { return data_[i]; }

    unsigned char default_attr() const { return default_attr_; }
    void set_default_attr(unsigned char attr) { default_attr_ = attr; }

private:
    ScreenCell inline_[kInline];
    ScreenCell* data_;
    int length_;
    int capacity_;
    unsigned char default_attr_;

    bool on_heap() const { return data_ != inline_; }
    void room_discard(int n);
    void room_keep(int n);
};

CellString operator+(const CellString& a, const CellString& b);
