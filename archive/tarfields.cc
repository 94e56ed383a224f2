#include "archive/tarfields.h"

#include <cstring>
#include <limits>

namespace {

constexpr int kChecksumOffset = 148;
constexpr int kChecksumLength = 8;

bool is_octal(uint8_t c) { return c >= '0' && c <= '7'; }

// A decimal number of digits only, at least one; false when it does not
// fit in 63 bits.
bool parse_decimal(const char* text, size_t length, int64_t* value) {
    if (length == 0) return false;
    int64_t result = 0;
    for (size_t i = 0; i < length; i++) {
        if (text[i] < '0' || text[i] > '9') return false;
        const int digit = text[i] - '0';
        if (result > (std::numeric_limits<int64_t>::max() - digit) / 10) return false;
        result = result * 10 + digit;
    }
    *value = result;
    return true;
}

// "SECONDS[.FRACTION]", possibly negative, as pax writes times.
bool parse_pax_time(const char* text, size_t length, int64_t* seconds, uint32_t* nanoseconds) {
    bool negative = false;
    if (length > 0 && text[0] == '-') {
        negative = true;
        text++;
        length--;
    }
    const char* dot = static_cast<const char*>(std::memchr(text, '.', length));
    const size_t whole_length = dot ? static_cast<size_t>(dot - text) : length;
    int64_t whole = 0;
    if (!parse_decimal(text, whole_length, &whole)) return false;
    uint32_t fraction = 0;
    if (dot) {
        // Nine digits make nanoseconds; more are dropped.
        uint32_t scale = 100000000;
        for (size_t i = whole_length + 1; i < length; i++) {
            if (text[i] < '0' || text[i] > '9') return false;
            fraction += static_cast<uint32_t>(text[i] - '0') * scale;
            scale /= 10;
        }
    }
    if (negative) {
        // -1.25 is 1.75 seconds before -0: whole seconds down, fraction up.
        whole = -whole;
        if (fraction > 0) {
            whole -= 1;
            fraction = 1000000000u - fraction;
        }
    }
    *seconds = whole;
    *nanoseconds = fraction;
    return true;
}

bool key_is(const char* key, size_t key_length, const char* wanted) {
    return key_length == std::strlen(wanted) && std::memcmp(key, wanted, key_length) == 0;
}

}  // namespace

bool FromOctalStr(const uint8_t* field, size_t length, uint64_t* value, int* digits) {
    size_t i = 0;
    while (i < length && (field[i] == ' ' || field[i] == 0)) i++;
    uint64_t result = 0;
    int taken = 0;
    for (; i < length && is_octal(field[i]); i++, taken++) {
        if (result > (static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) >> 3)) return false;
        result = result * 8 + static_cast<uint64_t>(field[i] - '0');
    }
    *value = result;
    if (digits) *digits = taken;
    return true;
}

bool TarNumber(const uint8_t* field, size_t length, int64_t* value) {
    if (length == 0) {
        *value = 0;
        return true;
    }
    if (field[0] == 0x80 || field[0] == 0xFF) {
        const bool negative = field[0] == 0xFF;
        // The bytes beyond the last eight may only extend the sign.
        const uint8_t fill = negative ? 0xFF : 0x00;
        size_t first = 1;
        if (length > 9) {
            for (; first < length - 8; first++)
                if (field[first] != fill) return false;
        }
        uint64_t bits = negative ? ~uint64_t(0) : 0;
        for (size_t i = first; i < length; i++) bits = (bits << 8) | field[i];
        const int64_t result = static_cast<int64_t>(bits);
        if (negative != (result < 0)) return false;
        *value = result;
        return true;
    }
    uint64_t octal = 0;
    if (!FromOctalStr(field, length, &octal)) return false;
    *value = static_cast<int64_t>(octal);
    return true;
}

