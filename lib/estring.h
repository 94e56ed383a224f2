// Estring: a byte string (code-page text or UTF-8) whose comparisons ignore case.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

#include "lib/basicstring.h"

class Estring : public TBasicString<Estring, char> {
public:
    Estring() = default;
    Estring(const char* text) { assign_text(text); }  // null gives an empty string
    Estring(const char* bytes, int n) : TBasicString(bytes, n) {}  // the first n bytes
    explicit Estring(int room) { reserve_discard(room); }         // empty, with room
    Estring(const Estring&) = default;
    Estring(Estring&&) noexcept = default;

    Estring& operator=(const Estring&) = default;
    Estring& operator=(Estring&&) noexcept = default;
    Estring& operator=(const char* text) {
        assign_text(text);
        return *this;
    }
};

bool operator==(const Estring& a, const Estring& b);
bool operator!=(const Estring& a, const Estring& b);
bool operator<(const Estring& a, const Estring& b);
bool operator<=(const Estring& a, const Estring& b);
bool operator>(const Estring& a, const Estring& b);
bool operator>=(const Estring& a, const Estring& b);
bool operator==(const Estring& a, const char* b);
bool operator!=(const Estring& a, const char* b);
bool operator<(const Estring& a, const char* b);
bool operator<=(const Estring& a, const char* b);
bool operator>(const Estring& a, const char* b);
bool operator>=(const Estring& a, const char* b);


Estring String(char ch, int n);
Estring IntToStr(long value);
Estring IntToStr(int64_t value, int radix);
// printf-style formatting; output past 1023 bytes is cut.
Estring esprintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
Estring vesprintf(const char* format, va_list args);
// The first n bytes with trailing white space removed.
Estring FromBStr(const char* bytes, int n);
Estring ExpandTabs(const char* text, int tab_size);
