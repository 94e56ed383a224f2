#include "lib/collapsepath.h"

#include "lib/cellwidth.h"

namespace {

// Where the longest end of text[0, length) that fits into cells begins. A
// wide character is never split, and combining marks whose character was
// left out are left out with it.
int TailThatFits(const wchar_t* text, int length, int cells) {
    int start = length, taken = 0;
    while (start > 0 && taken + CellWidth(text[start - 1]) <= cells) taken += CellWidth(text[--start]);
    while (start < length && CellWidth(text[start]) == 0) start++;
    return start;
}

}  // namespace

void collapse_path(Westring& path, int max) {
    if (max < 0) max = 0;
    int length = path.strlen();
    if (TextCells(path.c_str(), length) <= max) return;

    // The first component: leading separators, the first name and the '/' after it.
    int head = 0;
    while (head < length && path[head] == L'/') head++;
    int slash = head;
    while (slash < length && path[slash] != L'/') slash++;
    int keep = slash < length ? slash + 1 : length;

    int tail = max - TextCells(path.c_str(), keep) - 3;
    if (slash < length && tail > 0) {
        path = path.left(keep) + L"..." + path.mid(TailThatFits(path.c_str(), length, tail));
        return;
    }
    if (max == 0) {
        path = L"";
        return;
    }
    path = path.left(CharsThatFit(path.c_str(), max - 1)) + L"\x25BA";
}
