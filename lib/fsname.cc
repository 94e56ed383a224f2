#include "lib/fsname.h"

#include <cstdint>
#include <cstring>
#include <cwchar>

namespace {

constexpr wchar_t kRawByteBase = 0xDC00;

bool is_continuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Length of the well-formed UTF-8 sequence at p (1 to 4), or 0 when the
// bytes there do not start one: overlong forms, surrogates, code points
// above U+10FFFF, truncated sequences and stray continuation bytes are all
// refused. available is the number of bytes left from p.
int sequence_length(const unsigned char* p, size_t available) {
    unsigned char b = p[0];
    if (b < 0x80) return 1;
    // The range allowed for the second byte depends on the lead byte; the
    // narrowed ranges exclude overlong forms, surrogates and values past
    // U+10FFFF.
    int length;
    unsigned char low = 0x80, high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        if (b == 0xE0) low = 0xA0;
        if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        if (b == 0xF0) low = 0x90;
        if (b == 0xF4) high = 0x8F;
    } else {
        return 0;  // a continuation byte, C0, C1 or F5..FF
    }
    if (available < static_cast<size_t>(length)) return 0;
    if (p[1] < low || p[1] > high) return 0;
    for (int k = 2; k < length; k++) {
        if (!is_continuation(p[k])) return 0;
    }
    return length;
}

uint32_t decode_sequence(const unsigned char* p, int length) {
    static const unsigned char lead_mask[5] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    uint32_t c = p[0] & lead_mask[length];
    for (int k = 1; k < length; k++) c = (c << 6) | (p[k] & 0x3F);
    return c;
}

// The UTF-8 bytes of c written at out; the count written.
int encode_char(uint32_t c, char* out) {
    if (c < 0x80) {
        out[0] = static_cast<char>(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = static_cast<char>(0xC0 | (c >> 6));
        out[1] = static_cast<char>(0x80 | (c & 0x3F));
        return 2;
    }
    if (c > 0x10FFFF) c = 0xFFFD;  // no such character: the replacement character
    if (c < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (c >> 12));
        out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (c & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (c >> 18));
    out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (c & 0x3F));
    return 4;
}

}  // namespace

Westring DecodeFileName(const char* bytes) { return DecodeFileName(bytes, bytes ? std::strlen(bytes) : 0); }

Westring DecodeFileName(const char* bytes, size_t n) {
    Westring name;
    if (!bytes || n == 0) return name;
    // A zero byte cannot be part of a name: it ends the text.
    const void* zero = std::memchr(bytes, 0, n);
    if (zero) n = static_cast<size_t>(static_cast<const char*>(zero) - bytes);
    // Never more characters than bytes.
    name.reserve_discard(Westring::checked_size(static_cast<int64_t>(n)));
    wchar_t* out = name.data();
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes);
    int len = 0;
    size_t i = 0;
    while (i < n) {
        int length = sequence_length(p + i, n - i);
        if (length == 0) {
            // Only the first byte is taken as raw; decoding starts again at
            // the next one, so a valid sequence right after a broken one
            // still decodes.
            out[len++] = kRawByteBase + p[i];
            i++;
        } else {
            out[len++] = static_cast<wchar_t>(decode_sequence(p + i, length));
            i += static_cast<size_t>(length);
        }
    }
    name.set_length(len);
    return name;
}

Estring EncodeFileName(const wchar_t* name) {
    Estring bytes;
    if (!name) return bytes;
    size_t count = std::wcslen(name);
    bytes.reserve_discard(Estring::checked_size(static_cast<int64_t>(count) * 4));
    char* out = bytes.data();
    int len = 0;
    for (size_t i = 0; i < count; i++) {
        wchar_t c = name[i];
        if (IsRawByteChar(c)) {
            out[len++] = static_cast<char>(c - kRawByteBase);
        } else {
            len += encode_char(static_cast<uint32_t>(c), out + len);
        }
    }
    bytes.set_length(len);
    return bytes;
}
