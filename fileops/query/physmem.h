// The machine's physical memory, as the system counts it in pages.
#pragma once

#include <cstdint>

// Bytes of physical memory: all of it, and the part no one uses at the
// moment (memory the system holds as cache is not counted as free). 0 when
// the system does not tell.
uint64_t QueryTotalPhysicalMem();
uint64_t QueryAvailPhysicalMem();
