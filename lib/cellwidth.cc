#include "lib/cellwidth.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace {

struct CellRange {
    uint32_t first;
    uint32_t last;
    int cells;
};

const CellRange kCellRanges[] = {
#include "lib/cellwidth_table.inc"
};

}  // namespace

int CellWidth(wchar_t c) {
    // Below the first combining mark everything is one cell: the common case
    // of Latin text never searches the table.
    if (c < 0x300) return 1;
    const uint32_t code = static_cast<uint32_t>(c);
    const CellRange* end = std::end(kCellRanges);
    const CellRange* range = std::lower_bound(std::begin(kCellRanges), end, code,
                                              [](const CellRange& r, uint32_t v) { return r.last < v; });
    return (range != end && range->first <= code) ? range->cells : 1;
}

int TextCells(const wchar_t* text, int length) {
    if (!text) return 0;
    int cells = 0;
    for (int i = 0; length < 0 ? text[i] != 0 : i < length; i++) cells += CellWidth(text[i]);
    return cells;
}

int CharsThatFit(const wchar_t* text, int cells, int* used) {
    int count = 0, taken = 0;
    if (text) {
        // A mark takes no cell, so the marks after a fitting character always
        // fit too; the loop stops at the first character that does not.
        for (; text[count] != 0; count++) {
            int width = CellWidth(text[count]);
            if (taken + width > cells) break;
            taken += width;
        }
    }
    if (used) *used = taken;
    return count;
}
