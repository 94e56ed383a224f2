#include "console/cells.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <utility>

#include <glib.h>

#include "lib/cellwidth.h"

// ---------------------------------------------------------------- colours

RGB16 palette_colour(int n) {
    n &= 15;
    if (n == 7) return {0xC000, 0xC000, 0xC000};  // white is drawn light grey
    if (n == 8) return {0x8000, 0x8000, 0x8000};  // bright black is dark grey
    uint16_t on = (n & 8) ? 0xFFFF : 0x7FFF;
    return {uint16_t((n & 4) ? on : 0), uint16_t((n & 2) ? on : 0), uint16_t((n & 1) ? on : 0)};
}

const char* const colournames[8] = {"bla", "blu", "gre", "cya", "red", "mag", "yel", "whi"};

const char* const colour_names[COLOUR_ITEMS] = {
    "Panel",          "Highlight",      "Tagged",         "Highlight-Tagged", "Directories",
    "Directory High", "Command Line",   "Messages",       "Errors",           "Input Fields",
    "Screen Saver",   "Menu",           "Menu Bar",       "Menu Highlight",   "Menu Quick Key",
    "Disabled Menu",  "File Viewer",    "Clock",          "Column Heading",
};

const unsigned char default_colours[COLOUR_ITEMS] = {
    0x1B, 0x30, 0x1E, 0x3E, 0x1A, 0x20, 0x07, 0x70, 0x4F, 0x30,
    0x03, 0x3F, 0x30, 0x0F, 0x0E, 0x07, 0x1B, 0x30, 0x3E,
};

// Starts at the factory defaults so the screen has sane colours before the
// configuration is read.
unsigned char colours[COLOUR_ITEMS] = {
    0x1B, 0x30, 0x1E, 0x3E, 0x1A, 0x20, 0x07, 0x70, 0x4F, 0x30,
    0x03, 0x3F, 0x30, 0x0F, 0x0E, 0x07, 0x1B, 0x30, 0x3E,
};

void set_default_colours() { std::memcpy(colours, default_colours, sizeof colours); }

// ---------------------------------------------------------------- Str2Attr

namespace {

// Whether the first three letters of word (length n) spell name, ignoring case.
bool word_is(const wchar_t* word, int n, const char* name) {
    int len = n < 3 ? n : 3;
    if (len != static_cast<int>(std::strlen(name))) return false;
    for (int i = 0; i < len; i++)
        if (std::towlower(static_cast<wint_t>(word[i])) != static_cast<wint_t>(name[i])) return false;
    return true;
}

}  // namespace

unsigned char Str2Attr(const Westring& text, unsigned char base) {
    unsigned char result = base;
    bool foreground_cleared = false;
    bool background = false;

    // The words are taken in place: the text is not trimmed before the first
    // word, and the rest after each blank is trimmed at both ends.
    const wchar_t* p = text.c_str();
    const wchar_t* end = p + text.strlen();
    const wchar_t* trimmed_end = end;
    while (trimmed_end > p && std::iswspace(static_cast<wint_t>(trimmed_end[-1]))) trimmed_end--;

    while (p < end) {
        const wchar_t* blank = p;
        while (blank < end && *blank != L' ') blank++;
        const wchar_t* word = p;
        int word_len = static_cast<int>(blank - p);
        if (blank == end) {
            p = end;
        } else {
            p = blank + 1;
            while (p < trimmed_end && std::iswspace(static_cast<wint_t>(*p))) p++;
            end = p < trimmed_end ? trimmed_end : p;
        }

        if (word_is(word, word_len, "on")) {
            result &= 0x0F;
            foreground_cleared = true;
            background = true;
            continue;
        }
        if (!foreground_cleared) {
            result &= 0xF0;
            foreground_cleared = true;
        }
        if (word_is(word, word_len, "bri")) {
            result |= background ? 0x80 : 0x08;
            continue;
        }
        for (int colour = 0; colour < 8; colour++) {
            if (word_is(word, word_len, colournames[colour])) {
                result |= background ? colour << 4 : colour;
                break;
            }
        }
    }
    return result;
}

