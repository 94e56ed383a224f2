// File names are bytes on Unix. Inside the program they are wide text; these
// two conversions make the round trip exact for every name the system can
// hold, including names that are not valid UTF-8: each byte of an invalid
// sequence becomes one of the code points U+DC80..U+DCFF and goes back to the
// system as the same byte. Valid UTF-8 names convert exactly as UTF-8.
// Every name handed to the system must go through EncodeFileName.
#pragma once

#include <cstddef>

#include "lib/estring.h"
#include "lib/westring.h"

Westring DecodeFileName(const char* bytes);
Westring DecodeFileName(const char* bytes, size_t n);
Estring EncodeFileName(const wchar_t* name);
inline Estring EncodeFileName(const Westring& name) { return EncodeFileName(name.c_str()); }

// True for the code points that stand for a raw byte of an undecodable name.
inline bool IsRawByteChar(wchar_t c) { return c >= 0xDC80 && c <= 0xDCFF; }
