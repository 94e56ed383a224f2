// CRC-32 as ZIP archives store it (the reflected 0xEDB88320 polynomial),
// used to tell whether a Unicode name another program added beside a
// member's stored name still belongs to that name.
#pragma once

#include <cstddef>
#include <cstdint>

uint32_t ZipCrc32(const uint8_t* data, size_t length);
