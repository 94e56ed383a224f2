// The ZIP reader: finds the end record at the back of the file (and the
// ZIP64 records before it), then reads the central directory in large
// chunks and takes every member from its header in memory.
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "archive/archive.h"
#include "archive/bytes.h"
#include "archive/zipextra.h"
#include "panels/entry.h"

namespace {

constexpr uint32_t kLocalHeaderSignature = 0x04034B50;      // "PK" 3 4
constexpr uint32_t kCentralHeaderSignature = 0x02014B50;    // "PK" 1 2
constexpr uint32_t kEndRecordSignature = 0x06054B50;        // "PK" 5 6
constexpr uint32_t kZip64EndRecordSignature = 0x06064B50;   // "PK" 6 6
constexpr uint32_t kZip64LocatorSignature = 0x07064B50;     // "PK" 6 7

constexpr size_t kCentralHeaderSize = 46;
constexpr size_t kEndRecordSize = 22;
constexpr size_t kZip64LocatorSize = 20;
constexpr size_t kZip64EndRecordSize = 56;

// How far into a self-extracting program the archive is looked for, and
// how many positions from the end the end record is looked for.
constexpr int64_t kSelfExtractorScan = 0x20000;
constexpr int64_t kEndRecordSearch = 0x10000;

// The central directory is read this much at a time.
constexpr size_t kDirectoryChunk = 1 << 20;

constexpr uint8_t kUnixHost = 3;
constexpr uint8_t kMacOsHost = 19;
constexpr uint16_t kUtf8NameFlag = 0x0800;
constexpr uint32_t kDosAttributesKept = 0x02 | 0x04 | 0x20;  // hidden, system, archive

// Copies up to n bytes at pos through the file's cache; the count copied.
size_t ReadAt(RandomFile* file, int64_t pos, uint8_t* buffer, size_t n) {
    int count = static_cast<int>(n);
    if (pos < 0 || file->GetBlock(pos, buffer, count) != 0) return 0;
    return static_cast<size_t>(count);
}

bool ReadExactAt(RandomFile* file, int64_t pos, uint8_t* buffer, size_t n) {
    return ReadAt(file, pos, buffer, n) == n;
}

// Where the archive starts in a self-extracting program: the first local
// header signature from offset 8 on, or -1.
int64_t FindArchiveInProgram(RandomFile* file) {
    // A signature starts before the limit; its last bytes may lie past it.
    std::vector<uint8_t> prefix(static_cast<size_t>(kSelfExtractorScan) + 3);
    const size_t got = ReadAt(file, 0, prefix.data(), prefix.size());
    for (size_t at = 8; at + 4 <= got && at < static_cast<size_t>(kSelfExtractorScan); at++) {
        if (prefix[at] == 'P' && Le32(&prefix[at]) == kLocalHeaderSignature) return static_cast<int64_t>(at);
    }
    return -1;
}

// What the end records tell of the central directory, in file positions.
struct DirectoryPlace {
    int64_t end_record = -1;  // the end-of-central-directory record
    int64_t end = -1;         // where the directory's headers end: the ZIP64 end record or the end record
    uint64_t offset = 0;      // the directory's offset as recorded
    uint64_t size = 0;        // its size as recorded
};

enum class EndSearch { kFound, kNotFound, kTruncated };

// Looks backwards from the end of the file for an end record that fits in
// the file, comment included.
EndSearch FindEndRecord(RandomFile* file, DirectoryPlace& place) {
    const int64_t file_size = file->size();
    // The signature ends at one of the last kEndRecordSearch positions, none of them below 3.
    const int64_t lowest_end = std::max<int64_t>(3, file_size - kEndRecordSearch);
    if (file_size - 1 < lowest_end) return EndSearch::kNotFound;
    const int64_t first = lowest_end - 3;
    std::vector<uint8_t> tail(static_cast<size_t>(file_size - first));
    if (!ReadExactAt(file, first, tail.data(), tail.size())) return EndSearch::kNotFound;
    bool seen = false;
    for (size_t at = tail.size() - 3; at-- > 0;) {
        if (tail[at] != 'P' || Le32(&tail[at]) != kEndRecordSignature) continue;
        seen = true;
        if (tail.size() - at < kEndRecordSize) continue;
        const uint16_t comment_length = Le16(&tail[at + 20]);
        if (tail.size() - at - kEndRecordSize < comment_length) continue;
        place.end_record = first + static_cast<int64_t>(at);
        place.end = place.end_record;
        place.size = Le32(&tail[at + 12]);
        place.offset = Le32(&tail[at + 16]);
        return EndSearch::kFound;
    }
    return seen ? EndSearch::kTruncated : EndSearch::kNotFound;
}

// An archive whose directory or its offset overflowed 32 bits has a
// locator just before the end record pointing at the ZIP64 end record,
// which holds the 64-bit values. A self-extractor whose offsets were not
// corrected has the record prefix bytes further on.
void ReadZip64EndRecord(RandomFile* file, int64_t prefix, DirectoryPlace& place) {
    uint8_t locator[kZip64LocatorSize];
    const int64_t locator_at = place.end_record - static_cast<int64_t>(kZip64LocatorSize);
    if (locator_at < 0 || !ReadExactAt(file, locator_at, locator, sizeof locator)) return;
    if (Le32(locator) != kZip64LocatorSignature) return;
    const uint64_t recorded = Le64(locator + 8);
    const uint64_t candidates[] = {recorded, recorded + static_cast<uint64_t>(prefix)};
    for (uint64_t at : candidates) {
        if (at >= static_cast<uint64_t>(locator_at)) continue;
        uint8_t record[kZip64EndRecordSize];
        if (!ReadExactAt(file, static_cast<int64_t>(at), record, sizeof record)) continue;
        if (Le32(record) != kZip64EndRecordSignature) continue;
        place.end = static_cast<int64_t>(at);
        place.size = Le64(record + 40);
        place.offset = Le64(record + 48);
        return;
    }
}

bool CentralHeaderAt(RandomFile* file, int64_t pos, uint32_t signature = kCentralHeaderSignature) {
    uint8_t bytes[4];
    return pos >= 0 && ReadExactAt(file, pos, bytes, 4) && Le32(bytes) == signature;
}

// The central directory's bytes, read from the file a large chunk at a
// time; headers are then taken from memory.
class DirectoryReader {
public:
    DirectoryReader(RandomFile* file, int64_t start) : file_(file), base_(start) {}

