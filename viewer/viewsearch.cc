// The viewer's byte search and the worker that runs a search while the
// toolkit thread stays responsive to Esc.
//
// The byte search folds every byte through a 256-entry table built from the
// code page (a byte maps to the byte of its upper-case character), so a
// case-insensitive search costs one table look-up per compared byte. The
// usual filter compares the first and the last byte of sixteen windows at
// once with vector instructions, against the (at most two) raw bytes that
// fold to the word's first and last bytes, and compares in full only the
// windows whose both ends fit. Without vector instructions (or should more
// than two bytes fold to one) a skip loop takes over: Horspool's, keyed on
// a pair of bytes instead of one, since pairs are rarer than bytes in text
// and the jumps stay close to the word's length even for common letters.
#include "viewer/viewsearch.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "console/cells.h"
#include "console/console.h"
#include "console/win.h"
#include "editor/textcodec.h"
#include "editor/wordchars.h"
#include "lib/casefold.h"
#include "lib/codepage.h"

std::atomic<bool> search_file_vector_filter{true};

namespace {

// The word as bytes of the code page, folded like the text, with the skip
// distances of one direction.
class BytePattern {
public:
    // False when the code page has no byte for some character of the word,
    // so the word cannot occur.
    bool Build(const Westring& word, bool case_sensitive, int code_page, bool reverse);

    size_t length() const { return bytes_.size(); }

    // The first window start i in [from, last] whose bytes match, or -1.
    // Every window examined lies inside data.
    int64_t FindForward(const uint8_t* data, int64_t from, int64_t last) const;
    // The last window start i in [first, from] whose bytes match, or -1.
    int64_t FindBackward(const uint8_t* data, int64_t first, int64_t from) const;

private:
    static constexpr int kPairs = 1 << 16;
    static int Pair(int first, int second) { return first << 8 | second; }

    void BuildSkips(bool reverse);
    bool BuildEnds();
    bool Matches(const uint8_t* window) const;
    // The filter over the ends: from moves on (back) past the windows it
    // rules out; the match found on the way, or -1.
    int64_t FilterForward(const uint8_t* data, int64_t& from, int64_t last) const;
    int64_t FilterBackward(const uint8_t* data, int64_t first, int64_t& from) const;

