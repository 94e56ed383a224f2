// The encodings a text file can be in, how one is recognised from the first
// bytes of the file, and the stand-in characters that carry bytes no
// character of the encoding can represent, so that any file reads and
// writes back byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>

#include "lib/estring.h"

enum EFileFormat {
    FF_UTF32LE = 0,
    FF_UTF32BE = 1,
    FF_UTF16LE = 2,
    FF_UTF16BE = 3,
    FF_UTF8 = 4,
    FF_CODEPAGE = 5,  // an 8-bit code page
    FF_UNKNOWN = 6,   // not yet determined
};

// How many bytes the format looks at to recognise a file.
constexpr int kFormatProbeBytes = 32768;

// A byte that cannot be read as a character becomes the code point
// kRawByteBase + byte. They lie above the last Unicode code point, so no
// decoded character can ever be mistaken for one, in any encoding.
constexpr wchar_t kRawByteBase = 0x110000;
inline bool IsTextRawByte(wchar_t c) { return c >= kRawByteBase && c <= kRawByteBase + 0xFF; }
inline wchar_t TextRawByte(int byte) { return static_cast<wchar_t>(kRawByteBase + (byte & 0xFF)); }
inline int RawByteValue(wchar_t c) { return static_cast<int>(c - kRawByteBase); }

// Bytes per character unit of the format: 4, 2 or 1.
int FormatUnitSize(EFileFormat format);
// True for the formats stored most significant byte first.
inline bool IsBigEndian(EFileFormat format) { return format == FF_UTF32BE || format == FF_UTF16BE; }

// The byte-order mark of a format (nullptr for the code page and unknown).
const uint8_t* FormatBOM(EFileFormat format, int* length);

// "UTF-32", "UTF-16", "UTF-8", "CP<code_page>", or empty when not yet known.
Estring GetFormatDesc(EFileFormat format, int code_page);

// The unit values that plain text in UTF-16 is not expected to hold (0,
// unassigned and private-use stretches); recognition takes one as evidence
// against that byte order.
bool IsValidUTF16(unsigned short c);

struct FormatGuess {
    EFileFormat format = FF_UNKNOWN;
    int bom_length = 0;  // bytes of a byte-order mark found, 0 for none
};

// Recognises the encoding of a file from its first bytes (up to
// kFormatProbeBytes of them). whole_file says these are all the bytes there
// are, so that a character cut at the end of the probe is not held against
// UTF-8. A byte-order mark wins; otherwise a preset format (not FF_UNKNOWN)
// stays; otherwise the bytes decide, and text that is none of the others is
// UTF-8.
FormatGuess DetectFileFormat(const uint8_t* bytes, size_t n, bool whole_file, EFileFormat preset);
