// The ACE reader. Every block begins with a CRC (2 bytes) and the size of
// the rest of its header (2 bytes); then come the block type (byte 4) and
// flags (bytes 5-6). The first block is the main header, marked by
// "**ACE**" at byte 7; file blocks (type 1) are followed by their packed
// data, whose size is at byte 7.
#include <cstring>

#include "archive/archive.h"
#include "archive/bytes.h"
#include "archive/sfxscan.h"
#include "panels/entry.h"

namespace {

constexpr int kHeadLength = 4;  // CRC and header size
constexpr unsigned kMaxHeaderSize = 8188;
constexpr int kMarkAt = 7;
constexpr uint8_t kMark[] = {'*', '*', 'A', 'C', 'E', '*', '*'};
constexpr int kMarkedLength = kMarkAt + sizeof kMark;
constexpr int64_t kSelfExtractorScanLimit = 0x10000;
constexpr uint8_t kMainBlock = 0;
constexpr uint8_t kFileBlock = 1;
constexpr unsigned kHasDataFlag = 0x0001;  // a data size at byte 7; file blocks always have it
constexpr int kNameLengthAt = 33;
constexpr int kNameAt = 35;

enum class Next { kBlock, kEnd, kDamaged };

// Reads the block at pos into header; length becomes the header's length
// (from the CRC on) and pos the start of the next block, past the block's
// data.
Next GetNextAceHeader(RandomFile* file, uint8_t* header, int64_t& pos, int& length) {
    if (!ReadCached(file, pos, header, kHeadLength)) return pos < file->size() ? Next::kDamaged : Next::kEnd;
    const unsigned size = Le16(header + 2);
    if (size > kMaxHeaderSize || size < 1) return Next::kDamaged;
    length = kHeadLength + static_cast<int>(size);
    if (!ReadCached(file, pos, header, length)) return Next::kDamaged;
    pos += length;
    const bool has_data = header[4] == kFileBlock || (length >= 7 && (Le16(header + 5) & kHasDataFlag));
    if (has_data) {
        if (length < 11) return Next::kDamaged;
        pos += Le32(header + 7);
    }
    return Next::kBlock;
}

bool IsMainHeader(const uint8_t* header, int length) {
    return length >= kMarkedLength && std::memcmp(header + kMarkAt, kMark, sizeof kMark) == 0;
}

}  // namespace

int Archive::ReadAce() {
    int64_t pos = 0;
    int length = 0;
    if (GetNextAceHeader(file, header, pos, length) != Next::kBlock || !IsMainHeader(header, length)) {
        if (!StartsWithProgram(file)) return -1;
        const int64_t found = ScanForSignature(file, 2, kSelfExtractorScanLimit, kMark, sizeof kMark);
        if (found < kMarkAt) return -1;
        pos = found - kMarkAt;
        if (GetNextAceHeader(file, header, pos, length) != Next::kBlock || !IsMainHeader(header, length)) return -1;
    }
    if (header[4] != kMainBlock) return -1;

    for (;;) {
        if (BreakRequested()) return -1;
        const Next next = GetNextAceHeader(file, header, pos, length);
        if (next == Next::kEnd) break;
        if (next == Next::kDamaged) {
            error("ACE block header damaged");
            break;
        }
        if (header[4] != kFileBlock) continue;
        if (length < kNameAt || Le16(header + kNameLengthAt) > length - kNameAt) {
            error("ACE file header damaged");
            break;
        }
        MemberFields fields;
        fields.packed = Le32(header + 7);
        fields.size = Le32(header + 11);
        fields.time = TimeStamp(static_cast<DOSDATE>(Le16(header + 17)), static_cast<DOSTIME>(Le16(header + 15)));
        fields.attr = Le16(header + 19) & (FA_RDONLY | FA_HIDDEN | FA_SYSTEM | FA_DIREC | FA_ARCH);
        if (fields.attr & FA_DIREC) fields.size = 0;
        // A NUL ends the name, as it does for the programs that write them.
        const char* name = reinterpret_cast<const char*>(header + kNameAt);
        if (!AddMember(name, strnlen(name, Le16(header + kNameLengthAt)), NameCoding::kCodePage, fields)) break;
    }
    return 0;
}