    bool case_sensitive_ = true;
    uint8_t fold_[256] = {};
    std::vector<uint8_t> bytes_;  // the word, each byte already folded
    // By the raw byte pair at the window's end (forward) or start (backward):
    // how far the next window that could match lies, 0 when the pair folds
    // to the word's own pair there and the window is worth comparing.
    // Distances are capped, which only makes a jump shorter.
    std::vector<uint16_t> skip_;
    // The jump after comparing a window.
    int64_t candidate_skip_ = 1;
    // The raw bytes that fold to the word's first and last bytes (the same
    // one twice when only one does), when the filter serves.
    bool use_ends_ = false;
    uint8_t first_bytes_[2] = {}, last_bytes_[2] = {};
};

bool BytePattern::Build(const Westring& word, bool case_sensitive, int code_page, bool reverse) {
    case_sensitive_ = case_sensitive;
    // Building a code page's table converts every byte on its own, which
    // costs more than searching a small file: the last one is kept for the
    // next search (find file searches one file after another).
    static std::mutex table_lock;
    static CCodePageTable table;
    std::lock_guard<std::mutex> guard(table_lock);
    table.Build(code_page);
    const CUnicodeCaseFold& casefold = CUnicodeCaseFold::Get();

    // Each byte's upper-case byte in the code page; one whose upper case
    // the code page lacks stays itself, and byte 0 is left alone.
    for (int byte = 0; byte < 256; byte++) {
        int upper = byte;
        if (!case_sensitive && byte != 0) {
            const int converted = table.ToByte(casefold.toupper(table.ToChar(static_cast<uint8_t>(byte))));
            if (converted > 0) upper = converted;
        }
        fold_[byte] = static_cast<uint8_t>(upper);
    }

    bytes_.clear();
    for (const wchar_t* p = word.c_str(); *p; p++) {
        int byte = table.ToByte(*p);
        // A lower-case letter the code page has only in upper case.
        if (byte < 0 && !case_sensitive) byte = table.ToByte(casefold.toupper(*p));
        if (byte < 0) return false;
        bytes_.push_back(fold_[byte]);
    }
    use_ends_ = search_file_vector_filter && BuildEnds();
    if (!use_ends_ && bytes_.size() >= 2) BuildSkips(reverse);
    return true;
}

bool BytePattern::BuildEnds() {
#if defined(__SSE2__)
    auto variants = [this](uint8_t folded, uint8_t* out) {
        int count = 0;
        for (int byte = 0; byte < 256; byte++) {
            if (fold_[byte] != folded) continue;
            if (count == 2) return false;
            out[count++] = static_cast<uint8_t>(byte);
        }
        if (count == 1) out[1] = out[0];
        return count > 0;
    };
    return variants(bytes_.front(), first_bytes_) && variants(bytes_.back(), last_bytes_);
#else
    return false;
#endif
}

void BytePattern::BuildSkips(bool reverse) {
    const int64_t m = static_cast<int64_t>(bytes_.size());
    const auto& p = bytes_;
    // First by folded pair. A jump of s moves the window so that the key
    // pair meets the word s places further in (forward: further back).
    std::vector<uint16_t> by_folded(kPairs, static_cast<uint16_t>(std::min<int64_t>(m, 0xFFFF)));
    auto lower = [&by_folded](int pair, int64_t distance) {
        const auto capped = static_cast<uint16_t>(std::min<int64_t>(distance, 0xFFFF));
        by_folded[static_cast<size_t>(pair)] = std::min(by_folded[static_cast<size_t>(pair)], capped);
    };
    int own_pair;
    if (!reverse) {
        // The key's second byte meets the word's first.
        for (int byte = 0; byte < 256; byte++) lower(Pair(byte, p[0]), m - 1);
        // The key meets the word's pair ending at e.
        for (int64_t e = 1; e + 1 < m; e++) lower(Pair(p[e - 1], p[e]), m - 1 - e);
        own_pair = Pair(p[m - 2], p[m - 1]);
    } else {
        // The key's first byte meets the word's last.
        for (int byte = 0; byte < 256; byte++) lower(Pair(p[m - 1], byte), m - 1);
        // The key meets the word's pair starting at s.
        for (int64_t s = m - 2; s >= 1; s--) lower(Pair(p[s], p[s + 1]), s);
        own_pair = Pair(p[0], p[1]);
    }
    candidate_skip_ = by_folded[static_cast<size_t>(own_pair)];
    by_folded[static_cast<size_t>(own_pair)] = 0;

    if (case_sensitive_) {
        skip_ = std::move(by_folded);
        return;
    }
    skip_.resize(kPairs);
    for (int pair = 0; pair < kPairs; pair++)
        skip_[static_cast<size_t>(pair)] = by_folded[static_cast<size_t>(Pair(fold_[pair >> 8], fold_[pair & 0xFF]))];
}

bool BytePattern::Matches(const uint8_t* window) const {
    const size_t m = bytes_.size();
    if (case_sensitive_) return std::memcmp(window, bytes_.data(), m) == 0;
    for (size_t k = 0; k < m; k++)
        if (fold_[window[k]] != bytes_[k]) return false;
    return true;
}

#if defined(__SSE2__)
namespace {

constexpr int kLanes = 16;

// The bytes a window may begin and end with, each in all lanes.
struct EndBytes {
    __m128i first_a, first_b, last_a, last_b;

