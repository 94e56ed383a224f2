// Filter expressions (panels/mask.h): the input's first 28 bytes fill an
// entry's size, attributes, mode, owner, group and time; the rest is an
// expression and a file name (UTF-8, separated by a NUL byte). Beyond not
// crashing it checks that whether an expression is well formed never
// depends on the entry (files are checked against "test" alone), and that
// "!(E)" gives the opposite answer to E.
#include <cstddef>
#include <cstdint>
#include <cstring>
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

int count_of(const std::string& text, char c) {
    int n = 0;
    for (char t : text) n += t == c;
    return n;
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
    fuzz_check((result < 0) == (mask_eval(wide_expression, Westring(L"test")) < 0),
               "well-formedness depends on the entry");

    // An open quote would take the closing parenthesis into its mask, deep
    // nesting would pass the limit, and an age test may straddle a second.
    if (result >= 0 && count_of(expression, '"') % 2 == 0 && expression.size() < 190 &&
        wide_expression.instri(Westring(L"%age")) < 0) {
        Westring negated = Westring(L"!(") + wide_expression + L")";
        fuzz_check(mask_eval(negated, *e) == 1 - result, "!(E) does not negate E");
    }
    entry::Destroy(e);
    return 0;
}
