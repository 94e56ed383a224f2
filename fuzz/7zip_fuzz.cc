// The 7zip reader on arbitrary bytes, as a damaged or hostile archive gives them.
#include "fuzz/archive_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A packed header unpacks to at most about a thousand times its size.
    return archive_fuzz::Run(data, size, &Archive::Read7zip, 1100);
}
