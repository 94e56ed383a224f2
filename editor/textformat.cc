#include "editor/textformat.h"

#include "editor/textcodec.h"

namespace {

const uint8_t kBomUTF32LE[] = {0xFF, 0xFE, 0x00, 0x00};
const uint8_t kBomUTF32BE[] = {0x00, 0x00, 0xFE, 0xFF};
const uint8_t kBomUTF16LE[] = {0xFF, 0xFE};
const uint8_t kBomUTF16BE[] = {0xFE, 0xFF};
const uint8_t kBomUTF8[] = {0xEF, 0xBB, 0xBF};

// What the first bytes say about UTF-8.
enum class Utf8Verdict { kPlainAscii, kUtf8, kNotUtf8 };

// Valid multi-byte sequences make it UTF-8; any invalid sequence or a NUL
// (which UTF-16 and UTF-32 text is full of) makes it something else.
Utf8Verdict JudgeUTF8(const uint8_t* bytes, size_t n, bool whole_file) {
    bool multibyte = false;
    size_t i = 0;
    while (i < n) {
        if (bytes[i] == 0) return Utf8Verdict::kNotUtf8;
        if (bytes[i] < 0x80) {
            i++;
            continue;
        }
        wchar_t value;
        int length = DecodeUTF8(bytes + i, n - i, &value);
        if (length < 0 && !whole_file) break;  // cut by the end of the probe, not of the text
        if (length <= 0) return Utf8Verdict::kNotUtf8;
        multibyte = true;
        i += static_cast<size_t>(length);
    }
    return multibyte ? Utf8Verdict::kUtf8 : Utf8Verdict::kPlainAscii;
}

uint32_t Value32(const uint8_t* p, bool big_endian) {
    return big_endian ? (uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3])
                      : (uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]);
}

// Text in UTF-32 has blanks or line feeds and nothing beyond U+10FFFF.
EFileFormat JudgeUTF32(const uint8_t* bytes, size_t n) {
    bool invalid[2] = {false, false}, found[2] = {false, false};
    for (size_t i = 0; i + 4 <= n && !(invalid[0] && invalid[1]); i += 4) {
        for (int big = 0; big < 2; big++) {
            uint32_t v = Value32(bytes + i, big != 0);
            if (v >= 0x110000) invalid[big] = true;
            else if ((v == ' ' || v == '\n') && !invalid[big]) found[big] = true;
        }
    }
    if (found[0] && !invalid[0]) return FF_UTF32LE;
    if (found[1] && !invalid[1]) return FF_UTF32BE;
    return FF_UNKNOWN;
}

// Text in UTF-16 has both blanks and line feeds and no unlikely units.
EFileFormat JudgeUTF16(const uint8_t* bytes, size_t n) {
    bool invalid[2] = {false, false}, blank[2] = {false, false}, feed[2] = {false, false};
    for (size_t i = 0; i + 2 <= n && !(invalid[0] && invalid[1]); i += 2) {
        for (int big = 0; big < 2; big++) {
            unsigned short unit = big ? static_cast<unsigned short>(bytes[i] << 8 | bytes[i + 1])
                                      : static_cast<unsigned short>(bytes[i + 1] << 8 | bytes[i]);
            if (!IsValidUTF16(unit)) invalid[big] = true;
            else if (unit == ' ') blank[big] = true;
            else if (unit == '\n') feed[big] = true;
        }
    }
    if (!invalid[0] && blank[0] && feed[0]) return FF_UTF16LE;
    if (!invalid[1] && blank[1] && feed[1]) return FF_UTF16BE;
    return FF_UNKNOWN;
}

bool StartsWith(const uint8_t* bytes, size_t n, const uint8_t* mark, size_t length) {
    if (n < length) return false;
    for (size_t i = 0; i < length; i++)
        if (bytes[i] != mark[i]) return false;
    return true;
}

}  // namespace

int FormatUnitSize(EFileFormat format) {
    switch (format) {
    case FF_UTF32LE:
    case FF_UTF32BE: return 4;
    case FF_UTF16LE:
    case FF_UTF16BE: return 2;
    default: return 1;
    }
}

const uint8_t* FormatBOM(EFileFormat format, int* length) {
    switch (format) {
    case FF_UTF32LE: *length = 4; return kBomUTF32LE;
    case FF_UTF32BE: *length = 4; return kBomUTF32BE;
    case FF_UTF16LE: *length = 2; return kBomUTF16LE;
    case FF_UTF16BE: *length = 2; return kBomUTF16BE;
    case FF_UTF8: *length = 3; return kBomUTF8;
    default: *length = 0; return nullptr;
    }
}

Estring GetFormatDesc(EFileFormat format, int code_page) {
    switch (format) {
    case FF_UTF32LE:
    case FF_UTF32BE: return "UTF-32";
    case FF_UTF16LE:
    case FF_UTF16BE: return "UTF-16";
    case FF_UTF8: return "UTF-8";
    case FF_CODEPAGE: return esprintf("CP%d", code_page);
    default: return "";
    }
}

bool IsValidUTF16(unsigned short c) {
    struct Range {
        unsigned short first, last;
    };
    static const Range kUnlikely[] = {
        {0x07FB, 0x0900}, {0x1A20, 0x1AFF}, {0x1C80, 0x1CFF}, {0x2B55, 0x2BFF}, {0xA698, 0xA6FF},
        {0xA78D, 0xA7FA}, {0xA960, 0xA9FF}, {0xAA60, 0xABFF}, {0xD7A4, 0xF8FF},
    };
    if (c == 0) return false;
    for (const Range& range : kUnlikely)
        if (c >= range.first && c <= range.last) return false;
    return true;
}

FormatGuess DetectFileFormat(const uint8_t* bytes, size_t n, bool whole_file, EFileFormat preset) {
    FormatGuess guess;
    // In this order: FF FE 00 00 is UTF-32 before FF FE could be UTF-16.
    for (EFileFormat format : {FF_UTF32LE, FF_UTF32BE, FF_UTF16LE, FF_UTF16BE, FF_UTF8}) {
        int length = 0;
        const uint8_t* mark = FormatBOM(format, &length);
        if (StartsWith(bytes, n, mark, static_cast<size_t>(length))) {
            guess.format = format;
            guess.bom_length = length;
            return guess;
        }
    }
    if (preset != FF_UNKNOWN) {
        guess.format = preset;
        return guess;
    }
    if (n > static_cast<size_t>(kFormatProbeBytes)) {
        n = kFormatProbeBytes;
        whole_file = false;
    }
    Utf8Verdict utf8 = JudgeUTF8(bytes, n, whole_file);
    if (utf8 == Utf8Verdict::kUtf8) {
        guess.format = FF_UTF8;
        return guess;
    }
    EFileFormat wide = JudgeUTF32(bytes, n);
    if (wide == FF_UNKNOWN) wide = JudgeUTF16(bytes, n);
    if (wide != FF_UNKNOWN) guess.format = wide;
    else guess.format = utf8 == Utf8Verdict::kNotUtf8 ? FF_CODEPAGE : FF_UTF8;
    return guess;
}
