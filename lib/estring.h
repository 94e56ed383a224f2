// Estring: a byte string (code-page text or UTF-8) whose comparisons ignore case.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

class Estring {
public:
    static constexpr int kInline = 21;  // inline buffer, terminator included

    Estring();
    Estring(const char* text);                // null gives an empty string
    Estring(const char* bytes, int n);        // the first n bytes (n < 0: none)
    explicit Estring(int room);               // empty, with room for room bytes
    Estring(const Estring& other);
    Estring(Estring&& other) noexcept;
    ~Estring();

    Estring& operator=(const Estring& other);
    Estring& operator=(Estring&& other) noexcept;
    Estring& operator=(const char* text);     // null gives an empty string

    const char* c_str() const { return data_; }
    char* data() { return data_; }
    int capacity() const { return capacity_; }
    int strlen() const;
    bool empty() const { return data_[0] == 0; }

    // Byte i, or the last byte of the buffer when i is outside it.
    char& operator[](int i);
    char operator[](int i) const;

    Estring& operator+=(const Estring& s);
    Estring& operator+=(const char* text);    // null is ignored
    Estring& operator+=(char ch);
    // Appends n bytes (which may contain anything but are taken as text).
    Estring& append(const char* bytes, int n);

    Estring left(int n) const;
    Estring mid(int pos, int n = 0) const;
    Estring right(int n) const;
    Estring chop(int n) const;
    Estring pad(int n, char ch = ' ') const;
    Estring lpad(int n, char ch = ' ') const;
    Estring ltrim() const;
    Estring rtrim() const;
    Estring trim() const;

    int chr(char ch) const;
    int rchr(char ch) const;
    int chrQuote(char ch, char quote = '"') const;

    Estring AppendBackslash() const;
    Estring RemoveBackslash() const;

    // Makes room for n bytes (plus terminator) without keeping the content.
    void reserve_discard(int n);
    // Makes room for n bytes (plus terminator), keeping the content.
    void reserve_keep(int n);
    // Sets the length after writing into data() directly (n < capacity).
    void set_length(int n);

private:
    char* data_;
    int capacity_;
    char inline_[kInline];

    bool on_heap() const { return data_ != inline_; }
    void assign(const char* bytes, int n);
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

Estring operator+(const Estring& a, const Estring& b);
Estring operator+(const Estring& a, const char* b);
Estring operator+(const char* a, const Estring& b);

Estring String(char ch, int n);
Estring IntToStr(long value);
Estring IntToStr(int64_t value, int radix);
// printf-style formatting; output past 1023 bytes is cut.
Estring esprintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
Estring vesprintf(const char* format, va_list args);
// The first n bytes with trailing white space removed.
Estring FromBStr(const char* bytes, int n);
Estring ExpandTabs(const char* text, int tab_size);
