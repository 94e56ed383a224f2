#include "panels/infofigures.h"

#include <limits>

#include "lib/estring.h"
#include "panels/entry.h"

namespace {

using Wide = __int128;

constexpr int64_t kMost = std::numeric_limits<int64_t>::max();
constexpr int64_t kLeast = std::numeric_limits<int64_t>::min();

int64_t clamp_to_int64(Wide value) {
    if (value > kMost) return kMost;
    if (value < kLeast) return kLeast;
    return static_cast<int64_t>(value);
}

}  // namespace

int64_t AllocatedBytes(const entry* const* entries, int count, uint64_t unit) {
    if (unit == 0) unit = 1;
    // Each rounded size is below 2^65 and there are fewer than 2^31
    // entries: the sum cannot leave 128 bits.
    Wide total = 0;
    for (int i = 0; i < count; i++) {
        const entry* e = entries[i];
        if (e->is_dir()) continue;
        const uint64_t units = e->size / unit + (e->size % unit != 0 ? 1 : 0);
        total += static_cast<Wide>(units == 0 ? 1 : units) * unit;
    }
    return clamp_to_int64(total);
}

int64_t SavingPerMille(int64_t unpacked, int64_t packed) {
    if (unpacked <= 0) return 0;
    // 1000 times a 65-bit difference fits in 128 bits; C++ division
    // truncates toward zero.
    const Wide saved = static_cast<Wide>(unpacked) - static_cast<Wide>(packed);
    return clamp_to_int64(saved * 1000 / unpacked);
}

Westring SavingText(int64_t unpacked, int64_t packed) {
    if (unpacked <= 0) return Westring(L"0%");
    const int64_t per_mille = SavingPerMille(unpacked, packed);
    // Written from the integer: a double would lose the last digits of
    // savings past 2^53.
    const bool negative = per_mille < 0;
    const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(per_mille) : static_cast<uint64_t>(per_mille);
    Estring text = esprintf("%s%llu.%llu%%", negative ? "-" : "", static_cast<unsigned long long>(magnitude / 10),
                            static_cast<unsigned long long>(magnitude % 10));
    return Westring(text.c_str());
}
