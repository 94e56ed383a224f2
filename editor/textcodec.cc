#include "editor/textcodec.h"

#include <cstdlib>

#include "lib/westring.h"

namespace {

bool IsSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDFFF; }

void AppendUnit(std::string& out, uint32_t unit, int size, bool big_endian) {
    for (int i = 0; i < size; i++) {
        int shift = big_endian ? 8 * (size - 1 - i) : 8 * i;
        out += static_cast<char>((unit >> shift) & 0xFF);
    }
}

}  // namespace

int DecodeUTF8(const uint8_t* p, size_t avail, wchar_t* value) {
    if (avail == 0) return -1;
    uint8_t lead = p[0];
    if (lead < 0x80) {
        *value = lead;
        return 1;
    }
    int length;
    uint32_t code;
    uint32_t minimum;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;  // a continuation byte, C0, C1 or F5 and above
    }
    for (int i = 1; i < length; i++) {
        if (static_cast<size_t>(i) >= avail) return -1;
        if ((p[i] & 0xC0) != 0x80) return 0;
        code = code << 6 | (p[i] & 0x3F);
        // Over-long, surrogate and too-large forms show after the second
        // byte; checking early keeps a cut sequence from looking valid.
        if (i == 1 && ((length == 3 && (code < 0x800 >> 6 || (code >= 0xD800 >> 6 && code <= 0xDFFF >> 6))) ||
                       (length == 4 && (code < 0x10000 >> 12 || code > 0x10FFFF >> 12))))
            return 0;
    }
    if (code < minimum || IsSurrogate(static_cast<wchar_t>(code)) || code > 0x10FFFF) return 0;
    *value = static_cast<wchar_t>(code);
    return length;
}

void AppendUTF8(std::string& out, wchar_t c) {
    uint32_t u = static_cast<uint32_t>(c);
    if (u < 0x80) {
        out += static_cast<char>(u);
    } else if (u < 0x800) {
        out += static_cast<char>(0xC0 | u >> 6);
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
        out += static_cast<char>(0xE0 | u >> 12);
        out += static_cast<char>(0x80 | (u >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | u >> 18);
        out += static_cast<char>(0x80 | (u >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (u >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    }
}

void CCodePageTable::Build(int code_page) {
    if (code_page == code_page_) return;
    code_page_ = code_page;
    bytes_.clear();
    for (int byte = 0; byte < 256; byte++) {
        wchar_t c = TextRawByte(byte);
        if (byte == 0) {
            c = 0;
        } else {
            char text[2] = {static_cast<char>(byte), 0};
            Westring decoded;
            if (decoded.FromCodePage(text, 1, code_page) && decoded.strlen() == 1 && decoded[0] > 0 &&
                decoded[0] <= 0x10FFFF && !IsSurrogate(decoded[0]) && bytes_.count(decoded[0]) == 0)
                c = decoded[0];
        }
        chars_[byte] = c;
        bytes_[c] = static_cast<uint8_t>(byte);
    }
}

int CCodePageTable::ToByte(wchar_t c) const {
    auto found = bytes_.find(c);
    return found == bytes_.end() ? -1 : found->second;
}

bool CanEncode(EFileFormat format, const CCodePageTable& table, wchar_t c) {
    if (IsTextRawByte(c)) return true;
    switch (format) {
    case FF_UTF32LE:
    case FF_UTF32BE:
    case FF_UTF16LE:
    case FF_UTF16BE: return c >= 0 && c <= 0x10FFFF;
    case FF_CODEPAGE: return table.ToByte(c) >= 0;
    default: return c >= 0 && c <= 0x10FFFF && !IsSurrogate(c);
    }
}

bool EncodeChar(EFileFormat format, const CCodePageTable& table, wchar_t c, std::string& out) {
    if (IsTextRawByte(c)) {
        out += static_cast<char>(RawByteValue(c));
        return true;
    }
    bool writable = CanEncode(format, table, c);
    if (!writable) c = '?';
    switch (format) {
    case FF_UTF32LE:
    case FF_UTF32BE: AppendUnit(out, static_cast<uint32_t>(c), 4, format == FF_UTF32BE); break;
    case FF_UTF16LE:
    case FF_UTF16BE:
        if (c > 0xFFFF) {  // a surrogate pair
            uint32_t v = static_cast<uint32_t>(c) - 0x10000;
            AppendUnit(out, 0xD800 | v >> 10, 2, format == FF_UTF16BE);
            AppendUnit(out, 0xDC00 | (v & 0x3FF), 2, format == FF_UTF16BE);
        } else {
            AppendUnit(out, static_cast<uint32_t>(c), 2, format == FF_UTF16BE);
        }
        break;
    case FF_CODEPAGE: {
        int byte = table.ToByte(c);
        out += static_cast<char>(byte >= 0 ? byte : '?');
        break;
    }
    default: AppendUTF8(out, c); break;
    }
    return writable;
}

std::vector<int> ParseCodePageList(const char* list) {
    std::vector<int> pages;
    const char* p = list;
    while (p && *p) {
        char* end = nullptr;
        const long page = std::strtol(p, &end, 10);
        if (end == p) {
            p++;
            continue;
        }
        pages.push_back(static_cast<int>(page));
        p = end;
    }
    return pages;
}
