#include "lib/westring.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <iconv.h>

#include "lib/casefold.h"
#include "lib/codepage.h"

// Shown for bytes a code page cannot convert.
static constexpr wchar_t kReplacement = 0x2302;

Westring::Westring(const char* utf8) : Westring() {
    if (utf8) FromUTF8(utf8);
}

Westring::Westring(const char* text, int cp) : Westring() {
    // A constructor cannot report: invalid bytes become replacement
    // characters, and an unknown code page leaves the string empty.
    if (text) (void)FromCodePage(text, cp);
}

Westring::Westring(const Estring& latin1) : Westring() {
    int n = latin1.strlen();
    reserve_discard(n);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(latin1.c_str());
    for (int i = 0; i < n; i++) data_[i] = p[i];
    data_[n] = 0;
}

Westring& Westring::upcase() {
    CUnicodeCaseFold::Get().strupr(data_);
    return *this;
}

Westring& Westring::downcase() {
    for (wchar_t* p = data_; *p; p++) {
        if (*p > 0) *p = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(*p)));
    }
    return *this;
}

int Westring::chr(wchar_t ch, int n) const {
    if (ch == 0 || n < 1) return -1;
    for (int i = 0; data_[i]; i++) {
        if (data_[i] == ch && --n == 0) return i;
    }
    return -1;
}

int Westring::instr(const Westring& s, int start) const {
    int len = strlen();
    if (start < 0) start = 0;
    if (start > len) return -1;
    const wchar_t* p = std::wcsstr(data_ + start, s.data_);
    return p ? static_cast<int>(p - data_) : -1;
}

int Westring::instri(const Westring& s) const {
    Westring hay(*this), needle(s);
    return hay.upcase().instr(needle.upcase());
}

bool Westring::subst(const Westring& from, const Westring& to) {
    if (from.empty()) return false;
    int at = instr(from);
    if (at < 0) return false;
    Westring out = left(at);
    out += to;
    out += data_ + at + from.strlen();
    *this = out;
    return true;
}

bool Westring::gsubst(const Westring& from, const Westring& to) {
    if (from.empty()) return false;
    int from_len = from.strlen();
    Westring out;
    const wchar_t* rest = data_;
    bool any = false;
    while (const wchar_t* hit = std::wcsstr(rest, from.data_)) {
        out.append(rest, static_cast<int>(hit - rest));
        out += to;
        rest = hit + from_len;
        any = true;
    }
    if (!any) return false;
    out += rest;
    *this = out;
    return true;
}

static int last_separator(const wchar_t* text) {
    int at = -1;
    for (int i = 0; text[i]; i++) {
        if (text[i] == L'/' || text[i] == L'\\') at = i;
    }
    return at;
}

Westring Westring::filename() const {
    int at = last_separator(data_);
    return at < 0 ? *this : Westring(data_ + at + 1);
}

Westring Westring::path() const {
    int at = last_separator(data_);
    if (at < 0) return Westring();
    if (at == 2 && data_[1] == L':') return left(3);
    return left(at);
}

Estring Westring::ToAscii() const {
    int len = strlen();
    Estring out(len);
    char* p = out.data();
    int n = 0;
    for (int i = 0; i < len; i++) {
        char byte = static_cast<char>(data_[i] & 0xFF);
        if (byte) p[n++] = byte;  // a zero low byte would end the text early
    }
    out.set_length(n);
    return out;
}

// ---- code pages ----------------------------------------------------------

