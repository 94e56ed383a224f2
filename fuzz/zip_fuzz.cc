// The zip reader on arbitrary bytes, as a damaged or hostile archive gives them.
#include "fuzz/archive_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return archive_fuzz::Run(data, size, &Archive::ReadZip);
}
