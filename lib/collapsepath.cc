#include "lib/collapsepath.h"

void collapse_path(Westring& path, int max) {
    if (max < 0) max = 0;
    int length = path.strlen();
    if (length <= max) return;

    // The first component: leading separators, the first name and the '/' after it.
    int head = 0;
    while (head < length && path[head] == L'/') head++;
    int slash = head;
    while (slash < length && path[slash] != L'/') slash++;
    int keep = slash < length ? slash + 1 : length;

    int tail = max - keep - 3;
    if (slash < length && tail > 0) {
        path = path.left(keep) + L"..." + path.right(tail);
        return;
    }
    if (max == 0) {
        path = L"";
        return;
    }
    path = path.left(max);
    path[max - 1] = 0x25BA;
}
