// The LHA (.lzh) reader. Each member has a header of level 0, 1 or 2:
// levels 0 and 1 begin with a one-byte header size and keep the name in the
// header, level 1 adds extended headers counted in the compressed size,
// level 2 begins with a 16-bit size of the whole header and keeps the name
// only in extended headers.
#include <strings.h>

#include <cstring>
#include <string>

#include "archive/archive.h"
#include "archive/bytes.h"
#include "archive/sfxscan.h"
#include "panels/entry.h"

namespace {

constexpr int kCommonLength = 22;  // the fields every level has, up to the name length or CRC
constexpr int kLevel2BaseLength = 26;
constexpr int64_t kSelfExtractorScanLimit = 0x10000;
constexpr uint8_t kPathSeparator = 0xFF;  // separates directories in LHA names

// "-lh?-": the method field at byte 2 of every header.
bool HasMethod(const uint8_t* h) { return h[2] == '-' && h[3] == 'l' && h[4] == 'h' && h[6] == '-'; }

// What the extended headers of level 1 and 2 add to the base header.
struct LhaExtras {
    std::string name;       // file name (0x01); empty when absent
    std::string directory;  // directory (0x02), '/'-separated with a trailing '/'
    bool has_name = false;
    bool has_unix_time = false;
    int64_t unix_time = 0;
    uint32_t mode = 0, uid = 0, gid = 0;
};

// The LHA separator becomes '/'; '\' is left to the member cleaning. A
// NUL ends the name, as it does for the programs that write them.
void AppendPath(std::string& out, const uint8_t* bytes, size_t length) {
    for (size_t i = 0; i < length && bytes[i] != 0; i++)
        out += bytes[i] == kPathSeparator ? '/' : static_cast<char>(bytes[i]);
}

// OS/2 keeps extended attributes in members of its own, of no use here.
bool IsExtendedAttributeMember(const std::string& full, bool directory) {
    std::string name = full;
    while (!name.empty() && (name.back() == '/' || name.back() == '\\')) name.pop_back();
    const size_t split = name.find_last_of("/\\");
    // A directory record's whole name is its path.
    const std::string path = directory ? name : split == std::string::npos ? std::string() : name.substr(0, split);
    const std::string leaf = directory ? std::string() : split == std::string::npos ? name : name.substr(split + 1);
    return strcasecmp(path.c_str(), "EAS") == 0 || strcasecmp(leaf.c_str(), "Apply-Ea.Cmd") == 0;
}

// Walks the chain of extended headers that starts at pos with the size
// first_size and must end by end. Each header holds its type, its data and
// the size of the next one. False when a size does not fit.
bool ReadExtendedHeaders(RandomFile* file, int64_t pos, int64_t end, unsigned first_size, std::string& scratch,
                         LhaExtras& extras) {
    unsigned size = first_size;
    while (size != 0) {
        if (size < 3 || pos + size > end) return false;
        scratch.resize(size);
        auto* bytes = reinterpret_cast<uint8_t*>(scratch.data());
        if (!ReadCached(file, pos, bytes, static_cast<int>(size))) return false;
        const uint8_t* data = bytes + 1;
        const size_t data_length = size - 3;
        switch (bytes[0]) {
        case 0x01:
            extras.name.assign(reinterpret_cast<const char*>(data), data_length);
            extras.has_name = true;
            break;
        case 0x02:
            extras.directory.clear();
            AppendPath(extras.directory, data, data_length);
            if (!extras.directory.empty() && extras.directory.back() != '/') extras.directory += '/';
            break;
        case 0x50:
            if (data_length >= 2) extras.mode = Le16(data);
            break;
        case 0x51:
            if (data_length >= 4) {
                extras.gid = Le16(data);
                extras.uid = Le16(data + 2);
            }
            break;
        case 0x54:
            if (data_length >= 4) {
                extras.unix_time = Le32(data);
                extras.has_unix_time = true;
            }
            break;
        default:
            break;
        }
        pos += size;
        size = Le16(bytes + size - 2);
    }
    return true;
}

}  // namespace

