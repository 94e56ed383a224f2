// Reads the file list of a RAR5 archive. After the 8-byte marker come
// headers of one layout: a CRC32, the header size, then the header type,
// its flags, the sizes of an optional extra area (at the header's end) and
// of an optional data area (after the header), and the fields of the type.
// Numbers are variable-length: 7 bits a byte, low bits first, the top bit
// saying another byte follows.
#include <cstring>
#include <vector>

#include "archive/archive.h"
#include "archive/bytes.h"
#include "archive/rarlisting.h"
#include "panels/entry.h"

namespace {

// Header types.
constexpr uint64_t kMainHeader = 1;
constexpr uint64_t kFileHeader = 2;
constexpr uint64_t kEncryptionHeader = 4;
constexpr uint64_t kEndHeader = 5;

// Header flags.
constexpr uint64_t kHasExtraArea = 0x0001;
constexpr uint64_t kHasDataArea = 0x0002;

// File flags.
constexpr uint64_t kFileIsDirectory = 0x0001;
constexpr uint64_t kFileHasUnixTime = 0x0002;
constexpr uint64_t kFileHasCrc = 0x0004;
constexpr uint64_t kFileSizeUnknown = 0x0008;

// Extra records of a file header.
constexpr uint64_t kTimeRecord = 0x03;
constexpr uint64_t kOwnerRecord = 0x06;

// Host systems.
constexpr uint64_t kHostWindows = 0;
constexpr uint64_t kHostUnix = 1;

// A number takes at most 10 bytes (70 bits for 64).
constexpr int kMaxNumberBytes = 10;
// The header size is written in at most 3 bytes, so no header is larger.
constexpr uint64_t kMaxHeaderSize = (uint64_t(1) << 21) - 1;
// The CRC32 and the longest size field in front of a header.
constexpr int kHeaderLead = 4 + 3;

// The DOS attribute bits a panel shows: hidden, system, archive.
constexpr uint32_t kShownDosAttributes = 0x26;

// FILETIME counts 100-nanosecond units since 1601; Unix seconds start
// 11644473600 seconds later.
constexpr uint64_t kFileTimeUnitsPerSecond = 10000000;
constexpr int64_t kFileTimeEpochSeconds = 11644473600;

enum class NumberResult { kRead, kOutOfBytes, kTooLong };

// The fields of one header (or of one extra record inside it), read in
// order; nothing is read past its end.
class FieldReader {
public:
    FieldReader(const uint8_t* data, size_t length) : data_(data), end_(length) {}