unsigned char Str2Attr(const char* text, unsigned char base) {
    if (!text) return base;
    return Str2Attr(Westring(text), base);
}

// ---------------------------------------------------------------- cell arrays

ScreenCell* strcpy(ScreenCell* dst, const char* text, unsigned char attr) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text ? text : "");
    ScreenCell* d = dst;
    do {
        *d++ = ScreenCell(*p, attr);
    } while (*p++);
    return dst;
}

ScreenCell* strcpy(ScreenCell* dst, const wchar_t* text, unsigned char attr) {
    const wchar_t* p = text ? text : L"";
    ScreenCell* d = dst;
    do {
        *d++ = ScreenCell(*p, attr);
    } while (*p++);
    return dst;
}

ScreenCell* strcpy(ScreenCell* dst, const ScreenCell* src) {
    if (!src) {
        dst[0] = ScreenCell(0, 0);
        return dst;
    }
    int i = 0;
    do {
        dst[i] = src[i];
    } while (src[i++].ch);
    return dst;
}

ScreenCell* strcat(ScreenCell* dst, const char* text, unsigned char attr) {
    strcpy(dst + strlen(dst), text, attr);
    return dst;
}

ScreenCell* strcat(ScreenCell* dst, const wchar_t* text, unsigned char attr) {
    strcpy(dst + strlen(dst), text, attr);
    return dst;
}

ScreenCell* strcat(ScreenCell* dst, const ScreenCell* src) {
    strcpy(dst + strlen(dst), src);
    return dst;
}

ScreenCell* strncpy(ScreenCell* dst, const char* text, unsigned char attr, int n) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text ? text : "");
    for (int i = 0; i < n; i++) {
        dst[i] = ScreenCell(p[i], attr);
        if (!p[i]) break;
    }
    return dst;
}

ScreenCell* strncpy(ScreenCell* dst, const wchar_t* text, unsigned char attr, int n) {
    const wchar_t* p = text ? text : L"";
    for (int i = 0; i < n; i++) {
        dst[i] = ScreenCell(p[i], attr);
        if (!p[i]) break;
    }
    return dst;
}

int strlen(const ScreenCell* cells) {
    if (!cells) return 0;
    int n = 0;
    while (cells[n].ch) n++;
    return n;
}

// ---------------------------------------------------------------- double-width cells

bool is_wide_head(const ScreenCell& cell) { return cell.ch != kWideTail && CellWidth(cell.ch) == 2; }

void mend_wide_boundary(ScreenCell* row, int columns, int at, int* first, int* last) {
    auto blank = [&](int i) {
        row[i] = ScreenCell(L' ', row[i].attr);
        if (first && (*first < 0 || i < *first)) *first = i;
        if (last && i > *last) *last = i;
    };
    const bool head_before = at > 0 && at <= columns && is_wide_head(row[at - 1]);
    const bool tail_here = at >= 0 && at < columns && is_wide_tail(row[at]);
    if (head_before && !tail_here) blank(at - 1);
    if (tail_here && !head_before) blank(at);
}

void join_mark(ScreenCell& cell, wchar_t mark) {
    gunichar composed = 0;
    if (g_unichar_compose(static_cast<gunichar>(cell.mark ? cell.mark : cell.ch), static_cast<gunichar>(mark),
                          &composed)) {
        (cell.mark ? cell.mark : cell.ch) = static_cast<wchar_t>(composed);
        return;
    }
    if (!cell.mark) cell.mark = mark;
}

namespace {

// The character a text value shows as: values beyond Unicode as U+FFFD.
wchar_t shown_char(wchar_t ch) {
    return static_cast<uint32_t>(ch) > 0x10FFFF ? static_cast<wchar_t>(0xFFFD) : ch;
}

}  // namespace

// ---------------------------------------------------------------- CellString