int Archive::ReadLzh() {
    int64_t pos = 0;
    if (!ReadCached(file, 0, header, 7) || !HasMethod(header)) {
        if (!StartsWithProgram(file)) return -1;
        static const uint8_t kMethod[] = {'-', 'l', 'h', 0, '-'};
        const int64_t found = ScanForSignature(file, 7, kSelfExtractorScanLimit, kMethod, sizeof kMethod, 3);
        if (found < 2) return -1;
        pos = found - 2;
    }

    std::string scratch;
    const int64_t file_size = file->size();
    while (pos < file_size) {
        if (BreakRequested()) return -1;
        const int first = file->GetChar(pos);
        if (first <= 0) break;  // the end mark
        if (!ReadCached(file, pos, header, kCommonLength)) {
            error("LHA archive cut short in a member header");
            break;
        }
        if (!HasMethod(header)) {
            error("LHA member header damaged");
            break;
        }
        const int level = header[20];
        MemberFields fields;
        fields.packed = Le32(header + 7);
        fields.size = Le32(header + 11);
        fields.attr = header[19] & (FA_RDONLY | FA_HIDDEN | FA_SYSTEM | FA_ARCH);
        LhaExtras extras;
        std::string name;
        int64_t next = 0;
        bool damaged = false;

        if (level == 0 || level == 1) {
            const int base_length = header[0] + 2;
            if (!ReadCached(file, pos, header, base_length)) {
                error("LHA archive cut short in a member header");
                break;
            }
            const int name_length = header[21];
            // The name, its CRC and, at level 1, the OS byte and the first extended size.
            const int needed = kCommonLength + name_length + 2 + (level == 1 ? 3 : 0);
            if (needed > base_length) {
                error("LHA member header damaged");
                break;
            }
            AppendPath(name, header + kCommonLength, static_cast<size_t>(name_length));
            fields.time = TimeStamp(static_cast<DOSDATE>(Le16(header + 17)), static_cast<DOSTIME>(Le16(header + 15)));
            next = pos + base_length + static_cast<int64_t>(fields.packed);
            if (level == 0) {
                // A Unix extension after the CRC: 'U', version, time, mode, uid, gid.
                const int extension = kCommonLength + name_length + 2;
                if (base_length - extension >= 12 && header[extension] == 'U') {
                    extras.has_unix_time = true;
                    extras.unix_time = Le32(header + extension + 2);
                    extras.mode = Le16(header + extension + 6);
                    extras.uid = Le16(header + extension + 8);
                    extras.gid = Le16(header + extension + 10);
                }
            } else {
                // The extended headers lie in the compressed size, ahead of the data.
                const int64_t data_start = pos + base_length;
                damaged = !ReadExtendedHeaders(file, data_start, next, Le16(header + base_length - 2), scratch, extras);
            }
        } else if (level == 2) {
            const int header_length = Le16(header);
            if (header_length < kLevel2BaseLength || !ReadCached(file, pos, header, kLevel2BaseLength)) {
                error("LHA member header damaged");
                break;
            }
            extras.has_unix_time = true;
            extras.unix_time = Le32(header + 15);
            next = pos + header_length + static_cast<int64_t>(fields.packed);
            damaged = !ReadExtendedHeaders(file, pos + kLevel2BaseLength, pos + header_length, Le16(header + 24),
                                           scratch, extras);
        } else {
            error("LHA member header of an unknown level");
            break;
        }
        if (damaged) {
            error("LHA extended header damaged");
            break;
        }

        if (extras.has_name) {
            name.clear();
            AppendPath(name, reinterpret_cast<const uint8_t*>(extras.name.data()), extras.name.size());
        }
        name.insert(0, extras.directory);
        if (extras.has_unix_time) fields.time = TimeStamp(extras.unix_time, 0);
        fields.mode = extras.mode;
        fields.uid = extras.uid;
        fields.gid = extras.gid;
        const bool directory = std::memcmp(header + 2, "-lhd-", 5) == 0;
        if (directory) {
            fields.attr |= FA_DIREC;
            fields.size = 0;
        }
        if (!IsExtendedAttributeMember(name, directory) &&
            !AddMember(name.data(), name.size(), NameCoding::kCodePage, fields))
            break;
        pos = next;
    }
    return 0;
}
