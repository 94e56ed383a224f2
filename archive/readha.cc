// The HA reader. The archive is "HA" and a 16-bit member count, then per
// member: a version and method byte, the compressed and original sizes, a
// CRC and the time (17 bytes), the path and the name (NUL-terminated, 0xFF
// separating the path's directories), a byte giving the length of
// machine-specific data, that data and the compressed data.
#include <cstring>
#include <string>

#include "archive/archive.h"
#include "archive/bytes.h"
#include "archive/sfxscan.h"
#include "panels/entry.h"

namespace {

constexpr int kSignatureLength = 4;
constexpr int kFixedLength = 17;
constexpr int kMaxStringLength = 300;
constexpr int kMaxVersion = 2;
constexpr int kDirectoryMethod = 14;
constexpr uint8_t kPathSeparator = 0xFF;

// Reads the NUL-terminated string at pos (at most kMaxStringLength bytes)
// into out and moves pos past its NUL. False when it has no NUL in time.
bool ReadString(RandomFile* file, int64_t& pos, std::string& out) {
    char bytes[kMaxStringLength + 1];
    int got = sizeof bytes;
    if (file->GetBlock(pos, bytes, got) != 0) return false;
    const void* nul = std::memchr(bytes, 0, static_cast<size_t>(got));
    if (!nul) return false;
    out.assign(bytes, static_cast<size_t>(static_cast<const char*>(nul) - bytes));
    pos += static_cast<int64_t>(out.size()) + 1;
    return true;
}

}  // namespace

int Archive::ReadHA() {
    uint8_t start[kSignatureLength + 1];
    if (!ReadCached(file, 0, start, kSignatureLength) || start[0] != 'H' || start[1] != 'A') return -1;
    // Two letters are a weak mark: a file that claims members must begin
    // the first with a version HA knows (which text never does).
    if (Le16(start + 2) != 0 && ReadCached(file, kSignatureLength, start, 1) && (start[0] >> 4) > kMaxVersion)
        return -1;

    int64_t pos = kSignatureLength;
    std::string path, name;
    while (pos < file->size()) {
        if (BreakRequested()) return -1;
        if (!ReadCached(file, pos, header, kFixedLength)) {
            error("HA archive cut short in a member header");
            break;
        }
        if ((header[0] >> 4) > kMaxVersion) break;
        pos += kFixedLength;
        if (!ReadString(file, pos, path) || !ReadString(file, pos, name)) {
            error("HA member name damaged");
            break;
        }
        const int specific_length = file->GetChar(pos);
        if (specific_length < 0) {
            error("HA archive cut short in a member header");
            break;
        }
        MemberFields fields;
        fields.packed = Le32(header + 1);
        fields.size = Le32(header + 5);
        fields.time = TimeStamp(static_cast<DOSDATE>(Le16(header + 15)), static_cast<DOSTIME>(Le16(header + 13)));
        pos += 1 + specific_length + static_cast<int64_t>(fields.packed);
        if ((header[0] & 0x0F) == kDirectoryMethod) {
            fields.attr = FA_DIREC;
            fields.size = 0;
        }

        std::string full;
        for (char c : path) full += static_cast<uint8_t>(c) == kPathSeparator ? '/' : c;
        while (!full.empty() && full.back() == '/') full.pop_back();
        if (!full.empty()) full += '/';
        full += name;
        if (!AddMember(full.data(), full.size(), NameCoding::kCodePage, fields)) break;
    }
    return 0;
}
