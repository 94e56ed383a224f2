#include "lib/sortkey.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <cwchar>

#include "lib/casefold.h"

namespace {

constexpr unsigned char kNegative = 0x00;
constexpr unsigned char kEnd = 0x01;
constexpr unsigned char kUnderscore = 0x02;
constexpr wchar_t kFirstWide = 0xFC;  // the first character past the one-byte codes
constexpr unsigned char kPlane = 0xFD;
constexpr unsigned char kAbovePlane = 0xFE;

// The one-byte codes of the upper-cased characters below kFirstWide: "_"
// moves before them all, and the characters below it move up one to make
// room. Character 0 never occurs inside a name.
constexpr std::array<unsigned char, kFirstWide> small_codes() {
    std::array<unsigned char, kFirstWide> codes{};
    for (int c = 1; c < kFirstWide; c++)
        codes[c] = static_cast<unsigned char>(c == L'_' ? kUnderscore : c < L'_' ? c + 2 : c + 1);
    return codes;
}

constexpr std::array<unsigned char, kFirstWide> kSmallCodes = small_codes();

unsigned char* put_big_endian(unsigned char* out, uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; i--) *out++ = static_cast<unsigned char>(value >> (8 * i));
    return out;
}

}  // namespace

void CSortKeys::Reserve(size_t bytes) {
    if (room_ >= bytes) return;
    auto bigger = std::make_unique_for_overwrite<unsigned char[]>(bytes);
    if (used_) std::memcpy(bigger.get(), bytes_.get(), used_);
    bytes_ = std::move(bigger);
    room_ = bytes;
}

void CSortKeys::Release() {
    bytes_.reset();
    room_ = used_ = start_ = 0;
}

unsigned char* CSortKeys::Space(size_t n) {
    const size_t needed = used_ + n + kHead;
    if (room_ < needed) Reserve(std::max(needed, 2 * room_));
    return bytes_.get() + used_;
}

void CSortKeys::Begin() { start_ = used_; }

void CSortKeys::AddByte(uint8_t byte) {
    *Space(1) = byte;
    used_++;
}

void CSortKeys::AddNumber(uint64_t number, int bytes) {
    unsigned char* out = Space(8);
    for (int i = bytes - 1; i >= 0; i--) *out++ = static_cast<unsigned char>(number >> (8 * i));
    used_ += static_cast<size_t>(bytes);
}

void CSortKeys::AddName(const wchar_t* name) {
    if (!name) name = L"";
    unsigned char* const begin = Space(5 * std::wcslen(name) + 1);
    unsigned char* out = begin;
    const CUnicodeCaseFold& fold = CUnicodeCaseFold::Get();
    for (; *name; name++) {
        const wchar_t upper = fold.toupper(*name);
        if (upper > 0 && upper < kFirstWide) {
            *out++ = kSmallCodes[upper];
        } else if (upper > 0 && upper < 0x10000) {
            *out++ = kPlane;
            out = put_big_endian(out, static_cast<uint32_t>(upper), 2);
        } else {
            // Only folding 0 gives 0, so upper is negative or above the plane.
            *out++ = upper < 0 ? kNegative : kAbovePlane;
            out = put_big_endian(out, static_cast<uint32_t>(upper), 4);
        }
    }
    *out++ = kEnd;
    used_ += static_cast<size_t>(out - begin);
}

bool CSortKeys::End(Key& key) {
    Space(0);  // room past the end, so that a whole head can be read
    const size_t length = used_ - start_;
    if (used_ > UINT32_MAX) {
        used_ = start_;
        return false;
    }
    key.offset = static_cast<uint32_t>(start_);
    key.length = static_cast<uint32_t>(length);
    for (size_t i = 0; i < 2; i++) {
        uint64_t part;
        std::memcpy(&part, bytes_.get() + start_ + 8 * i, sizeof part);
        part = __builtin_bswap64(part);
        // Only the key's own bytes: zero from its end on.
        const size_t own = length > 8 * i ? length - 8 * i : 0;
        if (own < 8) part &= ~(~uint64_t{0} >> (8 * own));
        key.head[i] = part;
    }
    return true;
}

int CSortKeys::Compare(const Key& a, const Key& b) const {
    if (a.head[0] != b.head[0]) return a.head[0] < b.head[0] ? -1 : 1;
    if (a.head[1] != b.head[1]) return a.head[1] < b.head[1] ? -1 : 1;
    const uint32_t shorter = std::min(a.length, b.length);
    int c = 0;
    if (shorter > kHead) c = std::memcmp(bytes_.get() + a.offset + kHead, bytes_.get() + b.offset + kHead, shorter - kHead);
    return c ? c : (a.length > b.length) - (a.length < b.length);
}
