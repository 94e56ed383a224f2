// File-name decoding and the text conversions (lib/fsname.h, the UTF-8 and
// code-page conversions of lib/westring.h and lib/codepage.h): the input's
// first byte picks a code page, the rest is a name as the system hands it
// over. Beyond not crashing it checks that every name encodes back to its
// own bytes, that UTF-8 decoding agrees with name decoding on valid UTF-8
// and is stable through a second round, and that text a single-byte code
// page decodes without error converts back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <string>

#include "fuzz/check.h"
#include "lib/codepage.h"
#include "lib/fsname.h"

namespace {

const int kCodePages[] = {819, 850, 437, 866, 878, 1251, 1252};

bool has_raw_bytes(const Westring& name) {
    for (const wchar_t* p = name.c_str(); *p; p++)
        if (IsRawByteChar(*p)) return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    size_t n = size - 1;
    std::string text(bytes, n);
    text = text.substr(0, text.find('\0'));  // what a C string holds

    Westring name = DecodeFileName(bytes, n);
    fuzz_check(name.strlen() <= static_cast<int>(text.size()), "more characters than bytes");
    fuzz_check(text == EncodeFileName(name).c_str(), "a name does not encode back to its bytes");

    Westring utf8;
    bool valid = utf8.FromUTF8(bytes, n);
    Westring again;
    again.FromUTF8(utf8.ToUTF8().c_str());
    fuzz_check(std::wcscmp(again.c_str(), utf8.c_str()) == 0, "UTF-8 decoding is not stable");
    if (!has_raw_bytes(name)) {
        fuzz_check(valid && std::wcscmp(utf8.c_str(), name.c_str()) == 0, "UTF-8 and name decoding differ");
        fuzz_check(text == utf8.ToUTF8().c_str(), "valid UTF-8 does not encode back to its bytes");
    }

    codepage = kCodePages[data[0] % (sizeof kCodePages / sizeof kCodePages[0])];
    Westring decoded;
    if (decoded.FromCodePage(bytes, n, codepage)) {
        fuzz_check(text == MkEstring(decoded).c_str(), "code-page text does not convert back");
        fuzz_check(std::wcscmp(MkWestring(Estring(text.c_str())).c_str(), decoded.c_str()) == 0,
                   "code-page decodings differ");
    }
    return 0;
}
