// Filter expressions (panels/mask.h): the input's first 28 bytes fill an
// entry's size, attributes, mode, owner, group and time; the rest is an
// expression and a file name (UTF-8, separated by a NUL byte). Beyond not
// crashing it checks that whether an expression is well formed does not
// depend on the entry (files are checked against "test" alone), and that
// "!(E)" gives the opposite answer to E where both are read whole.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <string>

#include "fuzz/check.h"
#include "lib/fsname.h"
#include "panels/mask.h"

namespace {

constexpr size_t kEntryBytes = 28;

template <class T>
T take(const uint8_t*& p) {
    T value;
    std::memcpy(&value, p, sizeof value);
    p += sizeof value;
    return value;
}

// Whether text may hold a test with some other character before "=" as its
// operator: such a test gives 1 when the values are equal and is an error
// otherwise, so there the entry does decide whether it is well formed.
bool has_odd_operator(const wchar_t* p) {
    for (; *p; p++) {
        if (*p != L'%') continue;
        const wchar_t* op = p + 1;
        while (std::iswalpha(static_cast<wint_t>(*op))) op++;
        while (*op == L' ' || *op == L'\t') op++;
        if (*op && op[1] == L'=' && !std::wcschr(L"<>=!", *op)) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kEntryBytes) return 0;
    std::string rest(reinterpret_cast<const char*>(data + kEntryBytes), size - kEntryBytes);
    size_t zero = rest.find('\0');
    std::string expression = rest.substr(0, zero);
    std::string name = zero == std::string::npos ? "" : rest.substr(zero + 1);
    Westring wide_expression = DecodeFileName(expression.c_str());

    entry* e = entry::Create(DecodeFileName(name.c_str()).c_str());
    const uint8_t* p = data;
    e->size = take<uint64_t>(p);
    e->attr = take<uint16_t>(p);
    e->mode = take<uint16_t>(p);
    e->uid = take<uint32_t>(p);
    e->gid = take<uint32_t>(p);
    e->time.seconds = take<int64_t>(p);

    int result = mask_eval(wide_expression, *e);
    fuzz_check(result >= -1 && result <= 1, "a result out of range");
    if (!has_odd_operator(wide_expression.c_str()))
        fuzz_check((result < 0) == (mask_eval(wide_expression, Westring(L"test")) < 0),
                   "well-formedness depends on the entry");

    // Text after a complete expression is ignored, so E must hold no ")"
    // that could end it early, and "!(E)" must be well formed (text after a
    // test inside parentheses is an error, as is nesting past the limit).
    // An age test may straddle a second.
    Westring negated = Westring(L"!(") + wide_expression + L")";
    int negated_result = mask_eval(negated, *e);
    if (result >= 0 && negated_result >= 0 && expression.find(')') == std::string::npos &&
        wide_expression.instri(Westring(L"%age")) < 0)
        fuzz_check(negated_result == 1 - result, "!(E) does not negate E");
    entry::Destroy(e);
    return 0;
}
