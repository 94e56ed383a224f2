#include "lib/estring.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace {

// Sizes are signed 32-bit; a string that would pass that limit cannot exist.
int checked_size(int64_t n) {
    if (n < 0 || n > INT_MAX) {
        std::fputs("Estring: string too long\n", stderr);
        std::abort();
    }
    return static_cast<int>(n);
}

// Writes through an out-of-range index land here instead of in the buffer.
thread_local char scratch_byte;

}  // namespace

// Buffers start zeroed: reading past the text (operator[] allows it up to the
// last byte of the buffer) gives 0, never stale memory.
Estring::Estring() : data_(inline_), capacity_(kInline), inline_{} {}

Estring::Estring(const char* text) : Estring() {
    if (text) assign(text, checked_size(static_cast<int64_t>(std::strlen(text))));
}

Estring::Estring(const char* bytes, int n) : Estring() {
    if (bytes && n > 0) assign(bytes, n);
}

Estring::Estring(int room) : Estring() { reserve_discard(room); }

Estring::Estring(const Estring& other) : Estring() { assign(other.data_, other.strlen()); }

Estring::Estring(Estring&& other) noexcept : Estring() {
    if (other.on_heap()) {
        data_ = other.data_;
        capacity_ = other.capacity_;
        other.data_ = other.inline_;
        other.capacity_ = kInline;
        other.inline_[0] = 0;
    } else {
        std::memcpy(inline_, other.inline_, kInline);
    }
}

Estring::~Estring() {
    if (on_heap()) delete[] data_;
}

Estring& Estring::operator=(const Estring& other) {
    if (this != &other) assign(other.data_, other.strlen());
    return *this;
}

Estring& Estring::operator=(Estring&& other) noexcept {
    if (this == &other) return *this;
    if (other.on_heap()) {
        if (on_heap()) delete[] data_;
        data_ = other.data_;
        capacity_ = other.capacity_;
        other.data_ = other.inline_;
        other.capacity_ = kInline;
        other.inline_[0] = 0;
    } else {
        // Never shrink: copy into whatever buffer this string already has.
        std::memcpy(data_, other.inline_, std::strlen(other.inline_) + 1);
    }
    return *this;
}

Estring& Estring::operator=(const char* text) {
    if (!text) {
        data_[0] = 0;
        return *this;
    }
    if (text >= data_ && text < data_ + capacity_) {  // assigning a piece of itself
        Estring copy(text);
        return *this = copy;
    }
    assign(text, checked_size(static_cast<int64_t>(std::strlen(text))));
    return *this;
}

void Estring::assign(const char* bytes, int n) {
    reserve_discard(n);
    std::memmove(data_, bytes, n);
    data_[n] = 0;
}

void Estring::reserve_discard(int n) {
    if (n < capacity_) return;
    int size = checked_size(static_cast<int64_t>(n) + 1);
    char* block = new char[size]();
    if (on_heap()) delete[] data_;
    data_ = block;
    capacity_ = size;
    data_[0] = 0;
}

void Estring::reserve_keep(int n) {
    if (n < capacity_) return;
    int64_t wanted = static_cast<int64_t>(n) + n / 4 + 1;
    if (wanted > INT_MAX) wanted = checked_size(static_cast<int64_t>(n) + 1);
    int size = static_cast<int>(wanted);
    char* block = new char[size]();
    std::memcpy(block, data_, capacity_);
    if (on_heap()) delete[] data_;
    data_ = block;
    capacity_ = size;
}

void Estring::set_length(int n) {
    if (n < 0) n = 0;
    if (n >= capacity_) n = capacity_ - 1;
    data_[n] = 0;
}

int Estring::strlen() const { return static_cast<int>(std::strlen(data_)); }

char& Estring::operator[](int i) {
    if (i >= 0 && i < capacity_ - 1) return data_[i];
    // The terminator slot must stay zero, so writes beyond the text go nowhere.
    scratch_byte = data_[capacity_ - 1];
    return scratch_byte;
}

char Estring::operator[](int i) const {
    if (i >= 0 && i < capacity_) return data_[i];
    return data_[capacity_ - 1];
}

