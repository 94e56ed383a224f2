// Searching a file in the viewer: in its decoded text (through the text
// file's search) or, for an explicit code page, over its raw bytes folded
// through that code page. A search runs in a worker thread while the
// toolkit thread shows "Searching..." and watches for Esc.
#pragma once

#include <atomic>
#include <cstdint>

#include "archive/randomfile.h"
#include "lib/westring.h"

// Bytes SearchFile reads at a time; a match across two blocks is found all
// the same.
constexpr int kSearchFileBlock = 1 << 17;

// Whether SearchFile lets vector instructions rule out most windows, where
// the machine has them (on by default). Off, it uses its skip loop alone, as
// machines without them do; the two give the same results.
extern std::atomic<bool> search_file_vector_filter;

// The byte search of a code page: a forward search finds the first match
// starting at or after start, a reverse one the last match starting at or
// before start - (length - 1) and never reads before the file's start.
// The offset of the match, -2 when there is none, -1 when the user broke
// off (break_status). code_page 0 is the default text code page.
long long SearchFile(RandomFile& file, long long start, const Westring& word, bool reverse, bool case_sensitive,
                     bool whole_word, int code_page);

// Runs search on a worker thread; meanwhile a "Searching..." window shows
// after a moment and Esc sets break_status so the search stops. The search's
// result, or -1 when it was stopped.
long long RunSearchWorker(long long (*search)(void* context), void* context);
