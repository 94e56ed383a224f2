// Wildcard matching (lib/wild.h): a pattern and a name, separated by the
// input's first NUL byte, matched as bytes and as UTF-8 decoded wide text.
// Beyond not crashing it checks that the byte and the wide matchers agree on
// ASCII text, that the wide matcher ignores case, that a pattern without
// special characters matches itself, and that a leading "*" never loses a
// match.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <string>

#include "fuzz/check.h"
#include "lib/fsname.h"
#include "lib/wild.h"

namespace {

bool is_ascii(const std::string& text) {
    for (unsigned char c : text)
        if (c >= 0x80) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    size_t zero = input.find('\0');
    std::string pattern = input.substr(0, zero);
    std::string name = zero == std::string::npos ? pattern : input.substr(zero + 1);
    name = name.substr(0, name.find('\0'));

    bool narrow = wild(pattern.c_str(), name.c_str());
    Westring wide_pattern = DecodeFileName(pattern.c_str()), wide_name = DecodeFileName(name.c_str());
    bool wide = wild(wide_pattern.c_str(), wide_name.c_str());
    if (is_ascii(pattern) && is_ascii(name))
        fuzz_check(narrow == wide, "byte and wide matching differ on ASCII");

    Westring upper_name = wide_name;
    upper_name.upcase();
    fuzz_check(wild(wide_pattern.c_str(), upper_name.c_str()) == wide, "wide matching depends on case");

    if (pattern.find_first_of("*?[{") == std::string::npos)
        fuzz_check(wild(pattern.c_str(), pattern.c_str()), "a plain pattern misses itself");
    if (narrow) fuzz_check(wild(("*" + pattern).c_str(), name.c_str()), "leading * loses a match");
    return 0;
}
