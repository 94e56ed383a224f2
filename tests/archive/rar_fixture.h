// Builds RAR archives byte by byte for the tests: nothing in Debian writes
// RAR. Members are stored (method "store"), headers carry real CRCs, so a
// real RAR reader (unrar-free) can list and test what is built here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rar_fixture {

inline uint32_t Crc32(const std::string& bytes, uint32_t crc = 0) {
    crc = ~crc;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; bit++) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline void PutLe(std::string& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; i++) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// ---- RAR 1.5-4.x ----

inline const std::string kRar4Marker("Rar!\x1a\x07\x00", 7);

// One block: its CRC (the low 16 bits of the CRC32 of everything after the
// CRC field) is filled in. body is what follows the 7-byte head.
inline std::string Rar4Block(uint8_t type, uint16_t flags, const std::string& body) {
    std::string after_crc;
    after_crc += static_cast<char>(type);
    PutLe(after_crc, flags, 2);
    PutLe(after_crc, 7 + body.size(), 2);
    after_crc += body;
    std::string block;
    PutLe(block, Crc32(after_crc) & 0xFFFF, 2);
    return block + after_crc;
}

// Puts the right CRC back into a block whose bytes a test changed.
inline void SetRar4Crc(std::string& block) {
    const uint32_t crc = Crc32(block.substr(2)) & 0xFFFF;
    block[0] = static_cast<char>(crc & 0xFF);
    block[1] = static_cast<char>(crc >> 8);
}

inline std::string Rar4ArchiveHeader(uint16_t flags = 0) { return Rar4Block(0x73, flags, std::string(6, '\0')); }
inline std::string Rar4EndBlock() { return Rar4Block(0x7B, 0x4000, ""); }

struct Rar4Member {
    std::string name;          // the name field as stored (see Rar4UnicodeName)
    std::string data;          // stored contents
    bool unicode = false;      // the name field is in RAR's Unicode form
    bool directory = false;
    uint8_t host = 2;          // 0 MS-DOS, 2 Windows, 3 Unix
    uint32_t attributes = 0x20;
    uint16_t dos_date = (44 << 9) | (6 << 5) | 15;  // 2024-06-15
    uint16_t dos_time = (12 << 11) | (30 << 5);     // 12:30:00
    // Sizes written in the header when not those of data (a member of
    // 4 GiB whose data the test leaves as a hole in a sparse file).
    uint64_t packed = UINT64_MAX;
    uint64_t unpacked = UINT64_MAX;
    bool high_sizes = false;   // write the 0x100 fields even for small sizes
};

// The file header of a member, without its data.
inline std::string Rar4FileHeader(const Rar4Member& m) {
    const uint64_t packed = m.packed != UINT64_MAX ? m.packed : m.data.size();
    const uint64_t unpacked = m.unpacked != UINT64_MAX ? m.unpacked : m.data.size();
    const bool high = m.high_sizes || packed > 0xFFFFFFFFu || unpacked > 0xFFFFFFFFu;
    uint16_t flags = 0x8000;
    if (high) flags |= 0x0100;
    if (m.unicode) flags |= 0x0200;
    if (m.directory) flags |= 0x00E0;
    std::string body;
    PutLe(body, packed & 0xFFFFFFFFu, 4);
    PutLe(body, unpacked & 0xFFFFFFFFu, 4);
    body += static_cast<char>(m.host);
    PutLe(body, Crc32(m.data), 4);
    PutLe(body, m.dos_time, 2);
    PutLe(body, m.dos_date, 2);
    body += static_cast<char>(m.directory ? 20 : 29);  // version needed to extract
    body += static_cast<char>(0x30);                   // store
    PutLe(body, m.name.size(), 2);
    PutLe(body, m.attributes, 4);
    if (high) {
        PutLe(body, packed >> 32, 4);
        PutLe(body, unpacked >> 32, 4);
    }
    body += m.name;
    return Rar4Block(0x74, flags, body);
}

inline std::string Rar4Archive(const std::vector<Rar4Member>& members, bool end_block = true) {
    std::string out = kRar4Marker + Rar4ArchiveHeader();
    for (const Rar4Member& m : members) out += Rar4FileHeader(m) + m.data;
    if (end_block) out += Rar4EndBlock();
    return out;
}

