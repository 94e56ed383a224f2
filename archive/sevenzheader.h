// The database at the end of a 7z archive, read from a byte buffer: the
// packed streams, the folders of coders that unpack them, the sizes of the
// files inside each folder, and the file records (names, times,
// attributes). Only what a listing needs is kept; checksums and other
// properties are walked over. Every number and property size is checked
// against the bytes there are, and every count before it is allocated for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/sevenzbytes.h"

namespace sevenz {

// The property ids that mark the parts of the database.
enum PropertyId : uint64_t {
    kEnd = 0x00,
    kHeader = 0x01,
    kArchiveProperties = 0x02,
    kAdditionalStreamsInfo = 0x03,
    kMainStreamsInfo = 0x04,
    kFilesInfo = 0x05,
    kPackInfo = 0x06,
    kUnpackInfo = 0x07,
    kSubStreamsInfo = 0x08,
    kSize = 0x09,
    kCrc = 0x0A,
    kFolder = 0x0B,
    kCodersUnpackSize = 0x0C,
    kNumUnpackStream = 0x0D,
    kEmptyStream = 0x0E,
    kEmptyFile = 0x0F,
    kAnti = 0x10,
    kName = 0x11,
    kCTime = 0x12,
    kATime = 0x13,
    kMTime = 0x14,
    kWinAttributes = 0x15,
    kComment = 0x16,
    kEncodedHeader = 0x17,
    kStartPos = 0x18,
    kDummy = 0x19,
};

// What went wrong, for the user; null when nothing did.
using Problem = const char*;

// One step of a folder's unpacking: a method with its properties.
struct Coder {
    uint64_t method = 0;  // the id bytes, first byte highest
    std::vector<uint8_t> properties;
    uint32_t in_streams = 1;
    uint32_t out_streams = 1;
};

// Which coder output feeds which coder input, by stream numbers counted
// over all coders of the folder.
struct BindPair {
    uint64_t in_index = 0;
    uint64_t out_index = 0;
};

// A unit of compression: coders chained by bind pairs, reading packed
// streams and giving one output that holds one or more files.
struct Folder {
    std::vector<Coder> coders;
    std::vector<BindPair> bind_pairs;
    std::vector<uint64_t> packed_streams;  // coder input numbers read from packed streams
    std::vector<uint64_t> unpack_sizes;    // one per coder output
    uint64_t substreams = 1;               // files whose data lie in this folder
    bool crc_defined = false;
    uint32_t crc = 0;

    uint32_t InStreams() const;
    uint32_t OutStreams() const;
    // The coder output no bind pair consumes: the folder's own output.
    // -1 when the folder has none.
    int64_t MainOutput() const;
    uint64_t UnpackSize() const;
};

struct StreamsInfo {
    uint64_t pack_pos = 0;  // where the packed streams start, after the 32-byte start header
    std::vector<uint64_t> pack_sizes;
    std::vector<Folder> folders;
    // The sizes of the files with data, in order over the folders.
    std::vector<uint64_t> substream_sizes;
};

// One file record as the database describes it.
struct FileRecord {
    const uint8_t* name = nullptr;  // UTF-16LE characters in the header buffer; null when none was read
    size_t name_units = 0;          // 16-bit units before the terminating zero
    uint64_t mtime = 0;             // FILETIME: 100 ns units since 1601
    uint32_t attributes = 0;
    bool has_stream = true;  // false: an empty file or a directory
    bool empty_file = false; // an empty stream that is a file, not a directory
    bool anti = false;       // marks a deletion in an update archive, not a member
    bool has_mtime = false;
    bool has_attributes = false;
};

struct Database {
    StreamsInfo streams;
    std::vector<FileRecord> files;
    bool has_names = false;
    // Set when the file records were damaged part way: the records keep
    // what was read before the damage.
    Problem files_problem = nullptr;
};

// Reads streams information (pack info, unpack info, substreams) up to its
// end marker; in stands after the kMainStreamsInfo or kEncodedHeader id.
[[nodiscard]] Problem ParseStreamsInfo(SevenZipBytes& in, StreamsInfo* info);

// Reads a plain header; in stands after its kHeader id. A problem in the
// file records leaves the records read so far and is kept in
// files_problem; other problems are returned.
[[nodiscard]] Problem ParseHeader(SevenZipBytes& in, Database* database);

}  // namespace sevenz
