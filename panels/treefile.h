// The bytes of the tree data file: the 32-bit identity of the file system
// (little-endian), then one line per directory in pre-order, each a depth
// character ('0' + depth) and the name in UTF-8. Reading checks everything a
// damaged or foreign file could hold before any node is built from it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "lib/westring.h"

// The deepest level the file holds: the depth character stays within '0'..'o'.
constexpr int kMaxTreeFileDepth = 63;
// The longest line (depth character, name and line feed) a reader accepts.
constexpr size_t kMaxTreeLineBytes = 300;

struct TreeFileRecord {
    int depth = 0;
    Westring name;
};

enum class TreeFileStatus {
    kOk,
    kOtherFileSystem,  // a well-formed start, but another file system's identity
    kDamaged,          // the reason is in the error text
};

// Splits bytes into records. kOk only when the whole file is sound: the
// identity matches, the first record is the one root (depth 0) and no other
// record is at depth 0, every record is at most one level deeper than the
// one before, every line ends with a line feed within kMaxTreeLineBytes,
// every name is valid UTF-8 and a directory name ("/" only for the root;
// no "." or "..", no '/' or zero character elsewhere).
[[nodiscard]] TreeFileStatus ParseTreeFile(std::string_view bytes, uint32_t identity,
                                           std::vector<TreeFileRecord>& records, std::string& error);

// The file's opening identity bytes.
std::string TreeFileHeader(uint32_t identity);
// The line of one record, line feed included; empty when the record cannot be
// stored so that it reads back the same (too deep, a name the reader refuses).
std::string TreeFileLine(int depth, const Westring& name);
