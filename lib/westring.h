// Westring: a string of 32-bit Unicode code points, the program's form of
// file names, command lines and screen text. == ignores case through the
// program's own case-fold table.
#pragma once

#include <cstddef>
#include <cstdint>

#include "lib/basicstring.h"
#include "lib/estring.h"

class Westring : public TBasicString<Westring, wchar_t> {
public:
    Westring() = default;
    Westring(const wchar_t* text) { assign_text(text); }              // null gives empty
    Westring(const wchar_t* text, int n) : TBasicString(text, n) {}   // the first n chars
    Westring(const char* utf8);                 // decoded as UTF-8 (null: empty)
    Westring(const char* text, int codepage);   // decoded from a code page
    Westring(const Estring& latin1);            // each byte becomes its code point
    explicit Westring(int room) { reserve_discard(room); }  // empty, with room
    Westring(const Westring&) = default;
    Westring(Westring&&) noexcept = default;

    Westring& operator=(const Westring&) = default;
    Westring& operator=(Westring&&) noexcept = default;
    Westring& operator=(const wchar_t* text) {
        assign_text(text);
        return *this;
    }

    // In place: every character upper-cased through the case-fold table, or
    // lower-cased through the C library.
    Westring& upcase();
    Westring& downcase();

    using TBasicString::chr;
    int chr(wchar_t ch, int n) const;  // n-th ch (from 1), or -1
    int instr(const Westring& s, int start = 0) const;
    int instri(const Westring& s) const;

    bool subst(const Westring& from, const Westring& to);
    bool gsubst(const Westring& from, const Westring& to);

    Westring filename() const;
    Westring path() const;
    Estring ToAscii() const;

    [[nodiscard]] bool FromCodePage(const char* text, int codepage);
    [[nodiscard]] bool FromCodePage(const char* text, size_t n, int codepage);
    Estring ToCodePage(int codepage) const;
    bool FromUTF8(const char* text);
    bool FromUTF8(const char* text, size_t n);
    Estring ToUTF8() const;
};

bool operator==(const Westring& a, const Westring& b);
bool operator!=(const Westring& a, const Westring& b);
bool operator==(const Westring& a, const wchar_t* b);
bool operator!=(const Westring& a, const wchar_t* b);
// Exact equality, character for character: what file names on this system
// need, where "A.txt" and "a.txt" are two files.
bool SameChars(const Westring& a, const Westring& b);


Westring String(wchar_t ch, int n);
