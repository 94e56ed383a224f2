// What the readers of DOS-era archives share: header bytes taken through
// the file's cache, and the search for an archive behind the program of a
// self-extracting file ("MZ" in front).
#pragma once

#include <cstddef>
#include <cstdint>

#include "archive/randomfile.h"

// Copies exactly n bytes at pos through the file's cache; false when fewer
// exist. Headers are small and many: this keeps a list of thousands of
// members to a few system calls.
inline bool ReadCached(RandomFile* file, int64_t pos, void* buffer, int n) {
    if (n <= 0) return n == 0;
    int got = n;
    return pos >= 0 && file->GetBlock(pos, buffer, got) == 0 && got == n;
}

// Whether the file starts like a DOS or Windows program.
inline bool StartsWithProgram(RandomFile* file) { return file->GetChar(0) == 'M' && file->GetChar(1) == 'Z'; }

// Looks for signature (length bytes; the byte at index wildcard, when not
// -1, matches anything) among the bytes from `from` up to `limit`
// (exclusive). The offset where the first match starts, or -1. A mismatch
// starts again one byte after the start of the failed match, so that a
// signature that begins inside a partial match ("***ACE**") is found.
inline int64_t ScanForSignature(RandomFile* file, int64_t from, int64_t limit, const uint8_t* signature,
                                size_t length, int wildcard = -1) {
    size_t matched = 0;
    for (int64_t pos = from; pos < limit; pos++) {
        const int c = file->GetChar(pos);
        if (c < 0) return -1;
        if (static_cast<int>(matched) == wildcard || c == signature[matched]) {
            if (++matched == length) return pos + 1 - static_cast<int64_t>(length);
        } else if (matched > 0) {
            pos -= static_cast<int64_t>(matched);  // the loop moves on to the next start
            matched = 0;
        }
    }
    return -1;
}
