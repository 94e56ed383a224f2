#include "viewer/viewlines.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

namespace {

constexpr uint8_t kLF = 0x0A;
constexpr uint8_t kCR = 0x0D;
// Before any line end: far enough below 0 that "B - kPiece" never reaches it.
constexpr int64_t kNoLineEnd = std::numeric_limits<int64_t>::min() / 2;
// A stretch without line ends this long is worth remembering on its own.
constexpr int64_t kRememberedClear = 64 * 1024;

int UnitWidth(EFileFormat format) {
    switch (format) {
    case FF_UTF16LE:
    case FF_UTF16BE:
        return 2;
    case FF_UTF32LE:
    case FF_UTF32BE:
        return 4;
    default:
        return 1;
    }
}

// Whether the character of width bytes at unit has value in its low byte
// and nothing in the others.
template <int kWidth>
bool UnitIs(const uint8_t* unit, uint8_t value, int low) {
    for (int i = 0; i < kWidth; i++) {
        if (unit[i] != (i == low ? value : 0)) return false;
    }
    return true;
}

bool UnitIs(const uint8_t* unit, uint8_t value, int width, int low) {
    switch (width) {
    case 1:
        return unit[0] == value;
    case 2:
        return UnitIs<2>(unit, value, low);
    default:
        return UnitIs<4>(unit, value, low);
    }
}

// The first character equal to value in [from, end), whose length is a
// multiple of width; null when there is none. memchr finds the candidates.
const uint8_t* FindUnit(const uint8_t* from, const uint8_t* end, uint8_t value, int width, int low) {
    if (end <= from) return nullptr;
    if (width == 1) return static_cast<const uint8_t*>(std::memchr(from, value, static_cast<size_t>(end - from)));
    const uint8_t* scan = from + low;
    while (scan < end) {
        const auto* hit = static_cast<const uint8_t*>(std::memchr(scan, value, static_cast<size_t>(end - scan)));
        if (!hit) return nullptr;
        const int64_t offset = hit - (from + low);
        if (offset % width == 0 && UnitIs(hit - low, value, width, low)) return hit - low;
        scan = from + low + (offset / width + 1) * width;
    }
    return nullptr;
}

// The last character equal to value in [from, end), as FindUnit.
const uint8_t* FindUnitBackward(const uint8_t* from, const uint8_t* end, uint8_t value, int width, int low) {
    if (end <= from) return nullptr;
    if (width == 1) return static_cast<const uint8_t*>(memrchr(from, value, static_cast<size_t>(end - from)));
    const uint8_t* first = from + low;
    const uint8_t* limit = end;
    while (limit > first) {
        const auto* hit = static_cast<const uint8_t*>(memrchr(first, value, static_cast<size_t>(limit - first)));
        if (!hit) return nullptr;
        const int64_t offset = hit - first;
        if (offset % width == 0) {
            if (UnitIs(hit - low, value, width, low)) return hit - low;
            limit = hit;
        } else {
            limit = first + (offset / width) * width + 1;
        }
    }
    return nullptr;
}

// The later of two finds, either of which may be null.
const uint8_t* Later(const uint8_t* a, const uint8_t* b) {
    if (!a) return b;
    if (!b) return a;
    return std::max(a, b);
}

}  // namespace

ViewLines::ViewLines(CTextFile& file) : file_(file) {}

ViewLines::UnitLayout ViewLines::Layout() const {
    UnitLayout layout;
    layout.width = UnitWidth(file_.format);
    layout.low = IsBigEndian(file_.format) ? layout.width - 1 : 0;
    return layout;
}

int64_t ViewLines::DataStart() const {
    return std::clamp<int64_t>(file_.data_start, 0, std::max<int64_t>(file_.size(), 0));
}

// Where the last whole character ends: a torn one at the end holds no line end.
int64_t ViewLines::UnitsEnd() const {
    const int64_t start = DataStart();
    return start + (file_.size() - start) / Layout().width * Layout().width;
}

int64_t ViewLines::AlignDown(int64_t offset) const {
    const int64_t start = DataStart();
    if (offset <= start) return start;
    return start + (offset - start) / Layout().width * Layout().width;
}

int64_t ViewLines::AlignUp(int64_t offset) const {
    const int64_t start = DataStart();
    const int width = Layout().width;
    if (offset <= start) return start;
    return start + (offset - start + width - 1) / width * width;
}

