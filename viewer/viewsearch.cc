// The viewer's byte search and the worker that runs a search while the
// toolkit thread stays responsive to Esc.
//
// The byte search folds every byte through a 256-entry table built from the
// code page (a byte maps to the byte of its upper-case character), so a
// case-insensitive search costs one table look-up per compared byte. The
// skip loop is Horspool's: it looks at the window's last byte (first byte
// when going backwards) and jumps by a table of distances; only windows
// whose key byte matches are compared in full.
#include "viewer/viewsearch.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "console/cells.h"
#include "console/console.h"
#include "console/win.h"
#include "editor/textcodec.h"
#include "editor/wordchars.h"
#include "lib/casefold.h"
#include "lib/codepage.h"

namespace {

// The word as bytes of the code page, folded like the text, with the skip
// distances of both directions.
class BytePattern {
public:
    // False when the code page has no byte for some character of the word,
    // so the word cannot occur.
    bool Build(const Westring& word, bool case_sensitive, int code_page);

    size_t length() const { return bytes_.size(); }

    // The first window start i in [from, last] whose bytes match, or -1.
    // Every window examined lies inside data.
    int64_t FindForward(const uint8_t* data, int64_t from, int64_t last) const;
    // The last window start i in [first, from] whose bytes match, or -1.
    int64_t FindBackward(const uint8_t* data, int64_t first, int64_t from) const;

private:
    bool Matches(const uint8_t* window) const;

    bool case_sensitive_ = true;
    uint8_t fold_[256] = {};
    std::vector<uint8_t> bytes_;  // the word, each byte already folded
    // Skip distances by raw text byte: forward keyed on the window's last
    // byte, backward on its first.
    int64_t forward_skip_[256] = {};
    int64_t backward_skip_[256] = {};
    // The forward skip, but 0 for a byte that folds to the word's last byte:
    // the inner loop runs until it reaches a window worth comparing.
    int64_t forward_guard_[256] = {};
};

bool BytePattern::Build(const Westring& word, bool case_sensitive, int code_page) {
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
        const wchar_t c = *p;
        int byte = table.ToByte(c);
        // A lower-case letter the code page has only in upper case.
        if (byte < 0 && !case_sensitive) byte = table.ToByte(casefold.toupper(c));
        if (byte < 0) return false;
        bytes_.push_back(fold_[byte]);
    }

    const int64_t m = static_cast<int64_t>(bytes_.size());
    int64_t forward_by_folded[256], backward_by_folded[256];
    std::fill(std::begin(forward_by_folded), std::end(forward_by_folded), m);
    std::fill(std::begin(backward_by_folded), std::end(backward_by_folded), m);
    for (int64_t j = 0; j + 1 < m; j++) forward_by_folded[bytes_[j]] = m - 1 - j;
    for (int64_t j = m - 1; j >= 1; j--) backward_by_folded[bytes_[j]] = j;
    for (int byte = 0; byte < 256; byte++) {
        forward_skip_[byte] = forward_by_folded[fold_[byte]];
        backward_skip_[byte] = backward_by_folded[fold_[byte]];
        forward_guard_[byte] = m > 0 && fold_[byte] == bytes_[m - 1] ? 0 : forward_skip_[byte];
    }
    return true;
}

bool BytePattern::Matches(const uint8_t* window) const {
    const size_t m = bytes_.size();
    if (case_sensitive_) return std::memcmp(window, bytes_.data(), m) == 0;
    for (size_t k = 0; k < m; k++)
        if (fold_[window[k]] != bytes_[k]) return false;
    return true;
}

int64_t BytePattern::FindForward(const uint8_t* data, int64_t from, int64_t last) const {
    const int64_t tail = static_cast<int64_t>(bytes_.size()) - 1;
    int64_t i = from;
    while (i <= last) {
        int64_t step = forward_guard_[data[i + tail]];
        while (step != 0) {
            i += step;
            if (i > last) return -1;
            step = forward_guard_[data[i + tail]];
        }
        if (Matches(data + i)) return i;
        i += forward_skip_[data[i + tail]];
    }
    return -1;
}

int64_t BytePattern::FindBackward(const uint8_t* data, int64_t first, int64_t from) const {
    const uint8_t head = bytes_[0];
    for (int64_t i = from; i >= first; i -= backward_skip_[data[i]]) {
        if (fold_[data[i]] == head && Matches(data + i)) return i;
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
    if (!pattern.Build(word, case_sensitive, code_page)) return kNotFound;
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
    std::thread worker([&outcome, search, context] {
        const long long result = search(context);
        std::lock_guard<std::mutex> guard(outcome.lock);
        outcome.result = result;
        outcome.done = true;
        outcome.finished.notify_one();
    });

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