    EndBytes(const uint8_t (&first)[2], const uint8_t (&last)[2])
        : first_a(_mm_set1_epi8(static_cast<char>(first[0]))),
          first_b(_mm_set1_epi8(static_cast<char>(first[1]))),
          last_a(_mm_set1_epi8(static_cast<char>(last[0]))),
          last_b(_mm_set1_epi8(static_cast<char>(last[1]))) {}

    // As bits, the windows starting at starts[0..15] whose first and last
    // bytes fit (ends is starts plus the word's length less one).
    unsigned Fitting(const uint8_t* starts, const uint8_t* ends) const {
        const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(starts));
        const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(ends));
        const __m128i head_fits = _mm_or_si128(_mm_cmpeq_epi8(head, first_a), _mm_cmpeq_epi8(head, first_b));
        const __m128i tail_fits = _mm_or_si128(_mm_cmpeq_epi8(tail, last_a), _mm_cmpeq_epi8(tail, last_b));
        return static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(head_fits, tail_fits)));
    }
};

}  // namespace

int64_t BytePattern::FilterForward(const uint8_t* data, int64_t& from, int64_t last) const {
    const int64_t tail = static_cast<int64_t>(bytes_.size()) - 1;
    const EndBytes ends(first_bytes_, last_bytes_);
    for (; from + (kLanes - 1) <= last; from += kLanes) {
        for (unsigned fitting = ends.Fitting(data + from, data + from + tail); fitting != 0; fitting &= fitting - 1) {
            const int64_t i = from + __builtin_ctz(fitting);
            if (Matches(data + i)) return i;
        }
    }
    return -1;
}

int64_t BytePattern::FilterBackward(const uint8_t* data, int64_t first, int64_t& from) const {
    const int64_t tail = static_cast<int64_t>(bytes_.size()) - 1;
    const EndBytes ends(first_bytes_, last_bytes_);
    for (; from - (kLanes - 1) >= first; from -= kLanes) {
        const int64_t low = from - (kLanes - 1);
        // The highest lane first: the last window wins.
        for (unsigned fitting = ends.Fitting(data + low, data + low + tail); fitting != 0;) {
            const int lane = 31 - __builtin_clz(fitting);
            if (Matches(data + low + lane)) return low + lane;
            fitting &= ~(1u << lane);
        }
    }
    return -1;
}
#else
int64_t BytePattern::FilterForward(const uint8_t*, int64_t&, int64_t) const { return -1; }
int64_t BytePattern::FilterBackward(const uint8_t*, int64_t, int64_t&) const { return -1; }
#endif

int64_t BytePattern::FindForward(const uint8_t* data, int64_t from, int64_t last) const {
    const int64_t m = static_cast<int64_t>(bytes_.size());
    if (use_ends_) {
        const int64_t found = FilterForward(data, from, last);
        if (found >= 0) return found;
    }
    if (use_ends_ || m == 1) {
        // The windows too few for the filter, one by one.
        for (int64_t i = from; i <= last; i++)
            if (fold_[data[i]] == bytes_[0] && Matches(data + i)) return i;
        return -1;
    }
    const uint8_t* key = data + (m - 2);  // the pair at the window's end
    int64_t i = from;
    while (i <= last) {
        int64_t step = skip_[static_cast<size_t>(Pair(key[i], key[i + 1]))];
        while (step != 0) {
            i += step;
            if (i > last) return -1;
            step = skip_[static_cast<size_t>(Pair(key[i], key[i + 1]))];
        }
        if (Matches(data + i)) return i;
        i += candidate_skip_;
    }
    return -1;
}

int64_t BytePattern::FindBackward(const uint8_t* data, int64_t first, int64_t from) const {
    const int64_t m = static_cast<int64_t>(bytes_.size());
    if (use_ends_) {
        const int64_t found = FilterBackward(data, first, from);
        if (found >= 0) return found;
    }
    if (use_ends_ || m == 1) {
        for (int64_t i = from; i >= first; i--)
            if (fold_[data[i]] == bytes_[0] && Matches(data + i)) return i;
        return -1;
    }
    int64_t i = from;
    while (i >= first) {
        int64_t step = skip_[static_cast<size_t>(Pair(data[i], data[i + 1]))];
        while (step != 0) {
            i -= step;
            if (i < first) return -1;
            step = skip_[static_cast<size_t>(Pair(data[i], data[i + 1]))];
        }
        if (Matches(data + i)) return i;
        i -= candidate_skip_;
    }
    return -1;
}