// The caches describe one file in one format; a change in either (the
// caller may switch the encoding or the file may grow) drops them.
void ViewLines::ForgetIfFileChanged() {
    if (file_.size() == seen_size_ && file_.format == seen_format_ && file_.data_start == seen_data_start_) return;
    Reset();
    seen_size_ = file_.size();
    seen_format_ = file_.format;
    seen_data_start_ = file_.data_start;
}

void ViewLines::Reset() {
    clear_from_ = clear_to_ = 0;
    run_from_ = run_to_ = 0;
    mark_ = LineMark();
    line_count_ = -1;
    seen_size_ = -1;
}

uint8_t ViewLines::LineEndAt(int64_t at) {
    const UnitLayout layout = Layout();
    if (at < DataStart() || at + layout.width > file_.size()) return 0;
    uint8_t bytes[4];
    for (int i = 0; i < layout.width; i++) {
        const int c = file_.GetChar(at + i);
        if (c < 0) return 0;
        bytes[i] = static_cast<uint8_t>(c);
    }
    examined_ += layout.width;
    if (UnitIs(bytes, kLF, layout.width, layout.low)) return kLF;
    if (UnitIs(bytes, kCR, layout.width, layout.low)) return kCR;
    return 0;
}

// Remembers that [from, to) holds no line end, joined to what is known
// when the two meet, so that going back through a long line reads each
// byte once.
void ViewLines::NoteClear(int64_t from, int64_t to) {
    if (to <= from) return;
    if (from <= clear_to_ && to >= clear_from_ && clear_to_ > clear_from_) {
        clear_from_ = std::min(clear_from_, from);
        clear_to_ = std::max(clear_to_, to);
    } else if (to - from >= kRememberedClear || clear_to_ <= clear_from_) {
        clear_from_ = from;
        clear_to_ = to;
    }
}

// The first line-end character in [from, limit), or -1. Reads through the
// file's cache a block at a time.
int64_t ViewLines::FindEndForward(int64_t from, int64_t limit) {
    const UnitLayout layout = Layout();
    limit = std::min(limit, UnitsEnd());
    const int64_t origin = from;
    int64_t at = from;
    while (at < limit) {
        if (at >= clear_from_ && at < clear_to_) {
            at = clear_to_;
            continue;
        }
        int available = 0;
        const uint8_t* data = file_.Peek(at, available);
        if (!data || available <= 0) break;
        int64_t span = std::min<int64_t>(available, limit - at);
        if (clear_from_ > at && clear_from_ < clear_to_) span = std::min(span, clear_from_ - at);
        span -= span % layout.width;
        if (span == 0) {  // a character split between two cached blocks
            if (LineEndAt(at)) {
                NoteClear(origin, at);
                return at;
            }
            at += layout.width;
            continue;
        }
        const uint8_t* lf = FindUnit(data, data + span, kLF, layout.width, layout.low);
        const uint8_t* cr = FindUnit(data, lf ? lf : data + span, kCR, layout.width, layout.low);
        const uint8_t* hit = cr ? cr : lf;
        examined_ += hit ? hit - data + layout.width : span;
        if (hit) {
            const int64_t found = at + (hit - data);
            NoteClear(origin, found);
            return found;
        }
        at += span;
    }
    NoteClear(origin, std::min(at, limit));
    return -1;
}

// The last line-end character in [floor, before), or -1.
int64_t ViewLines::FindEndBackward(int64_t before, int64_t floor) {
    const UnitLayout layout = Layout();
    const int64_t origin = before;
    int64_t at = before;
    while (at > floor) {
        if (at > clear_from_ && at <= clear_to_) {
            at = std::max(clear_from_, floor);
            continue;
        }
        const int64_t block = (at - 1) - (at - 1) % RandomFile::kBlockSize;
        const int64_t from = std::max(AlignUp(std::max(block, floor)), clear_to_ < at ? clear_to_ : 0);
        if (from >= at) {  // a character split between two cached blocks
            at -= layout.width;
            if (LineEndAt(at)) {
                NoteClear(at + layout.width, origin);
                return at;
            }
            continue;
        }
        int available = 0;
        const uint8_t* data = file_.Peek(from, available);
        if (!data || available < at - from) break;
        const int64_t span = at - from;
        const uint8_t* lf = FindUnitBackward(data, data + span, kLF, layout.width, layout.low);
        const uint8_t* cr = FindUnitBackward(lf ? lf + layout.width : data, data + span, kCR, layout.width, layout.low);
        const uint8_t* hit = Later(lf, cr);
        examined_ += hit ? data + span - hit : span;
        if (hit) {
            const int64_t found = from + (hit - data);
            NoteClear(found + layout.width, origin);
            return found;
        }
        at = from;
    }
    NoteClear(std::max(at, floor), origin);
    return -1;
}

