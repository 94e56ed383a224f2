// The properties the fuzz targets check beyond not crashing: a broken one
// stops the run as a crash does, and libFuzzer keeps the input.
#pragma once

#include <cstdlib>
#include <sanitizer/common_interface_defs.h>

inline void fuzz_check(bool property, const char* what) {
    if (property) return;
    // Through the sanitizers' report stream, which stays open when fuzz/run
    // discards the program's standard error.
    __sanitizer_report_error_summary(what);
    std::abort();
}
