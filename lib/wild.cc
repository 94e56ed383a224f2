#include "lib/wild.h"

#include <cctype>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <vector>

#include "lib/casefold.h"

namespace {

// Characters of the Basic Multilingual Plane that share an upper-case form,
// linked in rings: following next_ from c visits every character that folds
// to the same letter as c and comes back to c.
class CFoldRings {
public:
    static const CFoldRings& Get() {
        static const CFoldRings* instance = new CFoldRings();
        return *instance;
    }
    int next(int c) const { return next_[c]; }

private:
    CFoldRings() {
        const CUnicodeCaseFold& fold = CUnicodeCaseFold::Get();
        std::vector<int32_t> first(0x10000, -1);
        for (int c = 0; c < 0x10000; c++) {
            int up = static_cast<int>(fold.toupper(static_cast<wchar_t>(c)));
            if (first[up] < 0) {
                first[up] = c;
                next_[c] = static_cast<uint16_t>(c);
            } else {
                next_[c] = next_[first[up]];
                next_[first[up]] = static_cast<uint16_t>(c);
            }
        }
    }
    uint16_t next_[0x10000];
};

struct NarrowText {
    using Char = char;
    static int code(char c) { return static_cast<unsigned char>(c); }
    static bool same_letter(char a, char b) { return std::toupper(code(a)) == std::toupper(code(b)); }
    // Whether some byte from lo to hi lower-cases to the same as ch.
    static bool covers(int lo, int hi, int ch) {
        if (lo < 0) lo = 0;
        if (hi > 255) hi = 255;
        int target = std::tolower(ch);
        for (int c = lo; c <= hi; c++) {
            if (std::tolower(c) == target) return true;
        }
        return false;
    }
};

struct WideText {
    using Char = wchar_t;
    static int code(wchar_t c) { return static_cast<int>(c); }
    static bool same_letter(wchar_t a, wchar_t b) {
        const CUnicodeCaseFold& fold = CUnicodeCaseFold::Get();
        return fold.toupper(a) == fold.toupper(b);
    }
    // Whether some code point from lo to hi upper-cases to the same as ch.
    // Sets only hold the Basic Multilingual Plane.
    static bool covers(int lo, int hi, int ch) {
        if (ch < 0 || ch > 0xFFFF) return false;
        if (lo < 0) lo = 0;
        if (hi > 0xFFFF) hi = 0xFFFF;
        if (lo > hi) return false;
        const CFoldRings& rings = CFoldRings::Get();
        int c = ch;
        do {
            if (c >= lo && c <= hi) return true;
            c = rings.next(c);
        } while (c != ch);
        return false;
    }
};

// The members are read in order; each one that covers ch decides the answer
// by the negation in force where it stands, so a later "^" turns the sense of
// what follows it. When nothing covers ch, only a leading "^" lets it match.
template <class T>
bool bracket_member(const typename T::Char* p, const typename T::Char* end, int ch) {
    bool negated = false;
    if (p < end && *p == '^') {
        negated = true;
        p++;
    }
    bool member = negated;
    bool sense = negated;
    int previous = 0;  // so that a leading "-" ranges from code 0
    while (p < end) {
        int c = T::code(*p++);
        if (c == '^') {
            sense = !sense;
            continue;
        }
        int lo = c, hi = c;
        if (c == '-') {
            lo = previous;
            hi = p < end ? T::code(*p++) : 255;  // "-" before "]" runs up to 255
        }
        if (T::covers(lo, hi, ch)) member = !sense;
        previous = hi;
    }
    return member;
}

// Runs the pattern as a set of simultaneous positions over the name, one
// character at a time, so that "*" and alternatives never backtrack: time is
// bounded by the pattern length times the name length and nothing recurses.
//
// A state is a pattern index in one of two modes: plain, or inside a brace
// alternative (where "*" and "{" are ordinary characters and a "," or "}"
// ends the alternative).
template <class T>
class TWildMatcher {
    using Char = typename T::Char;

public:
    TWildMatcher(const Char* pattern, int length) : p_(pattern), n_(length) {
        next_rbracket_.resize(n_ + 1);
        next_rbrace_.resize(n_ + 1);
        next_alt_end_.resize(n_ + 1);
        last_star_.resize(n_ + 1);
        next_rbracket_[n_] = next_rbrace_[n_] = next_alt_end_[n_] = last_star_[n_] = n_;
        for (int i = n_ - 1; i >= 0; i--) {
            last_star_[i] = (p_[i] == '*' && p_[i + 1] == '*') ? last_star_[i + 1] : i;
            next_rbracket_[i] = p_[i] == ']' ? i : next_rbracket_[i + 1];
            next_rbrace_[i] = p_[i] == '}' ? i : next_rbrace_[i + 1];
            next_alt_end_[i] = (p_[i] == ',' || p_[i] == '}') ? i : next_alt_end_[i + 1];
        }
        marked_.assign(2 * (n_ + 1), 0);
        next_marked_.assign(2 * (n_ + 1), 0);
    }

