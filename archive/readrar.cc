// Reads the file list of RAR archives: the block format of RAR 1.5-4.x
// here, RAR5 in readrar5.cc. Either may follow a self-extracting program.
//
// A RAR 1.5-4.x archive is a chain of blocks. Each starts with a 7-byte
// head: CRC (2), type (1), flags (2), header size (2). A block whose flags
// have 0x8000 is followed by data whose 32-bit size is at byte 7 (for file
// headers this is the packed size). The marker "Rar!" 1A 07 00 is itself
// such a head; the archive header (type 0x73) must come next.
#include <algorithm>
#include <cstring>
#include <vector>

#include "archive/archive.h"
#include "archive/bytes.h"
#include "archive/rarunicode.h"
#include "archive/rarlisting.h"
#include "panels/entry.h"

namespace {

constexpr uint8_t kMarkerStart[6] = {'R', 'a', 'r', '!', 0x1A, 0x07};
constexpr int kRar4MarkerLength = 7;  // then 0x00
constexpr int kRar5MarkerLength = 8;  // then 0x01 0x00
// How far into a self-extracting program the archive may start.
constexpr int64_t kSelfExtractorLimit = 0x20000;

// Block types.
constexpr uint8_t kArchiveHeader = 0x73;
constexpr uint8_t kFileHeader = 0x74;
constexpr uint8_t kServiceHeader = 0x7A;  // laid out like a file header
constexpr uint8_t kEndOfArchive = 0x7B;

// Block flags.
constexpr uint16_t kHasData = 0x8000;
constexpr uint16_t kArchiveHeadersEncrypted = 0x0080;  // of the archive header
constexpr uint16_t kHighSizes = 0x0100;                // of a file header
constexpr uint16_t kUnicodeName = 0x0200;
constexpr uint16_t kDirectoryWindow = 0x00E0;  // all three bits: a directory

// File header layout.
constexpr int kHeadLength = 7;
constexpr int kPackedSizeAt = 7;
constexpr int kUnpackedSizeAt = 11;
constexpr int kHostAt = 15;
constexpr int kTimeAt = 20;
constexpr int kDateAt = 22;
constexpr int kNameSizeAt = 26;
constexpr int kAttributesAt = 28;
constexpr int kHighPackedSizeAt = 32;
constexpr int kHighUnpackedSizeAt = 36;
constexpr int kNameAt = 32;
constexpr int kNameAfterHighSizesAt = 40;

// Host systems: MS-DOS, OS/2 and Windows store DOS attributes; Unix its mode.
constexpr uint8_t kFirstNonDosHost = 3;
constexpr uint8_t kHostUnix = 3;
// The DOS attribute bits kept: hidden, system, directory, archive.
constexpr uint32_t kKeptDosAttributes = 0x36;
constexpr uint32_t kUnixTypeMask = 0170000, kUnixDirectory = 0040000;

enum class MarkerKind { kNone, kRar4, kRar5 };

MarkerKind MarkerAt(const uint8_t* bytes, size_t available) {
    if (available < kRar4MarkerLength || std::memcmp(bytes, kMarkerStart, sizeof kMarkerStart) != 0)
        return MarkerKind::kNone;
    if (bytes[6] == 0x00) return MarkerKind::kRar4;
    if (available >= kRar5MarkerLength && bytes[6] == 0x01 && bytes[7] == 0x00) return MarkerKind::kRar5;
    return MarkerKind::kNone;
}

struct Block {
    int64_t start = 0;
    uint8_t type = 0;
    uint16_t flags = 0;
    uint16_t header_size = 0;
};

// Walks the chain of blocks, skipping each one's header and data to reach
// the next.
class BlockWalk {
public:
    BlockWalk(RandomFile& file, int64_t first) : file_(file), next_(first) {}