namespace {

// A cell count that cannot exist ends the program, as for the other strings.
int checked_cells(int64_t n) {
    if (n < 0 || n > INT_MAX / static_cast<int64_t>(sizeof(ScreenCell))) {
        std::fputs("dv: cell string too long\n", stderr);
        std::abort();
    }
    return static_cast<int>(n);
}

int wide_length(const wchar_t* text) {
    if (!text) return 0;
    int64_t n = 0;
    while (text[n]) n++;
    return checked_cells(n);
}

}  // namespace

CellString::CellString() : data_(inline_), length_(0), capacity_(kInline), default_attr_(0x07) {}

CellString::CellString(int capacity) : CellString() { room_discard(capacity); }

CellString::CellString(const wchar_t* text, unsigned char attr) : CellString() {
    default_attr_ = attr;
    Append(text, attr);
}

CellString::CellString(const char* text, unsigned char attr) : CellString() {
    default_attr_ = attr;
    Westring wide(text);
    Append(wide.c_str(), attr);
}

CellString::CellString(const CellString& other) : CellString() {
    default_attr_ = other.default_attr_;
    room_discard(other.length_);
    std::memcpy(data_, other.data_, other.length_ * sizeof(ScreenCell));
    length_ = other.length_;
}

CellString::CellString(CellString&& other) noexcept : CellString() {
    default_attr_ = other.default_attr_;
    *this = std::move(other);
}

CellString::~CellString() {
    if (on_heap()) delete[] data_;
}

CellString& CellString::operator=(const CellString& other) {
    if (this == &other) return *this;
    room_discard(other.length_);
    std::memcpy(data_, other.data_, other.length_ * sizeof(ScreenCell));
    length_ = other.length_;
    return *this;
}

CellString& CellString::operator=(CellString&& other) noexcept {
    if (this == &other) return *this;
    if (other.on_heap()) {
        if (on_heap()) delete[] data_;
        data_ = other.data_;
        capacity_ = other.capacity_;
        length_ = other.length_;
        other.data_ = other.inline_;
        other.capacity_ = kInline;
        other.length_ = 0;
    } else {
        // Fits inline in other, so it fits here without allocating.
        std::memcpy(data_, other.data_, other.length_ * sizeof(ScreenCell));
        length_ = other.length_;
        other.length_ = 0;
    }
    return *this;
}

CellString& CellString::operator=(const char* text) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text ? text : "");
    int n = checked_cells(static_cast<int64_t>(std::strlen(reinterpret_cast<const char*>(p))));
    room_discard(n);
    for (int i = 0; i < n; i++) data_[i] = ScreenCell(p[i], default_attr_);
    length_ = n;
    return *this;
}

CellString& CellString::operator=(const wchar_t* text) {
    length_ = 0;
    return Append(text, default_attr_);
}

CellString& CellString::operator+=(const CellString& s) {
    if (&s == this) {
        CellString copy(s);
        return Append(copy.data_, copy.length_);
    }
    return Append(s.data_, s.length_);
}

CellString& CellString::operator+=(const Westring& s) { return Append(s.c_str(), default_attr_); }

CellString& CellString::operator+=(ScreenCell cell) {
    room_keep(checked_cells(static_cast<int64_t>(length_) + 1));
    data_[length_++] = cell;
    return *this;
}

CellString& CellString::operator+=(wchar_t ch) {
    const wchar_t text[2] = {ch, 0};
    return Append(text, default_attr_);
}

CellString& CellString::Append(const ScreenCell* cells, int n) {
    if (!cells) return *this;
    if (n < 0) n = ::strlen(cells);
    if (n == 0) return *this;
    if (cells >= data_ && cells < data_ + capacity_) {  // a piece of itself
        CellString copy;
        copy.Append(cells, n);
        return Append(copy.data_, n);
    }
    int total = checked_cells(static_cast<int64_t>(length_) + n);
    room_keep(total);
    std::memcpy(data_ + length_, cells, n * sizeof(ScreenCell));
    length_ = total;
    return *this;
}

