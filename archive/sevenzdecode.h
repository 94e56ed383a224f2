// Unpacks one folder of a 7z archive held in memory: the compressed
// database of an archive whose header is packed. Only the simple chains
// 7z archivers write for headers are read: LZMA or LZMA2, optionally
// behind the x86 branch converter, through liblzma.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/sevenzheader.h"

namespace sevenz {

// The largest unpacked header we allocate for.
constexpr uint64_t kMaxHeaderSize = uint64_t(1) << 30;

// "Encrypted 7z archive..." for an AES coder, "...cannot read (NAME)" for
// a method we lack, null when the folder's chain can be unpacked.
[[nodiscard]] Problem CheckFolderMethods(const Folder& folder);

// Unpacks the folder's single packed stream (packed, packed_size) into
// out, which gets the folder's unpack size (the caller has checked it is
// sensible), and checks the folder's CRC when it has one.
[[nodiscard]] Problem DecodeFolder(const Folder& folder, const uint8_t* packed, size_t packed_size,
                                   std::vector<uint8_t>* out);

}  // namespace sevenz
