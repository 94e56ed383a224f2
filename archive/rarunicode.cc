#include "archive/rarunicode.h"

#include <cstring>
#include <vector>

#include "archive/archive.h"

namespace {

// Reads the compressed part: a high byte shared by the characters that
// give only their low byte, then 2-bit opcodes from flag bytes, the most
// significant pair first. Runs copy characters of the byte name, so they
// end where it ends.
std::vector<uint32_t> DecodeCompressedName(const uint8_t* byte_name, size_t byte_name_length,
                                           const uint8_t* packed, size_t packed_length) {
    std::vector<uint32_t> units;
    size_t at = 0;
    if (packed_length == 0) return units;
    const uint32_t high = static_cast<uint32_t>(packed[at++]) << 8;
    unsigned flags = 0;
    int flag_bits = 0;
    while (at < packed_length) {
        if (flag_bits == 0) {
            flags = packed[at++];
            flag_bits = 8;
            if (at >= packed_length) break;
        }
        const unsigned opcode = (flags >> 6) & 3;
        flags <<= 2;
        flag_bits -= 2;
        switch (opcode) {
            case 0:
                units.push_back(packed[at++]);
                break;
            case 1:
                units.push_back(high | packed[at++]);
                break;
            case 2:
                if (packed_length - at < 2) return units;
                units.push_back(packed[at] | (static_cast<uint32_t>(packed[at + 1]) << 8));
                at += 2;
                break;
            default: {
                const uint8_t run = packed[at++];
                size_t count = (run & 0x7F) + 2u;
                if (run & 0x80) {
                    if (at >= packed_length) return units;
                    const uint8_t correction = packed[at++];
                    for (; count > 0 && units.size() < byte_name_length; count--) {
                        const uint8_t low = static_cast<uint8_t>(byte_name[units.size()] + correction);
                        units.push_back(high | low);
                    }
                } else {
                    for (; count > 0 && units.size() < byte_name_length; count--)
                        units.push_back(byte_name[units.size()]);
                }
                break;
            }
        }
    }
    return units;
}

// The 16-bit units as characters: surrogate pairs are joined, a lone
// surrogate becomes U+FFFD, and a zero unit ends the name.
Westring UnitsToText(const std::vector<uint32_t>& units) {
    std::vector<wchar_t> chars;
    chars.reserve(units.size() + 1);
    for (size_t i = 0; i < units.size(); i++) {
        const uint32_t unit = units[i];
        if (unit == 0) break;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            chars.push_back(static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00)));
            i++;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            chars.push_back(static_cast<wchar_t>(0xFFFD));
        } else {
            chars.push_back(static_cast<wchar_t>(unit));
        }
    }
    return Westring(chars.data(), static_cast<int>(chars.size()));
}

}  // namespace

Westring DecodeRarUnicode(const uint8_t* field, size_t length) {
    const char* bytes = reinterpret_cast<const char*>(field);
    const void* zero = length ? std::memchr(field, 0, length) : nullptr;
    if (!zero) return Archive::DecodeName(bytes, length, NameCoding::kUtf8);
    const size_t byte_name_length = static_cast<size_t>(static_cast<const uint8_t*>(zero) - field);
    const size_t packed_at = byte_name_length + 1;
    Westring decoded =
        UnitsToText(DecodeCompressedName(field, byte_name_length, field + packed_at, length - packed_at));
    if (decoded.empty()) return Archive::DecodeName(bytes, byte_name_length, NameCoding::kCodePage);
    return decoded;
}