    NumberResult TryNumber(uint64_t& value) {
        value = 0;
        for (int i = 0; i < kMaxNumberBytes; i++) {
            if (at_ >= end_) return NumberResult::kOutOfBytes;
            const uint8_t byte = data_[at_++];
            // The tenth byte holds bit 63 only.
            if (i == kMaxNumberBytes - 1 && (byte & 0x7E)) return NumberResult::kTooLong;
            value |= static_cast<uint64_t>(byte & 0x7F) << (7 * i);
            if (!(byte & 0x80)) return NumberResult::kRead;
        }
        return NumberResult::kTooLong;
    }
    [[nodiscard]] bool Number(uint64_t& value) { return TryNumber(value) == NumberResult::kRead; }
    [[nodiscard]] bool Uint32(uint32_t& value) {
        if (remaining() < 4) return false;
        value = Le32(data_ + at_);
        at_ += 4;
        return true;
    }
    [[nodiscard]] bool Uint64(uint64_t& value) {
        if (remaining() < 8) return false;
        value = Le64(data_ + at_);
        at_ += 8;
        return true;
    }
    // n bytes where they are, moving on.
    [[nodiscard]] bool Bytes(uint64_t n, const uint8_t*& bytes) {
        if (n > remaining()) return false;
        bytes = data_ + at_;
        at_ += static_cast<size_t>(n);
        return true;
    }
    // The next n bytes as a reader of their own, moving on past them.
    [[nodiscard]] bool Part(uint64_t n, FieldReader& part) {
        const uint8_t* bytes = nullptr;
        if (!Bytes(n, bytes)) return false;
        part = FieldReader(bytes, static_cast<size_t>(n));
        return true;
    }
    size_t remaining() const { return end_ - at_; }
    size_t consumed() const { return at_; }
    // Keeps only the next n bytes (n at most remaining()).
    void Limit(size_t n) { end_ = at_ + n; }

private:
    const uint8_t* data_;
    size_t end_;
    size_t at_ = 0;
};

// The common part of a header.
struct HeaderHead {
    uint64_t type = 0;
    uint64_t flags = 0;
    uint64_t extra_size = 0;
    uint64_t data_size = 0;
};

// Reads type, flags and the area sizes; fields is then limited to the
// type's own fields, and extra holds the extra area.
[[nodiscard]] bool ReadHeaderHead(FieldReader& fields, HeaderHead& head, FieldReader& extra) {
    head = HeaderHead();
    if (!fields.Number(head.type) || !fields.Number(head.flags)) return false;
    if ((head.flags & kHasExtraArea) && !fields.Number(head.extra_size)) return false;
    if ((head.flags & kHasDataArea) && !fields.Number(head.data_size)) return false;
    if (head.extra_size > fields.remaining()) return false;
    const size_t own = fields.remaining() - static_cast<size_t>(head.extra_size);
    FieldReader rest = fields;
    fields.Limit(own);
    const uint8_t* skipped = nullptr;
    return rest.Bytes(own, skipped) && rest.Part(head.extra_size, extra);
}

// A FILETIME as Unix seconds and nanoseconds. Its epoch lies a whole
// number of seconds before the Unix one, so dividing first is exact.
TimeStamp FromFileTime(uint64_t units) {
    const int64_t seconds = static_cast<int64_t>(units / kFileTimeUnitsPerSecond) - kFileTimeEpochSeconds;
    return TimeStamp(seconds, static_cast<uint32_t>(units % kFileTimeUnitsPerSecond) * 100);
}

// The file time record: a flags number, then the times it says are there
// (mtime, ctime, atime; Unix seconds as 32 bits or FILETIMEs as 64), then
// for Unix times with the nanosecond flag their nanoseconds in the same
// order. Only the modification time is kept.
[[nodiscard]] bool ReadTimeRecord(FieldReader& record, MemberFields& fields) {
    constexpr uint64_t kUnixFormat = 0x0001, kHasMtime = 0x0002, kHasCtime = 0x0004, kHasAtime = 0x0008,
                       kHasNanoseconds = 0x0010;
    uint64_t flags = 0;
    if (!record.Number(flags)) return false;
    const bool unix_format = flags & kUnixFormat;
    uint64_t times[3] = {0, 0, 0};
    const uint64_t present[3] = {kHasMtime, kHasCtime, kHasAtime};
    for (int i = 0; i < 3; i++) {
        if (!(flags & present[i])) continue;
        uint32_t seconds = 0;
        if (unix_format ? !record.Uint32(seconds) : !record.Uint64(times[i])) return false;
        if (unix_format) times[i] = seconds;
    }
    if (!(flags & kHasMtime)) return true;
    uint32_t nanoseconds = 0;
    if (unix_format && (flags & kHasNanoseconds) && !record.Uint32(nanoseconds)) return false;
    // A count of a whole second or more is no fraction of one.
    if (nanoseconds >= 1000000000) nanoseconds = 0;
    fields.time = unix_format ? TimeStamp(static_cast<int64_t>(times[0]), nanoseconds) : FromFileTime(times[0]);
    return true;
}

// The Unix owner record: user and group names (each a length and bytes,
// when flagged), then the numeric user and group ids, when flagged.
[[nodiscard]] bool ReadOwnerRecord(FieldReader& record, MemberFields& fields) {
    constexpr uint64_t kHasUserName = 0x0001, kHasGroupName = 0x0002, kHasUid = 0x0004, kHasGid = 0x0008;
    uint64_t flags = 0, length = 0, id = 0;
    const uint8_t* skipped = nullptr;
    if (!record.Number(flags)) return false;
    if ((flags & kHasUserName) && !(record.Number(length) && record.Bytes(length, skipped))) return false;
    if ((flags & kHasGroupName) && !(record.Number(length) && record.Bytes(length, skipped))) return false;
    if (flags & kHasUid) {
        if (!record.Number(id)) return false;
        fields.uid = static_cast<uint32_t>(id);
    }
    if (flags & kHasGid) {
        if (!record.Number(id)) return false;
        fields.gid = static_cast<uint32_t>(id);
    }
    return true;
}

// Walks the extra area: records of a size (counting what follows it), a
// type and the type's data. Unknown records are skipped.
[[nodiscard]] bool ReadFileExtras(FieldReader& extra, MemberFields& fields) {
    while (extra.remaining() > 0) {
        uint64_t size = 0, type = 0;
        FieldReader record(nullptr, 0);
        if (!extra.Number(size) || size == 0 || !extra.Part(size, record) || !record.Number(type)) return false;
        if (type == kTimeRecord && !ReadTimeRecord(record, fields)) return false;
        if (type == kOwnerRecord && !ReadOwnerRecord(record, fields)) return false;
    }
    return true;
}

// Adds the member a file header describes; false when its fields do not
// fit in the header.
[[nodiscard]] bool AddFile(Archive& archive, FieldReader& header, const HeaderHead& head, FieldReader& extra) {
    uint64_t file_flags = 0, unpacked = 0, attributes = 0, compression = 0, host = 0, name_length = 0;
    uint32_t unix_time = 0, crc = 0;
    const uint8_t* name = nullptr;
    if (!header.Number(file_flags) || !header.Number(unpacked) || !header.Number(attributes)) return false;
    if ((file_flags & kFileHasUnixTime) && !header.Uint32(unix_time)) return false;
    if ((file_flags & kFileHasCrc) && !header.Uint32(crc)) return false;
    if (!header.Number(compression) || !header.Number(host) || !header.Number(name_length)) return false;
    if (!header.Bytes(name_length, name)) return false;

    const bool directory = file_flags & kFileIsDirectory;
    MemberFields fields;
    fields.size = directory ? 0 : (file_flags & kFileSizeUnknown) ? ArchiveEntry::kUnknown : unpacked;
    fields.packed = head.data_size;
    if (file_flags & kFileHasUnixTime) fields.time = TimeStamp(static_cast<int64_t>(unix_time), 0);
    if (host == kHostUnix) {
        fields.mode = static_cast<uint32_t>(attributes);
        // A '\' is part of a Unix name.
        fields.backslash_separates = false;
    } else if (host == kHostWindows) {
        fields.attr = static_cast<uint32_t>(attributes) & kShownDosAttributes;
    }
    if (directory) fields.attr |= FA_DIREC;
    if (!ReadFileExtras(extra, fields)) return false;

    // A zero byte cannot be part of a name: it ends it.
    const void* zero = std::memchr(name, 0, static_cast<size_t>(name_length));
    const size_t length = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - name)
                               : static_cast<size_t>(name_length);
    archive.AddMember(reinterpret_cast<const char*>(name), length, NameCoding::kUtf8, fields);
    return true;
}