// A name field in RAR's Unicode form: the byte name (one byte for each
// UTF-16 unit: the unit itself below 0x80, else byte_for_unit's choice), a
// zero byte, then the units compressed. The encoder uses all four ways the
// format has: copies of byte-name runs, runs corrected by a constant, bytes
// with the shared high byte, and whole units.
inline std::string Rar4UnicodeName(const std::u16string& units, char (*byte_for_unit)(char16_t)) {
    std::string byte_name;
    for (char16_t u : units) byte_name += u < 0x80 ? static_cast<char>(u) : byte_for_unit(u);
    // The high byte most units above 0xFF share.
    int counts[256] = {};
    for (char16_t u : units)
        if (u > 0xFF) counts[u >> 8]++;
    uint8_t high = 0;
    for (int h = 1; h < 256; h++)
        if (counts[h] > counts[high]) high = static_cast<uint8_t>(h);

    std::vector<std::pair<int, std::string>> ops;  // opcode and its bytes
    const size_t n = units.size();
    auto low = [&](size_t i) { return static_cast<uint8_t>(units[i] & 0xFF); };
    auto byte_at = [&](size_t i) { return static_cast<uint8_t>(byte_name[i]); };
    for (size_t i = 0; i < n;) {
        size_t run = 0;
        while (i + run < n && run < 129 && units[i + run] == byte_at(i + run)) run++;
        if (run >= 3) {
            ops.push_back({3, std::string(1, static_cast<char>(run - 2))});
            i += run;
            continue;
        }
        const uint8_t correction = static_cast<uint8_t>(low(i) - byte_at(i));
        run = 0;
        while (i + run < n && run < 129 && (units[i + run] >> 8) == high &&
               static_cast<uint8_t>(low(i + run) - byte_at(i + run)) == correction)
            run++;
        if (run >= 3) {
            std::string data{static_cast<char>(0x80 | (run - 2)), static_cast<char>(correction)};
            ops.push_back({3, data});
            i += run;
            continue;
        }
        const char16_t u = units[i];
        if (u <= 0xFF) ops.push_back({0, std::string(1, static_cast<char>(u))});
        else if ((u >> 8) == high) ops.push_back({1, std::string(1, static_cast<char>(u & 0xFF))});
        else ops.push_back({2, std::string{static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)}});
        i++;
    }
    std::string field = byte_name + '\0' + static_cast<char>(high);
    for (size_t g = 0; g < ops.size(); g += 4) {
        uint8_t flags = 0;
        std::string data;
        for (size_t k = 0; k < 4 && g + k < ops.size(); k++) {
            flags |= static_cast<uint8_t>(ops[g + k].first << (6 - 2 * k));
            data += ops[g + k].second;
        }
        field += static_cast<char>(flags) + data;
    }
    return field;
}

// ---- RAR5 ----

inline const std::string kRar5Marker("Rar!\x1a\x07\x01\x00", 8);

inline std::string Vint(uint64_t value) {
    std::string out;
    do {
        uint8_t byte = value & 0x7F;
        value >>= 7;
        if (value) byte |= 0x80;
        out += static_cast<char>(byte);
    } while (value);
    return out;
}

// A header from its type on: the CRC32 and size are put in front. extra
// is the extra area; data_size > 0 (or has_data) adds the data area field.
inline std::string Rar5Header(uint64_t type, const std::string& fields, const std::string& extra = "",
                              bool has_data = false, uint64_t data_size = 0) {
    uint64_t flags = 0;
    if (!extra.empty()) flags |= 0x0001;
    if (has_data) flags |= 0x0002;
    std::string body = Vint(type) + Vint(flags);
    if (!extra.empty()) body += Vint(extra.size());
    if (has_data) body += Vint(data_size);
    body += fields + extra;
    const std::string sized = Vint(body.size()) + body;
    std::string header;
    PutLe(header, Crc32(sized), 4);
    return header + sized;
}

inline std::string Rar5MainHeader() { return Rar5Header(1, Vint(0)); }
inline std::string Rar5EndHeader() { return Rar5Header(5, Vint(0)); }

// An extra record: size, type, data.
inline std::string Rar5Record(uint64_t type, const std::string& data) {
    const std::string typed = Vint(type) + data;
    return Vint(typed.size()) + typed;
}

// The file time record with a Unix modification time and its nanoseconds.
inline std::string Rar5UnixTimeRecord(uint32_t seconds, uint32_t nanoseconds) {
    std::string data = Vint(0x0001 | 0x0002 | 0x0010);
    PutLe(data, seconds, 4);
    PutLe(data, nanoseconds, 4);
    return Rar5Record(0x03, data);
}

// The file time record with a Windows FILETIME modification time.
inline std::string Rar5FileTimeRecord(int64_t unix_seconds, uint32_t hundreds_of_ns) {
    std::string data = Vint(0x0002);
    PutLe(data, static_cast<uint64_t>(unix_seconds + 11644473600LL) * 10000000 + hundreds_of_ns, 8);
    return Rar5Record(0x03, data);
}

struct Rar5Member {
    std::string name;  // UTF-8, '/'-separated
    std::string data;
    bool directory = false;
    uint64_t host = 1;  // 0 Windows, 1 Unix
    uint64_t attributes = 0100644;
    bool unix_time = false;  // the 32-bit time field of the file flags
    uint32_t mtime = 0;
    bool size_unknown = false;
    std::string extra;  // extra records
};

inline std::string Rar5FileHeader(const Rar5Member& m) {
    uint64_t file_flags = 0x0004;  // CRC present
    if (m.directory) file_flags |= 0x0001;
    if (m.unix_time) file_flags |= 0x0002;
    if (m.size_unknown) file_flags |= 0x0008;
    std::string fields = Vint(file_flags) + Vint(m.data.size()) + Vint(m.attributes);
    if (m.unix_time) PutLe(fields, m.mtime, 4);
    PutLe(fields, Crc32(m.data), 4);
    fields += Vint(0);  // version 0, stored, smallest dictionary
    fields += Vint(m.host) + Vint(m.name.size()) + m.name;
    return Rar5Header(2, fields, m.extra, true, m.data.size());
}

inline std::string Rar5Archive(const std::vector<Rar5Member>& members, bool end_header = true) {
    std::string out = kRar5Marker + Rar5MainHeader();
    for (const Rar5Member& m : members) out += Rar5FileHeader(m) + m.data;
    if (end_header) out += Rar5EndHeader();
    return out;
}

}  // namespace rar_fixture