namespace {

// One converter per direction and code page, kept per thread: opening a
// converter costs far more than a short conversion.
struct ConverterCache {
    int cp = 0;
    bool to_unicode = false;
    iconv_t cd = reinterpret_cast<iconv_t>(-1);
    ~ConverterCache() {
        if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    }
    iconv_t get(int want_cp, bool want_to_unicode) {
        if (cd != reinterpret_cast<iconv_t>(-1) && cp == want_cp && to_unicode == want_to_unicode) {
            iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
            return cd;
        }
        if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
        Estring name = CPName(want_cp);
        cd = want_to_unicode ? iconv_open("UCS-4LE", name.c_str()) : iconv_open(name.c_str(), "UCS-4LE");
        cp = want_cp;
        to_unicode = want_to_unicode;
        return cd;
    }
};

thread_local ConverterCache decoder_cache;
thread_local ConverterCache encoder_cache;

wchar_t from_le32(const unsigned char* p) {
    return static_cast<wchar_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

bool Westring::FromCodePage(const char* text, int cp) {
    return FromCodePage(text, text ? std::strlen(text) : 0, cp);
}

bool Westring::FromCodePage(const char* text, size_t n, int cp) {
    data_[0] = 0;
    iconv_t cd = decoder_cache.get(cp, true);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    reserve_discard(Westring::checked_size(static_cast<int64_t>(n)));
    if (n == 0) return true;

    bool ok = true;
    int len = 0;
    char* in = const_cast<char*>(text);
    size_t in_left = n;
    unsigned char chunk[4096];
    while (in_left > 0) {
        char* out = reinterpret_cast<char*>(chunk);
        size_t out_left = sizeof chunk;
        size_t r = iconv(cd, &in, &in_left, &out, &out_left);
        int err = errno;
        int got = static_cast<int>((sizeof chunk - out_left) / 4);
        reserve_keep(len + got + 1);
        for (int i = 0; i < got; i++) data_[len++] = from_le32(chunk + 4 * i);
        if (r == static_cast<size_t>(-1) && err != E2BIG) {
            // An invalid or incomplete sequence: mark one byte and go on.
            data_[len++] = kReplacement;
            in++;
            in_left--;
            ok = false;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    data_[len] = 0;
    return ok;
}

Estring Westring::ToCodePage(int cp) const {
    iconv_t cd = encoder_cache.get(cp, false);
    if (cd == reinterpret_cast<iconv_t>(-1)) return Estring();
    int len = strlen();
    Estring out(len);
    int used = 0;
    unsigned char in_chunk[4 * 256];
    int pos = 0;
    while (pos < len) {
        int take = len - pos < 256 ? len - pos : 256;
        for (int i = 0; i < take; i++) {
            uint32_t c = static_cast<uint32_t>(data_[pos + i]);
            in_chunk[4 * i] = c & 0xFF;
            in_chunk[4 * i + 1] = (c >> 8) & 0xFF;
            in_chunk[4 * i + 2] = (c >> 16) & 0xFF;
            in_chunk[4 * i + 3] = (c >> 24) & 0xFF;
        }
        char* in = reinterpret_cast<char*>(in_chunk);
        size_t in_left = 4 * static_cast<size_t>(take);
        bool stopped = false;
        while (in_left > 0) {
            // Multi-byte code pages may need more than a byte per character.
            out.reserve_keep(used + static_cast<int>(in_left) + 16);
            char* dst = out.data() + used;
            size_t dst_left = static_cast<size_t>(out.capacity() - 1 - used);
            size_t r = iconv(cd, &in, &in_left, &dst, &dst_left);
            used = static_cast<int>(dst - out.data());
            if (r == static_cast<size_t>(-1) && errno != E2BIG) {
                stopped = true;  // a character the code page cannot represent
                break;
            }
        }
        if (stopped) break;
        pos += take;
    }
    // Flush any shift state of stateful encodings.
    out.reserve_keep(used + 16);
    char* dst = out.data() + used;
    size_t dst_left = static_cast<size_t>(out.capacity() - 1 - used);
    iconv(cd, nullptr, nullptr, &dst, &dst_left);
    used = static_cast<int>(dst - out.data());
    out.data()[used] = 0;
    // A converted 0 byte would end the text there, which is what a C string means.
    return out;
}

// ---- UTF-8 ---------------------------------------------------------------

bool Westring::FromUTF8(const char* text) { return FromUTF8(text, text ? std::strlen(text) : 0); }

bool Westring::FromUTF8(const char* text, size_t n) {
    reserve_discard(Westring::checked_size(static_cast<int64_t>(n < 20 ? 20 : n / 2)));
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    bool ok = true;
    int len = 0;
    size_t i = 0;
    while (i < n) {
        unsigned char b = p[i];
        uint32_t c;
        int extra;
        if (b < 0x80) {
            c = b;
            extra = 0;
        } else if ((b & 0xE0) == 0xC0) {
            c = b & 0x1F;
            extra = 1;
        } else if ((b & 0xF0) == 0xE0) {
            c = b & 0x0F;
            extra = 2;
        } else if ((b & 0xF8) == 0xF0) {
            c = b & 0x07;
            extra = 3;
        } else {
            c = b;  // a stray continuation byte or an impossible lead byte
            extra = -1;
        }
        if (extra > 0) {
            bool complete = true;
            for (int k = 1; complete && k <= extra; k++) {
                if (i + k >= n || (p[i + k] & 0xC0) != 0x80) complete = false;
            }
            if (complete) {
                for (int k = 1; k <= extra; k++) c = (c << 6) | (p[i + k] & 0x3F);
            } else {
                c = b;  // a lead byte without its continuations
                extra = -1;
            }
        }
        if (extra < 0) {
            ok = false;
            extra = 0;
        } else if (c == 0 && b != 0) {
            c = 0xFFFFFFFFu;  // an overlong form of 0 cannot live in a C string
            ok = false;
        }
        if (b == 0 && extra == 0) break;  // a real 0 byte ends the text
        if (len + 1 >= capacity_) reserve_keep(len + 1);
        data_[len++] = static_cast<wchar_t>(c);
        i += 1 + extra;
    }
    data_[len] = 0;
    return ok;
}

Estring Westring::ToUTF8() const {
    int len = strlen();
    Estring out(Westring::checked_size(static_cast<int64_t>(len) + len / 4));
    int used = 0;
    for (int i = 0; i < len; i++) {
        uint32_t c = static_cast<uint32_t>(data_[i]);
        char bytes[4];
        int k;
        if (c == 0xFFFFFFFFu) {
            // The stored form of an overlong 0: give back the bytes it came from.
            bytes[0] = static_cast<char>(0xC0);
            bytes[1] = static_cast<char>(0x80);
            k = 2;
        } else if (c < 0x80) {
            bytes[0] = static_cast<char>(c);
            k = 1;
        } else if (c < 0x800) {
            bytes[0] = static_cast<char>(0xC0 | (c >> 6));
            bytes[1] = static_cast<char>(0x80 | (c & 0x3F));
            k = 2;
        } else if (c < 0x10000) {
            bytes[0] = static_cast<char>(0xE0 | (c >> 12));
            bytes[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            bytes[2] = static_cast<char>(0x80 | (c & 0x3F));
            k = 3;
        } else if (c < 0x200000) {
            bytes[0] = static_cast<char>(0xF0 | (c >> 18));
            bytes[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            bytes[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            bytes[3] = static_cast<char>(0x80 | (c & 0x3F));
            k = 4;
        } else {
            // Not representable in four bytes: the replacement character.
            bytes[0] = static_cast<char>(0xEF);
            bytes[1] = static_cast<char>(0xBF);
            bytes[2] = static_cast<char>(0xBD);
            k = 3;
        }
        if (used + k >= out.capacity()) out.reserve_keep(used + k);
        std::memcpy(out.data() + used, bytes, k);
        used += k;
    }
    out.data()[used] = 0;
    return out;
}

// ---- comparison and concatenation -----------------------------------------

bool operator==(const Westring& a, const Westring& b) { return fold_wcscasecmp(a.c_str(), b.c_str()) == 0; }
bool operator!=(const Westring& a, const Westring& b) { return fold_wcscasecmp(a.c_str(), b.c_str()) != 0; }
bool operator==(const Westring& a, const wchar_t* b) { return fold_wcscasecmp(a.c_str(), b ? b : L"") == 0; }
bool operator!=(const Westring& a, const wchar_t* b) { return fold_wcscasecmp(a.c_str(), b ? b : L"") != 0; }

bool SameChars(const Westring& a, const Westring& b) { return std::wcscmp(a.c_str(), b.c_str()) == 0; }

Westring String(wchar_t ch, int n) {
    if (n <= 0 || ch == 0) return Westring();
    Westring out(n);
    std::wmemset(out.data(), ch, n);
    out.set_length(n);
    return out;
}
