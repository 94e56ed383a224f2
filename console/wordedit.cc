// Word characters and word moves.
#include "console/wordedit.h"

#include <algorithm>
#include <iterator>

bool brief_word_right = true;

namespace {

struct WordRange {
    unsigned short low, high;
};

const WordRange kWordRanges[] = {
#include "console/wordchars_table.inc"
};

int clamp_pos(int pos, int length) { return pos < 0 ? 0 : pos > length ? length : pos; }

}  // namespace

bool iswordchar(wchar_t c) {
    if (c < 0 || c > 0xFFFF) return false;
    // The first range whose high end is not below c.
    const WordRange* end = std::end(kWordRanges);
    const WordRange* r = std::lower_bound(std::begin(kWordRanges), end, c,
                                          [](const WordRange& range, wchar_t ch) { return range.high < ch; });
    return r != end && r->low <= c;
}

bool iswordchar(char c) {
    unsigned char b = static_cast<unsigned char>(c);
    return b == '_' || (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') ||
           (b >= 128 && b <= 254);
}

int WordRight(const wchar_t* s, bool to_end) {
    if (!s) return 0;
    int i = 0;
    if (to_end) {
        while (s[i] && !iswordchar(s[i])) i++;
        while (s[i] && iswordchar(s[i])) i++;
    } else {
        if (s[i]) i++;
        while (s[i] && iswordchar(s[i])) i++;
        while (s[i] && !iswordchar(s[i])) i++;
    }
    return i;
}

int WordRight(const wchar_t* s) { return WordRight(s, brief_word_right); }

int PrevWordStart(const Westring& text, int pos) {
    const wchar_t* s = text.c_str();
    pos = clamp_pos(pos, text.strlen());
    while (pos > 0 && !iswordchar(s[pos - 1])) pos--;
    while (pos > 0 && iswordchar(s[pos - 1])) pos--;
    return pos;
}

int NextWordStart(const Westring& text, int pos) {
    pos = clamp_pos(pos, text.strlen());
    return pos + WordRight(text.c_str() + pos, false);
}

int DeleteWordLeft(Westring& text, int pos) {
    int length = text.strlen();
    pos = clamp_pos(pos, length);
    int start = PrevWordStart(text, pos);
    if (start < pos) text = text.left(start) + text.mid(pos);
    return start;
}

void DeleteWordRight(Westring& text, int pos) {
    int length = text.strlen();
    pos = clamp_pos(pos, length);
    int end = NextWordStart(text, pos);
    if (end > pos) text = text.left(pos) + text.mid(end);
}