// Where the line end that begins with the character at at ends: a CR LF or
// LF CR pair is one line end, two equal characters are two.
int64_t ViewLines::LineEndAfter(int64_t at) {
    const int width = Layout().width;
    const uint8_t first = LineEndAt(at);
    const uint8_t second = LineEndAt(at + width);
    return second && second != first ? at + 2 * width : at + width;
}

// The first character of the line end that holds the line-end character at
// at. Pairs are taken from the front of a run of line ends, so the run's
// start decides; two equal characters in a row always part two line ends,
// so only alternating runs are walked, and only up to kPiece bytes back.
int64_t ViewLines::LineEndStartOf(int64_t at) {
    const int width = Layout().width;
    if (at >= run_from_ && at < run_to_) return at - (at - run_from_) / width % 2 * width;
    const int64_t floor = std::max(DataStart(), at - kPiece);
    int64_t first = at;
    uint8_t here = LineEndAt(at);
    while (first - width >= floor) {
        const uint8_t before = LineEndAt(first - width);
        if (!before || before == here) break;
        here = before;
        first -= width;
    }
    if (first == run_from_ && run_to_ > run_from_) {
        run_to_ = std::max(run_to_, at + width);
    } else {
        run_from_ = first;
        run_to_ = at + width;
    }
    return at - (at - first) / width % 2 * width;
}

// The start of the line holding the character at at, which is no second
// half of a line-end pair. Only the last line end before it and the kPiece
// boundary at or below it can start that line, so no more than 2 * kPiece
// bytes are read.
int64_t ViewLines::LastStartAtOrBefore(int64_t at) {
    const int64_t start = DataStart();
    const int64_t boundary = at - at % kPiece;
    const int64_t end = FindEndBackward(at, std::max(start, boundary - kPiece));
    if (end >= 0) return end + Layout().width;
    return boundary > start ? boundary : start;
}

int64_t ViewLines::StartOf(int64_t offset) {
    ForgetIfFileChanged();
    const int64_t size = file_.size();
    if (hex_) {
        offset = std::clamp<int64_t>(offset, 0, std::max<int64_t>(size - 1, 0));
        return offset - offset % kHexBytes;
    }
    const int64_t start = DataStart();
    if (size <= start) return start;
    int64_t at = AlignDown(std::clamp<int64_t>(offset, start, size - 1));
    if (LineEndAt(at)) at = LineEndStartOf(at);
    return LastStartAtOrBefore(at);
}

// The end of the line starting at start (before its line end) and the
// start of the next one. A line that reaches the next kPiece boundary
// without a line end in the kPiece bytes before that boundary ends there.
void ViewLines::Bounds(int64_t start, int64_t* end, int64_t* next) {
    const int64_t size = file_.size();
    if (hex_) {
        *end = *next = std::clamp<int64_t>(start + kHexBytes, 0, size);
        return;
    }
    const int64_t first = AlignDown(start);
    if (first >= size) {
        *end = *next = size;
        return;
    }
    const int64_t boundary = first - first % kPiece + kPiece;
    int64_t found = FindEndForward(first, boundary);
    if (found < 0 && boundary < size) {
        const bool cut = FindEndBackward(first, std::max(DataStart(), boundary - kPiece)) < 0;
        if (cut) {
            *end = *next = boundary;
            return;
        }
        found = FindEndForward(boundary, boundary + kPiece);
        if (found < 0 && boundary + kPiece < size) {
            *end = *next = boundary + kPiece;
            return;
        }
    }
    if (found < 0) {
        *end = *next = size;
        return;
    }
    *end = found;
    *next = LineEndAfter(found);
}

int64_t ViewLines::Next(int64_t start) {
    ForgetIfFileChanged();
    int64_t end = 0, next = 0;
    Bounds(start, &end, &next);
    return next;
}

int64_t ViewLines::EndOf(int64_t start) {
    ForgetIfFileChanged();
    int64_t end = 0, next = 0;
    Bounds(start, &end, &next);
    return end;
}

int64_t ViewLines::Prev(int64_t start) {
    ForgetIfFileChanged();
    if (hex_) return std::max<int64_t>(start - kHexBytes, 0);
    const int64_t first = DataStart();
    // From the end, the line before is the last line, whatever it ends with.
    if (start >= file_.size()) return StartOf(file_.size() - 1);
    const int64_t at = AlignDown(start);
    if (at <= first) return first;
    const int width = Layout().width;
    if (LineEndAt(at - width)) return LastStartAtOrBefore(LineEndStartOf(at - width));
    return LastStartAtOrBefore(at - width);
}

