// Westring: a string of 32-bit Unicode code points, the program's form of
// file names, command lines and screen text. == ignores case through the
// program's own case-fold table.
#pragma once

#include <cstddef>
#include <cstdint>

#include "lib/estring.h"

class Westring {
public:
    static constexpr int kInline = 21;  // inline buffer, terminator included

    Westring();
    Westring(const wchar_t* text);              // null gives an empty string
    Westring(const wchar_t* text, int n);       // the first n characters
    Westring(const char* utf8);                 // decoded as UTF-8 (null: empty)
    Westring(const char* text, int codepage);   // decoded from a code page
    Westring(const Estring& latin1);            // each byte becomes its code point
    explicit Westring(int room);                // empty, with room for room chars
    Westring(const Westring& other);
    Westring(Westring&& other) noexcept;
    ~Westring();

    Westring& operator=(const Westring& other);
    Westring& operator=(Westring&& other) noexcept;
    Westring& operator=(const wchar_t* text);

    const wchar_t* c_str() const { return data_; }
    wchar_t* data() { return data_; }
    int capacity() const { return capacity_; }
    int strlen() const;
    bool empty() const { return data_[0] == 0; }

    wchar_t& operator[](int i);
    wchar_t operator[](int i) const;

    Westring& operator+=(const Westring& s);
    Westring& operator+=(const wchar_t* text);  // null is ignored
    Westring& operator+=(wchar_t ch);
    Westring& append(const wchar_t* text, int n);

    Westring left(int n) const;
    Westring mid(int pos, int n = 0) const;
    Westring right(int n) const;
    Westring chop(int n) const;
    Westring pad(int n, wchar_t ch = L' ') const;
    Westring lpad(int n, wchar_t ch = L' ') const;
    Westring ltrim() const;
    Westring rtrim() const;
    Westring trim() const;

    // In place: every character upper-cased through the case-fold table, or
    // lower-cased through the C library.
    Westring& upcase();
    Westring& downcase();

    int chr(wchar_t ch) const;           // first ch, or -1
    int chr(wchar_t ch, int n) const;    // n-th ch (from 1), or -1
    int rchr(wchar_t ch) const;
    int chrQuote(wchar_t ch) const;
    int instr(const Westring& s, int start = 0) const;
    int instri(const Westring& s) const;

    bool subst(const Westring& from, const Westring& to);
    bool gsubst(const Westring& from, const Westring& to);

    Westring filename() const;
    Westring path() const;
    Westring AppendBackslash() const;
    Westring RemoveBackslash() const;
    Estring ToAscii() const;

    bool FromCodePage(const char* text, int codepage);
    bool FromCodePage(const char* text, size_t n, int codepage);
    Estring ToCodePage(int codepage) const;
    bool FromUTF8(const char* text);
    bool FromUTF8(const char* text, size_t n);
    Estring ToUTF8() const;

    void reserve_discard(int n);
    void reserve_keep(int n);
    void set_length(int n);

private:
    wchar_t* data_;
    int capacity_;
    wchar_t inline_[kInline];

    bool on_heap() const { return data_ != inline_; }
    void assign(const wchar_t* text, int n);
};

bool operator==(const Westring& a, const Westring& b);
bool operator!=(const Westring& a, const Westring& b);
bool operator==(const Westring& a, const wchar_t* b);
bool operator!=(const Westring& a, const wchar_t* b);

Westring operator+(const Westring& a, const Westring& b);
Westring operator+(const Westring& a, const wchar_t* b);
Westring operator+(const wchar_t* a, const Westring& b);

Westring String(wchar_t ch, int n);
