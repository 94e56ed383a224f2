// The extra fields of a ZIP central directory header that the listing
// uses: the 64-bit sizes of large members, Unix and Windows times, Unix
// owners, and the Unicode name Info-ZIP adds beside a name it stored in a
// code page. Unknown, truncated and malformed fields are skipped.
#pragma once

#include <cstddef>
#include <cstdint>

struct ZipExtraFields {
    // Before reading: the header's 32-bit values (16-bit for the disk).
    // Each that is all ones is replaced by its 64-bit value from the ZIP64
    // field, when that field holds it.
    uint64_t size = 0;
    uint64_t packed = 0;
    uint64_t local_offset = 0;
    uint32_t disk = 0;

    bool has_unix_time = false;  // Unix seconds of the extended timestamp field
    int64_t unix_time = 0;
    bool has_windows_time = false;  // the NTFS field's modification time
    int64_t windows_seconds = 0;
    uint32_t windows_nanoseconds = 0;
    bool has_owner = false;
    uint32_t uid = 0;
    uint32_t gid = 0;
    // The UTF-8 name of the Unicode path field, when its checksum matches
    // the stored name; it points into the extra data.
    const uint8_t* unicode_name = nullptr;
    size_t unicode_name_length = 0;
};

// Reads length bytes of extra data of the member whose stored name is
// name (name_length bytes) into fields.
void ReadZipExtra(const uint8_t* extra, size_t length, const uint8_t* name, size_t name_length,
                  ZipExtraFields& fields);