    bool Match(const Char* name) {
        Add(0, false, current_, marked_);
        for (const Char* s = name; *s; s++) {
            for (int state : current_) Step(state, *s);
            for (int state : current_) marked_[state] = 0;
            current_.swap(next_);
            marked_.swap(next_marked_);
            next_.clear();
            if (current_.empty()) return false;
        }
        return marked_[Id(n_, false)] != 0;
    }

private:
    const Char* p_;
    int n_;
    std::vector<int> next_rbracket_, next_rbrace_, next_alt_end_;
    std::vector<int> last_star_;  // for a "*", the last "*" of the run it starts
    std::vector<int> current_, next_, pending_;
    std::vector<char> marked_, next_marked_;

    static int Id(int index, bool alt) { return 2 * index + (alt ? 1 : 0); }

    // A "[" starts a set when a "]" follows it (inside an alternative: before
    // the alternative ends); end is then the index of that "]".
    bool IsSet(int i, bool alt, int& end) const {
        if (p_[i] != '[') return false;
        int limit = alt ? next_alt_end_[i] : n_;
        end = next_rbracket_[i + 1];
        return end < limit;
    }

    bool IsBrace(int i, int& close) const {
        if (p_[i] != '{') return false;
        close = next_rbrace_[i + 1];
        return close < n_;
    }

    // Adds a state and every state reachable from it without using a name
    // character.
    void Add(int index, bool alt, std::vector<int>& list, std::vector<char>& marked) {
        pending_.push_back(Id(index, alt));
        while (!pending_.empty()) {
            int state = pending_.back();
            pending_.pop_back();
            // A run of "*" outside alternatives does what one "*" does, so it
            // is one state: a long run does not multiply the work.
            if (state % 2 == 0) state = Id(last_star_[state / 2], false);
            if (marked[state]) continue;
            marked[state] = 1;
            list.push_back(state);
            int i = state / 2;
            if (i == n_) continue;
            int close;
            if (state % 2 == 1) {
                if (p_[i] == ',' || p_[i] == '}') pending_.push_back(Id(next_rbrace_[i] + 1, false));
            } else if (p_[i] == '*') {
                pending_.push_back(Id(i + 1, false));
            } else if (IsBrace(i, close)) {
                // Each alternative starts after the "{" or after a ",".
                pending_.push_back(Id(i + 1, true));
                for (int k = next_alt_end_[i + 1]; k < close; k = next_alt_end_[k + 1])
                    pending_.push_back(Id(k + 1, true));
            }
        }
    }

    void Step(int state, Char ch) {
        int i = state / 2;
        bool alt = state % 2 == 1;
        if (i == n_) return;
        Char pc = p_[i];
        int end;
        if (alt && (pc == ',' || pc == '}')) return;
        if (!alt && pc == '*') {
            Add(i, false, next_, next_marked_);
        } else if (pc == '?') {
            Add(i + 1, alt, next_, next_marked_);
        } else if (IsSet(i, alt, end)) {
            if (bracket_member<T>(p_ + i + 1, p_ + end, T::code(ch))) Add(end + 1, alt, next_, next_marked_);
        } else if (T::same_letter(pc, ch)) {
            // Also the "{" of alternatives, which may match as itself.
            Add(i + 1, alt, next_, next_marked_);
        }
    }
};

template <class T>
bool wild_match(const typename T::Char* pattern, const typename T::Char* name, int pattern_length) {
    TWildMatcher<T> matcher(pattern, pattern_length);
    return matcher.Match(name);
}

}  // namespace

bool wild(const char* pattern, const char* name) {
    if (!pattern) pattern = "";
    if (!name) name = "";
    return wild_match<NarrowText>(pattern, name, static_cast<int>(std::strlen(pattern)));
}

bool wild(const wchar_t* pattern, const wchar_t* name) {
    if (!pattern) pattern = L"";
    if (!name) name = L"";
    return wild_match<WideText>(pattern, name, static_cast<int>(std::wcslen(pattern)));
}

bool sqr_bracket(const char* set, const char* end, char ch) {
    if (!set || !end || end < set) return false;
    return bracket_member<NarrowText>(set, end, NarrowText::code(ch));
}

bool sqr_bracket(const wchar_t* set, const wchar_t* end, wchar_t ch) {
    if (!set || !end || end < set) return false;
    return bracket_member<WideText>(set, end, WideText::code(ch));
}
