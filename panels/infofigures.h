// The figures of the information panel that take arithmetic: the space a
// listing's files take on their file system, and an archive's saving.
#pragma once

#include <cstdint>

#include "lib/westring.h"

struct entry;

// Bytes that the entries which are not directories take on a file system
// that allocates whole units of unit bytes: each size rounded up to a
// multiple of the unit, an empty file one unit. A unit of 0 (some file
// systems report none) counts as 1. A total beyond INT64_MAX stays there.
int64_t AllocatedBytes(const entry* const* entries, int count, uint64_t unit);

// What packing saved, in tenths of a percent of the unpacked size:
// (unpacked - packed) * 1000 / unpacked, rounded toward zero, negative when
// the packed size is the larger one, 0 when unpacked is 0 or less. Exact
// for any 64-bit sizes; a saving beyond the 64-bit range stays at its edge.
int64_t SavingPerMille(int64_t unpacked, int64_t packed);

// The saving as the panel writes it: "0%" for nothing unpacked, else tenths
// of a percent with one decimal ("87.5%", "-12.0%").
Westring SavingText(int64_t unpacked, int64_t packed);
