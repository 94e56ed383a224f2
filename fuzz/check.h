// The properties the fuzz targets check beyond not crashing: a broken one
// stops the run as a crash does, and libFuzzer keeps the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include <sanitizer/common_interface_defs.h>

inline void fuzz_check(bool property, const char* what) {
    if (property) return;
    // Through the sanitizers' report stream, which stays open when fuzz/run
    // discards the program's standard error.
    __sanitizer_report_error_summary(what);
    std::abort();
}

// For targets that check that input fed in pieces acts as the whole: the
// first two bytes of data say where to cut the rest into three chunks. They
// are taken off data and size; the two cut points come back in order (none
// for empty input). False when there are not even the two bytes.
inline bool fuzz_take_cuts(const uint8_t*& data, size_t& size, std::vector<size_t>& cuts) {
    if (size < 2) return false;
    const uint8_t a = data[0], b = data[1];
    data += 2;
    size -= 2;
    cuts.clear();
    if (size > 0) {
        size_t first = a % (size + 1), second = b % (size + 1);
        if (first > second) std::swap(first, second);
        cuts = {first, second};
    }
    return true;
}
