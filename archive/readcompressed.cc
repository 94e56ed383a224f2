// Readers of files compressed as one stream (gzip, bzip2, xz): each lists a
// single member, named as gzip stored it or after the file itself.
#include <sys/stat.h>

#include <cstring>

#include "archive/archive.h"
#include "archive/bytes.h"
#include "archive/madeupname.h"
#include "lib/fsname.h"

namespace {

constexpr int kGzipHeader = 10;
constexpr uint8_t kGzipDeflate = 8;
constexpr uint8_t kGzipHeaderCrc = 0x02, kGzipExtra = 0x04, kGzipName = 0x08, kGzipComment = 0x10;
constexpr uint8_t kGzipReservedFlags = 0xE0;
// A stored name longer than this is no name gzip wrote; the member is then
// named after the file.
constexpr int64_t kGzipMaxName = 1024;
constexpr int kGzipTrailer = 8;  // CRC-32 and ISIZE

constexpr CompressedExtension kGzipExtensions[] = {{L"gz", L""}, {L"tgz", L".tar"}};
constexpr CompressedExtension kBzip2Extensions[] = {{L"bz2", L""}, {L"tbz", L".tar"}, {L"tbz2", L".tar"}};
constexpr CompressedExtension kXzExtensions[] = {{L"xz", L""}, {L"txz", L".tar"}};

// The archive file's own modification time, for a member whose format keeps
// none.
TimeStamp archive_file_time(const Westring& path) {
    struct stat info;
    if (stat(EncodeFileName(path).c_str(), &info) != 0) return TimeStamp();
    return TimeStamp(info.st_mtim.tv_sec, static_cast<uint32_t>(info.st_mtim.tv_nsec));
}

// Lists the one member of a bzip2 or xz file, which records neither its
// name nor its size nor a time.
int AddCompressedMember(Archive& archive, const CompressedExtension* extensions, int count) {
    MemberFields fields;
    fields.backslash_separates = false;
    fields.packed = static_cast<uint64_t>(archive.file->size());
    fields.time = archive_file_time(archive.archive_path);
    const Westring name = MadeUpMemberName(archive.FileName(), extensions, count);
    const Estring bytes = EncodeFileName(name);
    return archive.AddMember(name, bytes.c_str(), static_cast<size_t>(bytes.strlen()), fields) ? 0 : -1;
}

}  // namespace

int Archive::ReadGZip() {
    uint8_t head[kGzipHeader];
    if (!ReadExact(head, kGzipHeader) || head[0] != 0x1F || head[1] != 0x8B) return -1;
    const uint8_t flags = head[3];
    if (head[2] != kGzipDeflate || (flags & kGzipReservedFlags)) return -1;
    const int64_t file_size = file->size();
    if (flags & kGzipExtra) {
        uint8_t length[2];
        if (!ReadExact(length, 2)) return -1;
        const int64_t extra = Le16(length);
        if (extra > file_size - file->position) {
            error("Damaged gzip header: its extra field is longer than the file");
            return -1;
        }
        file->position += extra;
    }
    // A NUL-terminated string at the position, skipped; its start and
    // length, or -1 when the file ends before its NUL.
    auto skip_string = [this, file_size](int64_t* start) -> int64_t {
        *start = file->position;
        for (int64_t at = file->position; at < file_size; at++) {
            const int c = file->GetChar(at);
            if (c < 0) return -1;
            if (c == 0) {
                file->position = at + 1;
                return at - *start;
            }
        }
        return -1;
    };
    std::string stored_name;
    if (flags & kGzipName) {
        int64_t start = 0;
        const int64_t length = skip_string(&start);
        if (length < 0) return -1;
        if (length <= kGzipMaxName) {
            stored_name.resize(static_cast<size_t>(length));
            int n = static_cast<int>(length);
            if (length > 0 && (file->GetBlock(start, stored_name.data(), n) != 0 || n != length)) return -1;
        }
    }
    if (flags & kGzipComment) {
        int64_t start = 0;
        if (skip_string(&start) < 0) return -1;
    }
    if (flags & kGzipHeaderCrc) file->position += 2;
    if (file->position > file_size) return -1;

    MemberFields fields;
    fields.backslash_separates = false;
    fields.packed = static_cast<uint64_t>(file_size - file->position);
    // ISIZE, the last 4 bytes, is the uncompressed size modulo 2^32: a member
    // of 4 GiB or more shows less. Only decompressing tells the truth.
    uint8_t trailer[4];
    int got = 4;
    if (file_size - file->position >= kGzipTrailer && file->GetBlock(file_size - 4, trailer, got) == 0 && got == 4)
        fields.size = Le32(trailer);
    const uint32_t mtime = Le32(head + 4);
    fields.time = mtime ? TimeStamp(static_cast<int64_t>(mtime), 0u) : archive_file_time(archive_path);  // 0: no time stored

    if (!stored_name.empty()) {
        return AddMember(stored_name.data(), stored_name.size(), NameCoding::kUtf8, fields) ? 0 : -1;
    }
    const Westring name = MadeUpMemberName(FileName(), kGzipExtensions, 2);
    const Estring bytes = EncodeFileName(name);
    return AddMember(name, bytes.c_str(), static_cast<size_t>(bytes.strlen()), fields) ? 0 : -1;
}

int Archive::ReadBZip2() {
    // "BZh" and the block size, '1' to '9' hundred kilobytes.
    uint8_t head[4];
    if (!ReadExact(head, 4) || std::memcmp(head, "BZh", 3) != 0 || head[3] < '1' || head[3] > '9') return -1;
    return AddCompressedMember(*this, kBzip2Extensions, 3);
}

int Archive::ReadXZ() {
    static const uint8_t kMagic[6] = {0xFD, '7', 'z', 'X', 'Z', 0x00};
    uint8_t head[6];
    if (!ReadExact(head, 6) || std::memcmp(head, kMagic, 6) != 0) return -1;
    return AddCompressedMember(*this, kXzExtensions, 2);
}
