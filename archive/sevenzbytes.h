// A cursor over the bytes of a 7z header: its variable-length numbers,
// fixed-width little-endian values and bit vectors, each read only when the
// bytes it needs are there. Every read says whether it succeeded; on
// failure the cursor is left where it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/bytes.h"

class SevenZipBytes {
public:
    SevenZipBytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    size_t left() const { return size_ - at_; }
    size_t offset() const { return at_; }
    const uint8_t* here() const { return data_ + at_; }

    [[nodiscard]] bool Byte(uint8_t* value) {
        if (left() < 1) return false;
        *value = data_[at_++];
        return true;
    }

    // A number of 1 to 9 bytes: the leading one bits of the first byte tell
    // how many bytes follow, its remaining bits are the number's top bits.
    [[nodiscard]] bool Number(uint64_t* value) {
        if (left() < 1) return false;
        const uint8_t first = data_[at_];
        uint8_t mask = 0x80;
        int extra = 0;
        while (extra < 8 && (first & mask)) {
            extra++;
            mask >>= 1;
        }
        if (left() < static_cast<size_t>(1 + extra)) return false;
        uint64_t result = 0;
        for (int i = 0; i < extra; i++) result |= static_cast<uint64_t>(data_[at_ + 1 + i]) << (8 * i);
        if (extra < 8) result |= static_cast<uint64_t>(first & (mask - 1)) << (8 * extra);
        at_ += 1 + extra;
        *value = result;
        return true;
    }

    // A number that counts things of at least min_bytes each that must
    // still follow: a count the remaining bytes could not hold is refused
    // before anything is allocated for it. min_bytes 0 allows one per bit.
    [[nodiscard]] bool Count(uint64_t* value, size_t min_bytes = 1) {
        const size_t saved = at_;
        if (!Number(value)) return false;
        const uint64_t room = min_bytes == 0 ? uint64_t(left()) * 8 : left() / min_bytes;
        if (*value > room) {
            at_ = saved;
            return false;
        }
        return true;
    }

    [[nodiscard]] bool U32(uint32_t* value) {
        if (left() < 4) return false;
        *value = Le32(data_ + at_);
        at_ += 4;
        return true;
    }

    [[nodiscard]] bool U64(uint64_t* value) {
        if (left() < 8) return false;
        *value = Le64(data_ + at_);
        at_ += 8;
        return true;
    }

    [[nodiscard]] bool Skip(uint64_t n) {
        if (n > left()) return false;
        at_ += static_cast<size_t>(n);
        return true;
    }

    // n bits, the first in the top bit of the first byte.
    [[nodiscard]] bool Bits(size_t n, std::vector<bool>* bits) {
        const size_t bytes = n / 8 + (n % 8 ? 1 : 0);
        if (bytes > left()) return false;
        bits->assign(n, false);
        for (size_t i = 0; i < n; i++) (*bits)[i] = (data_[at_ + i / 8] >> (7 - i % 8)) & 1;
        at_ += bytes;
        return true;
    }

    // A vector of n flags that starts with an "all set" byte: when it is not
    // zero every flag is set and no bits follow.
    [[nodiscard]] bool Defined(size_t n, std::vector<bool>* bits) {
        const size_t saved = at_;
        uint8_t all = 0;
        if (!Byte(&all)) return false;
        if (all) {
            bits->assign(n, true);
            return true;
        }
        if (!Bits(n, bits)) {
            at_ = saved;
            return false;
        }
        return true;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};