    // Makes n bytes from the cursor on available; false when the file
    // ends first.
    bool Have(size_t n) {
        if (filled_ - cursor_ >= n) return true;
        if (cursor_ > 0) {
            std::memmove(buffer_.data(), buffer_.data() + cursor_, filled_ - cursor_);
            base_ += static_cast<int64_t>(cursor_);
            filled_ -= cursor_;
            cursor_ = 0;
        }
        if (buffer_.size() < std::max(n, kDirectoryChunk)) buffer_.resize(std::max(n, kDirectoryChunk));
        while (filled_ < n) {
            file_->position = base_ + static_cast<int64_t>(filled_);
            int got = 0;
            const size_t room = std::min<size_t>(buffer_.size() - filled_, 1u << 30);
            if (file_->read(buffer_.data() + filled_, static_cast<int>(room), &got) != 0 || got <= 0) return false;
            filled_ += static_cast<size_t>(got);
        }
        return true;
    }
    const uint8_t* data() const { return buffer_.data() + cursor_; }
    void Skip(size_t n) { cursor_ += n; }
    int64_t position() const { return base_ + static_cast<int64_t>(cursor_); }

private:
    RandomFile* file_;
    std::vector<uint8_t> buffer_;
    int64_t base_;         // the file position of buffer_[0]
    size_t cursor_ = 0;    // the next header in buffer_
    size_t filled_ = 0;    // bytes of buffer_ read from the file
};

// DOS times of a directory are mostly equal: the last one converted is
// kept, as the conversion goes through the C library's local time.
class DosTimes {
public:
    TimeStamp Convert(uint16_t date, uint16_t time) {
        const uint32_t key = (static_cast<uint32_t>(date) << 16) | time;
        if (!valid_ || key != key_) {
            value_ = TimeStamp(static_cast<DOSDATE>(date), static_cast<DOSTIME>(time));
            key_ = key;
            valid_ = true;
        }
        return value_;
    }

private:
    bool valid_ = false;
    uint32_t key_ = 0;
    TimeStamp value_;
};

// How a member's stored name is decoded: as UTF-8 when the header says
// so; names written on Unix are the file system's bytes, taken as file
// names are; those of DOS and Windows are in the configured code page.
NameCoding NameCodingOf(const uint8_t* h) {
    if (Le16(h + 8) & kUtf8NameFlag) return NameCoding::kUtf8;
    return h[5] == kUnixHost || h[5] == kMacOsHost ? NameCoding::kUtf8 : NameCoding::kCodePage;
}

// The fields of a member from its central header h (46 bytes) and extra.
MemberFields FieldsOf(const uint8_t* h, const ZipExtraFields& extra, DosTimes& dos_times) {
    MemberFields fields;
    fields.size = extra.size;
    fields.packed = extra.packed;
    const uint8_t host = h[5];
    const uint32_t external = Le32(h + 38);
    const uint32_t mode = host == kUnixHost ? external >> 16 : 0;
    fields.mode = mode;
    if (mode != 0) {
        if ((mode & S_IFMT) == S_IFDIR) fields.attr |= FA_DIREC;
    } else if (external & FA_DIREC) {
        fields.attr |= FA_DIREC;
    }
    if (host != kUnixHost) fields.attr |= external & kDosAttributesKept;
    // Names written on Unix may hold '\' as an ordinary character.
    fields.backslash_separates = host != kUnixHost;
    if (extra.has_owner) {
        fields.uid = extra.uid;
        fields.gid = extra.gid;
    }
    if (extra.has_unix_time) fields.time = TimeStamp(extra.unix_time, 0);
    else if (extra.has_windows_time) fields.time = TimeStamp(extra.windows_seconds, extra.windows_nanoseconds);
    else fields.time = dos_times.Convert(Le16(h + 14), Le16(h + 12));
    return fields;
}

}  // namespace