int64_t ViewLines::LastPage(int rows) {
    ForgetIfFileChanged();
    const int64_t size = file_.size();
    rows = std::max(rows, 1);
    if (hex_) {
        const int64_t last = size > 0 ? (size - 1) - (size - 1) % kHexBytes : 0;
        return std::max<int64_t>(last - int64_t{kHexBytes} * (rows - 1), 0);
    }
    const int64_t first = DataStart();
    int64_t top = StartOf(size - 1);
    for (int row = 1; row < rows && top > first; row++) top = Prev(top);
    return top;
}

int64_t ViewLines::LineStart(int64_t n, int64_t* count) {
    ForgetIfFileChanged();
    if (n < 0) return -1;
    const int64_t size = file_.size();
    if (hex_) {
        const int64_t lines = size > 0 ? (size + kHexBytes - 1) / kHexBytes : 1;
        if (n < lines) return n * kHexBytes;
        if (count) *count = lines;
        return -1;
    }
    if (n == 0) return DataStart();
    if (line_count_ >= 0 && n >= line_count_) {
        if (count) *count = line_count_;
        return -1;
    }
    return CountFrom(n, count);
}

// Counts line starts forward from the top (or from the last start found,
// when that lies before line n), reading a kPiece-aligned piece at a time
// and finding each line end with memchr: an LF-only file costs one memchr
// per line, and the search for CR runs once per piece where there is none.
int64_t ViewLines::CountFrom(int64_t n, int64_t* count) {
    const UnitLayout layout = Layout();
    const int width = layout.width;
    const int64_t size = file_.size();
    const int64_t units_end = UnitsEnd();

    int64_t index = 0;
    int64_t at = DataStart();
    int64_t last_end = kNoLineEnd;
    if (mark_.index > 0 && mark_.index <= n) {
        index = mark_.index;
        at = mark_.start;
        last_end = mark_.last_end;
    }
    const auto found = [&](int64_t start) {
        mark_.index = index;
        mark_.start = start;
        mark_.last_end = last_end;
        return start;
    };
    if (index == n) return at;

    std::vector<uint8_t> buffer(static_cast<size_t>(kPiece + 2 * 4));
    int64_t piece = at - at % kPiece;
    int64_t scan = at;
    for (bool entered = false; piece < size; entered = true) {
        // A piece boundary starts a line when the piece before it held no
        // line end (the piece counting starts in was counted before).
        if (entered && scan <= piece && last_end < piece - kPiece) {
            if (++index == n) return found(piece);
        }
        const int64_t piece_end = std::min(piece + kPiece, units_end);
        const int64_t from = std::max(scan, piece);
        if (from < piece_end) {
            // One character more than the piece, to see the second half of a pair.
            const int wanted = static_cast<int>(std::min<int64_t>(piece_end - from + width, units_end - from));
            file_.position = from;
            int got = 0;
            if (file_.read(buffer.data(), wanted, &got) != 0 || got < piece_end - from) break;
            examined_ += got;
            const uint8_t* data = buffer.data();
            const uint8_t* end = data + (piece_end - from);
            const uint8_t* after = data + got;
            const uint8_t* p = data;
            const uint8_t* lf = nullptr;
            const uint8_t* cr = nullptr;
            bool lf_known = false, cr_known = false;  // lf and cr hold the next of each at or after p
            while (p < end) {
                if (!lf_known || (lf && lf < p)) {
                    lf = FindUnit(p, end, kLF, width, layout.low);
                    lf_known = true;
                }
                if (!cr_known || (cr && cr < p)) {
                    cr = FindUnit(p, end, kCR, width, layout.low);
                    cr_known = true;
                }
                const uint8_t* hit = lf && (!cr || lf < cr) ? lf : cr;
                if (!hit) break;
                const uint8_t other = hit == lf ? kCR : kLF;
                const bool pair = hit + 2 * width <= after && UnitIs(hit + width, other, width, layout.low);
                p = hit + (pair ? 2 * width : width);
                const int64_t next_start = from + (p - data);
                last_end = next_start - width;
                if (next_start < size && ++index == n) return found(next_start);
            }
            scan = from + std::max<int64_t>(p - data, piece_end - from);
        }
        piece += kPiece;
    }
    line_count_ = index + 1;
    if (count) *count = line_count_;
    return -1;
}
