#include "editor/edittext.h"

#include "editor/wordchars.h"
#include "lib/cellwidth.h"

namespace {
int NextTabStop(int col, int tab_width) {
    if (tab_width < 1) tab_width = 1;
    return (col / tab_width + 1) * tab_width;
}

// The column after character c standing at col.
int Advance(wchar_t c, int col, int tab_width) { return c == L'\t' ? NextTabStop(col, tab_width) : col + CellWidth(c); }
}  // namespace

int calc_col(const wchar_t* s, int len, int n, int tab_width) {
    int col = 0;
    if (n > len) n = len;
    for (int i = 0; i < n; i++) col = Advance(s[i], col, tab_width);
    return col;
}

int calc_pos(const wchar_t* s, int len, int& col, int left, int tab_width) {
    int target = col + left;
    int at = 0;
    for (int i = 0; i < len; i++) {
        const int next = Advance(s[i], at, tab_width);
        if (next > target) {
            if (at < target) col = at - left;  // inside a tab or a wide character: back to its start
            return i;
        }
        at = next;
    }
    return len;
}

int WordRight(const wchar_t* s, int len, int pos, bool brief) {
    int i = pos;
    if (brief) {
        while (i < len && !iswordchar(s[i])) i++;
        while (i < len && iswordchar(s[i])) i++;
    } else {
        if (i < len) i++;
        while (i < len && iswordchar(s[i])) i++;
        while (i < len && !iswordchar(s[i])) i++;
    }
    return i - pos;
}

int WordLeft(const wchar_t* s, int pos) {
    int i = pos;
    while (i > 0 && !iswordchar(s[i - 1])) i--;
    while (i > 0 && iswordchar(s[i - 1])) i--;
    return i;
}

int LeadingBlanks(const wchar_t* s, int len) {
    int i = 0;
    while (i < len && (s[i] == L' ' || s[i] == L'\t')) i++;
    return i;
}

bool IsBlankLine(const wchar_t* s, int len) { return LeadingBlanks(s, len) == len; }

bool IndentedText(const wchar_t* s, int len, int n, int tab_width, std::wstring& out) {
    if (IsBlankLine(s, len)) return false;
    int blanks = LeadingBlanks(s, len);
    int width = calc_col(s, len, blanks, tab_width) + n;
    if (width < 0) return false;
    out.assign(static_cast<size_t>(width), L' ');
    out.append(s + blanks, static_cast<size_t>(len - blanks));
    return true;
}

bool WordAt(const wchar_t* s, int len, int pos, int& start, int& end) {
    if (pos > len) pos = len;
    if ((pos == len || !iswordchar(s[pos])) && pos > 0 && iswordchar(s[pos - 1])) pos--;
    if (pos >= len || !iswordchar(s[pos])) return false;
    start = pos;
    while (start > 0 && iswordchar(s[start - 1])) start--;
    end = pos;
    while (end < len && iswordchar(s[end])) end++;
    return true;
}
