// Characters to bytes and back for each text format: strict UTF-8, the
// code-page table that gives every byte its own character, and the encoder
// that writes one character in a format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "editor/textformat.h"

// The UTF-8 sequence at p (avail bytes there): its length with *value set,
// 0 when the bytes are not a valid sequence (a stray continuation byte, an
// over-long form, a surrogate, beyond U+10FFFF, a missing continuation), or
// -1 when the bytes run out while still a valid beginning.
int DecodeUTF8(const uint8_t* p, size_t avail, wchar_t* value);
// Appends the UTF-8 form of c (at most U+10FFFF).
void AppendUTF8(std::string& out, wchar_t c);

// The characters of an 8-bit code page, one for each byte and each one
// different, so that reading and writing are exact inverses: byte 0 is
// NUL, and a byte the converter does not know, or whose character an
// earlier byte already has, gets a stand-in.
class CCodePageTable {
public:
    // Builds the table for code_page unless it already holds it.
    void Build(int code_page);
    int code_page() const { return code_page_; }
    wchar_t ToChar(uint8_t byte) const { return chars_[byte]; }
    // The byte of c, or -1 when the code page has no such character.
    int ToByte(wchar_t c) const;

private:
    int code_page_ = -1;
    wchar_t chars_[256] = {};
    std::unordered_map<wchar_t, uint8_t> bytes_;
};

// Appends c in format (the code page through table): false when the format
// cannot hold it, and a "?" is written instead. A stand-in always writes
// its byte.
bool EncodeChar(EFileFormat format, const CCodePageTable& table, wchar_t c, std::string& out);
// Whether EncodeChar would write c exactly.
bool CanEncode(EFileFormat format, const CCodePageTable& table, wchar_t c);

// The numbers of a list such as the TranslateCP setting ("866,1251"), in
// order; anything between them is a separator.
std::vector<int> ParseCodePageList(const char* list);
