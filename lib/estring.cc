#include "lib/estring.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

bool operator==(const Estring& a, const Estring& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }
bool operator!=(const Estring& a, const Estring& b) { return strcasecmp(a.c_str(), b.c_str()) != 0; }
bool operator<(const Estring& a, const Estring& b) { return strcasecmp(a.c_str(), b.c_str()) < 0; }
bool operator<=(const Estring& a, const Estring& b) { return strcasecmp(a.c_str(), b.c_str()) <= 0; }
bool operator>(const Estring& a, const Estring& b) { return strcasecmp(a.c_str(), b.c_str()) > 0; }
bool operator>=(const Estring& a, const Estring& b) { return strcasecmp(a.c_str(), b.c_str()) >= 0; }

static const char* or_empty(const char* s) { return s ? s : ""; }

bool operator==(const Estring& a, const char* b) { return strcasecmp(a.c_str(), or_empty(b)) == 0; }
bool operator!=(const Estring& a, const char* b) { return strcasecmp(a.c_str(), or_empty(b)) != 0; }
bool operator<(const Estring& a, const char* b) { return strcasecmp(a.c_str(), or_empty(b)) < 0; }
bool operator<=(const Estring& a, const char* b) { return strcasecmp(a.c_str(), or_empty(b)) <= 0; }
bool operator>(const Estring& a, const char* b) { return strcasecmp(a.c_str(), or_empty(b)) > 0; }
bool operator>=(const Estring& a, const char* b) { return strcasecmp(a.c_str(), or_empty(b)) >= 0; }

Estring String(char ch, int n) {
    if (n <= 0 || ch == 0) return Estring();
    Estring out(n);
    std::memset(out.data(), ch, n);
    out.set_length(n);
    return out;
}

Estring IntToStr(long value) { return IntToStr(static_cast<int64_t>(value), 10); }

Estring IntToStr(int64_t value, int radix) {
    if (radix < 2 || radix > 36) radix = 10;
    char digits[72];
    int pos = sizeof digits;
    digits[--pos] = 0;
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    do {
        int d = static_cast<int>(magnitude % radix);
        digits[--pos] = static_cast<char>(d < 10 ? '0' + d : 'A' + d - 10);
        magnitude /= radix;
    } while (magnitude);
    if (value < 0) digits[--pos] = '-';
    return Estring(digits + pos);
}

Estring vesprintf(const char* format, va_list args) {
    char buffer[1024];
    int n = std::vsnprintf(buffer, sizeof buffer, format ? format : "", args);
    if (n < 0) buffer[0] = 0;
    return Estring(buffer);
}

Estring esprintf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    Estring out = vesprintf(format, args);
    va_end(args);
    return out;
}

Estring FromBStr(const char* bytes, int n) {
    if (!bytes || n <= 0) return Estring();
    int len = 0;
    while (len < n && bytes[len]) len++;
    while (len > 0 && std::isspace(static_cast<unsigned char>(bytes[len - 1]))) len--;
    return Estring(bytes, len);
}

Estring ExpandTabs(const char* text, int tab_size) {
    if (!text) return Estring();
    if (tab_size < 1) tab_size = 1;
    // The length first, so that the result is written in one pass (appending
    // byte by byte would rescan the text each time).
    int64_t length = 0;
    for (const char* p = text; *p; p++) length += *p == '\t' ? tab_size - length % tab_size : 1;
    Estring out(Estring::checked_size(length));
    char* dst = out.data();
    int column = 0;
    for (const char* p = text; *p; p++) {
        if (*p == '\t') {
            int spaces = tab_size - column % tab_size;
            std::memset(dst + column, ' ', spaces);
            column += spaces;
        } else {
            dst[column++] = *p;
        }
    }
    dst[column] = 0;
    return out;
}
