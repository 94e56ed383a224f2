// RAR 2.x-4.x file headers with the Unicode flag hold a name field of two
// parts: the name as bytes, a zero byte, and the same name compressed as
// 16-bit characters that mostly refer back to the byte name. A field
// without the zero byte is plain UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>

#include "lib/westring.h"

// The characters of a RAR Unicode name field of length bytes. Decoding never
// reads past the field: an opcode whose bytes are missing ends the name.
// When the compressed part yields nothing, the byte name is taken in the
// file-name code page.
Westring DecodeRarUnicode(const uint8_t* field, size_t length);
