// The 7z reader: the start header points at the database at the end of
// the archive, which may itself be packed (and then describes where its
// packed bytes lie); its file records become the members.
#include <lzma.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "archive/sevenzdecode.h"
#include "archive/sevenzheader.h"
#include "lib/fsname.h"

namespace {

constexpr uint8_t kSignature[6] = {'7', 'z', 0xBC, 0xAF, 0x27, 0x1C};
constexpr int kStartHeaderSize = 32;
// A packed header may be packed again; archivers do it once.
constexpr int kMaxHeaderRounds = 4;
// FILETIME of the Unix epoch, in 100 ns units since 1601.
constexpr int64_t kFiletimeUnixEpoch = 116444736000000000;
constexpr uint32_t kAttributeDirectory = 0x10;
constexpr uint32_t kAttributeUnixExtension = 0x8000;
// The DOS bits a member keeps: read-only, hidden, system, directory, archive.
constexpr uint32_t kKeptAttributes = 0x37;

TimeStamp FiletimeToTime(uint64_t filetime) {
    const int64_t since_epoch = static_cast<int64_t>(filetime - static_cast<uint64_t>(kFiletimeUnixEpoch));
    int64_t seconds = since_epoch / 10000000;
    int64_t rest = since_epoch % 10000000;
    if (rest < 0) {
        rest += 10000000;
        seconds--;
    }
    return TimeStamp(seconds, static_cast<uint32_t>(rest * 100));
}

// UTF-16LE as UTF-8; a surrogate without its partner becomes U+FFFD.
void Utf16ToUtf8(const uint8_t* units, size_t count, std::wstring& characters, std::string& out) {
    characters.clear();
    for (size_t i = 0; i < count; i++) {
        uint32_t c = units[2 * i] | (units[2 * i + 1] << 8);
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < count) {
            const uint32_t low = units[2 * i + 2] | (units[2 * i + 3] << 8);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i++;
            }
        }
        if (c >= 0xD800 && c < 0xE000) c = 0xFFFD;
        characters += static_cast<wchar_t>(c);
    }
    const Estring bytes = Westring(characters.data(), static_cast<int>(characters.size())).ToUTF8();
    out.assign(bytes.c_str(), static_cast<size_t>(bytes.strlen()));
}

// Adds to a total; a damaged header's sizes may add up past what the
// total can hold, and it then stays at its largest value.
void AddSaturating(int64_t& total, uint64_t value) {
    const uint64_t room = static_cast<uint64_t>(INT64_MAX - total);
    total = value > room ? INT64_MAX : total + static_cast<int64_t>(value);
}

// The archive's file name without its extension, for an archive that
// stores no names (made from standard input).
std::string NameFromArchive(const Westring& file_name) {
    std::string name = file_name.ToUTF8().c_str();
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name;
}

}  // namespace

