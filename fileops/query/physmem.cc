#include "fileops/query/physmem.h"

#include <unistd.h>

namespace {

// Pages (of the sysconf name) times the page size; a failing query or a
// product beyond 64 bits (no machine has that) gives 0.
uint64_t pages_in_bytes(int pages_name) {
    const long pages = sysconf(pages_name);
    const long page_size = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || page_size <= 0) return 0;
    const uint64_t count = static_cast<uint64_t>(pages);
    const uint64_t size = static_cast<uint64_t>(page_size);
    if (count > UINT64_MAX / size) return 0;
    return count * size;
}

}  // namespace

uint64_t QueryTotalPhysicalMem() { return pages_in_bytes(_SC_PHYS_PAGES); }

uint64_t QueryAvailPhysicalMem() { return pages_in_bytes(_SC_AVPHYS_PAGES); }