// Reads the headers one after another from the file.
class HeaderWalk {
public:
    HeaderWalk(RandomFile& file, int64_t first) : file_(file), next_(first) {}

    // Reads the next header into body: its bytes from the type on, as many
    // as its size field says.
    RarStep Next(std::vector<uint8_t>& body) {
        const int64_t size = file_.size();
        // An archive always ends with its end header.
        if (next_ >= size) return RarStep::kTruncated;
        // Room for the longest number, though only kHeaderLead bytes are read:
        // the optimiser cannot see that the size field stays inside them.
        uint8_t lead[4 + kMaxNumberBytes] = {};
        int got = kHeaderLead;
        if (file_.GetBlock(next_, lead, got) != 0 || got < 5) return RarStep::kTruncated;
        FieldReader size_field(lead + 4, static_cast<size_t>(got - 4));
        uint64_t header_size = 0;
        const NumberResult read = size_field.TryNumber(header_size);
        if (read == NumberResult::kOutOfBytes && got < kHeaderLead) return RarStep::kTruncated;
        if (read != NumberResult::kRead || header_size == 0 || header_size > kMaxHeaderSize)
            return RarStep::kDamaged;
        const int64_t body_at = next_ + 4 + static_cast<int64_t>(size_field.consumed());
        if (static_cast<uint64_t>(size - body_at) < header_size) return RarStep::kTruncated;
        body.resize(static_cast<size_t>(header_size));
        got = static_cast<int>(header_size);
        if (file_.GetBlock(body_at, body.data(), got) != 0 || got != static_cast<int>(header_size))
            return RarStep::kTruncated;
        body_end_ = body_at + static_cast<int64_t>(header_size);
        next_ = body_end_;
        return RarStep::kHeader;
    }
    // Moves past the data area of the header just read.
    void SkipData(uint64_t data_size) {
        const uint64_t left = static_cast<uint64_t>(file_.size() - body_end_);
        // Data running past the end of the file leaves no further header.
        next_ = data_size > left ? file_.size() : body_end_ + static_cast<int64_t>(data_size);
    }

private:
    RandomFile& file_;
    int64_t next_;
    int64_t body_end_ = 0;
};

}  // namespace

RarListing ReadRar5(Archive& archive, int64_t marker_offset) {
    constexpr int kMarkerLength = 8;
    HeaderWalk walk(*archive.file, marker_offset + kMarkerLength);
    std::vector<uint8_t> body;
    HeaderHead head;
    FieldReader extra(nullptr, 0);

    // The archive begins with its main header, or with the encryption
    // header of an archive whose headers are all encrypted.
    if (walk.Next(body) != RarStep::kHeader) return RarListing::kNotRar;
    FieldReader first(body.data(), body.size());
    if (!ReadHeaderHead(first, head, extra)) return RarListing::kNotRar;
    if (head.type == kEncryptionHeader) {
        archive.error(kRarEncrypted);
        return RarListing::kListed;
    }
    if (head.type != kMainHeader) return RarListing::kNotRar;
    walk.SkipData(head.data_size);

    for (;;) {
        if (archive.BreakRequested()) return RarListing::kStopped;
        const RarStep step = walk.Next(body);
        if (step != RarStep::kHeader) return EndRarListing(archive, step);
        FieldReader fields(body.data(), body.size());
        bool sound = ReadHeaderHead(fields, head, extra);
        if (sound && head.type == kFileHeader) sound = AddFile(archive, fields, head, extra);
        if (!sound) return EndRarListing(archive, RarStep::kDamaged);
        if (head.type == kEndHeader) return RarListing::kListed;
        if (head.type == kEncryptionHeader) {
            archive.error(kRarEncrypted);
            return RarListing::kListed;
        }
        walk.SkipData(head.data_size);
    }
}