int Archive::ReadZip() {
    uint8_t start[8];
    if (!ReadExactAt(file, 0, start, sizeof start)) return -1;
    int64_t prefix = 0;  // the length of a self-extracting program in front
    // An archive starts with a member, or with its end records when it has
    // none; a split archive's marker comes before the first member.
    const bool signature = Le32(start) == kLocalHeaderSignature || Le32(start) == kEndRecordSignature ||
                           Le32(start) == kZip64EndRecordSignature || Le32(start + 4) == kLocalHeaderSignature;
    if (!signature) {
        if (start[0] != 'M' || start[1] != 'Z') return -1;
        prefix = FindArchiveInProgram(file);
        if (prefix < 0) return -1;
    }

    DirectoryPlace place;
    switch (FindEndRecord(file, place)) {
        case EndSearch::kFound:
            break;
        case EndSearch::kNotFound:
            error("Central directory not found in");
            return -1;
        case EndSearch::kTruncated:
            error("ZIP corrupt, cannot read file list");
            return -1;
    }
    if (place.offset == 0xFFFFFFFFu || place.size == 0xFFFFFFFFu) ReadZip64EndRecord(file, prefix, place);

    if (place.offset >= static_cast<uint64_t>(file->size())) {
        error("ZIP corrupt, nonsense header read");
        return -1;
    }
    const int64_t recorded = static_cast<int64_t>(place.offset);
    if (recorded >= place.end) return 0;  // no members

    // The directory is where it is recorded; in a self-extractor whose
    // offsets were not corrected, or an archive with anything else in
    // front, it is as many bytes further on as stand in front.
    int64_t directory = recorded;
    if (!CentralHeaderAt(file, directory)) {
        const int64_t shifted = place.size <= static_cast<uint64_t>(place.end)
                                    ? place.end - static_cast<int64_t>(place.size)
                                    : -1;
        if (prefix > 0 && CentralHeaderAt(file, recorded + prefix)) {
            directory = recorded + prefix;
        } else if (shifted > recorded && CentralHeaderAt(file, shifted)) {
            directory = shifted;
        } else if (prefix == 0 && CentralHeaderAt(file, directory, kZip64EndRecordSignature)) {
            return 0;  // a ZIP64 archive without members
        } else {
            if (prefix == 0) error("ZIP corrupt, bad central directory");
            return -1;
        }
    }

    DirectoryReader reader(file, directory);
    DosTimes dos_times;
    while (reader.position() < place.end) {
        // A listing the user broke off is not shown in part.
        if ((count() & 0xFFF) == 0xFFF && BreakRequested()) return -1;
        if (!reader.Have(kCentralHeaderSize)) {
            error("ZIP corrupt, cannot read file list");
            return count() > 0 ? 0 : -1;
        }
        const uint8_t* h = reader.data();
        if (Le32(h) != kCentralHeaderSignature) {
            if (Le32(h) == kZip64EndRecordSignature || Le32(h) == kEndRecordSignature) return 0;
            error("ZIP corrupt, bad central directory");
            return count() > 0 ? 0 : -1;
        }
        const size_t name_length = Le16(h + 28);
        const size_t extra_length = Le16(h + 30);
        const size_t comment_length = Le16(h + 32);
        const size_t header_length = kCentralHeaderSize + name_length + extra_length + comment_length;
        if (!reader.Have(header_length)) {
            error("ZIP corrupt, cannot read file list");
            return count() > 0 ? 0 : -1;
        }
        h = reader.data();
        const uint8_t* name = h + kCentralHeaderSize;

        ZipExtraFields extra;
        extra.packed = Le32(h + 20);
        extra.size = Le32(h + 24);
        extra.disk = Le16(h + 34);
        extra.local_offset = Le32(h + 42);
        ReadZipExtra(name + name_length, extra_length, name, name_length, extra);
        const MemberFields fields = FieldsOf(h, extra, dos_times);

        // A name ends at a NUL byte, as no file name holds one.
        const char* stored = reinterpret_cast<const char*>(name);
        const void* nul = std::memchr(stored, 0, name_length);
        const size_t stored_length = nul ? static_cast<size_t>(static_cast<const char*>(nul) - stored) : name_length;
        ArchiveEntry* added;
        if (extra.unicode_name && !(Le16(h + 8) & kUtf8NameFlag)) {
            const Westring decoded = DecodeName(reinterpret_cast<const char*>(extra.unicode_name),
                                                extra.unicode_name_length, NameCoding::kUtf8);
            added = AddMember(decoded, stored, stored_length, fields);
        } else {
            added = AddMember(stored, stored_length, NameCodingOf(h), fields);
        }
        if (!added) return count() > 0 ? 0 : -1;
        reader.Skip(header_length);
    }
    return 0;
}
