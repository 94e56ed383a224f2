#include "archive/sevenzheader.h"

namespace sevenz {

namespace {

// Limits far above anything an archiver writes, so that damaged numbers
// cannot make the walks below long.
constexpr uint64_t kMaxCoders = 64;
constexpr uint64_t kMaxCoderStreams = 64;
constexpr size_t kMaxMethodIdBytes = 8;

constexpr Problem kTruncated = "7z header is damaged: it ends in the middle of a record";
constexpr Problem kBadCount = "7z header is damaged: a count is larger than the header could hold";
constexpr Problem kBadFolder = "7z header is damaged: a folder's coders do not fit together";
constexpr Problem kBadSizes = "7z header is damaged: the file sizes do not add up";
constexpr Problem kUnexpected = "7z header is damaged: an unexpected record";

// Steps over a property: its size and that many bytes.
Problem SkipData(SevenZipBytes& in) {
    uint64_t size = 0;
    if (!in.Number(&size) || !in.Skip(size)) return kTruncated;
    return nullptr;
}

// A list of CRCs: which are defined, then each defined one.
Problem SkipDigests(SevenZipBytes& in, size_t count, std::vector<bool>* defined = nullptr,
                    std::vector<uint32_t>* values = nullptr) {
    std::vector<bool> present;
    if (!in.Defined(count, &present)) return kTruncated;
    if (values) values->assign(count, 0);
    for (size_t i = 0; i < count; i++) {
        uint32_t crc = 0;
        if (present[i] && !in.U32(&crc)) return kTruncated;
        if (values) (*values)[i] = crc;
    }
    if (defined) *defined = std::move(present);
    return nullptr;
}

Problem ParsePackInfo(SevenZipBytes& in, StreamsInfo* info) {
    uint64_t count = 0;
    if (!in.Number(&info->pack_pos)) return kTruncated;
    if (!in.Count(&count)) return kBadCount;
    info->pack_sizes.assign(static_cast<size_t>(count), 0);
    for (;;) {
        uint64_t id = 0;
        if (!in.Number(&id)) return kTruncated;
        if (id == kEnd) return nullptr;
        Problem problem = nullptr;
        if (id == kSize) {
            for (uint64_t& size : info->pack_sizes)
                if (!in.Number(&size)) return kTruncated;
        } else if (id == kCrc) {
            problem = SkipDigests(in, info->pack_sizes.size());
        } else {
            problem = SkipData(in);
        }
        if (problem) return problem;
    }
}

Problem ParseCoder(SevenZipBytes& in, Coder* coder) {
    uint8_t flags = 0;
    if (!in.Byte(&flags)) return kTruncated;
    // Alternative methods were never written by any archiver.
    if (flags & 0x80) return "7z header uses a coder layout this program cannot read";
    const size_t id_bytes = flags & 0x0F;
    if (id_bytes > kMaxMethodIdBytes || id_bytes > in.left()) return kTruncated;
    for (size_t i = 0; i < id_bytes; i++) coder->method = (coder->method << 8) | in.here()[i];
    if (!in.Skip(id_bytes)) return kTruncated;
    if (flags & 0x10) {
        uint64_t ins = 0, outs = 0;
        if (!in.Number(&ins) || !in.Number(&outs)) return kTruncated;
        if (ins > kMaxCoderStreams || outs > kMaxCoderStreams) return kBadFolder;
        coder->in_streams = static_cast<uint32_t>(ins);
        coder->out_streams = static_cast<uint32_t>(outs);
    }
    if (flags & 0x20) {
        uint64_t size = 0;
        if (!in.Number(&size) || size > in.left()) return kTruncated;
        coder->properties.assign(in.here(), in.here() + size);
        if (!in.Skip(size)) return kTruncated;
    }
    return nullptr;
}

Problem ParseFolder(SevenZipBytes& in, Folder* folder) {
    uint64_t coders = 0;
    if (!in.Count(&coders)) return kBadCount;
    if (coders == 0 || coders > kMaxCoders) return kBadFolder;
    folder->coders.resize(static_cast<size_t>(coders));
    uint32_t ins = 0, outs = 0;
    for (Coder& coder : folder->coders) {
        if (Problem problem = ParseCoder(in, &coder)) return problem;
        ins += coder.in_streams;
        outs += coder.out_streams;
    }
    if (outs == 0 || ins < outs - 1) return kBadFolder;
    folder->bind_pairs.resize(outs - 1);
    for (BindPair& pair : folder->bind_pairs) {
        if (!in.Number(&pair.in_index) || !in.Number(&pair.out_index)) return kTruncated;
        if (pair.in_index >= ins || pair.out_index >= outs) return kBadFolder;
    }
    const uint32_t packed = ins - (outs - 1);
    if (packed <= 1) {
        // The one input no bind pair feeds.
        std::vector<bool> bound(ins, false);
        for (const BindPair& pair : folder->bind_pairs) bound[static_cast<size_t>(pair.in_index)] = true;
        for (uint32_t i = 0; i < ins && folder->packed_streams.empty(); i++)
            if (!bound[i]) folder->packed_streams.push_back(i);
        if (folder->packed_streams.empty()) return kBadFolder;
    } else {
        folder->packed_streams.resize(packed);
        for (uint64_t& index : folder->packed_streams) {
            if (!in.Number(&index)) return kTruncated;
            if (index >= ins) return kBadFolder;
        }
    }
    if (folder->MainOutput() < 0) return kBadFolder;
    return nullptr;
}

Problem ParseUnpackInfo(SevenZipBytes& in, StreamsInfo* info) {
    uint64_t id = 0, count = 0;
    uint8_t external = 0;
    if (!in.Number(&id)) return kTruncated;
    if (id != kFolder) return kUnexpected;
    // A folder takes at least a coder count, flags and one id byte.
    if (!in.Count(&count, 3)) return kBadCount;
    if (!in.Byte(&external)) return kTruncated;
    if (external) return "7z header keeps its folders in a stream this program cannot read";
    info->folders.resize(static_cast<size_t>(count));
    for (Folder& folder : info->folders)
        if (Problem problem = ParseFolder(in, &folder)) return problem;
    if (!in.Number(&id)) return kTruncated;
    if (id != kCodersUnpackSize) return kUnexpected;
    for (Folder& folder : info->folders) {
        folder.unpack_sizes.resize(folder.OutStreams());
        for (uint64_t& size : folder.unpack_sizes)
            if (!in.Number(&size)) return kTruncated;
    }
    for (;;) {
        if (!in.Number(&id)) return kTruncated;
        if (id == kEnd) return nullptr;
        Problem problem = nullptr;
        if (id == kCrc) {
            std::vector<bool> defined;
            std::vector<uint32_t> crcs;
            problem = SkipDigests(in, info->folders.size(), &defined, &crcs);
            for (size_t i = 0; !problem && i < info->folders.size(); i++) {
                info->folders[i].crc_defined = defined[i];
                info->folders[i].crc = crcs[i];
            }
        } else {
            problem = SkipData(in);
        }
        if (problem) return problem;
    }
}

Problem ParseSubStreamsInfo(SevenZipBytes& in, StreamsInfo* info) {
    uint64_t id = 0;
    if (!in.Number(&id)) return kTruncated;
    if (id == kNumUnpackStream) {
        for (Folder& folder : info->folders)
            if (!in.Number(&folder.substreams)) return kTruncated;
        if (!in.Number(&id)) return kTruncated;
    }
    while (id != kSize && id != kCrc && id != kEnd) {
        if (Problem problem = SkipData(in)) return problem;
        if (!in.Number(&id)) return kTruncated;
    }
    // Each substream after a folder's first has its size written out, so
    // their number is bounded by the bytes left.
    uint64_t extra = 0;
    for (const Folder& folder : info->folders) {
        if (folder.substreams > 1) extra += folder.substreams - 1;
        if (extra > in.left()) return kBadCount;
    }
    info->substream_sizes.clear();
    info->substream_sizes.reserve(static_cast<size_t>(extra) + info->folders.size());
    for (const Folder& folder : info->folders) {
        if (folder.substreams == 0) continue;
        if (folder.substreams > 1 && id != kSize) return kUnexpected;
        const uint64_t total = folder.UnpackSize();
        uint64_t sum = 0;
        for (uint64_t j = 1; j < folder.substreams; j++) {
            uint64_t size = 0;
            if (!in.Number(&size)) return kTruncated;
            if (size > total - sum) return kBadSizes;
            sum += size;
            info->substream_sizes.push_back(size);
        }
        info->substream_sizes.push_back(total - sum);
    }
    if (id == kSize && !in.Number(&id)) return kTruncated;
    for (;;) {
        if (id == kEnd) return nullptr;
        Problem problem = nullptr;
        if (id == kCrc) {
            // Digests of the substreams whose folder CRC does not already cover them.
            size_t count = 0;
            for (const Folder& folder : info->folders)
                if (folder.substreams != 1 || !folder.crc_defined) count += static_cast<size_t>(folder.substreams);
            problem = SkipDigests(in, count);
        } else {
            problem = SkipData(in);
        }
        if (problem) return problem;
        if (!in.Number(&id)) return kTruncated;
    }
}

// A time or attribute property: which files have one, an external flag,
// then a value of value_bytes for each file that has one.
template <typename Store>
Problem ParseFileValues(SevenZipBytes& in, std::vector<FileRecord>& files, size_t value_bytes, Store store) {
    std::vector<bool> defined;
    uint8_t external = 0;
    if (!in.Defined(files.size(), &defined)) return kTruncated;
    if (!in.Byte(&external)) return kTruncated;
    // Values kept in another stream are not worth decoding for a listing.
    if (external) return nullptr;
    for (size_t i = 0; i < files.size(); i++) {
        if (!defined[i]) continue;
        uint64_t value = 0;
        if (value_bytes == 8 && !in.U64(&value)) return kTruncated;
        uint32_t value32 = 0;
        if (value_bytes == 4) {
            if (!in.U32(&value32)) return kTruncated;
            value = value32;
        }
        store(files[i], value);
    }
    return nullptr;
}

Problem ParseNames(SevenZipBytes& in, Database* database) {
    uint8_t external = 0;
    if (!in.Byte(&external)) return kTruncated;
    if (external) return "7z header keeps its file names in a stream this program cannot read";
    database->has_names = true;
    for (FileRecord& file : database->files) {
        const uint8_t* start = in.here();
        size_t units = 0;
        for (;;) {
            if (in.left() < 2) return kTruncated;
            const bool end = start[units * 2] == 0 && start[units * 2 + 1] == 0;
            static_cast<void>(in.Skip(2));
            if (end) break;
            units++;
        }
        file.name = start;
        file.name_units = units;
    }
    return nullptr;
}

// Marks the files of the empty streams from a bit per empty stream.
Problem ParseEmptyStreamBits(SevenZipBytes& in, std::vector<FileRecord>& files, size_t empty_streams,
                             bool FileRecord::*flag) {
    std::vector<bool> bits;
    if (!in.Bits(empty_streams, &bits)) return kTruncated;
    size_t next = 0;
    for (FileRecord& file : files) {
        if (file.has_stream) continue;
        if (next >= bits.size()) break;
        file.*flag = bits[next++];
    }
    return nullptr;
}

Problem ParseFileProperty(uint64_t id, SevenZipBytes& in, Database* database, size_t* empty_streams) {
    std::vector<FileRecord>& files = database->files;
    switch (id) {
    case kEmptyStream: {
        std::vector<bool> bits;
        if (!in.Bits(files.size(), &bits)) return kTruncated;
        *empty_streams = 0;
        for (size_t i = 0; i < files.size(); i++) {
            files[i].has_stream = !bits[i];
            *empty_streams += bits[i];
        }
        return nullptr;
    }
    case kEmptyFile:
        return ParseEmptyStreamBits(in, files, *empty_streams, &FileRecord::empty_file);
    case kAnti:
        return ParseEmptyStreamBits(in, files, *empty_streams, &FileRecord::anti);
    case kName:
        return ParseNames(in, database);
    case kMTime:
        return ParseFileValues(in, files, 8, [](FileRecord& file, uint64_t value) {
            file.mtime = value;
            file.has_mtime = true;
        });
    case kWinAttributes:
        return ParseFileValues(in, files, 4, [](FileRecord& file, uint64_t value) {
            file.attributes = static_cast<uint32_t>(value);
            file.has_attributes = true;
        });
    default:
        // Creation and access times, start positions, padding and whatever
        // later archivers add: not shown.
        return nullptr;
    }
}

Problem ParseFilesInfo(SevenZipBytes& in, Database* database) {
    uint64_t count = 0;
    // Every file of a real archive takes at least two bytes of the header:
    // its name's terminator, or for the one nameless file a time or the end
    // markers.
    if (!in.Count(&count, 2)) return kBadCount;
    database->files.resize(static_cast<size_t>(count));
    size_t empty_streams = 0;
    for (;;) {
        uint64_t id = 0, size = 0;
        if (!in.Number(&id)) return kTruncated;
        if (id == kEnd) return nullptr;
        if (!in.Number(&size) || size > in.left()) return kTruncated;
        // Each property is read within its own bytes.
        SevenZipBytes property(in.here(), static_cast<size_t>(size));
        static_cast<void>(in.Skip(size));
        if (Problem problem = ParseFileProperty(id, property, database, &empty_streams)) return problem;
    }
}

}  // namespace

uint32_t Folder::InStreams() const {
    uint32_t total = 0;
    for (const Coder& coder : coders) total += coder.in_streams;
    return total;
}

uint32_t Folder::OutStreams() const {
    uint32_t total = 0;
    for (const Coder& coder : coders) total += coder.out_streams;
    return total;
}

int64_t Folder::MainOutput() const {
    std::vector<bool> bound(OutStreams(), false);
    for (const BindPair& pair : bind_pairs)
        if (pair.out_index < bound.size()) bound[static_cast<size_t>(pair.out_index)] = true;
    for (size_t i = 0; i < bound.size(); i++)
        if (!bound[i]) return static_cast<int64_t>(i);
    return -1;
}

uint64_t Folder::UnpackSize() const {
    const int64_t main = MainOutput();
    return main >= 0 && static_cast<size_t>(main) < unpack_sizes.size() ? unpack_sizes[static_cast<size_t>(main)] : 0;
}

Problem ParseStreamsInfo(SevenZipBytes& in, StreamsInfo* info) {
    bool have_substreams = false;
    for (;;) {
        uint64_t id = 0;
        if (!in.Number(&id)) return kTruncated;
        Problem problem = nullptr;
        if (id == kEnd) break;
        if (id == kPackInfo) {
            problem = ParsePackInfo(in, info);
        } else if (id == kUnpackInfo) {
            problem = ParseUnpackInfo(in, info);
        } else if (id == kSubStreamsInfo) {
            problem = ParseSubStreamsInfo(in, info);
            have_substreams = true;
        } else {
            problem = kUnexpected;
        }
        if (problem) return problem;
    }
    if (!have_substreams) {
        // One file per folder.
        info->substream_sizes.clear();
        for (const Folder& folder : info->folders) info->substream_sizes.push_back(folder.UnpackSize());
    }
    return nullptr;
}

Problem ParseHeader(SevenZipBytes& in, Database* database) {
    uint64_t id = 0;
    if (!in.Number(&id)) return kTruncated;
    if (id == kArchiveProperties) {
        for (;;) {
            uint64_t property = 0;
            if (!in.Number(&property)) return kTruncated;
            if (property == kEnd) break;
            if (Problem problem = SkipData(in)) return problem;
        }
        if (!in.Number(&id)) return kTruncated;
    }
    if (id == kAdditionalStreamsInfo) {
        StreamsInfo additional;
        if (Problem problem = ParseStreamsInfo(in, &additional)) return problem;
        if (!in.Number(&id)) return kTruncated;
    }
    if (id == kMainStreamsInfo) {
        if (Problem problem = ParseStreamsInfo(in, &database->streams)) return problem;
        if (!in.Number(&id)) return kTruncated;
    }
    if (id == kFilesInfo) {
        database->files_problem = ParseFilesInfo(in, database);
        return nullptr;
    }
    return id == kEnd ? nullptr : kUnexpected;
}

}  // namespace sevenz
