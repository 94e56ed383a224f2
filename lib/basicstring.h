// The storage and the character-type-neutral operations shared by Estring
// (bytes) and Westring (code points): an inline buffer of 21 characters, a
// heap block once the text outgrows it, growth that never shrinks, and the
// slicing, padding, trimming and searching operations. Derived is the string
// class itself, so operations return it.
#pragma once

#include <cctype>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwctype>

template <class Derived, class C>
class TBasicString {
public:
    static constexpr int kInline = 21;  // inline buffer, terminator included
    static constexpr int64_t kMaxSize = INT_MAX / static_cast<int64_t>(sizeof(C));

    const C* c_str() const { return data_; }
    C* data() { return data_; }
    int capacity() const { return capacity_; }
    int strlen() const { return length_of(data_); }
    bool empty() const { return data_[0] == 0; }

    // Character i, or the last one of the buffer when i is outside it. Writes
    // outside the text's room go to a scratch character, so the terminator
    // slot stays zero.
    C& operator[](int i) {
        if (i >= 0 && i < capacity_ - 1) return data_[i];
        scratch() = data_[capacity_ - 1];
        return scratch();
    }
    C operator[](int i) const { return i >= 0 && i < capacity_ ? data_[i] : data_[capacity_ - 1]; }

    Derived& append(const C* text, int n) {
        if (!text || n <= 0) return self();
        if (inside(text)) {  // appending a piece of itself
            Derived copy(text, n);
            return append(copy.data_, n);
        }
        int len = strlen();
        int total = checked_size(static_cast<int64_t>(len) + n);
        reserve_keep(total);
        std::memcpy(data_ + len, text, n * sizeof(C));
        data_[total] = 0;
        return self();
    }
    Derived& operator+=(const Derived& s) {
        if (&s == this) {
            Derived copy(s);
            return append(copy.data_, copy.strlen());
        }
        return append(s.data_, s.strlen());
    }
    Derived& operator+=(const C* text) { return text ? append(text, length_of(text)) : self(); }
    Derived& operator+=(C ch) { return ch ? append(&ch, 1) : self(); }

    Derived left(int n) const { return Derived(data_, clamp(n, 0, strlen())); }
    Derived mid(int pos, int n = 0) const {
        int len = strlen();
        pos = clamp(pos, 0, len);
        int rest = len - pos;
        if (n <= 0 || n > rest) n = rest;
        return Derived(data_ + pos, n);
    }
    Derived right(int n) const {
        int len = strlen();
        n = clamp(n, 0, len);
        return Derived(data_ + len - n, n);
    }
    Derived chop(int n) const {
        int len = strlen();
        n = clamp(n, 0, len);
        return Derived(data_, len - n);
    }
    // Exactly n characters: the first n, filled up with ch.
    Derived pad(int n, C ch = ' ') const {
        if (n <= 0) return Derived();
        int keep = clamp(strlen(), 0, n);
        Derived out(data_, keep);
        out.reserve_keep(n);
        for (int i = keep; i < n; i++) out.data_[i] = ch;
        out.data_[n] = 0;
        return out;
    }
    // Exactly n characters: the last n, or the text right-aligned after ch.
    Derived lpad(int n, C ch = ' ') const {
        if (n <= 0) return Derived();
        int len = strlen();
        if (len >= n) return Derived(data_ + len - n, n);
        Derived out(n);
        for (int i = 0; i < n - len; i++) out.data_[i] = ch;
        std::memcpy(out.data_ + n - len, data_, len * sizeof(C));
        out.data_[n] = 0;
        return out;
    }
    Derived ltrim() const {
        const C* p = data_;
        while (*p && is_space(*p)) p++;
        return Derived(p);
    }
    Derived rtrim() const {
        int len = strlen();
        while (len > 0 && is_space(data_[len - 1])) len--;
        return Derived(data_, len);
    }
    Derived trim() const { return ltrim().rtrim(); }

    // Index of the first or last ch, or -1 (also for ch = 0).
    int chr(C ch) const {
        if (ch == 0) return -1;
        for (int i = 0; data_[i]; i++)
            if (data_[i] == ch) return i;
        return -1;
    }
    int rchr(C ch) const {
        if (ch == 0) return -1;
        int found = -1;
        for (int i = 0; data_[i]; i++)
            if (data_[i] == ch) found = i;
        return found;
    }
    // Index of the first ch not between quote characters, or -1.
    int chrQuote(C ch, C quote = '"') const {
        if (ch == 0) return -1;
        bool quoted = false;
        for (int i = 0; data_[i]; i++) {
            if (data_[i] == quote) quoted = !quoted;
            else if (!quoted && data_[i] == ch) return i;
        }
        return -1;
    }

