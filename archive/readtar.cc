// The tar reader: walks the 512-byte headers from the start of the file,
// skipping each member's data by moving the position. GNU long names ('L')
// and long link targets ('K'), pax extended ('x') and global ('g') headers,
// the ustar name prefix and base-256 numbers are understood.
#include <algorithm>
#include <cstring>
#include <string>

#include "archive/archive.h"
#include "archive/tarfields.h"
#include "panels/entry.h"

namespace {

// Offsets and lengths of the header fields.
constexpr int kNameOffset = 0, kNameLength = 100;
constexpr int kModeOffset = 100, kIdLength = 8;
constexpr int kUidOffset = 108, kGidOffset = 116;
constexpr int kSizeOffset = 124, kSizeLength = 12;
constexpr int kMtimeOffset = 136, kMtimeLength = 12;
constexpr int kTypeOffset = 156;
constexpr int kMagicOffset = 257;
constexpr int kPrefixOffset = 345, kPrefixLength = 155;
// Old GNU sparse members keep their real size here.
constexpr int kRealSizeOffset = 483;
// Whether blocks of the sparse map follow: in the header, and in each of them.
constexpr int kSparseMoreOffset = 482, kSparseMoreInExtension = 504;

// The data of a long name or an extended header is read whole; more than
// this is no header a tar writes but a damaged or hostile archive.
constexpr int64_t kMaxExtensionData = 1 << 20;

constexpr uint32_t kModeTypeMask = 0170000;
constexpr uint32_t kModeDirectory = 0040000;

int64_t padded(int64_t size) { return (size + kTarBlock - 1) / kTarBlock * kTarBlock; }

// The length of a NUL-terminated field of at most length bytes.
size_t field_length(const uint8_t* field, size_t length) {
    const void* nul = std::memchr(field, 0, length);
    return nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - field) : length;
}

// Whether the header is POSIX ustar, whose bytes 345-499 hold a prefix of
// the name. GNU headers ("ustar  ") keep other fields there.
bool has_name_prefix(const uint8_t* block) { return std::memcmp(block + kMagicOffset, "ustar", 6) == 0; }

// Types whose size field describes no data that follows the header.
bool type_has_no_data(uint8_t type) { return type >= '1' && type <= '6'; }

// The name of the member whose header is block, when no extended header
// gave one: the name field, with the ustar prefix and a '/' in front.
void header_name(const uint8_t* block, std::string* name) {
    name->clear();
    if (has_name_prefix(block)) {
        const size_t prefix_length = field_length(block + kPrefixOffset, kPrefixLength);
        if (prefix_length > 0) {
            name->assign(reinterpret_cast<const char*>(block + kPrefixOffset), prefix_length);
            *name += '/';
        }
    }
    name->append(reinterpret_cast<const char*>(block + kNameOffset), field_length(block + kNameOffset, kNameLength));
}

// A numeric id field, octal or base-256; 0 when it holds no id.
uint32_t header_id(const uint8_t* field) {
    int64_t value = 0;
    return TarNumber(field, kIdLength, &value) && value >= 0 && value <= 0xFFFFFFFF ? static_cast<uint32_t>(value) : 0;
}

}  // namespace