CellString& CellString::Append(const wchar_t* text, unsigned char attr, int n) {
    if (!text) return *this;
    if (n < 0) {
        n = wide_length(text);
    } else {
        // Never read past n characters: the text need not be terminated there.
        int len = 0;
        while (len < n && text[len]) len++;
        n = len;
    }
    if (n == 0) return *this;
    // Room for the most cells the text can take; the length says what it took.
    room_keep(checked_cells(static_cast<int64_t>(length_) + 2 * static_cast<int64_t>(n)));
    for (int i = 0; i < n; i++) {
        const wchar_t ch = shown_char(text[i]);
        switch (CellWidth(ch)) {
        case 0:
            if (length_ > 0) join_mark(data_[length_ - (is_wide_tail(data_[length_ - 1]) ? 2 : 1)], ch);
            break;
        case 2:
            data_[length_++] = ScreenCell(ch, attr);
            data_[length_++] = ScreenCell(kWideTail, attr);
            break;
        default:
            data_[length_++] = ScreenCell(ch, attr);
            break;
        }
    }
    return *this;
}

CellString CellString::left(int n) const {
    if (n < 0) n = 0;
    if (n > length_) n = length_;
    CellString out(n);
    out.default_attr_ = default_attr_;
    out.Append(data_, n);
    mend_wide_boundary(out.data_, out.length_, out.length_);
    return out;
}

CellString CellString::mid(int pos, int n) const {
    if (pos < 0) pos = 0;
    if (pos > length_) pos = length_;
    if (n < 0 || n > length_ - pos) n = length_ - pos;
    CellString out(n);
    out.default_attr_ = default_attr_;
    out.Append(data_ + pos, n);
    mend_wide_boundary(out.data_, out.length_, 0);
    mend_wide_boundary(out.data_, out.length_, out.length_);
    return out;
}

CellString CellString::pad(int n) const {
    if (n < 0) n = 0;
    CellString out = left(n);
    for (int i = out.length_; i < n; i++) out += ScreenCell(L' ', default_attr_);
    return out;
}

void CellString::Put(int i, ScreenCell cell) {
    if (i < 0 || i >= length_) return;
    data_[i] = cell;
    mend_wide_boundary(data_, length_, i);
    mend_wide_boundary(data_, length_, i + 1);
}

int CellString::rchr(wchar_t ch) const {
    for (int i = length_ - 1; i >= 0; i--)
        if (data_[i].ch == ch) return i;
    return -1;
}

void CellString::Overlay(int pos, const CellString& piece) {
    if (pos < 0 || pos >= length_) return;
    const int n = std::min(piece.length_, length_ - pos);
    std::memcpy(data_ + pos, piece.data_, n * sizeof(ScreenCell));
    mend_wide_boundary(data_, length_, pos);
    mend_wide_boundary(data_, length_, pos + n);
}

void CellString::SetLength(int n) {
    if (n < 0) n = 0;
    room_keep(n);
    const bool shorter = n < length_;
    length_ = n;
    if (shorter) mend_wide_boundary(data_, length_, length_);
}

void CellString::room_discard(int n) {
    if (n <= capacity_) return;
    ScreenCell* block = new ScreenCell[n];
    if (on_heap()) delete[] data_;
    data_ = block;
    capacity_ = n;
}

void CellString::room_keep(int n) {
    if (n <= capacity_) return;
    int64_t wanted = static_cast<int64_t>(n) + n / 2;
    int size = wanted > INT_MAX / static_cast<int64_t>(sizeof(ScreenCell)) ? n : static_cast<int>(wanted);
    ScreenCell* block = new ScreenCell[size];
    std::memcpy(block, data_, capacity_ * sizeof(ScreenCell));
    if (on_heap()) delete[] data_;
    data_ = block;
    capacity_ = size;
}

CellString operator+(const CellString& a, const CellString& b) {
    CellString out(a);
    out += b;
    return out;
}
