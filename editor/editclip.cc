// Copying and appending a selection to the clipboard of lines.
#include "editor/editclip.h"

#include <algorithm>
#include <utility>

namespace {

// The range with its start before its end.
ClipRange ordered(const ClipRange& range) {
    ClipRange r = range;
    if (r.end_line < r.start_line || (r.end_line == r.start_line && r.end_pos < r.start_pos)) {
        std::swap(r.start_line, r.end_line);
        std::swap(r.start_pos, r.end_pos);
    }
    return r;
}

// The characters of text from from up to to, both kept inside the text.
Westring piece(const Westring& text, int from, int to) {
    const int length = text.strlen();
    from = std::clamp(from, 0, length);
    to = std::clamp(to, from, length);
    return Westring(text.c_str() + from, to - from);
}

// Adds the lines of range to the store; join puts the first onto the
// store's last line instead of starting a new one.
void add_range(const ClipLineSource& lines, const ClipRange& range, WestringStore& store, bool join) {
    const ClipRange r = ordered(range);
    for (int i = r.start_line; i <= r.end_line; i++) {
        const Westring text = lines(i);
        const int from = i == r.start_line ? r.start_pos : 0;
        const int to = i == r.end_line ? r.end_pos : text.strlen();
        Westring part = piece(text, from, to);
        if (i == r.start_line && join && store.count() > 0) {
            *store[store.count() - 1] += part;
            continue;
        }
        store.Add(part);
    }
}

}  // namespace

void clipcopy(const ClipLineSource& lines, const ClipRange& range, WestringStore& store) {
    freeclip(store);
    add_range(lines, range, store, false);
    PutGlobalClip(store);
}

void clipappend(const ClipLineSource& lines, const ClipRange& range, WestringStore& store) {
    add_range(lines, range, store, true);
    PutGlobalClip(store);
}

void putclipline(const char* utf8) { putclipline(Westring(utf8)); }