int Archive::ReadTar() {
    uint8_t block[kTarBlock];
    int got = kTarBlock;
    if (file->GetBlock(0, block, got) != 0 || got < kTarBlock || !TarChecksumMatches(block)) return -1;

    const int64_t file_size = file->size();
    int64_t position = 0;
    std::string long_name;       // from an 'L' header, for the next member
    bool has_long_name = false;
    PaxValues local, global;     // from 'x' and 'g' headers
    std::string extension_data;  // the data of those headers
    std::string name;
    while (!BreakRequested()) {
        got = kTarBlock;
        if (file->GetBlock(position, block, got) != 0 || got < kTarBlock) {
            if (got > 0) error("The tar archive is cut short; the listing ends here");
            break;
        }
        // A zero block marks the end; GNU tar writes two, some writers one.
        if (IsZeroBlock(block)) break;
        if (!TarChecksumMatches(block)) {
            error("Damaged tar header (bad checksum); the listing ends here");
            break;
        }
        const uint8_t type = block[kTypeOffset];
        int64_t size = 0;
        if (!TarNumber(block + kSizeOffset, kSizeLength, &size) || size < 0) {
            error("Damaged tar header (bad size); the listing ends here");
            break;
        }
        int64_t data_start = position + kTarBlock;

        if (type == 'L' || type == 'K' || type == 'x' || type == 'g' || type == 'V') {
            if (size > file_size - data_start) {
                error("The tar archive is cut short; the listing ends here");
                break;
            }
            // Long names and extended headers are read whole, within bounds.
            // A long link target ('K') belongs to the link that follows, not
            // to its name, and the listing shows no link targets; volume
            // labels ('V') are no members.
            if (type != 'K' && type != 'V') {
                if (size > kMaxExtensionData) {
                    error("A tar extended header is too long; it is ignored");
                } else {
                    extension_data.resize(static_cast<size_t>(size));
                    int length = static_cast<int>(size);
                    if (length > 0 && (file->GetBlock(data_start, extension_data.data(), length) != 0 || length < size)) {
                        error("The tar archive could not be read; the listing ends here");
                        break;
                    }
                    if (type == 'L') {
                        const auto* bytes = reinterpret_cast<const uint8_t*>(extension_data.data());
                        long_name.assign(extension_data.data(), field_length(bytes, extension_data.size()));
                        has_long_name = true;
                    } else if (!ParsePaxRecords(extension_data.data(), extension_data.size(),
                                                type == 'x' ? &local : &global)) {
                        error("Damaged pax extended header; the records after the damage are ignored");
                    }
                }
            }
            position = data_start + padded(size);
            continue;
        }

        // The name: a pax path, else a GNU long name, else the header's own.
        if (local.has_sparse_name) name = local.sparse_name;
        else if (local.has_path) name = local.path;
        else if (has_long_name) name = long_name;
        else header_name(block, &name);

        MemberFields fields;
        fields.backslash_separates = false;
        uint64_t mode = 0;
        fields.mode = FromOctalStr(block + kModeOffset, kIdLength, &mode) ? static_cast<uint32_t>(mode) : 0;
        fields.uid = header_id(block + kUidOffset);
        fields.gid = header_id(block + kGidOffset);
        int64_t mtime = 0;
        if (!TarNumber(block + kMtimeOffset, kMtimeLength, &mtime)) mtime = 0;
        uint32_t mtime_nanoseconds = 0;
        // Global values hold for every member after them, unless its own say otherwise.
        for (const PaxValues* pax : {&global, &local}) {
            if (pax->has_mtime) {
                mtime = pax->mtime_seconds;
                mtime_nanoseconds = pax->mtime_nanoseconds;
            }
            if (pax->has_uid) fields.uid = pax->uid;
            if (pax->has_gid) fields.gid = pax->gid;
        }
        fields.time = TimeStamp(mtime, mtime_nanoseconds);

        int64_t data_size = type_has_no_data(type) ? 0 : (local.has_size ? local.size : size);
        int64_t member_size = local.has_size ? local.size : size;
        if (local.has_real_size) member_size = local.real_size;
        if (type == 'S') {
            // An old GNU sparse member: the real size is in the header, and
            // when the map of holes is long, blocks of it follow the header.
            int64_t real_size = 0;
            if (TarNumber(block + kRealSizeOffset, kSizeLength, &real_size) && real_size >= size) member_size = real_size;
            for (bool more = block[kSparseMoreOffset] != 0; more;) {
                got = kTarBlock;
                if (file->GetBlock(data_start, block, got) != 0 || got < kTarBlock) break;
                data_start += kTarBlock;
                more = block[kSparseMoreInExtension] != 0;
            }
        }
        const bool directory = type == '5' || type == 'D' || (fields.mode & kModeTypeMask) == kModeDirectory ||
                               (!name.empty() && name.back() == '/');
        if (directory) fields.attr = FA_DIREC;
        if (directory || type == '1' || type == '2') member_size = 0;
        fields.size = static_cast<uint64_t>(member_size);
        // A member cut short by the end of the file is listed, and is the last.
        const bool cut_short = data_size > file_size - data_start;
        const int64_t stored = cut_short ? file_size - data_start : padded(data_size);
        fields.packed = static_cast<uint64_t>(kTarBlock) + static_cast<uint64_t>(std::max<int64_t>(stored, 0));

        if (!AddMember(name.data(), name.size(), NameCoding::kUtf8, fields)) {
            error("Out of memory while reading the tar archive");
            break;
        }
        local.Clear();
        has_long_name = false;
        if (cut_short) {
            error("The tar archive is cut short; the listing ends here");
            break;
        }
        position = data_start + stored;
    }
    // The first header was sound: the file is a tar, whatever came after it.
    return 0;
}