// Reads the bytes at [at, at + n) into buffer; the count read (short at
// the end of the file or where it cannot be read).
int64_t ReadAt(RandomFile& file, int64_t at, uint8_t* buffer, int64_t n) {
    int64_t total = 0;
    file.position = at;
    while (total < n) {
        int got = 0;
        if (file.read(buffer + total, static_cast<int>(n - total), &got) != 0 || got <= 0) break;
        total += got;
    }
    return total;
}

// What the bytes around a match are: for a whole-word search neither the
// byte before nor the byte after may be a word character. Bytes outside the
// block in hand are read from the file.
class WordEdges {
public:
    WordEdges(RandomFile& file, const std::vector<uint8_t>& block, int64_t block_at, int64_t block_length)
        : file_(file), block_(block), block_at_(block_at), block_length_(block_length) {}

    bool StandsAlone(int64_t begin, int64_t end) {
        return !IsWordByte(begin - 1) && !IsWordByte(end);
    }

private:
    bool IsWordByte(int64_t at) {
        if (at < 0 || at >= file_.size()) return false;
        uint8_t byte = 0;
        if (at >= block_at_ && at < block_at_ + block_length_) {
            byte = block_[static_cast<size_t>(at - block_at_)];
        } else {
            const int64_t saved = file_.position;
            const bool read = ReadAt(file_, at, &byte, 1) == 1;
            file_.position = saved;
            if (!read) return false;
        }
        return iswordchar(static_cast<char>(byte));
    }

    RandomFile& file_;
    const std::vector<uint8_t>& block_;
    int64_t block_at_, block_length_;
};

constexpr long long kNotFound = -2;
constexpr long long kBroken = -1;

long long SearchForward(RandomFile& file, const BytePattern& pattern, int64_t start, bool whole_word,
                        std::vector<uint8_t>& block) {
    const int64_t m = static_cast<int64_t>(pattern.length());
    const int64_t size = file.size();
    int64_t at = std::max<int64_t>(start, 0);
    while (at + m <= size) {
        if (break_status == 2) return kBroken;
        const int64_t want = std::min<int64_t>(static_cast<int64_t>(block.size()), size - at);
        const int64_t got = ReadAt(file, at, block.data(), want);
        if (got < m) return kNotFound;  // the file ended early or cannot be read
        WordEdges edges(file, block, at, got);
        for (int64_t from = 0;;) {
            const int64_t hit = pattern.FindForward(block.data(), from, got - m);
            if (hit < 0) break;
            if (!whole_word || edges.StandsAlone(at + hit, at + hit + m)) return at + hit;
            from = hit + 1;
        }
        // The next block starts with the last m - 1 bytes of this one, so a
        // match across the border is found there.
        at += got - (m - 1);
    }
    return kNotFound;
}

long long SearchBackward(RandomFile& file, const BytePattern& pattern, int64_t start, bool whole_word,
                         std::vector<uint8_t>& block) {
    const int64_t m = static_cast<int64_t>(pattern.length());
    const int64_t size = file.size();
    // The last window start allowed: the match may end with the byte at start.
    int64_t last = std::min(start - (m - 1), size - m);
    const int64_t capacity = static_cast<int64_t>(block.size());
    while (last >= 0) {
        if (break_status == 2) return kBroken;
        const int64_t end = last + m;
        const int64_t begin = std::max<int64_t>(0, end - capacity);
        const int64_t got = ReadAt(file, begin, block.data(), end - begin);
        if (got < end - begin) return kNotFound;  // the file cannot be read here
        WordEdges edges(file, block, begin, got);
        for (int64_t from = last - begin;;) {
            const int64_t hit = pattern.FindBackward(block.data(), 0, from);
            if (hit < 0) break;
            if (!whole_word || edges.StandsAlone(begin + hit, begin + hit + m)) return begin + hit;
            from = hit - 1;
        }
        // Windows starting before this block end within its first m - 1 bytes.
        last = begin - 1;
    }
    return kNotFound;
}