Estring& Estring::append(const char* bytes, int n) {
    if (!bytes || n <= 0) return *this;
    int len = strlen();
    int total = checked_size(static_cast<int64_t>(len) + n);
    if (bytes >= data_ && bytes < data_ + capacity_) {  // appending a piece of itself
        Estring copy(bytes, n);
        return append(copy.data_, n);
    }
    reserve_keep(total);
    std::memcpy(data_ + len, bytes, n);
    data_[total] = 0;
    return *this;
}

Estring& Estring::operator+=(const Estring& s) {
    if (&s == this) {
        Estring copy(s);
        return append(copy.data_, copy.strlen());
    }
    return append(s.data_, s.strlen());
}

Estring& Estring::operator+=(const char* text) {
    if (!text) return *this;
    return append(text, checked_size(static_cast<int64_t>(std::strlen(text))));
}

Estring& Estring::operator+=(char ch) {
    if (ch == 0) return *this;
    return append(&ch, 1);
}

Estring Estring::left(int n) const {
    int len = strlen();
    if (n < 0) n = 0;
    if (n > len) n = len;
    return Estring(data_, n);
}

Estring Estring::mid(int pos, int n) const {
    int len = strlen();
    if (pos < 0) pos = 0;
    if (pos > len) pos = len;
    int rest = len - pos;
    if (n <= 0 || n > rest) n = rest;
    return Estring(data_ + pos, n);
}

Estring Estring::right(int n) const {
    int len = strlen();
    if (n < 0) n = 0;
    if (n > len) n = len;
    return Estring(data_ + len - n, n);
}

Estring Estring::chop(int n) const {
    int len = strlen();
    if (n < 0) n = 0;
    if (n >= len) return Estring();
    return Estring(data_, len - n);
}

Estring Estring::pad(int n, char ch) const {
    if (n <= 0) return Estring();
    Estring out(n);
    int len = strlen();
    int keep = len < n ? len : n;
    std::memcpy(out.data_, data_, keep);
    std::memset(out.data_ + keep, ch, n - keep);
    out.data_[n] = 0;
    return out;
}

Estring Estring::lpad(int n, char ch) const {
    if (n <= 0) return Estring();
    int len = strlen();
    if (len >= n) return Estring(data_ + len - n, n);
    Estring out(n);
    std::memset(out.data_, ch, n - len);
    std::memcpy(out.data_ + n - len, data_, len);
    out.data_[n] = 0;
    return out;
}

Estring Estring::ltrim() const {
    const char* p = data_;
    while (*p && std::isspace(static_cast<unsigned char>(*p))) p++;
    return Estring(p);
}

Estring Estring::rtrim() const {
    int len = strlen();
    while (len > 0 && std::isspace(static_cast<unsigned char>(data_[len - 1]))) len--;
    return Estring(data_, len);
}

Estring Estring::trim() const { return ltrim().rtrim(); }

int Estring::chr(char ch) const {
    if (ch == 0) return -1;
    const char* p = std::strchr(data_, ch);
    return p ? static_cast<int>(p - data_) : -1;
}

int Estring::rchr(char ch) const {
    if (ch == 0) return -1;
    const char* p = std::strrchr(data_, ch);
    return p ? static_cast<int>(p - data_) : -1;
}

int Estring::chrQuote(char ch, char quote) const {
    if (ch == 0) return -1;
    bool inside = false;
    for (int i = 0; data_[i]; i++) {
        if (data_[i] == quote) inside = !inside;
        else if (!inside && data_[i] == ch) return i;
    }
    return -1;
}

Estring Estring::AppendBackslash() const {
    int len = strlen();
    if (len == 0 || data_[len - 1] == '/') return *this;
    return *this + "/";
}

Estring Estring::RemoveBackslash() const {
    int len = strlen();
    if (len > 0 && data_[len - 1] == '/' && (len >= 4 || data_[1] != '/')) return chop(1);
    return *this;
}

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

Estring operator+(const Estring& a, const Estring& b) {
    Estring out(a.strlen() + b.strlen());
    out += a;
    out += b;
    return out;
}

Estring operator+(const Estring& a, const char* b) {
    Estring out(a);
    out += b;
    return out;
}

Estring operator+(const char* a, const Estring& b) {
    Estring out(a);
    out += b;
    return out;
}

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
    Estring out(checked_size(length));
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
