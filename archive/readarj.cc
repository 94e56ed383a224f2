// The ARJ reader. An archive is a main header and then one header per
// member, each: the id 0x60 0xEA, a 16-bit basic header size, the basic
// header (fixed fields, then the name and the comment, NUL-terminated), its
// CRC, a chain of extended headers and the compressed data. A basic header
// size of 0 ends the archive.
#include <cstring>

#include "archive/archive.h"
#include "archive/bytes.h"
#include "archive/sfxscan.h"
#include "panels/entry.h"

namespace {

constexpr uint8_t kId[] = {0x60, 0xEA};
constexpr int kIdAndSize = 4;
constexpr int kCrcLength = 4;
constexpr int kMainHeaderCheckLength = kIdAndSize + 31;  // the id and the 33 bytes after it
constexpr unsigned kMaxMainBasicSize = 2600;
constexpr unsigned kMaxMainFirstSize = 40;
constexpr unsigned kMaxBasicSize = 8188;  // leaves the id and size room in the header buffer
// The fixed fields read here end with the file access mode at 30-31.
constexpr unsigned kMinFirstSize = 28;
constexpr int64_t kSelfExtractorScanLimit = 0x20000;

enum ArjFileType : uint8_t { kBinary = 0, kText = 1, kMainHeader = 2, kDirectory = 3 };
enum ArjHost : uint8_t { kMsDos = 0, kUnix = 2, kWin95 = 10, kWin32 = 11 };

// Whether a main header starts at pos: a plausible size, a first-header
// size an ARJ writes and the main header's file type.
bool IsMainHeader(RandomFile* file, int64_t pos) {
    uint8_t h[kMainHeaderCheckLength];
    if (!ReadCached(file, pos, h, sizeof h)) return false;
    return h[0] == kId[0] && h[1] == kId[1] && Le16(h + 2) <= kMaxMainBasicSize && h[4] <= kMaxMainFirstSize &&
           h[4] >= kMinFirstSize && h[10] == kMainHeader;
}

// Moves pos over a chain of extended headers (a 16-bit size, that many
// bytes and a CRC, until a size of 0). False when the chain runs past the
// end of the file.
bool SkipExtendedHeaders(RandomFile* file, int64_t& pos) {
    const int64_t file_size = file->size();
    for (;;) {
        uint8_t size_bytes[2];
        if (!ReadCached(file, pos, size_bytes, 2)) return false;
        pos += 2;
        const unsigned size = Le16(size_bytes);
        if (size == 0) return true;
        pos += size + kCrcLength;
        if (pos > file_size) return false;
    }
}

// The end of the NUL-terminated string at from, or -1 when it does not end
// before end.
int StringEnd(const uint8_t* h, int from, int end) {
    const void* nul = from < end ? std::memchr(h + from, 0, static_cast<size_t>(end - from)) : nullptr;
    return nul ? static_cast<int>(static_cast<const uint8_t*>(nul) - h) : -1;
}

}  // namespace

int Archive::ReadArj() {
    int64_t main_start = 0;
    if (!IsMainHeader(file, 0)) {
        if (!StartsWithProgram(file)) return -1;
        main_start = -1;
        for (int64_t from = 4; from < kSelfExtractorScanLimit;) {
            const int64_t found = ScanForSignature(file, from, kSelfExtractorScanLimit, kId, sizeof kId);
            if (found < 0) break;
            if (IsMainHeader(file, found)) {
                main_start = found;
                break;
            }
            from = found + 1;
        }
        if (main_start < 0) return -1;
    }
    if (!ReadCached(file, main_start, header, kIdAndSize)) return -1;
    int64_t pos = main_start + kIdAndSize + Le16(header + 2) + kCrcLength;
    if (!SkipExtendedHeaders(file, pos)) {
        error("ARJ main header damaged");
        return -1;
    }

    bool ended = false;
    while (!ended) {
        if (BreakRequested()) return -1;
        if (!ReadCached(file, pos, header, kIdAndSize)) {
            if (pos < file->size()) error("ARJ archive cut short in a member header");
            break;
        }
        const unsigned basic_size = Le16(header + 2);
        if (header[0] != kId[0] || header[1] != kId[1] || basic_size >= kMaxBasicSize) {
            error("ARJ member header damaged");
            break;
        }
        if (basic_size == 0) {
            ended = true;  // the end mark
            break;
        }
        const int header_end = kIdAndSize + static_cast<int>(basic_size);
        if (!ReadCached(file, pos, header, header_end)) {
            error("ARJ archive cut short in a member header");
            break;
        }
        const unsigned first_size = header[4];
        if (first_size < kMinFirstSize || first_size > basic_size) {
            error("ARJ member header damaged");
            break;
        }
        // The name, then the comment, both inside the basic header.
        const int name_start = kIdAndSize + static_cast<int>(first_size);
        const int name_end = StringEnd(header, name_start, header_end);
        if (name_end < 0 || StringEnd(header, name_end + 1, header_end) < 0) {
            error("ARJ member name damaged");
            break;
        }
        pos += header_end + kCrcLength;
        if (!SkipExtendedHeaders(file, pos)) {
            error("ARJ extended header damaged");
            break;
        }

        MemberFields fields;
        fields.packed = Le32(header + 16);
        fields.size = Le32(header + 20);
        pos += static_cast<int64_t>(fields.packed);
        const uint8_t type = header[10];
        if (type != kBinary && type != kText && type != kDirectory) continue;  // volume and chapter labels

        const uint8_t host = header[7];
        const uint32_t stamp = Le32(header + 12);
        const unsigned access = Le16(header + 30);
        if (host == kUnix) {
            // ARJ on Unix keeps Unix times and permission bits.
            fields.time = TimeStamp(static_cast<int64_t>(stamp), 0);
            fields.mode = (access & 07777) | (type == kDirectory ? 0040000u : 0100000u);
        } else {
            fields.time = TimeStamp(static_cast<DOSDATE>(stamp >> 16), static_cast<DOSTIME>(stamp & 0xFFFF));
            if (host == kMsDos || host == kWin95 || host == kWin32)
                fields.attr = access & (FA_RDONLY | FA_HIDDEN | FA_SYSTEM | FA_ARCH);
        }
        if (type == kDirectory) {
            fields.attr |= FA_DIREC;
            fields.size = 0;
        }
        const char* name = reinterpret_cast<const char*>(header + name_start);
        if (!AddMember(name, static_cast<size_t>(name_end - name_start), NameCoding::kCodePage, fields)) break;
    }
    // An archive that ends properly may be empty; a damaged one counts only
    // when some member could be read.
    return ended || count() > 0 ? 0 : -1;
}