bool TarChecksumMatches(const uint8_t* block) {
    uint64_t stored = 0;
    int digits = 0;
    if (!FromOctalStr(block + kChecksumOffset, kChecksumLength, &stored, &digits) || digits == 0) return false;
    // Every header of the archive is summed: eight bytes at a time, in four
    // 16-bit lanes that cannot overflow over 512 bytes.
    constexpr uint64_t kLowBytes = 0x00FF00FF00FF00FFull;
    uint64_t lanes = 0;
    for (int i = 0; i < kTarBlock; i += 8) {
        uint64_t word;
        std::memcpy(&word, block + i, sizeof word);
        lanes += (word & kLowBytes) + ((word >> 8) & kLowBytes);
    }
    int64_t sum = static_cast<int64_t>((lanes & 0xFFFF) + ((lanes >> 16) & 0xFFFF) + ((lanes >> 32) & 0xFFFF) + (lanes >> 48));
    // The checksum field itself counts as eight blanks.
    for (int i = kChecksumOffset; i < kChecksumOffset + kChecksumLength; i++) sum -= block[i];
    sum += ' ' * kChecksumLength;
    if (static_cast<int64_t>(stored) == sum) return true;
    // Old tars summed signed chars: each byte from 0x80 counts 256 less.
    for (int i = 0; i < kTarBlock; i++) {
        if (i == kChecksumOffset) i += kChecksumLength;
        if (block[i] >= 0x80) sum -= 256;
    }
    return static_cast<int64_t>(stored) == sum;
}

bool IsZeroBlock(const uint8_t* block) {
    for (int i = 0; i < kTarBlock; i++)
        if (block[i]) return false;
    return true;
}

bool ParsePaxRecords(const char* data, size_t length, PaxValues* values) {
    size_t at = 0;
    while (at < length) {
        const char* record = data + at;
        const size_t left = length - at;
        // Some writers pad the data with NULs after the last record.
        if (record[0] == 0) return true;
        size_t blank = 0;
        while (blank < left && blank < 20 && record[blank] != ' ') blank++;
        int64_t record_length = 0;
        if (blank >= left || record[blank] != ' ' || !parse_decimal(record, blank, &record_length)) return false;
        if (record_length <= static_cast<int64_t>(blank) + 1 || static_cast<uint64_t>(record_length) > left) return false;
        const size_t end = static_cast<size_t>(record_length);
        if (record[end - 1] != '\n') return false;
        const char* key = record + blank + 1;
        const size_t text_length = end - 1 - (blank + 1);  // key=value without the line feed
        const char* equals = static_cast<const char*>(std::memchr(key, '=', text_length));
        if (!equals) return false;
        const size_t key_length = static_cast<size_t>(equals - key);
        const char* value = equals + 1;
        const size_t value_length = text_length - key_length - 1;
        int64_t number = 0;
        if (key_is(key, key_length, "path")) {
            values->has_path = true;
            values->path.assign(value, value_length);
        } else if (key_is(key, key_length, "size")) {
            if (parse_decimal(value, value_length, &number)) {
                values->has_size = true;
                values->size = number;
            }
        } else if (key_is(key, key_length, "mtime")) {
            values->has_mtime = parse_pax_time(value, value_length, &values->mtime_seconds, &values->mtime_nanoseconds);
        } else if (key_is(key, key_length, "uid")) {
            if (parse_decimal(value, value_length, &number) && number <= 0xFFFFFFFF) {
                values->has_uid = true;
                values->uid = static_cast<uint32_t>(number);
            }
        } else if (key_is(key, key_length, "gid")) {
            if (parse_decimal(value, value_length, &number) && number <= 0xFFFFFFFF) {
                values->has_gid = true;
                values->gid = static_cast<uint32_t>(number);
            }
        } else if (key_is(key, key_length, "GNU.sparse.name")) {
            values->has_sparse_name = true;
            values->sparse_name.assign(value, value_length);
        } else if (key_is(key, key_length, "GNU.sparse.realsize") || key_is(key, key_length, "GNU.sparse.size")) {
            if (parse_decimal(value, value_length, &number)) {
                values->has_real_size = true;
                values->real_size = number;
            }
        }
        // Other keys (linkpath, atime, xattrs...) say nothing the listing shows.
        at += end;
    }
    return true;
}