    // With "/" appended unless empty or already ending in "/".
    Derived AppendBackslash() const {
        int len = strlen();
        if (len == 0 || data_[len - 1] == '/') return self();
        Derived out(self());
        out += C('/');
        return out;
    }
    // Without its final "/", except that "/" alone stays a root only as "//".
    Derived RemoveBackslash() const {
        int len = strlen();
        if (len > 0 && data_[len - 1] == '/' && (len >= 4 || data_[1] != '/')) return chop(1);
        return self();
    }

    // Concatenation; the result is made big enough once.
    friend Derived operator+(const Derived& a, const Derived& b) {
        Derived out(a.strlen() + b.strlen());
        out += a;
        out += b;
        return out;
    }
    friend Derived operator+(const Derived& a, const C* b) {
        Derived out(a);
        out += b;
        return out;
    }
    friend Derived operator+(const C* a, const Derived& b) {
        Derived out(a);
        out += b;
        return out;
    }

    // Makes room for n characters (plus terminator) without keeping the content.
    void reserve_discard(int n) {
        if (n < capacity_) return;
        int size = checked_size(static_cast<int64_t>(n) + 1);
        C* block = new C[size]();
        release();
        data_ = block;
        capacity_ = size;
    }
    // Makes room for n characters (plus terminator), keeping the content;
    // a heap block grows to n + n/4 + 1.
    void reserve_keep(int n) {
        if (n < capacity_) return;
        int64_t wanted = static_cast<int64_t>(n) + n / 4 + 1;
        if (wanted > kMaxSize) wanted = checked_size(static_cast<int64_t>(n) + 1);
        int size = static_cast<int>(wanted);
        C* block = new C[size]();
        std::memcpy(block, data_, capacity_ * sizeof(C));
        release();
        data_ = block;
        capacity_ = size;
    }
    // Sets the length after writing into data() directly.
    void set_length(int n) { data_[clamp(n, 0, capacity_ - 1)] = 0; }

    // Sizes are signed 32-bit counts of characters; a longer string cannot exist.
    static int checked_size(int64_t n) {
        if (n < 0 || n > kMaxSize) {
            std::fputs("dv: string too long\n", stderr);
            std::abort();
        }
        return static_cast<int>(n);
    }

protected:
    // Buffers start zeroed: reading past the text through [] gives 0, never
    // stale memory.
    TBasicString() : data_(inline_), capacity_(kInline), inline_{} {}
    TBasicString(const C* text, int n) : TBasicString() {
        if (text && n > 0) assign(text, n);
    }
    TBasicString(const TBasicString& other) : TBasicString() { assign(other.data_, other.strlen()); }
    TBasicString(TBasicString&& other) noexcept : TBasicString() { take(other); }
    ~TBasicString() { release(); }

    TBasicString& operator=(const TBasicString& other) {
        if (this != &other) assign(other.data_, other.strlen());
        return *this;
    }
    TBasicString& operator=(TBasicString&& other) noexcept {
        if (this != &other) take(other);
        return *this;
    }
    // Assigns a zero-terminated text; null gives an empty string.
    void assign_text(const C* text) {
        if (!text) {
            data_[0] = 0;
        } else if (inside(text)) {  // assigning a piece of itself
            Derived copy(text);
            assign(copy.data_, copy.strlen());
        } else {
            assign(text, length_of(text));
        }
    }
    void assign(const C* text, int n) {
        reserve_discard(n);
        std::memmove(data_, text, n * sizeof(C));
        data_[n] = 0;
    }

    static int length_of(const C* text) {
        size_t n = 0;
        while (text[n]) n++;
        return checked_size(static_cast<int64_t>(n));
    }
    static int clamp(int v, int low, int high) { return v < low ? low : v > high ? high : v; }

    C* data_;
    int capacity_;
    C inline_[kInline];

private:

    Derived& self() { return static_cast<Derived&>(*this); }
    const Derived& self() const { return static_cast<const Derived&>(*this); }
    bool on_heap() const { return data_ != inline_; }
    bool inside(const C* p) const { return p >= data_ && p < data_ + capacity_; }
    void release() {
        if (on_heap()) delete[] data_;
        data_ = inline_;
        capacity_ = kInline;
    }
    // Moves other's heap block here, or copies its inline text (never shrinking).
    void take(TBasicString& other) {
        if (other.on_heap()) {
            release();
            data_ = other.data_;
            capacity_ = other.capacity_;
            other.data_ = other.inline_;
            other.capacity_ = kInline;
            other.inline_[0] = 0;
        } else {
            assign(other.inline_, other.strlen());
        }
    }
    static bool is_space(C c) {
        if constexpr (sizeof(C) == 1) return std::isspace(static_cast<unsigned char>(c));
        else return c > 0 && std::iswspace(static_cast<wint_t>(c));
    }
    static C& scratch() {
        thread_local C scratch_char;
        return scratch_char;
    }
};