    RarStep Next(Block& block) {
        const int64_t size = file_.size();
        if (next_ >= size) return RarStep::kEnd;
        uint8_t head[kHeadLength + 4];
        int got = kHeadLength;
        if (file_.GetBlock(next_, head, got) != 0 || got < kHeadLength) return RarStep::kTruncated;
        block.start = next_;
        block.type = head[2];
        block.flags = Le16(head + 3);
        block.header_size = Le16(head + 5);
        if (block.header_size < kHeadLength) return RarStep::kDamaged;
        if (block.header_size > size - next_) return RarStep::kTruncated;
        uint64_t data_size = 0;
        if (block.flags & kHasData) {
            if (block.header_size < kHeadLength + 4) return RarStep::kDamaged;
            got = 4;
            if (file_.GetBlock(next_ + kHeadLength, head + kHeadLength, got) != 0 || got < 4)
                return RarStep::kTruncated;
            data_size = Le32(head + kHeadLength);
            // Members of 4 GiB and more keep the high half of the packed size apart.
            const bool file_like = block.type == kFileHeader || block.type == kServiceHeader;
            if (file_like && (block.flags & kHighSizes) && block.header_size >= kNameAfterHighSizesAt) {
                uint8_t high[4];
                got = 4;
                if (file_.GetBlock(next_ + kHighPackedSizeAt, high, got) != 0 || got < 4) return RarStep::kTruncated;
                data_size |= static_cast<uint64_t>(Le32(high)) << 32;
            }
        }
        const uint64_t left = static_cast<uint64_t>(size - next_);
        const uint64_t length = block.header_size + data_size;
        // Data running past the end of the file leaves no further block.
        next_ = length >= left ? size : next_ + static_cast<int64_t>(length);
        return RarStep::kHeader;
    }

private:
    RandomFile& file_;
    int64_t next_;
};

// Reads a whole file header and adds its member: kHeader, or why not.
RarStep AddFileMember(Archive& archive, const Block& block) {
    uint8_t* header = archive.header;
    const bool high_sizes = block.flags & kHighSizes;
    const int name_at = high_sizes ? kNameAfterHighSizesAt : kNameAt;
    if (block.header_size > sizeof archive.header || block.header_size < name_at) return RarStep::kDamaged;
    int got = block.header_size;
    if (archive.file->GetBlock(block.start, header, got) != 0 || got < block.header_size)
        return RarStep::kTruncated;
    const size_t name_size = Le16(header + kNameSizeAt);
    if (name_size > static_cast<size_t>(block.header_size - name_at)) return RarStep::kDamaged;

    MemberFields fields;
    fields.packed = Le32(header + kPackedSizeAt);
    fields.size = Le32(header + kUnpackedSizeAt);
    if (high_sizes) {
        fields.packed |= static_cast<uint64_t>(Le32(header + kHighPackedSizeAt)) << 32;
        fields.size |= static_cast<uint64_t>(Le32(header + kHighUnpackedSizeAt)) << 32;
    }
    fields.time = TimeStamp(static_cast<DOSDATE>(Le16(header + kDateAt)), static_cast<DOSTIME>(Le16(header + kTimeAt)));
    const uint8_t host = header[kHostAt];
    const uint32_t attributes = Le32(header + kAttributesAt);
    fields.attr = (host < kFirstNonDosHost ? attributes : 0) & kKeptDosAttributes;
    if (host == kHostUnix) fields.mode = attributes;
    const bool directory = (block.flags & kDirectoryWindow) == kDirectoryWindow ||
                           (host == kHostUnix && (attributes & kUnixTypeMask) == kUnixDirectory);
    if (directory) fields.attr |= FA_DIREC;

    const uint8_t* name = header + name_at;
    // The byte name ends at a zero byte; with the Unicode flag the encoded
    // name follows it, and the byte name is what is kept as stored.
    const void* zero = std::memchr(name, 0, name_size);
    const size_t byte_name_size = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - name) : name_size;
    const char* stored = reinterpret_cast<const char*>(name);
    if (block.flags & kUnicodeName)
        archive.AddMember(DecodeRarUnicode(name, name_size), stored, byte_name_size, fields);
    else
        archive.AddMember(stored, byte_name_size, NameCoding::kCodePage, fields);
    return RarStep::kHeader;
}

// Lists the RAR 1.5-4.x archive whose marker starts at marker_offset.
RarListing ReadRar4(Archive& archive, int64_t marker_offset) {
    BlockWalk walk(*archive.file, marker_offset + kRar4MarkerLength);
    Block block;
    if (walk.Next(block) != RarStep::kHeader || block.type != kArchiveHeader) return RarListing::kNotRar;
    if (block.flags & kArchiveHeadersEncrypted) {
        archive.error(kRarEncrypted);
        return RarListing::kListed;
    }
    for (;;) {
        if (archive.BreakRequested()) return RarListing::kStopped;
        RarStep step = walk.Next(block);
        // Old versions end the archive without an end block.
        if (step == RarStep::kEnd) return RarListing::kListed;
        if (step == RarStep::kHeader && block.type == kEndOfArchive) return RarListing::kListed;
        if (step == RarStep::kHeader && block.type == kFileHeader) step = AddFileMember(archive, block);
        if (step != RarStep::kHeader) return EndRarListing(archive, step);
    }
}

RarListing ReadFromMarker(Archive& archive, int64_t offset, MarkerKind kind) {
    return kind == MarkerKind::kRar5 ? ReadRar5(archive, offset) : ReadRar4(archive, offset);
}

}  // namespace

RarListing EndRarListing(Archive& archive, RarStep step) {
    if (step == RarStep::kTruncated) archive.error(kRarTruncated);
    if (step == RarStep::kDamaged) archive.error(kRarHeaderError);
    return RarListing::kListed;
}

int Archive::ReadRar() {
    uint8_t start[kRar5MarkerLength];
    int got = sizeof start;
    if (file->GetBlock(0, start, got) != 0) return -1;
    const MarkerKind kind = MarkerAt(start, static_cast<size_t>(got));
    if (kind != MarkerKind::kNone) return ReadFromMarker(*this, 0, kind) == RarListing::kListed ? 0 : -1;
    if (got < 2 || start[0] != 'M' || start[1] != 'Z') return -1;

    // A self-extracting program: the archive follows it. A marker inside the
    // program itself has no archive header after it, and the scan goes on.
    std::vector<uint8_t> program(static_cast<size_t>(std::min(file->size(), kSelfExtractorLimit)));
    got = static_cast<int>(program.size());
    if (file->GetBlock(0, program.data(), got) != 0) return -1;
    const uint8_t* bytes = program.data();
    const size_t length = static_cast<size_t>(got);
    for (size_t at = 2; at + kRar4MarkerLength <= length; at++) {
        const void* candidate = std::memchr(bytes + at, kMarkerStart[0], length - at);
        if (!candidate) break;
        at = static_cast<size_t>(static_cast<const uint8_t*>(candidate) - bytes);
        const MarkerKind found = MarkerAt(bytes + at, length - at);
        if (found == MarkerKind::kNone) continue;
        const RarListing listing = ReadFromMarker(*this, static_cast<int64_t>(at), found);
        if (listing == RarListing::kListed) return 0;
        if (listing == RarListing::kStopped) return -1;
    }
    return -1;
}
