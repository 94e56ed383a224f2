#include "archive/zipextra.h"

#include "archive/bytes.h"
#include "archive/zipcrc.h"

namespace {

constexpr uint16_t kZip64Field = 0x0001;
constexpr uint16_t kNtfsField = 0x000A;
constexpr uint16_t kPkwareUnixField = 0x000D;
constexpr uint16_t kExtendedTimeField = 0x5455;
constexpr uint16_t kUnicodePathField = 0x7075;
constexpr uint16_t kUnixOwnerField = 0x7875;

constexpr uint32_t kAllOnes32 = 0xFFFFFFFFu;
constexpr uint32_t kAllOnes16 = 0xFFFFu;

// Windows counts 100-nanosecond ticks from 1601; seconds from 1601 to 1970.
constexpr uint64_t kTicksPerSecond = 10000000;
constexpr int64_t kWindowsEpochSeconds = 11644473600LL;

// The 64-bit values come only for the header fields that overflowed, in
// a fixed order; a field too short for the next one ends them.
void ReadZip64(const uint8_t* data, size_t size, ZipExtraFields& fields) {
    size_t at = 0;
    auto take64 = [&](uint64_t& value) {
        if (value != kAllOnes32) return true;
        if (size - at < 8) return false;
        value = Le64(data + at);
        at += 8;
        return true;
    };
    if (!take64(fields.size) || !take64(fields.packed) || !take64(fields.local_offset)) return;
    if (fields.disk == kAllOnes16 && size - at >= 4) fields.disk = Le32(data + at);
}

// Flags, then the modification time as 32-bit Unix seconds when flag bit 0
// is set (the central directory holds no other time). The seconds are taken
// unsigned, as libarchive and 7-Zip take them: times up to 2106 are right,
// and a time before 1970 shows as one after 2038.
void ReadExtendedTime(const uint8_t* data, size_t size, ZipExtraFields& fields) {
    if (size < 5 || !(data[0] & 1)) return;
    fields.unix_time = Le32(data + 1);
    fields.has_unix_time = true;
}

// Four reserved bytes, then tagged attributes; tag 1 holds the
// modification, access and creation times as Windows ticks.
void ReadNtfsTimes(const uint8_t* data, size_t size, ZipExtraFields& fields) {
    size_t at = 4;
    while (at + 4 <= size) {
        const uint16_t tag = Le16(data + at);
        const uint16_t tag_size = Le16(data + at + 2);
        at += 4;
        if (tag_size > size - at) return;
        if (tag == 1 && tag_size >= 24) {
            const uint64_t ticks = Le64(data + at);
            fields.windows_seconds = static_cast<int64_t>(ticks / kTicksPerSecond) - kWindowsEpochSeconds;
            fields.windows_nanoseconds = static_cast<uint32_t>(ticks % kTicksPerSecond * 100);
            fields.has_windows_time = true;
            return;
        }
        at += tag_size;
    }
}

// A little-endian number of n bytes, n at most 4.
uint32_t LeN(const uint8_t* p, size_t n) {
    uint32_t value = 0;
    for (size_t i = n; i > 0; i--) value = (value << 8) | p[i - 1];
    return value;
}

// Version 1, then the uid and the gid, each as a length byte and that many
// bytes; owners wider than 32 bits are not taken.
void ReadUnixOwner(const uint8_t* data, size_t size, ZipExtraFields& fields) {
    if (size < 2 || data[0] != 1) return;
    const size_t uid_size = data[1];
    if (uid_size > 4 || 2 + uid_size + 1 > size) return;
    const size_t gid_size = data[2 + uid_size];
    if (gid_size > 4 || 3 + uid_size + gid_size > size) return;
    fields.uid = LeN(data + 2, uid_size);
    fields.gid = LeN(data + 3 + uid_size, gid_size);
    fields.has_owner = true;
}

// Version 1, the CRC-32 of the stored name it stands for, then the name.
// A name changed by a program that did not know the field no longer
// matches, and its stored name is used.
void ReadUnicodePath(const uint8_t* data, size_t size, const uint8_t* name, size_t name_length,
                     ZipExtraFields& fields) {
    if (size < 5 || data[0] != 1) return;
    if (Le32(data + 1) != ZipCrc32(name, name_length)) return;
    fields.unicode_name = data + 5;
    fields.unicode_name_length = size - 5;
}

}  // namespace

void ReadZipExtra(const uint8_t* extra, size_t length, const uint8_t* name, size_t name_length,
                  ZipExtraFields& fields) {
    size_t at = 0;
    while (length - at >= 4) {
        const uint16_t id = Le16(extra + at);
        const size_t size = Le16(extra + at + 2);
        at += 4;
        if (size > length - at) return;
        const uint8_t* data = extra + at;
        switch (id) {
            case kZip64Field:
                ReadZip64(data, size, fields);
                break;
            case kNtfsField:
                ReadNtfsTimes(data, size, fields);
                break;
            case kPkwareUnixField:
                // Access and modification time, then 16-bit uid and gid.
                if (size >= 12) {
                    fields.uid = Le16(data + 8);
                    fields.gid = Le16(data + 10);
                    fields.has_owner = true;
                }
                break;
            case kExtendedTimeField:
                ReadExtendedTime(data, size, fields);
                break;
            case kUnicodePathField:
                ReadUnicodePath(data, size, name, name_length, fields);
                break;
            case kUnixOwnerField:
                ReadUnixOwner(data, size, fields);
                break;
            default:
                break;
        }
        at += size;
    }
}