int Archive::Read7zip() {
    uint8_t start[kStartHeaderSize];
    if (!ReadExact(start, sizeof kSignature) || std::memcmp(start, kSignature, sizeof kSignature) != 0) return -1;
    if (!ReadExact(start + sizeof kSignature, kStartHeaderSize - static_cast<int>(sizeof kSignature))) {
        error("7z archive is truncated: the file list is missing");
        return 0;
    }
    if (lzma_crc32(start + 12, 20, 0) != Le32(start + 8)) error("7z start header is damaged: its CRC does not match");
    const uint64_t next_offset = Le64(start + 12);
    const uint64_t next_size = Le64(start + 20);
    const uint64_t room = static_cast<uint64_t>(file->size()) - kStartHeaderSize;
    total_size = 0;
    total_packed = 0;
    if (next_size == 0) return 0;  // an archive with nothing in it
    if (next_offset > room || next_size > room - next_offset) {
        error("7z archive is truncated: the file list is missing");
        return 0;
    }
    if (next_size > sevenz::kMaxHeaderSize) {
        error("7z file list is too large to read");
        return 0;
    }
    std::vector<uint8_t> buffer(static_cast<size_t>(next_size));
    file->position = kStartHeaderSize + static_cast<int64_t>(next_offset);
    if (!ReadExact(buffer.data(), static_cast<int>(buffer.size()))) {
        error("7z archive is truncated: the file list is missing");
        return 0;
    }
    if (lzma_crc32(buffer.data(), buffer.size(), 0) != Le32(start + 28))
        error("7z file list is damaged: its CRC does not match");

    sevenz::Database database;
    for (int round = 0;; round++) {
        SevenZipBytes in(buffer.data(), buffer.size());
        uint64_t id = 0;
        if (!in.Number(&id) || (id != sevenz::kHeader && id != sevenz::kEncodedHeader) || round >= kMaxHeaderRounds) {
            error("7z file list is damaged: it does not start with a header");
            return 0;
        }
        if (id == sevenz::kHeader) {
            if (sevenz::Problem problem = sevenz::ParseHeader(in, &database)) {
                error(problem);
                return 0;
            }
            break;
        }
        sevenz::StreamsInfo packed;
        if (sevenz::Problem problem = sevenz::ParseStreamsInfo(in, &packed)) {
            error(problem);
            return 0;
        }
        if (packed.folders.size() != 1 || packed.pack_sizes.size() != 1) {
            error("7z header uses a coder layout this program cannot read");
            return 0;
        }
        if (sevenz::Problem problem = sevenz::CheckFolderMethods(packed.folders[0])) {
            error(problem);
            return 0;
        }
        const uint64_t pack_size = packed.pack_sizes[0];
        if (packed.pack_pos > room || pack_size > room - packed.pack_pos || pack_size > sevenz::kMaxHeaderSize) {
            error("7z archive is truncated: the file list is missing");
            return 0;
        }
        // A header compresses well, but not without bound.
        const uint64_t unpack_size = packed.folders[0].UnpackSize();
        if (unpack_size > sevenz::kMaxHeaderSize || unpack_size > (uint64_t(1) << 20) + pack_size * 1024) {
            error("7z file list is too large to read");
            return 0;
        }
        std::vector<uint8_t> packed_bytes(static_cast<size_t>(pack_size));
        file->position = kStartHeaderSize + static_cast<int64_t>(packed.pack_pos);
        if (!ReadExact(packed_bytes.data(), static_cast<int>(packed_bytes.size()))) {
            error("7z archive is truncated: the file list is missing");
            return 0;
        }
        std::vector<uint8_t> unpacked;
        if (sevenz::Problem problem =
                sevenz::DecodeFolder(packed.folders[0], packed_bytes.data(), packed_bytes.size(), &unpacked)) {
            error(problem);
            return 0;
        }
        buffer.swap(unpacked);
    }
    if (database.files_problem) error(database.files_problem);

    const std::vector<uint64_t>& sizes = database.streams.substream_sizes;
    for (uint64_t pack_size : database.streams.pack_sizes) AddSaturating(total_packed, pack_size);
    if (database.files.size() > 0 && !database.has_names && database.files_problem) return 0;
    const std::string unnamed = database.has_names ? std::string() : NameFromArchive(FileName());
    std::string name;
    std::wstring characters;
    size_t next_stream = 0;
    bool short_of_sizes = false;
    for (size_t i = 0; i < database.files.size(); i++) {
        const sevenz::FileRecord& record = database.files[i];
        if ((i & 0xFFF) == 0 && BreakRequested()) return -1;
        MemberFields fields;
        fields.packed = ArchiveEntry::kUnknown;
        if (record.has_stream) {
            if (next_stream < sizes.size()) {
                fields.size = sizes[next_stream++];
            } else {
                short_of_sizes = true;
            }
        } else {
            fields.size = 0;
        }
        if (record.anti) continue;
        if (database.has_names && !record.name) break;  // the records were damaged here
        if (record.has_attributes) {
            fields.attr = record.attributes & kKeptAttributes;
            if (record.attributes & kAttributeUnixExtension) fields.mode = record.attributes >> 16;
        }
        if (!record.has_stream && !record.empty_file) fields.attr |= kAttributeDirectory;
        if (fields.attr & kAttributeDirectory) fields.size = 0;
        if (record.has_mtime) fields.time = FiletimeToTime(record.mtime);
        if (database.has_names) {
            Utf16ToUtf8(record.name, record.name_units, characters, name);
        } else {
            name = unnamed;
        }
        if (!AddMember(name.data(), name.size(), NameCoding::kUtf8, fields)) {
            error("Not enough memory for the 7z file list");
            return 0;
        }
        if (!(fields.attr & kAttributeDirectory) && fields.size != ArchiveEntry::kUnknown)
            AddSaturating(total_size, fields.size);
    }
    if (short_of_sizes) error("7z header is damaged: more files than data streams");
    return 0;
}
