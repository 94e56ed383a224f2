// The fields of tar headers: octal and base-256 numbers, the header
// checksum and the "LEN key=value\n" records of pax extended headers. Each
// works on a field the caller has read whole; none reads past the length
// it is given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The size of a tar header and the unit that member data is padded to.
constexpr int kTarBlock = 512;

// An octal number as tar writes it: leading blanks and NULs are skipped,
// digits are taken up to the first character that is not an octal digit.
// An empty field is 0. Sets *digits (when given) to the number of digits
// taken. A value too large for 63 bits gives false.
[[nodiscard]] bool FromOctalStr(const uint8_t* field, size_t length, uint64_t* value, int* digits = nullptr);

// A numeric header field: octal, or base-256 (GNU and star write sizes of
// 8 GiB and more, and times before 1970, so) when the first byte is 0x80
// (positive) or 0xFF (negative, two's complement). False when the number
// does not fit in 63 bits.
[[nodiscard]] bool TarNumber(const uint8_t* field, size_t length, int64_t* value);

// Whether block is a tar header: the checksum field holds, in octal, the
// sum of the header's bytes with the checksum field counted as blanks.
// Some old tars summed signed chars; that sum is accepted too.
bool TarChecksumMatches(const uint8_t* block);

// Whether every byte of the block is 0 (the end-of-archive marker).
bool IsZeroBlock(const uint8_t* block);

// What pax extended headers ('x' for the next member, 'g' for all that
// follow) say about a member. Only the keys the listing uses are kept.
struct PaxValues {
    bool has_path = false;
    std::string path;
    bool has_size = false;
    int64_t size = 0;
    bool has_mtime = false;
    int64_t mtime_seconds = 0;
    uint32_t mtime_nanoseconds = 0;
    bool has_uid = false;
    uint32_t uid = 0;
    bool has_gid = false;
    uint32_t gid = 0;
    // A sparse member written by GNU tar in pax form: its real name and size
    // (the path and size keys then describe the packed map and data).
    bool has_sparse_name = false;
    std::string sparse_name;
    bool has_real_size = false;
    int64_t real_size = 0;

    void Clear() { *this = PaxValues(); }
};

// Reads the records of one pax header's data into values. Each record is
// "LEN key=value\n" where LEN counts the whole record; the walk stops at the
// first record that does not keep that form (false), keeping what the
// records before it said.
[[nodiscard]] bool ParsePaxRecords(const char* data, size_t length, PaxValues* values);
