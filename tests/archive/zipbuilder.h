// ZIP archives written byte by byte, for the cases no archiver program
// writes on request: ZIP64 records, Unicode name fields, names from other
// systems, hostile names and damaged directories. Members are stored
// uncompressed, with local headers, so that unzip and bsdtar read them too.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "archive/zipcrc.h"

namespace zipbuild {

inline std::string U16(uint32_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)}; }
inline std::string U32(uint32_t v) { return U16(v & 0xFFFF) + U16(v >> 16); }
inline std::string U64(uint64_t v) { return U32(static_cast<uint32_t>(v)) + U32(static_cast<uint32_t>(v >> 32)); }

// One extra field: id, size, data.
inline std::string Field(uint16_t id, const std::string& data) {
    return U16(id) + U16(static_cast<uint32_t>(data.size())) + data;
}
// The extended timestamp field with a modification time.
inline std::string UnixTimeField(uint32_t seconds) { return Field(0x5455, std::string(1, '\1') + U32(seconds)); }
// The Unicode path field for a member stored as stored_name.
inline std::string UnicodePathField(const std::string& stored_name, const std::string& utf8_name,
                                    uint32_t crc_change = 0) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(stored_name.data());
    return Field(0x7075, std::string(1, '\1') + U32(ZipCrc32(bytes, stored_name.size()) ^ crc_change) + utf8_name);
}

constexpr uint16_t kDosDate2020 = (40 << 9) | (1 << 5) | 2;  // 2020-01-02
constexpr uint16_t kDosNoon = 12 << 11;

struct Member {
    explicit Member(std::string member_name, std::string content = std::string(), uint8_t made_on = 3,
                    uint32_t attributes = 0100644u << 16)
        : name(std::move(member_name)), data(std::move(content)), host(made_on), external(attributes) {}

    std::string name;
    std::string data;
    uint8_t host;                            // 3 Unix, 0 MS-DOS
    uint32_t external;                       // Unix mode in the upper half, DOS bits below
    uint16_t flags = 0;
    std::string extra;                       // the extra fields of both headers
    uint16_t dos_date = kDosDate2020;
    uint16_t dos_time = kDosNoon;
    // Values the central header shows instead of the real ones (0xFFFFFFFF
    // for a ZIP64 field); the test puts the 64-bit values in extra.
    std::optional<uint32_t> shown_size, shown_packed, shown_offset;
    std::optional<uint16_t> shown_disk;
};

class Builder {
public:
    // Appends the member's local header and data, and keeps its central header.
    void Add(const Member& m) {
        const uint64_t offset = archive_.size();
        const uint32_t crc = ZipCrc32(reinterpret_cast<const uint8_t*>(m.data.data()), m.data.size());
        const uint32_t size = static_cast<uint32_t>(m.data.size());
        archive_ += U32(0x04034B50) + U16(20) + U16(m.flags) + U16(0) + U16(m.dos_time) + U16(m.dos_date) +
                    U32(crc) + U32(size) + U32(size) + U16(static_cast<uint32_t>(m.name.size())) +
                    U16(static_cast<uint32_t>(m.extra.size())) + m.name + m.extra + m.data;
        directory_ += U32(0x02014B50) + std::string(1, '\x1e') + std::string(1, static_cast<char>(m.host)) +
                      U16(20) + U16(m.flags) + U16(0) + U16(m.dos_time) + U16(m.dos_date) + U32(crc) +
                      U32(m.shown_packed.value_or(size)) + U32(m.shown_size.value_or(size)) +
                      U16(static_cast<uint32_t>(m.name.size())) + U16(static_cast<uint32_t>(m.extra.size())) +
                      U16(0) + U16(m.shown_disk.value_or(0)) + U16(0) + U32(m.external) +
                      U32(m.shown_offset.value_or(static_cast<uint32_t>(offset))) + m.name + m.extra;
        count_++;
    }
    // The archive: the members, the directory and its end record with the
    // archive's comment. With zip64 the end record only points at the ZIP64
    // end record through a locator, with its directory fields all ones.
    std::string Finish(bool zip64 = false, const std::string& comment = std::string()) const {
        std::string out = archive_;
        const uint64_t directory_offset = out.size();
        out += directory_;
        if (zip64) {
            const uint64_t record_offset = out.size();
            out += U32(0x06064B50) + U64(44) + U16(45) + U16(45) + U32(0) + U32(0) + U64(count_) + U64(count_) +
                   U64(directory_.size()) + U64(directory_offset);
            out += U32(0x07064B50) + U32(0) + U64(record_offset) + U32(1);
            out += U32(0x06054B50) + U16(0) + U16(0) + U16(0xFFFF) + U16(0xFFFF) + U32(0xFFFFFFFF) +
                   U32(0xFFFFFFFF) + U16(static_cast<uint32_t>(comment.size()));
        } else {
            out += U32(0x06054B50) + U16(0) + U16(0) + U16(count_) + U16(count_) +
                   U32(static_cast<uint32_t>(directory_.size())) + U32(static_cast<uint32_t>(directory_offset)) +
                   U16(static_cast<uint32_t>(comment.size()));
        }
        return out + comment;
    }

private:
    std::string archive_;
    std::string directory_;
    uint32_t count_ = 0;
};

}  // namespace zipbuild
