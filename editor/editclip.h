// The editor's side of the program-wide clipboard of lines: copying and
// appending a selection of the text. The store itself, its desktop mirror
// and the one-line forms live in console/cliplines, shared with the text
// fields of dialogs.
#pragma once

#include <functional>

#include "console/cliplines.h"
#include "lib/stringstore.h"
#include "lib/westring.h"

// A stretch of text from (start_line, start_pos) up to (end_line, end_pos),
// the end excluded. Positions are character indexes into the lines.
struct ClipRange {
    int start_line = 0;
    int start_pos = 0;
    int end_line = 0;
    int end_pos = 0;
};

// The text of line i (only lines inside the range are asked for).
using ClipLineSource = std::function<Westring(int line)>;

// Replaces the store with the text of range, one string per line (the first
// from the start position, the last up to the end position), and puts it on
// the desktop clipboard. Ends given in either order are put in order;
// positions past a line's end stop at the end.
void clipcopy(const ClipLineSource& lines, const ClipRange& range, WestringStore& store);
// Appends the text of range to the store, its first line joined to the
// store's last line, and puts the whole store on the desktop clipboard.
void clipappend(const ClipLineSource& lines, const ClipRange& range, WestringStore& store);
// Makes the clipboard the one line given in UTF-8 and publishes it.
void putclipline(const char* utf8);