// Marks an interruptible operation for its length and puts the flag back
// as it was afterwards.
class BreakScope {
public:
    BreakScope() : saved_(break_status.exchange(1)) {}
    ~BreakScope() { break_status = saved_; }
    BreakScope(const BreakScope&) = delete;
    BreakScope& operator=(const BreakScope&) = delete;

private:
    int saved_;
};

}  // namespace

long long SearchFile(RandomFile& file, long long start, const Westring& word, bool reverse, bool case_sensitive,
                     bool whole_word, int code_page) {
    if (word.empty()) return -1;
    BreakScope scope;
    if (code_page == 0) code_page = DefaultTextCodePage();

    BytePattern pattern;
    if (!pattern.Build(word, case_sensitive, code_page, reverse)) return kNotFound;
    const int64_t m = static_cast<int64_t>(pattern.length());

    const int64_t saved_position = file.position;
    // Large enough that a read costs little beside the scan (the break flag
    // is looked at once per block), with room for a few windows of any word.
    std::vector<uint8_t> block(static_cast<size_t>(std::max<int64_t>(kSearchFileBlock, 4 * m)));
    const long long found = reverse ? SearchBackward(file, pattern, start, whole_word, block)
                                    : SearchForward(file, pattern, start, whole_word, block);
    file.position = saved_position;
    return found;
}

namespace {

// How long a search runs before "Searching..." shows, and how often the
// waiting thread looks for Esc.
constexpr auto kNoticeDelay = std::chrono::milliseconds(300);
constexpr auto kPollInterval = std::chrono::milliseconds(50);

// The worker's result, handed to the waiting thread.
struct WorkerOutcome {
    std::mutex lock;
    std::condition_variable finished;
    bool done = false;
    long long result = kNotFound;
};

}  // namespace

long long RunSearchWorker(long long (*search)(void* context), void* context) {
    const int saved_break = break_status.exchange(1);
    WorkerOutcome outcome;
    std::thread worker;
    try {
        worker = std::thread([&outcome, search, context] {
            const long long result = search(context);
            std::lock_guard<std::mutex> guard(outcome.lock);
            outcome.result = result;
            outcome.done = true;
            outcome.finished.notify_one();
        });
    } catch (const std::system_error&) {
        // No thread to be had: the search runs here, without Esc.
        const long long result = search(context);
        break_status = saved_break;
        return result;
    }

    const auto began = std::chrono::steady_clock::now();
    std::unique_ptr<Win> notice;
    bool stopped = false;
    for (;;) {
        {
            std::unique_lock<std::mutex> guard(outcome.lock);
            if (outcome.finished.wait_for(guard, kPollInterval, [&outcome] { return outcome.done; })) break;
        }
        if (stopped) {
            // A search that began after Esc may have set the flag to 1 again.
            break_status = 2;
            continue;
        }
        if (check_esc()) {
            stopped = true;
            break_status = 2;
            continue;
        }
        if (!notice && console && std::chrono::steady_clock::now() - began >= kNoticeDelay) {
            notice = std::make_unique<Win>(-1, -2, 18, 5, colours[CLR_MESSAGES], colours[CLR_MESSAGES]);
            notice->PutCentre(1, L"Searching...");
        }
        // The clock on the screen keeps going while the search runs.
        if (console_hooks.update_clock) console_hooks.update_clock();
    }
    worker.join();
    notice.reset();
    break_status = saved_break;
    return stopped ? kBroken : outcome.result;
}
